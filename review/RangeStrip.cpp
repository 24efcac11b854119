#include "RangeStrip.h"

#include "TextCodec.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace vornak {

namespace {

constexpr int margin = 4;
constexpr int bandHeight = 6;
constexpr int minimumMarkWidth = 3; // a stretch narrower than a pixel must still be seen
constexpr int maxLanes = 4;         // deeper overlaps share the last lane

QColor mix(const QColor& a, const QColor& b, double share) {
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - share) + b.redF() * share),
                            static_cast<float>(a.greenF() * (1 - share) + b.greenF() * share),
                            static_cast<float>(a.blueF() * (1 - share) + b.blueF() * share));
}

QString boundText(const std::string& bytes) {
    return TextCodec::decode(bytes).trimmed();
}

QString rowList(const std::vector<int>& rows) {
    QStringList numbers;
    for (int row : rows) {
        numbers << QString::number(row + 1);
    }
    return (rows.size() == 1 ? QStringLiteral("строка ") : QStringLiteral("строки ")) +
           numbers.join(QStringLiteral(", "));
}

} // namespace

RangeStrip::RangeStrip(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("rangeStrip"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMouseTracking(false);
}

void RangeStrip::setParameter(const ParameterRecord* parameter) {
    setRows(parameter != nullptr ? parameter->values : std::vector<ValueRow>{});
}

void RangeStrip::setRows(std::vector<ValueRow> rows) {
    const int oldLanes = std::clamp(layout_.laneCount, 1, maxLanes);
    rows_ = std::move(rows);
    layout_ = layoutRanges(rows_);
    scaleLength_ = -1;
    ticks_.reset();
    if (std::clamp(layout_.laneCount, 1, maxLanes) != oldLanes) {
        updateGeometry();
    }
    update();
}

void RangeStrip::setCurrentRow(int index) {
    if (index != currentRow_) {
        currentRow_ = index;
        update();
    }
}

RangeStrip::Plot RangeStrip::plot() const {
    const QFontMetrics fm = fontMetrics();
    Plot g;
    // Room for half a bound's label at either end of the line.
    const int inset = margin + fm.horizontalAdvance(QStringLiteral("0000")) / 2;
    g.left = inset;
    g.right = std::max(g.left + 1, width() - inset);
    g.laneHeight = fm.height() + 4;
    g.lanes = std::clamp(layout_.laneCount, 1, maxLanes);
    g.lanesTop = margin;
    const int lanesBottom = g.lanesTop + g.lanes * g.laneHeight;
    g.band = QRect(QPoint(g.left, lanesBottom + 2), QPoint(g.right, lanesBottom + 1 + bandHeight));
    g.axisY = g.band.bottom() + 1;
    g.labelTop = g.axisY + 4;
    g.noteLine = QRect(margin, g.labelTop + fm.height() + 1, std::max(0, width() - 2 * margin), fm.height());
    return g;
}

QSize RangeStrip::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    const int lanes = std::clamp(layout_.laneCount, 1, maxLanes);
    const int height =
        margin + lanes * (fm.height() + 4) + 2 + bandHeight + 1 + 4 + fm.height() + 1 + fm.height() + margin;
    return {240, height};
}

QSize RangeStrip::minimumSizeHint() const {
    return {80, sizeHint().height()};
}

const RangeScale& RangeStrip::scale(const Plot& g) const {
    const int length = g.right - g.left;
    if (length != scaleLength_) {
        scale_ = RangeScale(layout_, length, minimumBarWidth);
        scaleLength_ = length;
    }
    return scale_;
}

double RangeStrip::xFor(double value) const {
    return xFor(value, plot());
}

double RangeStrip::xFor(double value, const Plot& g) const {
    return g.left + scale(g)(value);
}

QRect RangeStrip::markBand() const {
    return plot().band;
}

int RangeStrip::drawnLane(const RangeBar& bar) const {
    return std::min(bar.lane, maxLanes - 1);
}

