// The window at any scale: run as it is and again with the screen scaled by 1.5 and 2 and with
// 144-dpi fonts (ctest sets QT_SCALE_FACTOR or QT_FONT_DPI). At the size the window first takes,
// and shrunk as far as it lets itself be, every text fits its control and no two controls overlap.
#include "FormHarness.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>

#include <vector>

namespace vornak::testing {
namespace {

std::string describe(const QWidget* w) {
    return (w->metaObject()->className() + QStringLiteral(" '") + w->objectName() + QStringLiteral("'"))
        .toStdString();
}

// The controls a user sees: item views and the menu bar count as one control each.
std::vector<QWidget*> visibleControls(QWidget& window) {
    std::vector<QWidget*> controls;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window) || w->isWindow()) {
            continue;
        }
        bool insideControl = false;
        for (QWidget* up = w->parentWidget(); up != nullptr && up != &window; up = up->parentWidget()) {
            insideControl |= qobject_cast<QAbstractItemView*>(up) != nullptr || qobject_cast<QMenuBar*>(up);
        }
        const bool control = qobject_cast<QAbstractItemView*>(w) != nullptr || qobject_cast<QLabel*>(w) ||
                             qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QMenuBar*>(w);
        if (control && !insideControl) {
            controls.push_back(w);
        }
    }
    return controls;
}

void expectTextsFitAndNothingOverlaps(QWidget& window, const char* when) {
    SCOPED_TRACE(when);
    const std::vector<QWidget*> controls = visibleControls(window);
    ASSERT_GT(controls.size(), 30u);
    for (QWidget* w : controls) {
        const QFontMetrics metrics(w->font());
        if (qobject_cast<QLabel*>(w) != nullptr || qobject_cast<QAbstractButton*>(w) != nullptr) {
            const QSize needed = w->minimumSizeHint();
            EXPECT_GE(w->width(), needed.width()) << describe(w) << " is cut off sideways";
            EXPECT_GE(w->height(), needed.height()) << describe(w) << " is cut off at the bottom";
        } else if (qobject_cast<QLineEdit*>(w) != nullptr) {
            EXPECT_GE(w->height(), metrics.height()) << describe(w) << " is lower than its text";
        } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            if (auto* table = qobject_cast<QTableView*>(view)) {
                EXPECT_GE(table->horizontalHeader()->height(), metrics.height()) << describe(w);
                EXPECT_GE(table->verticalHeader()->defaultSectionSize(), metrics.height()) << describe(w);
            }
            EXPECT_GE(view->viewport()->height(), 2 * metrics.height()) << describe(w) << " shows no rows";
        }
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const QRect a(controls[i]->mapTo(&window, QPoint(0, 0)), controls[i]->size());
        EXPECT_TRUE(window.rect().contains(a)) << describe(controls[i]) << " lies outside the window";
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            if (controls[i]->isAncestorOf(controls[j]) || controls[j]->isAncestorOf(controls[i])) {
                continue;
            }
            const QRect b(controls[j]->mapTo(&window, QPoint(0, 0)), controls[j]->size());
            EXPECT_FALSE(a.intersects(b)) << describe(controls[i]) << " overlaps " << describe(controls[j]);
        }
    }
}

class Scaling : public FormTest {};

TEST_F(Scaling, TextsFitAndControlsStayApartAtTheFirstSizeAndShrunk) {
    start();
    // A range parameter shows the value list's three columns.
    ReportDefinition d;
    d.parameters = {{"Bone", "", ValueKind::Range, 1, 0, {{"22.2", "23.7", "A"}}}};
    d.results = {{"Height", "#R(1)"}};
    load(d);
    // The settings say which scale this run is at (Qt turns a font resolution into a scale of its
    // own), and the window's pixels follow it.
    qreal scale = 1.0;
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    } else if (qEnvironmentVariableIsSet("QT_FONT_DPI")) {
        scale = qEnvironmentVariableIntValue("QT_FONT_DPI") / 96.0;
    }
    EXPECT_DOUBLE_EQ(form->devicePixelRatioF(), scale);
    expectTextsFitAndNothingOverlaps(*form, "at the first size");

    form->resize(form->minimumSize().expandedTo(form->minimumSizeHint()));
    QApplication::processEvents();
    expectTextsFitAndNothingOverlaps(*form, "shrunk");

    form->resize(form->size() * 2);
    QApplication::processEvents();
    expectTextsFitAndNothingOverlaps(*form, "enlarged");
}

} // namespace
} // namespace vornak::testing
