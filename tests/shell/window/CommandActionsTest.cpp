// The window's commands as actions: each dressed from its row of the action table, run through the
// guard unless it works on the focused text itself, greyed by its own test, and laid out in the
// menus, where a command without an action is left out.
#include "CommandActions.h"

#include "ActionTable.h"
#include "MenuTable.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QWidget>
#include <gtest/gtest.h>

#include <stdexcept>

namespace vornak {
namespace {

struct Rig {
    QWidget window;
    std::vector<QString> guarded; // what ran through the guard, in order
    CommandActions commands{window, [this](const std::function<void()>& run) {
                                guarded.push_back(QStringLiteral("guard"));
                                run();
                            }};
};

TEST(CommandActionsTest, AnActionTakesItsRowsTextKeysPictureAndName) {
    Rig rig;
    for (const ActionEntry& entry : actionTable()) {
        SCOPED_TRACE(entry.id.toStdString());
        QAction* action = rig.commands.add({entry.id, [] {}});
        EXPECT_EQ(rig.commands.action(entry.id), action);
        EXPECT_EQ(action->objectName(), entry.id);
        EXPECT_EQ(action->text(), entry.text);
        EXPECT_EQ(action->shortcuts(), entry.keys());
        EXPECT_EQ(action->shortcutContext(), Qt::WindowShortcut);
        EXPECT_EQ(action->icon().isNull(), entry.picture == Picture::None);
        EXPECT_TRUE(rig.window.actions().contains(action)) << "the keys work anywhere in the window";
    }
    // An action made elsewhere is dressed the same way when it takes a command's place.
    QAction find;
    find.setText(QStringLiteral("старый текст"));
    rig.commands.adopt(QStringLiteral("editFind"), &find);
    EXPECT_EQ(rig.commands.action(QStringLiteral("editFind")), &find);
    EXPECT_EQ(find.text(), findActionEntry(u"editFind")->text);
    EXPECT_EQ(find.shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
}

TEST(CommandActionsTest, ACommandTheTableLacksIsRefused) {
    Rig rig;
    EXPECT_THROW(rig.commands.add({QStringLiteral("noSuchCommand"), [] {}}), std::logic_error);
    QAction stray;
    EXPECT_THROW(rig.commands.adopt(QStringLiteral("noSuchCommand"), &stray), std::logic_error);
    EXPECT_EQ(rig.commands.action(QStringLiteral("noSuchCommand")), nullptr);
    EXPECT_FALSE(rig.commands.available(QStringLiteral("noSuchCommand")));
}

TEST(CommandActionsTest, GuardedCommandsRunThroughTheGuardAndEveryRunIsReported) {
    Rig rig;
    QSignalSpy ran(&rig.commands, &CommandActions::commandRun);
    const struct {
        const char* id;
        bool guarded;
    } cases[] = {{"fileSave", true}, {"editCopy", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        rig.guarded.clear();
        const QString id = QLatin1String(c.id);
        rig.commands.add({id, [&rig] { rig.guarded.push_back(QStringLiteral("run")); }, {}, c.guarded});
        ran.clear();
        rig.commands.action(id)->trigger();
        const std::vector<QString> expected =
            c.guarded ? std::vector<QString>{QStringLiteral("guard"), QStringLiteral("run")}
                      : std::vector<QString>{QStringLiteral("run")};
        EXPECT_EQ(rig.guarded, expected);
        ASSERT_EQ(ran.count(), 1);
        EXPECT_EQ(ran.at(0).at(0).toString(), id);
    }
}

TEST(CommandActionsTest, RefreshGreysWhatCannotRunNow) {
    Rig rig;
    bool canMove = false;
    rig.commands.add({QStringLiteral("editMoveUp"), [] {}, [&canMove] { return canMove; }});
    rig.commands.add({QStringLiteral("fileNew"), [] {}});
    rig.commands.refresh();
    EXPECT_FALSE(rig.commands.action(QStringLiteral("editMoveUp"))->isEnabled());
    EXPECT_FALSE(rig.commands.available(QStringLiteral("editMoveUp")));
    EXPECT_TRUE(rig.commands.available(QStringLiteral("fileNew")));
    canMove = true;
    EXPECT_TRUE(rig.commands.available(QStringLiteral("editMoveUp"))) << "asked afresh each time";
    rig.commands.refresh();
    EXPECT_TRUE(rig.commands.action(QStringLiteral("editMoveUp"))->isEnabled());
}

TEST(CommandActionsTest, TheMenusFollowTheMenuTableAndLeaveOutCommandsWithoutAnAction) {
    Rig rig;
    rig.commands.add({QStringLiteral("helpAbout"), [] {}});
    QMenuBar bar;
    int recentCalls = 0;
    rig.commands.fillMenuBar(bar, [&recentCalls](QMenu&, QAction&) { ++recentCalls; });
    ASSERT_EQ(bar.actions().size(), static_cast<qsizetype>(mainMenu().size()));
    // Help holds its separator and the one command with an action; Help, Usage has none here.
    QMenu* help = bar.actions().back()->menu();
    ASSERT_EQ(help->actions().size(), 2);
    EXPECT_TRUE(help->actions()[0]->isSeparator());
    EXPECT_EQ(help->actions()[1], rig.commands.action(QStringLiteral("helpAbout")));
    // The recent files' place asks for the files each time its menu opens.
    QMenu* file = bar.actions().front()->menu();
    emit file->aboutToShow();
    emit file->aboutToShow();
    EXPECT_EQ(recentCalls, 2);
}

} // namespace
} // namespace vornak