QRect RangeStrip::barRect(const RangeBar& bar, const Plot& g) const {
    const int x1 = static_cast<int>(std::lround(xFor(bar.lower, g)));
    const int x2 = std::max(x1 + 1, static_cast<int>(std::lround(xFor(bar.upper, g))));
    const int top = g.lanesTop + drawnLane(bar) * g.laneHeight;
    return QRect(QPoint(x1, top + 1), QPoint(x2, top + g.laneHeight - 2));
}

QRect RangeStrip::barRect(int index) const {
    const Plot g = plot();
    for (const RangeBar& bar : layout_.bars) {
        if (bar.index == index) {
            return barRect(bar, g);
        }
    }
    return {};
}

QRect RangeStrip::stretchRect(const Plot& g, const RangeStretch& stretch, int top, int bottom) const {
    double x1 = xFor(stretch.from, g);
    double x2 = xFor(stretch.to, g);
    if (x2 - x1 < minimumMarkWidth) {
        const double middle = (x1 + x2) / 2;
        x1 = middle - minimumMarkWidth / 2.0;
        x2 = middle + minimumMarkWidth / 2.0;
    }
    return QRect(QPoint(static_cast<int>(std::lround(x1)), top),
                 QPoint(static_cast<int>(std::lround(x2)) - 1, bottom));
}

QString RangeStrip::noteText() const {
    std::vector<int> notNumbers;
    std::vector<int> reversed;
    for (const SkippedRange& skipped : layout_.skipped) {
        (skipped.why == RangeSkip::BoundNotNumber ? notNumbers : reversed).push_back(skipped.index);
    }
    QStringList parts;
    if (!notNumbers.empty()) {
        parts << rowList(notNumbers) + QStringLiteral(" — границы не числа");
    }
    if (!reversed.empty()) {
        parts << rowList(reversed) + QStringLiteral(" — нижняя граница не меньше верхней");
    }
    if (parts.isEmpty()) {
        return {};
    }
    return QStringLiteral("Не показаны: ") + parts.join(QStringLiteral("; "));
}

void RangeStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Base));
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const Plot g = plot();
    const int lanesBottom = g.lanesTop + g.lanes * g.laneHeight;

    if (!layout_.bars.empty()) {
        // Uncovered stretches are hatched across the lanes, so the hole shows where the eye is.
        for (const RangeStretch& gap : layout_.gaps) {
            painter.fillRect(stretchRect(g, gap, g.lanesTop, lanesBottom - 1),
                             QBrush(gapColour(), Qt::BDiagPattern));
        }

        const QColor barFill = mix(pal.color(QPalette::Base), pal.color(QPalette::Highlight), 0.22);
        const QColor barEdge = mix(pal.color(QPalette::Base), pal.color(QPalette::Text), 0.55);
        for (const RangeBar& bar : layout_.bars) {
            const QRect r = barRect(bar, g);
            const bool current = bar.index == currentRow_;
            painter.fillRect(r, current ? pal.color(QPalette::Highlight) : barFill);
            drawFrame(painter, r, barEdge);
            const QRect textRect = r.adjusted(3, 0, -3, 0);
            if (textRect.width() >= fontMetrics().horizontalAdvance(QChar(0x2026)) + 2) {
                painter.setPen(pal.color(current ? QPalette::HighlightedText : QPalette::Text));
                drawText(painter, textRect, Qt::AlignVCenter, TextCodec::decode(bar.result));
            }
        }

        // Doubly covered stretches are outlined over the bars, leaving their labels readable.
        painter.setPen(QPen(overlapColour(), 2));
        painter.setBrush(Qt::NoBrush);
        for (const RangeStretch& overlap : layout_.overlaps) {
            painter.drawRect(stretchRect(g, overlap, g.lanesTop + 1, lanesBottom - 2));
        }

        // The marks on the line itself, solid.
        for (const RangeStretch& gap : layout_.gaps) {
            painter.fillRect(stretchRect(g, gap, g.band.top(), g.band.bottom()), gapColour());
        }
        for (const RangeStretch& overlap : layout_.overlaps) {
            painter.fillRect(stretchRect(g, overlap, g.band.top(), g.band.bottom()), overlapColour());
        }

        painter.setPen(pal.color(QPalette::Text));
        painter.drawLine(g.left, g.axisY, g.right, g.axisY);
        drawTicks(painter, g);
    }
    drawNoteLine(painter, g);
}

