#include "DottedLines.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int kStripLength = 1024; // even: a longer line is drawn in pieces of this length

// Whether a Dense4Pattern fill from the origin 0, 0 sets the pixel at 0, 0.
bool patternSetsOrigin() {
    QImage probe(2, 1, QImage::Format_ARGB32_Premultiplied);
    probe.fill(Qt::transparent);
    QPainter painter(&probe);
    painter.fillRect(probe.rect(), QBrush(Qt::black, Qt::Dense4Pattern));
    painter.end();
    return qAlpha(probe.pixel(0, 0)) != 0;
}

} // namespace

const DottedLines::Strips& DottedLines::stripsFor(const QColor& colour) {
    const QRgb key = colour.rgba();
    auto found = strips_.constFind(key);
    if (found != strips_.constEnd()) {
        return *found;
    }
    Strips made{QImage(kStripLength + 1, 1, QImage::Format_ARGB32_Premultiplied),
                QImage(1, kStripLength + 1, QImage::Format_ARGB32_Premultiplied)};
    const QRgb dot = qPremultiply(key);
    for (int i = 0; i <= kStripLength; ++i) {
        const QRgb pixel = i % 2 == 0 ? dot : 0;
        made.across.setPixel(i, 0, pixel);
        made.down.setPixel(0, i, pixel);
    }
    if (strips_.size() >= 16) { // a handful of colours in use at a time
        strips_.clear();
    }
    return *strips_.insert(key, made);
}

void DottedLines::draw(QPainter* painter, const QRect& line, const QColor& colour) {
    const QTransform& transform = painter->transform();
    const bool whole = transform.type() <= QTransform::TxTranslate && transform.dx() == int(transform.dx()) &&
                       transform.dy() == int(transform.dy());
    if (!whole || line.isEmpty() || (line.width() != 1 && line.height() != 1)) {
        // Scaled painting (a high-density screen) keeps the pattern's own path.
        painter->fillRect(line, QBrush(colour, Qt::Dense4Pattern));
        return;
    }
    static const int originPhase = patternSetsOrigin() ? 0 : 1;
    const QPoint origin = painter->brushOrigin();
    const Strips& strips = stripsFor(colour);
    const bool across = line.height() == 1;
    const int length = across ? line.width() : line.height();
    for (int done = 0; done < length; done += kStripLength) {
        const int x = line.left() + (across ? done : 0);
        const int y = line.top() + (across ? 0 : done);
        // The strip's first pixel is set: start where the pattern's parity at x, y lands on it.
        const int phase = (((x - origin.x()) + (y - origin.y()) + originPhase) % 2 + 2) % 2;
        const int piece = std::min(kStripLength, length - done);
        if (across) {
            painter->drawImage(QPoint(x, y), strips.across, QRect(phase, 0, piece, 1));
        } else {
            painter->drawImage(QPoint(x, y), strips.down, QRect(0, phase, 1, piece));
        }
    }
}
