// ElidedTextCache: single-line texts elided to a width and laid out once, kept by text and width for
// one font. Laying a text out is most of what painting a list cell costs, and lists paint the same
// texts again and again.
#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>

#include <utility>

class QPainter;

class ElidedTextCache {
public:
    /// Draws the text elided to the rectangle's width from its top left, clipped to it. False for a
    /// text it does not serve (control characters, right-to-left script): the caller draws those.
    bool draw(QPainter* painter, const QRect& rect, const QFontMetrics& metrics, const QString& text);

private:
    QHash<std::pair<QString, int>, QStaticText> texts_;
    QFont font_;
};
