#include "BitmapMenu.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

#include <algorithm>

QColor menuColour(const QPalette& palette, MenuColour which) {
    switch (which) {
    case MenuColour::Menu:
        return palette.color(QPalette::Active, QPalette::Window);
    case MenuColour::MenuText:
        return palette.color(QPalette::Active, QPalette::WindowText);
    case MenuColour::Highlight:
        return palette.color(QPalette::Active, QPalette::Highlight);
    case MenuColour::HighlightText:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case MenuColour::GrayText:
        return palette.color(QPalette::Disabled, QPalette::WindowText);
    case MenuColour::Hilight3D:
        return palette.color(QPalette::Active, QPalette::Light);
    case MenuColour::Shadow3D:
        return palette.color(QPalette::Active, QPalette::Dark);
    }
    return palette.color(QPalette::Window);
}

// ---- MenuImageList ----

MenuImageList::MenuImageList(const QImage& picture, int cellWidth, QRgb maskColour) {
    if (picture.isNull() || cellWidth <= 0) {
        return;
    }
    QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = maskColour & 0x00FFFFFF;
    for (int y = 0; y < source.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(source.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == mask) {
                line[x] = 0;
            }
        }
    }
    size_ = QSize(cellWidth, source.height());
    const int cells = source.width() / cellWidth;
    pictures_.reserve(static_cast<std::size_t>(cells));
    for (int i = 0; i < cells; ++i) {
        pictures_.push_back(QPixmap::fromImage(source.copy(i * cellWidth, 0, cellWidth, source.height())));
    }
}

MenuImageList::MenuImageList(std::vector<QPixmap> pictures) : pictures_(std::move(pictures)) {
    if (!pictures_.empty()) {
        size_ = pictures_.front().size();
    }
}

QPixmap MenuImageList::Picture(int index) const {
    if (index < 0 || index >= Count()) {
        return {};
    }
    return pictures_[static_cast<std::size_t>(index)];
}

// ---- the style that hands a converted menu's items to the menu ----

