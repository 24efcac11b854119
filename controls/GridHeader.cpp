#include "GridHeader.h"

#include <QStyleOptionHeader>

GridHeader::GridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    // Items are pressable (they show feedback) but never sort or select anything.
    setSectionsClickable(true);
    setSectionsMovable(false);
    setSortIndicatorShown(false);
    setHighlightSections(false);
    // The columns fit the view: the last one takes what the others leave, and gives up room when a
    // vertical scroll bar appears, so that no horizontal one is needed for it.
    setStretchLastSection(true);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSectionResizeMode(QHeaderView::Interactive);
    setMinimumSectionSize(0);
}

QSize GridHeader::sizeHint() const {
    if (!lineSize_.isValid() || lineFont_ != font() || lineStyle_ != style()) {
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.text = QStringLiteral("X");
        lineSize_ = style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
        lineFont_ = font();
        lineStyle_ = style();
    }
    return {length(), lineSize_.height()};
}
