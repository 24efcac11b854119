// What a screen reader hears: walking Qt's accessibility tree from the main window, every control
// that can take the keyboard focus has a Russian name (a label as its buddy, the lists named, the
// picture buttons named as their tooltips), with the find bar and the checks panel open.
#include "FormHarness.h"

#include "FindBar.h"
#include "FindTools.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QDockWidget>

#include <set>

namespace vornak::testing {
namespace {

bool isRussian(const QString& name) {
    bool cyrillic = false;
    for (const QChar c : name) {
        cyrillic |= c.script() == QChar::Script_Cyrillic;
        if (c.script() == QChar::Script_Latin) {
            return false;
        }
    }
    return cyrillic;
}

std::string describe(QAccessibleInterface* item) {
    QObject* object = item->object();
    const QString what = object != nullptr ? QString::fromLatin1(object->metaObject()->className()) +
                                                 QLatin1Char(' ') + object->objectName()
                                           : QStringLiteral("(no object)");
    return what.toStdString() + " role " + std::to_string(item->role());
}

// Every focusable, visible node under item; the cells of item views carry their data as names and
// are not walked.
void collectFocusable(QAccessibleInterface* item, std::vector<QAccessibleInterface*>& found, int depth = 0) {
    ASSERT_LT(depth, 40) << "the tree does not end";
    for (int i = 0; i < item->childCount(); ++i) {
        QAccessibleInterface* child = item->child(i);
        if (child == nullptr || child->state().invisible) {
            continue;
        }
        if (child->state().focusable) {
            found.push_back(child);
        }
        const QAccessible::Role role = child->role();
        if (role != QAccessible::Table && role != QAccessible::List && role != QAccessible::Tree) {
            collectFocusable(child, found, depth + 1);
        }
    }
}

using AccessibleNames = FormTest;

TEST_F(AccessibleNames, EveryFocusableControlOfTheWindowHasARussianName) {
    start();
    ReportDefinition d;
    d.parameters = {{"Bone", "", ValueKind::Range, 1, 1, {{"1", "2", "A"}}}};
    d.results = {{"Height", "#R(1)"}};
    load(d);
    form->findTools()->bar()->open(true);
    form->checks().showChecks();
    QApplication::processEvents();

    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(form.get());
    ASSERT_NE(root, nullptr);
    std::vector<QAccessibleInterface*> focusable;
    collectFocusable(root, focusable);
    std::set<QObject*> named;
    for (QAccessibleInterface* item : focusable) {
        const QString name = item->text(QAccessible::Name);
        EXPECT_TRUE(isRussian(name)) << describe(item) << " is called \"" << name.toStdString() << "\"";
        named.insert(item->object());
    }

    // Nothing the Tab key reaches is missing from the tree.
    int reachable = 0;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (w->isVisibleTo(form.get()) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            w->parentWidget() != nullptr &&
            !qobject_cast<QAbstractItemView*>(w->parentWidget()->parentWidget())) {
            ++reachable;
            EXPECT_TRUE(named.count(w) == 1)
                << w->metaObject()->className() << " '" << w->objectName().toStdString()
                << "' is not in the accessibility tree as focusable";
        }
    }
    // The form's fields, lists and buttons, the find bar's and the checks list.
    EXPECT_GE(reachable, 30);
}

TEST_F(AccessibleNames, TheListsAndFieldsAreNamedAsTheirLabelsSay) {
    start();
    const struct {
        QWidget* widget;
        QString name;
    } cases[] = {
        {edit("titleEdit"), QStringLiteral("Назван:")},
        {edit("dateEdit"), QStringLiteral("Дата:")},
        {parameters(), QStringLiteral("Параметры")},
        {values(), QStringLiteral("Значения параметра")},
        {results(), QStringLiteral("Результаты")},
        {form->findChild<QWidget*>("addResultButton"), QStringLiteral("Добавить результат")},
        {form->findTools()->bar()->findField(), QStringLiteral("Найти:")},
    };
    for (const auto& c : cases) {
        QAccessibleInterface* item = QAccessible::queryAccessibleInterface(c.widget);
        ASSERT_NE(item, nullptr);
        // A label's colon may be left to the reader.
        EXPECT_TRUE(c.name.startsWith(item->text(QAccessible::Name)) &&
                    !item->text(QAccessible::Name).isEmpty())
            << c.widget->objectName().toStdString() << " is called \""
            << item->text(QAccessible::Name).toStdString() << "\"";
    }
}

} // namespace
} // namespace vornak::testing