QString RangeStrip::boundLabel(double value) const {
    for (const RangeBar& bar : layout_.bars) {
        const ValueRow& row = rows_[static_cast<std::size_t>(bar.index)];
        if (bar.lower == value) {
            return boundText(row.value);
        }
        if (bar.upper == value) {
            return boundText(row.upperBound);
        }
    }
    // Not a bound of any row: written as the table writes numbers, with a decimal comma.
    return QString::number(value, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

std::vector<RangeStrip::TickLabel> RangeStrip::tickLabels() const {
    if (!ticks_ || ticksSize_ != size() || ticksFont_ != font()) {
        ticks_ = placeTickLabels();
        ticksSize_ = size();
        ticksFont_ = font();
    }
    return *ticks_;
}

std::vector<RangeStrip::TickLabel> RangeStrip::placeTickLabels() const {
    std::vector<TickLabel> labels;
    if (layout_.bars.empty()) {
        return labels;
    }
    const Plot g = plot();
    const QFontMetrics fm = fontMetrics();
    const std::vector<double>& bounds = scale(g).bounds();
    const int room = std::max(1, width() - 2 * margin);
    // A label never takes more than half the strip, so that both ends always fit.
    const int widest = std::max(1, (room - 6) / 2);
    const auto label = [&](double value, int maxWidth) {
        QString text = boundLabel(value);
        int w = fm.horizontalAdvance(text);
        if (w > maxWidth) { // measuring is most of the work: a text that fits is measured once
            text = fm.elidedText(text, Qt::ElideRight, maxWidth);
            w = fm.horizontalAdvance(text);
        }
        const int x = static_cast<int>(std::lround(xFor(value, g)));
        const int left = std::clamp(x - w / 2, margin, std::max(margin, width() - margin - w));
        return TickLabel{value, text, QRect(left, g.labelTop, w, fm.height())};
    };
    // The two ends first: they are always labelled, whole where the strip has room.
    TickLabel low = label(bounds.front(), widest);
    TickLabel high = label(bounds.back(), widest);
    if (high.rect.left() <= low.rect.right() + 3) {
        // Too close to stand under their ticks: each takes its own half of the strip.
        low.rect.moveLeft(margin);
        high.rect.moveLeft(width() - margin - high.rect.width());
    }
    labels.push_back(low);
    // Inner bounds where they fit between what is placed; their ticks stay either way.
    const int innerWidth = std::min(widest, fm.horizontalAdvance(QStringLiteral("00000000")));
    int lastRight = low.rect.right();
    for (std::size_t i = 1; i + 1 < bounds.size(); ++i) {
        const TickLabel inner = label(bounds[i], innerWidth);
        if (inner.rect.left() > lastRight + 3 && inner.rect.right() + 3 < high.rect.left()) {
            labels.push_back(inner);
            lastRight = inner.rect.right();
        }
    }
    labels.push_back(high);
    return labels;
}

void RangeStrip::drawTicks(QPainter& painter, const Plot& g) {
    for (const double value : scale(g).bounds()) {
        const int x = static_cast<int>(std::lround(xFor(value, g)));
        painter.drawLine(x, g.axisY, x, g.axisY + 3);
    }
    for (const TickLabel& label : tickLabels()) {
        drawText(painter, label.rect, Qt::AlignTop, label.text);
    }
}

void RangeStrip::drawText(QPainter& painter, const QRect& rect, Qt::Alignment vertical, const QString& text) {
    // The kept layouts draw plain text at the top; what they do not serve takes the painter's path.
    const QFontMetrics fm = fontMetrics();
    const int top =
        vertical == Qt::AlignVCenter ? rect.top() + (rect.height() - fm.height()) / 2 : rect.top();
    if (!texts_.draw(&painter, QRect(rect.left(), top, rect.width(), fm.height()), fm, text)) {
        painter.drawText(rect, static_cast<int>(Qt::AlignLeft | vertical),
                         fm.elidedText(text, Qt::ElideRight, rect.width()));
    }
}

void RangeStrip::drawFrame(QPainter& painter, const QRect& r, const QColor& colour) {
    // The four edges filled: a pen's outline costs far more to draw.
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), colour);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), colour);
}