class BitmapMenuStyle : public QProxyStyle {
public:
    explicit BitmapMenuStyle(BitmapMenu* menu) : QProxyStyle(freshApplicationStyle()), menu_(menu) {}

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_MenuItem && widget == menu_) {
            if (const QAction* action = ownItem(option)) {
                return menu_->PlatformItemSize(action);
            }
        }
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuItem && widget == menu_ && ownItem(option) != nullptr) {
            menu_->DrawStyledItem(*painter, *qstyleoption_cast<const QStyleOptionMenuItem*>(option));
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        // The menu's own background is the menu colour, as under its items; the frame stays the platform's.
        if (element == PE_PanelMenu && widget == menu_) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            const int frame = pixelMetric(PM_MenuPanelWidth, option, widget);
            painter->fillRect(option->rect.adjusted(frame, frame, -frame, -frame),
                              menuColour(menu_->palette(), MenuColour::Menu));
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        // Items stay inside the panel's border line, which styles that draw it with the panel do
        // not count as panel width.
        if (metric == PM_MenuPanelWidth && widget == menu_) {
            return std::max(1, QProxyStyle::pixelMetric(metric, option, widget));
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        // A disabled item can be selected with the keyboard, and is then drawn grey on the highlight.
        if (hint == SH_Menu_AllowActiveAndDisabled && widget == menu_) {
            return 1;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    // A fresh instance of the application's style (the proxy owns its base).
    static QStyle* freshApplicationStyle() {
        QStyle* style = QStyleFactory::create(QApplication::style()->name());
        return style; // nullptr: QProxyStyle falls back to the default style
    }

    const QAction* ownItem(const QStyleOption* option) const {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (item == nullptr || !menu_->IsConverted() ||
            item->menuItemType == QStyleOptionMenuItem::Separator) {
            return nullptr;
        }
        const QAction* action = menu_->StyledAction();
        return action != nullptr && menu_->ItemData(action) != nullptr ? action : nullptr;
    }

    BitmapMenu* menu_;
};

// ---- BitmapMenu ----

namespace {

constexpr int leftGap = 2;        // before the picture
constexpr int pictureGap = 4;     // between the picture column and the label
constexpr int acceleratorGap = 2; // between label and shortcut, when some item has a shortcut
constexpr int rightMargin = 3;
constexpr int textPadding = 4; // added to the text height
constexpr int picturePadding = 2 + 3;
constexpr int frameGrowth = 2;

constexpr int textFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;

QRect fromEdges(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

int right(const QRect& r) {
    return r.x() + r.width();
}

int bottom(const QRect& r) {
    return r.y() + r.height();
}

} // namespace

BitmapMenu::BitmapMenu(QWidget* parent) : QMenu(parent) {
}

BitmapMenu::BitmapMenu(const QString& title, QWidget* parent) : QMenu(title, parent) {
}

BitmapMenu::~BitmapMenu() {
    if (converted_) {
        setStyle(nullptr);
    }
}

const MenuItemData* BitmapMenu::ItemData(const QAction* action) const {
    const auto it = items_.find(action);
    return it == items_.end() ? nullptr : &it->second;
}

bool BitmapMenu::ConvertItem(QAction* action, const MenuImage& image) {
    if (action == nullptr || action->isSeparator() || action->menu() != nullptr ||
        !actions().contains(action)) {
        return false;
    }
    if (!converted_) {
        converted_ = true;
        style_ = std::make_unique<BitmapMenuStyle>(this);
        setStyle(style_.get());
    }
    MenuItemData& data = items_[action];
    data.image = image;
    data.text = action->text();
    return true;
}

void BitmapMenu::DropStaleItems() {
    const QList<QAction*> current = actions();
    std::erase_if(items_,
                  [&](const auto& entry) { return !current.contains(const_cast<QAction*>(entry.first)); });
}

void BitmapMenu::MeasureColumns() {
    if (!converted_) {
        return;
    }
    const int before[] = {imageWidth_, textHeight_, acceleratorWidth_, labelWidth_};
    const QFontMetrics metrics(font());
    for (QAction* action : actions()) {
        const MenuItemData* data = ItemData(action);
        if (data == nullptr || action->isSeparator() || !action->isVisible()) {
            continue;
        }
        if (data->image.imageList) {
            imageWidth_ = std::max(imageWidth_, data->image.Size().width());
        }
        labelWidth_ = std::max(labelWidth_, metrics.size(textFlags, LabelOf(data->text)).width());
        const QString accelerator = AcceleratorOf(data->text);
        if (!accelerator.isEmpty()) {
            acceleratorWidth_ = std::max(acceleratorWidth_, metrics.size(textFlags, accelerator).width());
        }
    }
    // The extent of "A": the font's height, ascent plus descent.
    textHeight_ = metrics.height();
    const int after[] = {imageWidth_, textHeight_, acceleratorWidth_, labelWidth_};
    if (!std::equal(std::begin(before), std::end(before), std::begin(after))) {
        Relayout();
    }
}

void BitmapMenu::Release() {
    if (!converted_) {
        return;
    }
    items_.clear();
    imageWidth_ = textHeight_ = acceleratorWidth_ = labelWidth_ = 0;
    converted_ = false;
    setStyle(nullptr);
    style_.reset();
    styledAction_ = nullptr;
}

void BitmapMenu::Relayout() {
    // QMenu keeps its item rectangles until something it watches changes; a style change is one.
    QEvent change(QEvent::StyleChange);
    changeEvent(&change);
}

QSize BitmapMenu::MeasureItem(const QAction* action) const {
    const MenuItemData* data = ItemData(action);
    const int pictureHeight = data != nullptr ? data->image.Size().height() : 0;
    const int width = imageWidth_ + leftGap + pictureGap + labelWidth_ +
                      (acceleratorWidth_ > 0 ? acceleratorGap : 0) + acceleratorWidth_ + rightMargin;
    const int height = std::max(textHeight_ + textPadding, pictureHeight + picturePadding);
    return {width, height};
}

int BitmapMenu::PlatformShortcutAllowance() const {
    const QFontMetrics metrics = fontMetrics();
    int allowance = 0;
    for (const QAction* action : actions()) {
        if (!action->isVisible() || action->isSeparator()) {
            continue;
        }
        const QString text = action->text();
        const qsizetype tab = text.indexOf(u'\t');
        if (tab >= 0) {
            allowance = std::max(allowance, metrics.horizontalAdvance(text.mid(tab + 1)));
        }
    }
    return allowance;
}

QSize BitmapMenu::PlatformItemSize(const QAction* action) const {
    QSize size = MeasureItem(action);
    size.setWidth(size.width() - PlatformShortcutAllowance());
    return size;
}

void BitmapMenu::initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const {
    QMenu::initStyleOption(option, action);
    styledAction_ = action;
}

void BitmapMenu::DrawStyledItem(QPainter& painter, const QStyleOptionMenuItem& option) {
    const QAction* action = StyledAction();
    unsigned state = StateNone;
    if (option.state & QStyle::State_Selected) {
        state |= StateSelected;
    }
    if (!(option.state & QStyle::State_Enabled)) {
        state |= StateDisabled;
    }
    if (action->isCheckable() && action->isChecked()) {
        state |= StateChecked;
    }
    DrawItem(painter, action, option.rect, state);
}

void BitmapMenu::DrawItem(QPainter& painter, const QAction* action, const QRect& item, unsigned state) {
    const MenuItemData* data = ItemData(action);
    if (data == nullptr) {
        return;
    }
    const MenuImage* image = data->image.imageList ? &data->image : nullptr;
    painter.save();
    painter.setFont(font());
    // What the system erases the item with before an owner draws it.
    painter.fillRect(item, menuColour(palette(), MenuColour::Menu));
    const ItemLayout layout = LayoutItem(image, item);
    FillItemBackground(painter, state, image, item, layout.frame);
    DrawImageEdge(painter, state, image, layout.frame);
    DrawItemImage(painter, state, image, layout.picture);
    DrawItemLabel(painter, state, data->text, layout.label, layout.accelerator);
    painter.restore();
}

BitmapMenu::ItemLayout BitmapMenu::LayoutItem(const MenuImage* image, const QRect& item) const {
    ItemLayout layout;
    const int itemHeight = item.height();
    if (image != nullptr) {
        const QSize size = image->Size();
        layout.picture = QRect(item.x() + leftGap, item.y() + (itemHeight - size.height()) / 2, size.width(),
                               size.height());
        layout.frame = layout.picture.adjusted(-frameGrowth, -frameGrowth, frameGrowth, frameGrowth);
    }
    const int labelLeft = item.x() + imageWidth_ + pictureGap + leftGap;
    const int inset = (itemHeight - textHeight_) / 2;
    layout.label = fromEdges(labelLeft, item.y() + inset, labelLeft + labelWidth_, bottom(item) - inset);

    int acceleratorRight = right(item) - rightMargin;
    int acceleratorLeft = acceleratorRight - acceleratorWidth_;
    const int shift = -((acceleratorLeft - right(layout.label)) / 2);
    acceleratorLeft += shift;
    acceleratorRight += shift;
    layout.accelerator = fromEdges(acceleratorLeft, layout.label.y(), acceleratorRight, bottom(layout.label));
    return layout;
}

void BitmapMenu::FillItemBackground(QPainter& painter, unsigned state, const MenuImage* image,
                                       const QRect& item, const QRect& frame) const {
    const bool selected = (state & StateSelected) != 0;
    const bool checked = (state & StateChecked) != 0;
    const bool checkOnly = image != nullptr && image->checkOnly;
    const QPalette& colours = palette();

    MenuColour pictureColour = MenuColour::Menu;
    if (selected) {
        pictureColour = checked ? MenuColour::Menu : (checkOnly ? MenuColour::Highlight : MenuColour::Menu);
    } else if (checked) {
        pictureColour = MenuColour::Hilight3D;
    }
    if (!frame.isEmpty()) {
        painter.fillRect(frame, menuColour(colours, pictureColour));
    }

    const int e = checked ? 2 : (checkOnly ? -1 : 1);
    int left = item.x() + imageWidth_ + e + 2;
    if (!frame.isEmpty()) {
        left = std::max(left, right(frame));
    }
    const QRect labelArea = fromEdges(left, item.y(), right(item), bottom(item) - 1);
    if (!labelArea.isEmpty()) {
        painter.fillRect(labelArea, menuColour(colours, selected ? MenuColour::Highlight : MenuColour::Menu));
    }
}

void BitmapMenu::DrawImageEdge(QPainter& painter, unsigned state, const MenuImage* image,
                                  const QRect& frame) const {
    if (frame.isEmpty()) {
        return;
    }
    const bool selected = (state & StateSelected) != 0;
    const bool disabled = (state & StateDisabled) != 0;
    const bool checked = (state & StateChecked) != 0;
    const bool checkOnly = image != nullptr && image->checkOnly;
    enum { NoEdge, Sunken, Raised } edge = NoEdge;
    if (selected && !disabled) {
        edge = checked ? Sunken : (checkOnly ? NoEdge : Raised);
    } else if (checked) {
        edge = Sunken;
    }
    if (edge == NoEdge) {
        return;
    }
    const QColor light = menuColour(palette(), MenuColour::Hilight3D);
    const QColor dark = menuColour(palette(), MenuColour::Shadow3D);
    const QColor topLeft = edge == Sunken ? dark : light;
    const QColor bottomRight = edge == Sunken ? light : dark;
    const int l = frame.x();
    const int t = frame.y();
    const int r = right(frame) - 1;
    const int b = bottom(frame) - 1;
    painter.fillRect(QRect(l, t, r - l, 1), topLeft);         // top
    painter.fillRect(QRect(l, t, 1, b - t), topLeft);         // left
    painter.fillRect(QRect(l, b, r - l + 1, 1), bottomRight); // bottom
    painter.fillRect(QRect(r, t, 1, b - t + 1), bottomRight); // right
}

void BitmapMenu::DrawItemImage(QPainter& painter, unsigned state, const MenuImage* image,
                                  const QRect& picture) const {
    if (image == nullptr || (image->checkOnly && !(state & StateChecked))) {
        return;
    }
    int index = image->imageIndex;
    if ((state & StateSelected) && image->selectedImageIndex != -1) {
        index = image->selectedImageIndex;
    }
    const QPixmap pixmap = image->imageList->Picture(index);
    if (pixmap.isNull()) {
        return;
    }
    if (state & StateDisabled) {
        painter.drawPixmap(picture.topLeft(), Embossed(pixmap, palette()));
    } else {
        painter.drawPixmap(picture.topLeft(), pixmap);
    }
}

void BitmapMenu::DrawItemLabel(QPainter& painter, unsigned state, const QString& text, const QRect& label,
                                  const QRect& accelerator) const {
    const bool selected = (state & StateSelected) != 0;
    const bool disabled = (state & StateDisabled) != 0;
    const QPalette& colours = palette();
    const QColor textColour =
        menuColour(colours, disabled ? MenuColour::GrayText
                                     : (selected ? MenuColour::HighlightText : MenuColour::MenuText));
    const bool embossed = disabled && !selected;

    const auto draw = [&](const QRect& where, const QString& part) {
        if (embossed) {
            painter.setPen(menuColour(colours, MenuColour::Hilight3D));
            painter.drawText(where.translated(1, 1), Qt::AlignLeft | Qt::AlignTop | textFlags, part);
            painter.setPen(menuColour(colours, MenuColour::Shadow3D));
        } else {
            painter.setPen(textColour);
        }
        painter.drawText(where, Qt::AlignLeft | Qt::AlignTop | textFlags, part);
    };

    painter.save();
    draw(label, LabelOf(text));
    const QString shortcut = AcceleratorOf(text);
    if (!shortcut.isEmpty()) {
        const int width = QFontMetrics(painter.font()).size(textFlags, shortcut).width();
        draw(QRect(right(accelerator) - width, accelerator.y(), width, accelerator.height()), shortcut);
    }
    painter.restore();
}

QString BitmapMenu::LabelOf(const QString& text) {
    const qsizetype tab = text.indexOf(u'\t');
    return tab < 0 ? text : text.left(tab);
}

QString BitmapMenu::AcceleratorOf(const QString& text) {
    const qsizetype tab = text.indexOf(u'\t');
    return tab < 0 ? QString() : text.mid(tab + 1);
}

QPixmap BitmapMenu::Embossed(const QPixmap& picture, const QPalette& palette) {
    const QImage source = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    QImage ink(source.size(), QImage::Format_ARGB32);
    ink.fill(Qt::transparent);
    for (int y = 0; y < source.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(ink.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const QRgb p = from[x];
            const bool nearWhite = qRed(p) >= 0xF0 && qGreen(p) >= 0xF0 && qBlue(p) >= 0xF0;
            if (qAlpha(p) >= 0x80 && !nearWhite) {
                to[x] = 0xFF000000;
            }
        }
    }
    const auto tinted = [&](const QColor& colour) {
        QImage copy = ink;
        QPainter p(&copy);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(copy.rect(), colour);
        return copy;
    };
    QImage result(source.size(), QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    {
        QPainter p(&result);
        p.drawImage(QPoint(1, 1), tinted(menuColour(palette, MenuColour::Hilight3D)));
        p.drawImage(QPoint(0, 0), tinted(menuColour(palette, MenuColour::Shadow3D)));
    }
    return QPixmap::fromImage(result);
}
