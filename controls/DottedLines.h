// DottedLines: 1-pixel lines with every other pixel set, exactly as a Dense4Pattern brush fills
// them, in step with the painter's brush origin so that the lines of neighbouring cells and rows
// line up. They are blitted from strips kept per colour: a pattern brush takes its slow path for
// every pixel, and a list draws two or three such lines for each cell it paints.
#pragma once

#include <QColor>
#include <QHash>
#include <QImage>

class QPainter;

class DottedLines {
public:
    /// Fills `line` (one pixel high or one pixel wide) with the colour's dots.
    void draw(QPainter* painter, const QRect& line, const QColor& colour);

private:
    struct Strips {
        QImage across; // one row of dots, the first pixel set
        QImage down;   // one column of the same
    };
    const Strips& stripsFor(const QColor& colour);

    QHash<QRgb, Strips> strips_;
};
