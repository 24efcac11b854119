#include "GridHeader.h"

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
