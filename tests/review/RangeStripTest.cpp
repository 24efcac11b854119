#include "RangeStrip.h"

#include "QStringPrinter.h"
#include <QHelpEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <cmath>

using namespace vornak;

namespace {

std::vector<ValueRow> ranges(std::initializer_list<std::pair<const char*, const char*>> bounds) {
    std::vector<ValueRow> rows;
    for (const auto& [lower, upper] : bounds) {
        rows.push_back({lower, upper, "r"});
    }
    return rows;
}

struct Picture {
    RangeStrip strip;
    QImage image;

    explicit Picture(std::vector<ValueRow> rows, int width = 400) {
        strip.setRows(std::move(rows));
        strip.resize(width, strip.sizeHint().height());
        image = QImage(strip.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        strip.render(&image);
    }

    // Columns [x1, x2] of the mark band holding the colour.
    int countIn(const QColor& colour, double x1, double x2) const {
        const QRect band = strip.markBand();
        int n = 0;
        for (int y = band.top(); y <= band.bottom(); ++y) {
            for (int x = static_cast<int>(std::ceil(x1)); x <= static_cast<int>(std::floor(x2)); ++x) {
                n += image.pixelColor(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }
    int countAnywhere(const QColor& colour) const {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                n += image.pixelColor(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }
    double x(double value) const { return strip.xFor(value); }
};

} // namespace

TEST(RangeStrip, RangesThatTouchExactlyShowNoWarningColour) {
    for (auto rows :
         {ranges({{"0", "10"}, {"10", "20"}}), ranges({{"10", "20,5"}, {"0", "10"}, {"20.5", "30"}}),
          ranges({{"-1,25", "0"}, {"0", "1e2"}})}) {
        const Picture p(rows);
        EXPECT_EQ(p.countAnywhere(RangeStrip::gapColour()), 0);
        EXPECT_EQ(p.countAnywhere(RangeStrip::overlapColour()), 0);
    }
}

TEST(RangeStrip, AGapIsMarkedWhereItIsAndNowhereElse) {
    const Picture p(ranges({{"0", "10"}, {"12", "20"}}));
    const QRect band = p.strip.markBand();
    // The whole stretch between the two ranges, across the band's height.
    EXPECT_EQ(p.countIn(RangeStrip::gapColour(), p.x(10) + 1, p.x(12) - 1),
              (static_cast<int>(std::floor(p.x(12) - 1)) - static_cast<int>(std::ceil(p.x(10) + 1)) + 1) *
                  band.height());
    EXPECT_EQ(p.countIn(RangeStrip::gapColour(), p.x(0), p.x(10) - 2), 0);
    EXPECT_EQ(p.countIn(RangeStrip::gapColour(), p.x(12) + 2, p.x(20)), 0);
    EXPECT_EQ(p.countAnywhere(RangeStrip::overlapColour()), 0);
}

TEST(RangeStrip, AnOverlapIsMarkedWhereItIsAndNowhereElse) {
    const Picture p(ranges({{"0", "12"}, {"10", "20"}}));
    EXPECT_GT(p.countIn(RangeStrip::overlapColour(), p.x(10) + 1, p.x(12) - 1), 0);
    EXPECT_EQ(p.countIn(RangeStrip::overlapColour(), p.x(0), p.x(10) - 2), 0);
    EXPECT_EQ(p.countIn(RangeStrip::overlapColour(), p.x(12) + 2, p.x(20)), 0);
    EXPECT_EQ(p.countAnywhere(RangeStrip::gapColour()), 0);
}

TEST(RangeStrip, AStretchNarrowerThanAPixelIsStillMarked) {
    const Picture gap(ranges({{"0", "500"}, {"500,001", "1000"}}));
    EXPECT_GE(gap.countIn(RangeStrip::gapColour(), gap.x(500) - 3, gap.x(500) + 3),
              2 * gap.strip.markBand().height());
    const Picture overlap(ranges({{"0", "500,001"}, {"500", "1000"}}));
    EXPECT_GE(overlap.countIn(RangeStrip::overlapColour(), overlap.x(500) - 3, overlap.x(500) + 3),
              2 * overlap.strip.markBand().height());
}

TEST(RangeStrip, RowsThatCannotBeDrawnAreNamedInANote) {
    const struct {
        std::vector<ValueRow> rows;
        const char* note;
    } cases[] = {
        {ranges({{"0", "10"}, {"10", "20"}}), ""},
        {ranges({{"0", "10"}, {"abc", "20"}}), "Не показаны: строка 2 — границы не числа"},
        {ranges({{"x", "1"}, {"0", "10"}, {"5", ""}}), "Не показаны: строки 1, 3 — границы не числа"},
        {ranges({{"0", "10"}, {"7", "7"}, {"", ""}}),
         "Не показаны: строка 3 — границы не числа; строка 2 — нижняя граница не меньше верхней"},
    };
    for (const auto& c : cases) {
        const Picture p(c.rows);
        EXPECT_EQ(p.strip.noteText(), QString::fromUtf8(c.note));
    }
    // Nothing drawable: no bars, nothing marked, no crash.
    const Picture none(ranges({{"a", "b"}, {"", ""}}));
    EXPECT_TRUE(none.strip.rangeLayout().bars.empty());
    EXPECT_EQ(none.countAnywhere(RangeStrip::gapColour()), 0);
}

TEST(RangeStrip, BarsFollowTheValuesAndAClickNamesTheRow) {
    RangeStrip strip;
    strip.setRows(ranges({{"10", "20"}, {"0", "10"}, {"20", "40"}}));
    strip.resize(400, strip.sizeHint().height());
    strip.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));

    const QRect first = strip.barRect(1);
    const QRect second = strip.barRect(0);
    const QRect third = strip.barRect(2);
    ASSERT_FALSE(first.isEmpty());
    EXPECT_LT(first.left(), second.left());
    EXPECT_LT(second.left(), third.left());
    EXPECT_NEAR(third.width(), 2 * second.width(), 2);

    QSignalSpy clicked(&strip, &RangeStrip::rowClicked);
    QTest::mouseClick(&strip, Qt::LeftButton, Qt::NoModifier, third.center());
    QTest::mouseClick(&strip, Qt::LeftButton, Qt::NoModifier, first.center());
    ASSERT_EQ(clicked.count(), 2);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 2);
    EXPECT_EQ(clicked.at(1).at(0).toInt(), 1);
}

TEST(RangeStrip, ABarsToolTipGivesItsRowBoundsAndDecodedResult) {
    RangeStrip strip;
    // "рост" in Windows-1251.
    strip.setRows({{"0", "10,5", "\xF0\xEE\xF1\xF2"}});
    strip.resize(400, strip.sizeHint().height());
    strip.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
    const QPoint at = strip.barRect(0).center();
    QHelpEvent help(QEvent::ToolTip, at, strip.mapToGlobal(at));
    QApplication::sendEvent(&strip, &help);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Строка 1: от 0 до 10,5 — рост"));
    QToolTip::hideText();
}

TEST(RangeStrip, TakesTheRowsOfAParameterAndNothingForNone) {
    ParameterRecord parameter;
    parameter.kind = ValueKind::Range;
    parameter.values = ranges({{"0", "1"}, {"2", "3"}});
    RangeStrip strip;
    strip.setParameter(&parameter);
    EXPECT_EQ(strip.rows(), parameter.values);
    EXPECT_EQ(strip.rangeLayout().gaps.size(), 1u);
    const int twoLanes = [] {
        RangeStrip s;
        s.setRows(ranges({{"0", "2"}, {"1", "3"}}));
        return s.sizeHint().height();
    }();
    EXPECT_GT(twoLanes, strip.sizeHint().height());
    strip.setParameter(nullptr);
    EXPECT_TRUE(strip.rows().empty());
    EXPECT_TRUE(strip.rangeLayout().bars.empty());
}

TEST(RangeStrip, EveryRangeStaysVisibleAndClickableWhateverTheScale) {
    const std::vector<std::vector<ValueRow>> cases = {
        ranges({{"0", "0,001"}, {"0", "1000000"}}),
        ranges({{"0", "1000000"}, {"0", "0,001"}}),
        ranges({{"0", "1"}, {"1", "1000000"}, {"1000000", "1000000,5"}}),
        ranges({{"-1e300", "-1e299"}, {"-1e-9", "1e-9"}, {"1e-9", "2e-9"}}),
    };
    for (const auto& rows : cases) {
        Picture p(rows);
        p.strip.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.strip));
        const QColor base = p.strip.palette().color(QPalette::Base);
        QSignalSpy clicked(&p.strip, &RangeStrip::rowClicked);
        for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
            const QRect bar = p.strip.barRect(row);
            EXPECT_GE(bar.width(), RangeStrip::minimumBarWidth) << "row " << row;
            // Its fill shows inside, whatever marks are drawn over it.
            int filled = 0;
            for (int y = bar.top() + 2; y < bar.bottom() - 1; ++y) {
                for (int x = bar.left() + 2; x < bar.right() - 1; ++x) {
                    const QColor c = p.image.pixelColor(x, y);
                    filled += c != base && c != RangeStrip::overlapColour() ? 1 : 0;
                }
            }
            EXPECT_GE(filled, 10) << "row " << row;
            QTest::mouseClick(&p.strip, Qt::LeftButton, Qt::NoModifier, bar.center());
            ASSERT_EQ(clicked.count(), row + 1);
            EXPECT_EQ(clicked.last().at(0).toInt(), row);
        }
    }
}

