// The kept dotted strips draw exactly what a Dense4Pattern fill draws, wherever the brush origin,
// the painter's translation and the line lie, for lines longer than one strip too.
#include "DottedLines.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

struct Setting {
    QPoint origin;
    QPointF translation;
    qreal scale;
};

QImage painted(const QSize& size, const Setting& s, const std::function<void(QPainter&)>& draw) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(s.scale, s.scale);
    painter.translate(s.translation);
    painter.setBrushOrigin(s.origin);
    draw(painter);
    return image;
}

TEST(DottedLinesTest, DrawsWhatThePatternBrushDraws) {
    const Setting settings[] = {
        {{0, 0}, {0, 0}, 1.0},   {{1, 0}, {0, 0}, 1.0}, {{0, -1}, {3, 7}, 1.0},
        {{-3, 5}, {-1, 2}, 1.0}, {{2, 2}, {5, 0}, 1.5}, {{1, 1}, {0.5, 0}, 1.0},
    };
    const QRect lines[] = {
        QRect(0, 3, 1, 1), QRect(1, 3, 2, 1),    QRect(2, 4, 7, 1), QRect(3, 5, 1030, 1),
        QRect(4, 0, 1, 9), QRect(5, 1, 1, 1030), QRect(6, 2, 1, 2),
    };
    const QColor colours[] = {Qt::black, QColor(10, 120, 200)};
    DottedLines dots;
    for (const Setting& s : settings) {
        for (const QRect& line : lines) {
            for (const QColor& colour : colours) {
                const QSize size(1100, 1100);
                const QImage expected = painted(
                    size, s, [&](QPainter& p) { p.fillRect(line, QBrush(colour, Qt::Dense4Pattern)); });
                const QImage drawn = painted(size, s, [&](QPainter& p) { dots.draw(&p, line, colour); });
                EXPECT_EQ(drawn, expected)
                    << "origin " << s.origin.x() << "," << s.origin.y() << " moved " << s.translation.x()
                    << "," << s.translation.y() << " scale " << s.scale << " line " << line.x() << ","
                    << line.y() << " " << line.width() << "x" << line.height();
            }
        }
    }
}

} // namespace
