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
    ChecksWindow* window = new ChecksWindow(&owner);
    ChecksController controller{&definition, label, window};
};

} // namespace

TEST(ChecksController, TheCountFollowsTheDefinitionOnceQueuedEventsHaveRun) {
    Rig rig;
    EXPECT_EQ(rig.label->text(), QStringLiteral("Замечания: 1"));

    rig.definition.parameters[1].name.clear();
    rig.definition.parameters[2].name.clear();
    rig.controller.scheduleCheck();
    rig.controller.scheduleCheck();
    EXPECT_TRUE(rig.controller.isCheckPending());
    EXPECT_EQ(rig.label->count(), 1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(rig.controller.isCheckPending());
    EXPECT_EQ(rig.label->text(), QStringLiteral("Замечания: 3"));

    rig.definition = definitionWithEmptyNames(0);
    rig.controller.checkNow();
    EXPECT_EQ(rig.label->text(), QStringLiteral("Замечаний нет"));
    EXPECT_TRUE(rig.controller.findings().empty());

    rig.controller.setDefinition(nullptr);
    EXPECT_EQ(rig.label->count(), 0);
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
    QCoreApplication::processEvents();
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