TEST(RangeStrip, BothEndsAreLabelledWholeAndNoLabelsCollide) {
    const struct {
        std::vector<ValueRow> rows;
        int width;
        const char* lowest;
        const char* highest;
    } cases[] = {
        {ranges({{"0", "10"}, {"10", "99999999999"}}), 400, "0", "99999999999"},
        {ranges({{"0", "40"}, {"40", "41"}}), 400, "0", "41"},
        {ranges({{"0", "40"}, {"40", "41"}}), 120, "0", "41"},
        {ranges({{"-1,5", "0"}, {"0", "0,001"}, {"0,001", "0,002"}}), 200, "-1,5", "0,002"},
    };
    for (const auto& c : cases) {
        const Picture p(c.rows, c.width);
        const std::vector<RangeStrip::TickLabel> labels = p.strip.tickLabels();
        ASSERT_GE(labels.size(), 2u);
        EXPECT_EQ(labels.front().text, QString::fromUtf8(c.lowest));
        EXPECT_EQ(labels.back().text, QString::fromUtf8(c.highest));
        for (std::size_t i = 0; i < labels.size(); ++i) {
            EXPECT_TRUE(p.strip.rect().contains(labels[i].rect)) << labels[i].text.toStdString();
            if (i > 0) {
                EXPECT_LT(labels[i - 1].rect.right(), labels[i].rect.left()) << labels[i].text.toStdString();
            }
        }
    }
}

TEST(RangeStrip, MarksTellTheirBoundsAsTheTableWritesThem) {
    const struct {
        std::vector<ValueRow> rows;
        double at; // a value inside the mark
        const char* tip;
    } cases[] = {
        {ranges({{"-3", "-1,5"}, {"0", "2"}}), -1, "Пропуск: от -1,5 до 0 не покрыто ни одним диапазоном"},
        {ranges({{"-3", "-1,5"}, {"-2,25", "0"}}), -1.75,
         "Перекрытие: от -2,25 до -1,5 покрыто несколькими диапазонами"},
    };
    for (const auto& c : cases) {
        const Picture p(c.rows);
        const QPoint at(static_cast<int>(std::lround(p.x(c.at))), p.strip.markBand().center().y());
        EXPECT_EQ(p.strip.toolTipAt(at), QString::fromUtf8(c.tip));
    }
}
