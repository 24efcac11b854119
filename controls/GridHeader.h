// GridHeader: the column header of CellGrid. Its dividers can be dragged to resize the
// columns; a click on an item sorts nothing.
#pragma once

#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QPixmap>
#include <QString>

#include <vector>

class GridHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit GridHeader(QWidget* parent = nullptr);

    /// As tall as one line of the header's font with the style's margins, as wide as the columns.
    QSize sizeHint() const override;

protected:
    /// Draws a section as the style does, from a picture kept of it while nothing it shows changes.
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void changeEvent(QEvent* event) override;

private:
    // The view asks after every change of columns; Qt would measure every section's text again.
    mutable QSize lineSize_;
    mutable QFont lineFont_;
    mutable const QStyle* lineStyle_ = nullptr;

    // Each section is painted again whenever the model is reset (a file opened) though its label,
    // size and state stay the same; the style's gradient and text layout cost more than a copy.
    // Everything the style draws a section from.
    struct SectionLook {
        QSize size;
        qreal ratio = 1;
        const QStyle* style = nullptr;
        QFont font;
        qint64 palette = 0; // its cache key: any change gives a new one
        QColor background;
        int state = 0;
        int direction = 0;
        QString text;
        int textAlignment = 0;
        int iconAlignment = 0;
        qint64 icon = 0;
        int position = 0;
        int selectedPosition = 0;
        int sortIndicator = 0;
        int orientation = 0;
        int elideMode = 0;
        bool dragTarget = false;
        int section = 0;
        bool operator==(const SectionLook&) const = default;
    };
    struct SectionPicture {
        SectionLook look;
        QPixmap picture;
    };
    mutable std::vector<SectionPicture> pictures_;
};
