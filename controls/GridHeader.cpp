#include "GridHeader.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>

namespace {

constexpr std::size_t kMostPictures = 32; // a few sections, each in a few states

// A translation by whole pixels only: a picture drawn there lands on the same pixels as the section.
bool wholePixels(const QTransform& transform) {
    return transform.type() <= QTransform::TxTranslate && transform.dx() == qRound(transform.dx()) &&
           transform.dy() == qRound(transform.dy());
}

} // namespace

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

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    const qreal ratio = painter->device()->devicePixelRatio();
    // The picture starts as the view's plain background, as the section does on screen; an opaque
    // picture keeps the text's subpixel smoothing. Anything else is painted the style's way.
    const QBrush background = viewport()->palette().brush(viewport()->backgroundRole());
    const bool plain = background.style() == Qt::SolidPattern && background.color().alpha() == 255;
    if (!rect.isValid() || !plain || !wholePixels(painter->transform())) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    // The option as Qt makes it for the section, drawn at the picture's origin.
    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = QRect(QPoint(0, 0), rect.size());
    const SectionLook look{rect.size(),
                           ratio,
                           style(),
                           painter->font(),
                           option.palette.cacheKey(),
                           background.color(),
                           int(option.state),
                           int(option.direction),
                           option.text,
                           int(option.textAlignment),
                           int(option.iconAlignment),
                           option.icon.cacheKey(),
                           int(option.position),
                           int(option.selectedPosition),
                           int(option.sortIndicator),
                           int(option.orientation),
                           int(option.textElideMode),
                           bool(option.isSectionDragTarget),
                           option.section};
    auto found = std::find_if(pictures_.begin(), pictures_.end(),
                              [&look](const SectionPicture& p) { return p.look == look; });
    if (found == pictures_.end()) {
        if (pictures_.size() >= kMostPictures) {
            pictures_.clear();
        }
        QPixmap picture(rect.size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(background.color());
        QPainter into(&picture);
        into.setFont(painter->font());
        into.setPen(painter->pen());
        style()->drawControl(QStyle::CE_Header, &option, &into, this);
        into.end();
        pictures_.push_back({look, picture});
        found = std::prev(pictures_.end());
    }
    painter->drawPixmap(rect.topLeft(), found->picture);
}

void GridHeader::changeEvent(QEvent* event) {
    // A new style may stand where the old one was: pictures it drew are not its own.
    if (event->type() == QEvent::StyleChange) {
        pictures_.clear();
    }
    QHeaderView::changeEvent(event);
}
