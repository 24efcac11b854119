#include "ElidedTextCache.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr qsizetype kMostKept = 4096; // every page of the lists, never the whole definition

// Control characters (a CR read from a file, a tab) and right-to-left script need the style's
// path, which shows them on a single line.
bool isPlain(QChar c) {
    const QChar::Direction d = c.direction();
    return c.unicode() >= 0x20 && !c.isSurrogate() && d != QChar::DirR && d != QChar::DirAL &&
           d != QChar::DirRLE && d != QChar::DirRLO && d != QChar::DirRLI;
}

} // namespace

bool ElidedTextCache::draw(QPainter* painter, const QRect& rect, const QFontMetrics& metrics,
                           const QString& text) {
    if (!std::all_of(text.cbegin(), text.cend(), isPlain)) {
        return false;
    }
    if (painter->font() != font_) {
        texts_.clear();
        font_ = painter->font();
    }
    const std::pair<QString, int> key(text, rect.width());
    auto found = texts_.constFind(key);
    if (found == texts_.constEnd()) {
        if (texts_.size() >= kMostKept) {
            texts_.clear();
        }
        QStaticText laid(metrics.elidedText(text, Qt::ElideRight, rect.width()));
        laid.setTextFormat(Qt::PlainText);
        laid.prepare(painter->transform(), font_);
        found = texts_.insert(key, laid);
    }
    const QSizeF size = found->size();
    const bool clipped = size.width() > rect.width() || size.height() > rect.height();
    if (clipped) { // for the text alone: what is drawn after it keeps the whole cell
        painter->save();
        painter->setClipRect(rect, Qt::IntersectClip);
    }
    painter->drawStaticText(rect.topLeft(), *found);
    if (clipped) {
        painter->restore();
    }
    return true;
}
