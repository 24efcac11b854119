// Dialog units to pixels, and the template fonts they are measured with.
#include "DialogUnits.h"
#include "DialogTemplates.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

using namespace vornak;

TEST(DialogUnits, ConvertsWithTheBaseUnits) {
    struct Case {
        int baseX, baseY;
        QRect dialogUnits;
        QRect pixels;
    };
    const Case cases[] = {
        {4, 8, QRect(10, 20, 30, 40), QRect(10, 20, 30, 40)},   // base units equal to the divisors
        {8, 16, QRect(28, 5, 157, 12), QRect(56, 10, 314, 24)}, // twice as large
        {6, 13, QRect(0, 0, 367, 277), QRect(0, 0, 551, 450)},  // 367*6/4 = 550.5, 277*13/8 = 450.1
        {7, 15, QRect(1, 1, 1, 1), QRect(2, 2, 2, 2)},          // 1.75 -> 2, 3.5 -> 4 (corner), 1.875 -> 2
    };
    for (const Case& c : cases) {
        const DialogUnits units(c.baseX, c.baseY);
        EXPECT_EQ(units.toPixels(c.dialogUnits), c.pixels) << c.baseX << "x" << c.baseY;
    }
}

TEST(DialogUnits, AdjacentControlsStayAdjacent) {
    // Converting corners rather than sizes keeps touching controls touching after rounding.
    const DialogUnits units(7, 15);
    for (int x = 0; x < 40; ++x) {
        const QRect left = units.toPixels(QRect(x, 0, 3, 5));
        const QRect right = units.toPixels(QRect(x + 3, 0, 5, 5));
        EXPECT_EQ(left.x() + left.width(), right.x()) << x;
    }
}

TEST(DialogUnits, BaseUnitsComeFromTheFont) {
    const QFont font = DialogUnits::templateFont(QStringLiteral("Times New Roman"), 9);
    const DialogUnits units(font);
    const QFontMetrics metrics(font);
    const double average =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
        52.0;
    EXPECT_NEAR(units.baseX(), average, 0.5);
    EXPECT_EQ(units.baseY(), metrics.height());

    // A larger font gives a proportionally larger window.
    const DialogUnits larger(DialogUnits::templateFont(QStringLiteral("Times New Roman"), 18));
    EXPECT_GT(larger.baseX(), units.baseX());
    EXPECT_GT(larger.baseY(), units.baseY());
}

TEST(DialogUnits, TimesNewRomanResolvesToLiberationSerif) {
    const QFont font = DialogUnits::templateFont(QStringLiteral("Times New Roman"), 9);
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(family == QLatin1String("Liberation Serif") || family == QLatin1String("Times New Roman"))
        << family.toStdString();
    EXPECT_EQ(font.pointSize(), 9);
    EXPECT_EQ(font.weight(), QFont::Normal);
    EXPECT_FALSE(font.italic());
    // A face that is installed is kept as it is.
    EXPECT_EQ(DialogUnits::resolveFace(QStringLiteral("Liberation Sans")), QStringLiteral("Liberation Sans"));
}

TEST(DialogUnits, MainFormKeepsItsProportions) {
    const DialogTemplate& form = mainFormTemplate();
    const DialogUnits units(DialogUnits::templateFont(form.fontFace, form.fontPointSize));
    const QSize size = units.toPixels(QSize(form.width, form.height));
    const double templateRatio =
        double(form.width) * units.baseX() / 4 / (double(form.height) * units.baseY() / 8);
    EXPECT_NEAR(double(size.width()) / size.height(), templateRatio, 0.01);
}

TEST(DialogUnits, TheBoxesControlsConvertInsideTheirBox) {
    for (const DialogTemplate* box : {&helpWindowTemplate(), &aboutBoxTemplate()}) {
        const DialogUnits units(DialogUnits::templateFont(box->fontFace, box->fontPointSize));
        const QSize size = units.toPixels(QSize(box->width, box->height));
        for (const ControlTemplate& c : box->controls) {
            const QRect r = units.toPixels(c.rect());
            EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(r))
                << box->caption.toStdString() << ": " << c.name.toStdString() << " " << c.text.toStdString();
            EXPECT_GT(r.width(), 0);
            EXPECT_GT(r.height(), 0);
        }
    }
}
