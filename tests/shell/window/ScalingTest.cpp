// The window at any scale: run as it is and again with the screen scaled by 1.5 and 2, with
// 144-dpi fonts, and with both on a 1080-line screen (ctest sets QT_SCALE_FACTOR, QT_FONT_DPI and
// the screen). At the size the window first takes, and shrunk as far as it lets itself be, every
// text fits its control, no two controls overlap, and each lies in the window or in the part of the
// form the window scrolls to; the window's minimum fits the screen's free area.
#include "FormHarness.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>

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
    // Where the screen is smaller than the form, the form scrolls: what lies in it must lie in the
    // form, which the scroll bars reach.
    const auto* scroller = qobject_cast<QScrollArea*>(static_cast<QMainWindow&>(window).centralWidget());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const QRect a(controls[i]->mapTo(&window, QPoint(0, 0)), controls[i]->size());
        const bool scrolled = scroller != nullptr && scroller->widget()->isAncestorOf(controls[i]);
        const QRect room =
            scrolled ? QRect(scroller->widget()->mapTo(&window, QPoint(0, 0)), scroller->widget()->size())
                     : window.rect();
        EXPECT_TRUE(room.contains(a)) << describe(controls[i]) << " lies outside the window";
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
        scale *= qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    }
    if (qEnvironmentVariableIsSet("QT_FONT_DPI")) {
        scale *= qEnvironmentVariableIntValue("QT_FONT_DPI") / 96.0;
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

TEST_F(Scaling, TheMinimumAndTheFirstSizeFitTheScreensFreeArea) {
    start();
    const QScreen* screen = form->screen();
    ASSERT_NE(screen, nullptr);
    const QSize free = screen->availableGeometry().size();
    const QSize frame = form->frameGeometry().size() - form->size();
    EXPECT_LE(form->minimumSize().height() + frame.height(), free.height())
        << "minimum " << form->minimumSize().height() << " on a screen of " << free.height();
    EXPECT_LE(form->minimumSize().width() + frame.width(), free.width());
    EXPECT_LE(form->height(), free.height());
    EXPECT_LE(form->width(), free.width());
    // Shrunk to that minimum, every field is still reached: the form scrolls.
    form->resize(form->minimumSize());
    QApplication::processEvents();
    auto* scroller = qobject_cast<QScrollArea*>(form->centralWidget());
    ASSERT_NE(scroller, nullptr);
    QLineEdit* date = edit("dateEdit");
    scroller->ensureWidgetVisible(date, 0, 0);
    // The whole height of the field, and its start, where a narrow view cannot hold all its width.
    const QRect shown(date->mapTo(scroller->viewport(), QPoint(0, 0)), date->size());
    const QRect view = scroller->viewport()->rect();
    EXPECT_TRUE(view.contains(shown.topLeft()) && view.contains(QPoint(shown.left(), shown.bottom())))
        << "the last field cannot be scrolled to";
}

} // namespace
} // namespace vornak::testing
