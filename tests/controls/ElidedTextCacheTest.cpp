// The kept, laid-out cell texts: which texts they serve, and that a kept layout never stands in for
// another font, width or text.
#include "ElidedTextCache.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <utility>

namespace {

const QRect kCell(2, 1, 80, 16);

// What a cache draws of the text in the font, or a null image when it does not serve the text.
QImage drawn(ElidedTextCache& cache, const QFont& font, const QString& text, const QRect& cell = kCell) {
    QImage image(100, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const bool served = cache.draw(&painter, cell, QFontMetrics(font), text);
    return served ? image : QImage();
}

QFont sized(int pixels) {
    QFont font;
    font.setPixelSize(pixels);
    return font;
}

TEST(ElidedTextCacheTest, ServesPlainTextAndLeavesControlCharactersAndRightToLeftToTheStyle) {
    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("Вес, кг"), true},
        {QStringLiteral("27,7 - 30"), true},
        {QStringLiteral("a\rb"), false},
        {QStringLiteral("a\tb"), false},
        {QStringLiteral("שלום"), false},
        {QStringLiteral("مرحبا"), false},
        {QString::fromUtf8("x\xF0\x9F\x98\x80"), false},
    };
    for (const auto& [text, served] : cases) {
        ElidedTextCache cache;
        EXPECT_EQ(!drawn(cache, sized(12), text).isNull(), served) << text.toStdString();
    }
}

TEST(ElidedTextCacheTest, AKeptLayoutIsUsedOnlyForItsOwnFontWidthAndText) {
    const QString text = QStringLiteral("Масса тела обследуемого");
    ElidedTextCache kept;
    const QImage small = drawn(kept, sized(10), text);
    ASSERT_FALSE(small.isNull());
    EXPECT_EQ(drawn(kept, sized(10), text), small) << "drawn again from the kept layout";

    struct Case {
        const char* change;
        QFont font;
        QRect cell;
        QString text;
    };
    const Case cases[] = {
        {"a larger font", sized(14), kCell, text},
        {"a narrower cell", sized(10), QRect(2, 1, 30, 16), text},
        {"another text", sized(10), kCell, QStringLiteral("Масса тела")},
    };
    for (const Case& c : cases) {
        ElidedTextCache fresh;
        const QImage expected = drawn(fresh, c.font, c.text, c.cell);
        EXPECT_NE(expected, small) << c.change;
        EXPECT_EQ(drawn(kept, c.font, c.text, c.cell), expected) << c.change;
    }
}

TEST(ElidedTextCacheTest, ATooLongTextIsElidedInsideItsCell) {
    ElidedTextCache cache;
    const QRect narrow(2, 1, 40, 16);
    const QImage image = drawn(cache, sized(12), QStringLiteral("Длинное название параметра"), narrow);
    ASSERT_FALSE(image.isNull());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = narrow.right() + 1; x < image.width(); ++x) {
            ASSERT_EQ(image.pixel(x, y), QColor(Qt::white).rgb()) << "ink at " << x << "," << y;
        }
    }
}

} // namespace
