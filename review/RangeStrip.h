// A picture of a Range parameter's table, drawn under its value list: each range as a bar on a
// number line labelled with its result, stretches no range covers and stretches two ranges cover
// marked in warning colours on the line, and a note naming the rows that cannot be drawn.
#pragma once

#include "ElidedTextCache.h"
#include "RangeLayout.h"

#include <QWidget>

#include <QString>

#include <optional>
#include <vector>

namespace vornak {

class RangeStrip : public QWidget {
    Q_OBJECT

public:
    explicit RangeStrip(QWidget* parent = nullptr);

    // Takes a copy of the parameter's rows (nothing for null); call again after every change.
    void setParameter(const ParameterRecord* parameter);
    void setRows(std::vector<ValueRow> rows);
    const std::vector<ValueRow>& rows() const { return rows_; }
    const RangeLayout& rangeLayout() const { return layout_; }

    // The value row drawn as selected (0-based), or -1.
    int currentRow() const { return currentRow_; }
    void setCurrentRow(int index);

    // Stretches no range covers, and stretches covered twice.
    static QColor gapColour() { return {232, 124, 0}; }
    static QColor overlapColour() { return {208, 32, 32}; }

    // Where a value lies across the widget, and the band on the line that carries the marks. The
    // line is in proportion to the values, except that every range keeps a width one can see and
    // click however small it is beside the others.
    double xFor(double value) const;
    // The narrowest a range is drawn, while the strip has room for it.
    static constexpr int minimumBarWidth = 12;
    QRect markBand() const;
    // The bar of a value row, or an empty rectangle when it is not drawn.
    QRect barRect(int index) const;
    // The text of the note under the line (rows left out), empty when every row is drawn.
    QString noteText() const;
    // The labels under the line, left to right, with where each is drawn; the lowest and the
    // highest bound are always among them, whole.
    struct TickLabel {
        double value;
        QString text;
        QRect rect;
    };
    std::vector<TickLabel> tickLabels() const;
    // What the tooltip says at a point (empty where there is nothing to say).
    QString toolTipAt(const QPoint& pos) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A click on the bar of a value row (0-based).
    void rowClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Plot {
        int left = 0;
        int right = 0;
        int lanesTop = 0;
        int laneHeight = 0;
        int lanes = 1;
        QRect band;
        int axisY = 0;
        int labelTop = 0;
        QRect noteLine;
    };
    Plot plot() const;
    // xFor on a plot already worked out: working one out measures text.
    double xFor(double value, const Plot& g) const;
    int drawnLane(const RangeBar& bar) const;
    QRect barRect(const RangeBar& bar, const Plot& g) const;
    QRect stretchRect(const Plot& g, const RangeStretch& stretch, int top, int bottom) const;
    const RangeScale& scale(const Plot& g) const;
    // A bound as the first row that has it wrote it.
    QString boundLabel(double value) const;
    std::vector<TickLabel> placeTickLabels() const;
    void drawTicks(QPainter& painter, const Plot& g);
    void drawNoteLine(QPainter& painter, const Plot& g);
    // Text elided to the rectangle's width, at its top or centred in its height.
    void drawText(QPainter& painter, const QRect& rect, Qt::Alignment vertical, const QString& text);
    static void drawFrame(QPainter& painter, const QRect& r, const QColor& colour);

    std::vector<ValueRow> rows_;
    RangeLayout layout_;
    int currentRow_ = -1;
    mutable RangeScale scale_;
    mutable int scaleLength_ = -1; // the line's length the scale was made for; -1 once stale
    // Placing the labels measures every bound's text: they are kept for the size and font they
    // were placed for, until the rows change.
    mutable std::optional<std::vector<TickLabel>> ticks_;
    mutable QSize ticksSize_;
    mutable QFont ticksFont_;
    ElidedTextCache texts_;
};

} // namespace vornak