void RangeStrip::drawNoteLine(QPainter& painter, const Plot& g) {
    const QFontMetrics fm = fontMetrics();
    int x = g.noteLine.left();
    const auto legend = [&](const QColor& colour, const QString& text) {
        const int side = std::max(6, fm.ascent() - 3);
        painter.fillRect(QRect(x, g.noteLine.top() + (fm.height() - side) / 2, side, side), colour);
        x += side + 3;
        painter.setPen(palette().color(QPalette::Text));
        drawText(painter, QRect(x, g.noteLine.top(), fm.horizontalAdvance(text), fm.height()), Qt::AlignTop,
                 text);
        x += fm.horizontalAdvance(text) + 10;
    };
    if (!layout_.gaps.empty()) {
        legend(gapColour(), QStringLiteral("пропуск"));
    }
    if (!layout_.overlaps.empty()) {
        legend(overlapColour(), QStringLiteral("перекрытие"));
    }
    const QString note = noteText();
    if (!note.isEmpty() && x < g.noteLine.right()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        const QRect r(QPoint(x, g.noteLine.top()), g.noteLine.bottomRight());
        drawText(painter, r, Qt::AlignTop, note);
    }
}

void RangeStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const Plot g = plot();
        // The last drawn bar is the one on top.
        for (auto bar = layout_.bars.rbegin(); bar != layout_.bars.rend(); ++bar) {
            if (barRect(*bar, g).contains(event->position().toPoint())) {
                emit rowClicked(bar->index);
                event->accept();
                return;
            }
        }
    }
    QWidget::mousePressEvent(event);
}

QString RangeStrip::toolTipAt(const QPoint& pos) const {
    const Plot g = plot();
    for (auto bar = layout_.bars.rbegin(); bar != layout_.bars.rend(); ++bar) {
        if (barRect(*bar, g).contains(pos)) {
            const ValueRow& row = rows_[static_cast<std::size_t>(bar->index)];
            return QStringLiteral("Строка %1: от %2 до %3 — %4")
                .arg(bar->index + 1)
                .arg(boundText(row.value), boundText(row.upperBound), TextCodec::decode(row.result));
        }
    }
    for (const RangeStretch& gap : layout_.gaps) {
        if (stretchRect(g, gap, g.lanesTop, g.band.bottom()).contains(pos)) {
            return QStringLiteral("Пропуск: от %1 до %2 не покрыто ни одним диапазоном")
                .arg(boundLabel(gap.from), boundLabel(gap.to));
        }
    }
    for (const RangeStretch& overlap : layout_.overlaps) {
        if (stretchRect(g, overlap, g.lanesTop, g.band.bottom()).contains(pos)) {
            return QStringLiteral("Перекрытие: от %1 до %2 покрыто несколькими диапазонами")
                .arg(boundLabel(overlap.from), boundLabel(overlap.to));
        }
    }
    if (g.noteLine.contains(pos)) {
        return noteText();
    }
    return {};
}

bool RangeStrip::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipAt(help->pos());
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, this);
        }
        return true;
    }
    return QWidget::event(event);
}

} // namespace vornak
