// The panels and windows keep to their room: the checks panel shows its findings when it opens, at a
// modest height it remembers, without changing the window's size, and following a finding keeps the
// selected parameter in view; the help window shows every line at once; the find bar's fields stay
// where they are whatever its count and note say; the match mark reads well on any row.
#include "FormHarness.h"

#include "CellMatchHighlight.h"
#include "ChecksWindow.h"
#include "FindBar.h"
#include "FindTools.h"
#include "ProblemCountLabel.h"
#include "UsageHelpDialog.h"

#include <QDockWidget>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <cmath>
#include <map>

namespace vornak::testing {
namespace {

// Contrast of two colours as the web's accessibility guidelines define it, from 1 to 21.
double luminance(const QColor& c) {
    const auto channel = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Forty parameters, and a result that names one that does not exist: one finding.
ReportDefinition manyParameters() {
    ReportDefinition d;
    for (int i = 1; i <= 40; ++i) {
        d.parameters.push_back({"P" + std::to_string(i), "", ValueKind::List, 0, 0, {{"1", "", "x"}}});
    }
    d.results = {{"r", "#P(99)"}};
    return d;
}

bool rowInView(const CellGrid* grid, int row) {
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    return cell.isValid() && grid->viewport()->rect().contains(cell);
}

class Panels : public FormTest {
public:
    QDockWidget* dock() const { return form->checks().dock(); }
    ChecksWindow* checksWindow() const { return form->checks().checksWindow(); }

    // The findings are listed where the panel shows them: the window fills the panel and its first
    // line lies inside the list's visible area.
    void expectFindingsShown() const {
        ASSERT_TRUE(dock()->isVisible());
        QListWidget* list = checksWindow()->list();
        ASSERT_GT(list->count(), 0);
        const QRect window(checksWindow()->mapTo(dock(), QPoint(0, 0)), checksWindow()->size());
        EXPECT_TRUE(dock()->rect().contains(window)) << "the list lies outside its panel";
        EXPECT_TRUE(list->viewport()->rect().intersects(list->visualItemRect(list->item(0))));
        EXPECT_FALSE(list->item(0)->text().isEmpty());
    }
};

TEST_F(Panels, TheChecksPanelOpensFilledAndModestWithoutResizingTheWindow) {
    const struct {
        const char* how;
        bool byKey;
    } ways[] = {{"F7", true}, {"the count's link", false}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        start();
        load(manyParameters());
        const QSize before = form->size();
        if (way.byKey) {
            pressKey(edit("titleEdit"), Qt::Key_F7);
        } else {
            ProblemCountLabel* count = form->checks().problemCount();
            QTest::mouseClick(count, Qt::LeftButton, Qt::NoModifier, count->rect().center());
        }
        QApplication::processEvents();
        expectFindingsShown();
        EXPECT_EQ(form->size(), before) << "the window changed its size";
        EXPECT_LE(dock()->height(), form->height() / 4) << "the panel is not modest";
        // Closed again, the form has all its room back and the window still its size.
        QTest::keyClick(checksWindow()->list(), Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_FALSE(dock()->isVisible());
        EXPECT_EQ(form->size(), before);
        form->hide();
        form.reset();
    }
}

TEST_F(Panels, TheChecksPanelRemembersItsHeight) {
    start();
    load(manyParameters());
    form->runCommand("editChecks");
    QApplication::processEvents();
    const int chosen = dock()->height() + 37;
    form->resizeDocks({dock()}, {chosen}, Qt::Vertical);
    QApplication::processEvents();
    const int left = dock()->height();
    ASSERT_NE(left, chosen - 37) << "the panel did not take the new height";
    QTest::keyClick(checksWindow()->list(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(settings->readChecksPanelHeight(), left);

    // The next run opens it at that height.
    form->hide();
    form.reset();
    start();
    form->runCommand("editChecks");
    QApplication::processEvents();
    EXPECT_EQ(dock()->height(), left);
}

TEST_F(Panels, FollowingAFindingKeepsTheSelectedParameterInView) {
    start();
    load(manyParameters());
    // The parameter at the foot of the list's visible part is selected.
    CellGrid* list = parameters();
    int row = 0;
    while (row + 1 < rowCount(list) && rowInView(list, row + 1)) {
        ++row;
    }
    ASSERT_GT(row, 3);
    clickParameterRow(row);
    ASSERT_EQ(form->parameterPanel().shownParameter(), row);

    // The finding is in a result: the parameter list only gives up room to the panel.
    form->runCommand("editChecks");
    QApplication::processEvents();
    checksWindow()->selectRow(0);
    QTest::keyClick(checksWindow()->list(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(results()->isEditing());
    EXPECT_EQ(list->currentIndex().row(), row);
    EXPECT_TRUE(rowInView(list, row)) << "the selected parameter went out of view";
}

TEST_F(Panels, TheHelpWindowShowsEveryLineAtItsFirstSize) {
    UsageHelpDialog help;
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    QPlainTextEdit* text = help.helpEdit();
    EXPECT_EQ(text->verticalScrollBar()->maximum(), 0) << "lines are hidden below the window's edge";
    // The last line lies inside the visible area.
    QTextCursor end = text->textCursor();
    end.movePosition(QTextCursor::End);
    EXPECT_TRUE(text->viewport()->rect().contains(text->cursorRect(end)));
}

TEST_F(Panels, TheFindBarsFieldsKeepTheirPlaces) {
    start();
    FindBar* bar = form->findTools()->bar();
    bar->open(true);
    QApplication::processEvents();
    const QList<QWidget*> fields = bar->findChildren<QWidget*>();
    const auto places = [&] {
        std::map<QWidget*, QRect> at;
        for (QWidget* w : fields) {
            if (w->isVisible() && w->objectName() != QStringLiteral("matchCount") &&
                w->objectName() != QStringLiteral("findStatus")) {
                at[w] = QRect(w->mapTo(form.get(), QPoint(0, 0)), w->size());
            }
        }
        return at;
    };
    const std::map<QWidget*, QRect> first = places();
    ASSERT_GE(first.size(), 8u);
    bar->findField()->setText(QStringLiteral("а"));
    const struct {
        int index;
        int count;
        QString status;
    } steps[] = {
        {0, 3, {}},
        {-1, 0, QStringLiteral("Заменено совпадений: 12")},
        {-1, 12345, {}},
        {12344, 12345,
         QStringLiteral(
             "Поиск продолжен с начала, а это очень длинное пояснение, которое не помещается в одну "
             "строку панели поиска ни при какой ширине окна")},
        {-1, 0, {}},
    };
    for (const auto& step : steps) {
        bar->setMatchCount(step.index, step.count);
        bar->setStatus(step.status, !step.status.isEmpty());
        QApplication::processEvents();
        const std::map<QWidget*, QRect> now = places();
        for (const auto& [w, place] : first) {
            EXPECT_EQ(now.at(w), place) << w->objectName().toStdString() << " moved at count " << step.count;
        }
    }
}

TEST_F(Panels, TheMatchMarkReadsWellOnNormalAndSelectedRows) {
    start();
    ReportDefinition d;
    d.parameters = {{"Длина кости", "", ValueKind::List, 0, 0, {{"1", "", "x"}}},
                    {"Ширина кости", "", ValueKind::List, 0, 0, {{"1", "", "x"}}}};
    load(d);
    EXPECT_GE(contrast(CellMatchHighlight::fillColour(), CellMatchHighlight::textColour()), 4.5);
    CellGrid* grid = parameters();
    grid->setFocus();
    clickParameterRow(0);
    for (const int row : {0, 1}) { // row 0 is selected, row 1 not
        SCOPED_TRACE(row == 0 ? "selected row" : "normal row");
        ASSERT_EQ(grid->selectionModel()->isRowSelected(row, QModelIndex()), row == 0);
        CellMatchHighlight mark(*grid);
        mark.mark(grid->model()->index(row, 1), 0, 5);
        QApplication::processEvents();
        const QRect marked = mark.markedRect().translated(mark.pos()).adjusted(1, 1, -1, -1);
        ASSERT_FALSE(marked.isEmpty());
        const QImage shot = grid->grab().toImage();
        const qreal scale = shot.devicePixelRatio();
        // The most frequent colour in the mark is its background; the text is what stands out most.
        std::map<QRgb, int> counts;
        for (int y = int(marked.top() * scale); y <= int(marked.bottom() * scale); ++y) {
            for (int x = int(marked.left() * scale); x <= int(marked.right() * scale); ++x) {
                ++counts[shot.pixel(x, y)];
            }
        }
        const auto background = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                                    return a.second < b.second;
                                })->first;
        int readable = 0;
        for (const auto& [colour, n] : counts) {
            readable += contrast(QColor(colour), QColor(background)) >= 4.5 ? n : 0;
        }
        EXPECT_EQ(QColor(background), CellMatchHighlight::fillColour());
        EXPECT_GE(readable, 10) << "the marked characters do not stand out from the mark";
    }
}

} // namespace
} // namespace vornak::testing
