#include "ChecksController.h"
#include "ChecksWindow.h"
#include "ProblemCountLabel.h"

#include "QStringPrinter.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace vornak;

namespace {

ReportDefinition definitionWithEmptyNames(int emptyNames) {
    ReportDefinition definition;
    for (int i = 0; i < 3; ++i) {
        ParameterRecord p;
        p.name = i < emptyNames ? "" : "p";
        p.values = {{"1", "", "r"}};
        definition.parameters.push_back(p);
    }
    definition.results.push_back({"r", "1"});
    return definition;
}

struct Rig {
    ReportDefinition definition = definitionWithEmptyNames(1);
    QWidget owner;
    ProblemCountLabel* label = new ProblemCountLabel(&owner);
    ChecksWindow* window = toolWindow(&owner);
    ChecksController controller{&definition, label, window};

    // The list as a window of its own over its owner.
    static ChecksWindow* toolWindow(QWidget* owner) {
        auto* w = new ChecksWindow(owner);
        w->setWindowFlag(Qt::Tool);
        return w;
    }
};

} // namespace

TEST(ChecksController, TheCountFollowsOnceTheChangesPause) {
    Rig rig;
    EXPECT_EQ(rig.label->text(), QStringLiteral("Замечания: 1"));
    QSignalSpy checked(&rig.controller, &ChecksController::checked);

    // While changes keep coming (a held key) nothing is checked.
    rig.controller.setDelay(std::chrono::hours(1));
    rig.definition.parameters[1].name.clear();
    rig.controller.scheduleCheck();
    rig.definition.parameters[2].name.clear();
    rig.controller.scheduleCheck();
    QCoreApplication::processEvents();
    EXPECT_TRUE(rig.controller.isCheckPending());
    EXPECT_EQ(rig.label->count(), 1);
    EXPECT_EQ(checked.count(), 0);
    // Once they pause, one check covers them all.
    rig.controller.runPendingCheck();
    EXPECT_FALSE(rig.controller.isCheckPending());
    EXPECT_EQ(rig.label->text(), QStringLiteral("Замечания: 3"));
    rig.controller.runPendingCheck();
    EXPECT_EQ(checked.count(), 1) << "nothing was due the second time";

    // The timer runs it by itself: a burst is checked once.
    rig.controller.setDelay(std::chrono::milliseconds(0));
    rig.definition = definitionWithEmptyNames(0);
    for (int i = 0; i < 3; ++i) {
        rig.controller.scheduleCheck();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(checked.count(), 2);
    EXPECT_EQ(rig.label->text(), QStringLiteral("Замечаний нет"));
    EXPECT_TRUE(rig.controller.findings().empty());

    rig.controller.setDefinition(nullptr);
    EXPECT_EQ(rig.label->count(), 0);
}

TEST(ChecksController, TheDelayLeavesRoomForTheCheckWithin300ms) {
    using std::chrono::milliseconds;
    const struct {
        milliseconds lastCheck;
        milliseconds delay;
    } cases[] = {
        {milliseconds(0), milliseconds(150)},   // a typical definition: the longest wait
        {milliseconds(25), milliseconds(150)},  // 5,000 parameters
        {milliseconds(150), milliseconds(100)}, // the wait shrinks as the check grows
        {milliseconds(220), milliseconds(50)},  // 50,000 parameters: never shorter than a key repeat
        {milliseconds(2000), milliseconds(50)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChecksController::delayAfter(c.lastCheck), c.delay) << c.lastCheck.count();
        if (c.lastCheck + c.delay + milliseconds(50) <= milliseconds(300)) {
            continue;
        }
        EXPECT_EQ(c.delay, ChecksController::shortestDelay) << "only a check too slow to fit waits the least";
    }
    Rig rig;
    EXPECT_LE(rig.controller.delay(), ChecksController::longestDelay);
    EXPECT_GE(rig.controller.delay(), ChecksController::shortestDelay);
    rig.controller.setDelay(milliseconds(7));
    EXPECT_EQ(rig.controller.delay(), milliseconds(7));
}

TEST(ChecksController, TheWindowIsFilledWhenShownAndKeptUpToDateWhileOpen) {
    Rig rig;
    rig.definition.parameters[2].name.clear();
    rig.controller.checkNow();
    // Hidden: left alone.
    EXPECT_EQ(rig.window->findings().size(), 0u);

    rig.controller.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.window));
    EXPECT_EQ(rig.window->findings().size(), 2u);
    EXPECT_EQ(rig.window->selectedRow(), 0);
    EXPECT_TRUE(rig.window->list()->hasFocus());

    rig.definition.parameters[0].name = "x";
    rig.controller.scheduleCheck();
    rig.controller.runPendingCheck();
    ASSERT_EQ(rig.window->findings().size(), 1u);
    EXPECT_EQ(rig.window->findings()[0].where, (TextLocation{TextField::ParameterName, 3, 0}));

    // Closed, changed, reopened: up to date again.
    rig.window->close();
    rig.definition.parameters[0].name.clear();
    rig.controller.checkNow();
    EXPECT_EQ(rig.window->findings().size(), 1u);
    rig.controller.showWindow();
    EXPECT_EQ(rig.window->findings().size(), 2u);
}

TEST(ChecksController, PassesOnTheFindingTheUserPicks) {
    Rig rig;
    rig.definition.parameters[1].name.clear();
    rig.controller.checkNow();
    rig.controller.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.window));
    QSignalSpy activated(&rig.controller, &ChecksController::findingActivated);
    QTest::keyClick(rig.window->list(), Qt::Key_Down);
    QTest::keyClick(rig.window->list(), Qt::Key_Return);
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.at(0).at(0).value<TextLocation>(), (TextLocation{TextField::ParameterName, 2, 0}));
}

TEST(ChecksController, AFindingPickedWhileACheckIsDueIsFollowedOnlyIfItStillStands) {
    Rig rig; // parameter 1 has no name
    rig.controller.setDelay(std::chrono::hours(1));
    rig.controller.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.window));
    QSignalSpy activated(&rig.controller, &ChecksController::findingActivated);

    // Parameter 1 is named and parameter 3 loses its name; the window still shows the old finding.
    rig.definition.parameters[0].name = "p";
    rig.definition.parameters[2].name.clear();
    rig.controller.scheduleCheck();
    ASSERT_EQ(rig.window->findings().size(), 1u);
    QTest::keyClick(rig.window->list(), Qt::Key_Return);
    EXPECT_EQ(activated.count(), 0) << "the finding is gone: nothing to go to";
    ASSERT_EQ(rig.window->findings().size(), 1u);
    EXPECT_EQ(rig.window->findings()[0].where, (TextLocation{TextField::ParameterName, 3, 0}));

    // A check is due again, but the finding picked still stands: it is followed.
    rig.controller.scheduleCheck();
    rig.window->selectRow(0);
    QTest::keyClick(rig.window->list(), Qt::Key_Return);
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.at(0).at(0).value<TextLocation>(), (TextLocation{TextField::ParameterName, 3, 0}));
}
