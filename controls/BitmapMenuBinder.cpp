#include "BitmapMenuBinder.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace {

const char commandIdProperty[] = "commandId";

// Which binder serves which window.
QHash<const QWidget*, BitmapMenuBinder*>& binders() {
    static QHash<const QWidget*, BitmapMenuBinder*> table;
    return table;
}

// The check mark and the bullet, at the style's indicator size, in the menu text colour.
std::shared_ptr<const MenuImageList> makeCheckImages() {
    const QStyle* style = QApplication::style();
    int width = style->pixelMetric(QStyle::PM_IndicatorWidth);
    int height = style->pixelMetric(QStyle::PM_IndicatorHeight);
    width = width > 0 ? width : 13;
    height = height > 0 ? height : 13;
    const QColor ink = menuColour(QApplication::palette("QMenu"), MenuColour::MenuText);

    QPixmap check(width, height);
    check.fill(Qt::transparent);
    {
        QPainter p(&check);
        p.setRenderHint(QPainter::Antialiasing);
        QPen pen(ink, std::max(1.5, width / 7.0));
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        QPainterPath tick;
        tick.moveTo(width * 0.22, height * 0.52);
        tick.lineTo(width * 0.42, height * 0.74);
        tick.lineTo(width * 0.80, height * 0.28);
        p.drawPath(tick);
    }
    QPixmap bullet(width, height);
    bullet.fill(Qt::transparent);
    {
        QPainter p(&bullet);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        const double radius = std::min(width, height) / 5.0;
        p.drawEllipse(QPointF(width / 2.0, height / 2.0), radius, radius);
    }
    return std::make_shared<const MenuImageList>(std::vector<QPixmap>{check, bullet});
}

} // namespace

BitmapMenuBinder::BitmapMenuBinder(QObject* parent) : QObject(parent), checkImages_(makeCheckImages()) {
}

BitmapMenuBinder::~BitmapMenuBinder() {
    ReleaseMenus();
    DetachWindow();
}

void BitmapMenuBinder::SetCommandRouting(HandlerLookup hasHandler, PopupUpdate beforeShow) {
    hasHandler_ = std::move(hasHandler);
    beforeShow_ = std::move(beforeShow);
}

bool BitmapMenuBinder::AttachWindow(QWidget* window) {
    if (window == nullptr || window_ != nullptr || binders().contains(window)) {
        return false;
    }
    window_ = window;
    binders().insert(window, this);
    windowGone_ = connect(window, &QObject::destroyed, this, [this] { Forget(); });
    Watch(window);
    ConnectPopups();
    return true;
}

bool BitmapMenuBinder::DetachWindow() {
    if (window_ == nullptr) {
        return false;
    }
    disconnect(windowGone_);
    window_->removeEventFilter(this);
    Forget();
    return true;
}

void BitmapMenuBinder::Forget() {
    for (const QMetaObject::Connection& connection : std::as_const(popups_)) {
        disconnect(connection);
    }
    for (auto it = watched_.cbegin(); it != watched_.cend(); ++it) {
        disconnect(it.value());
        if (it.key() != window_) {
            it.key()->removeEventFilter(this);
        }
    }
    popups_.clear();
    watched_.clear();
    binders().remove(window_);
    window_ = nullptr;
}

BitmapMenuBinder* BitmapMenuBinder::BinderOf(const QWidget* window) {
    return binders().value(window, nullptr);
}

void BitmapMenuBinder::Watch(QObject* object) {
    if (watched_.contains(object)) {
        return;
    }
    object->installEventFilter(this);
    QMetaObject::Connection gone;
    if (object != window_) {
        gone = connect(object, &QObject::destroyed, this, [this](QObject* dead) {
            watched_.remove(dead);
            popups_.remove(dead);
        });
    }
    watched_.insert(object, gone);
}

void BitmapMenuBinder::ConnectPopups() {
    if (window_ == nullptr) {
        return;
    }
    // The popups of the window's menu bar and their submenus; context menus of the window's
    // controls are theirs, not the window's, and stay as they are.
    const QList<QMenuBar*> bars = window_->findChildren<QMenuBar*>();
    for (QMenuBar* bar : bars) {
        Watch(bar);
        for (QAction* action : bar->actions()) {
            if (action->menu() != nullptr) {
                ConnectPopup(action->menu());
            }
        }
    }
}

void BitmapMenuBinder::ConnectPopup(QMenu* popup) {
    if (!popups_.contains(popup)) {
        popups_.insert(popup,
                       connect(popup, &QMenu::aboutToShow, this, [this, popup] { OnInitPopup(popup); }));
        Watch(popup);
    }
    for (QAction* action : popup->actions()) {
        if (action->menu() != nullptr && action->menu() != popup) {
            ConnectPopup(action->menu());
        }
    }
}

bool BitmapMenuBinder::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ChildAdded:
    case QEvent::ChildPolished:
        if (watched == window_) {
            ConnectPopups();
        }
        break;
    case QEvent::ActionAdded:
    case QEvent::ActionChanged:
        if (watched != window_) {
            ConnectPopups();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

int BitmapMenuBinder::CommandId(const QAction* item) {
    if (item == nullptr) {
        return 0;
    }
    const QVariant id = item->property(commandIdProperty);
    if (id.isValid()) {
        return id.toInt();
    }
    const QVariant data = item->data();
    return data.typeId() == QMetaType::Int ? data.toInt() : 0;
}

void BitmapMenuBinder::SetCommandId(QAction* item, int commandId) {
    if (item != nullptr) {
        item->setProperty(commandIdProperty, commandId);
    }
}

QString BitmapMenuBinder::ImageKey(int number, bool defaultCheck) {
    return QChar(0x7F) + QString::number(number) + QChar(defaultCheck ? 0x80 : 0x7F);
}

bool BitmapMenuBinder::SetCommandBitmap(int commandId, int bitmapId) {
    if (window_ == nullptr) {
        return false;
    }
    const auto existing = imageLists_.constFind(ImageKey(bitmapId));
    if (existing != imageLists_.constEnd()) {
        return StoreImage(commandId, *existing, 0);
    }
    if (!loader_) {
        return false;
    }
    const QImage bitmap = loader_(bitmapId);
    if (bitmap.isNull()) {
        return false;
    }
    const auto list = LoadList(
        ImageKey(bitmapId), [&] { return bitmap; }, bitmap.width());
    return list != nullptr && StoreImage(commandId, list, 0);
}

std::shared_ptr<const MenuImageList>
BitmapMenuBinder::LoadList(const QString& key, const std::function<QImage()>& load, int width) {
    const auto existing = imageLists_.constFind(key);
    if (existing != imageLists_.constEnd()) {
        return *existing;
    }
    if (width <= 0) {
        return nullptr;
    }
    const QImage picture = load();
    if (picture.isNull() || picture.width() < width) {
        return nullptr;
    }
    auto list = std::make_shared<const MenuImageList>(picture, width, MenuImageList::defaultMaskColour);
    imageLists_.insert(key, list);
    return list;
}

bool BitmapMenuBinder::StoreImage(int commandId, const std::shared_ptr<const MenuImageList>& list,
                                  int index) {
    if (index < 0 || index >= list->Count()) {
        return false;
    }
    commandImages_[commandId] = MenuImage{list, index, false, -1};
    return true;
}

const MenuImage* BitmapMenuBinder::CommandImage(int commandId) const {
    const auto it = commandImages_.find(commandId);
    return it == commandImages_.end() ? nullptr : &it->second;
}

MenuImage BitmapMenuBinder::ImageFor(int commandId) {
    const auto it = commandImages_.find(commandId);
    if (it != commandImages_.end()) {
        return it->second;
    }
    // No picture of its own: the check mark, shown only while the item is checked.
    const QString key = ImageKey(commandId, true);
    if (!imageLists_.contains(key)) {
        imageLists_.insert(key, checkImages_);
    }
    MenuImage image{imageLists_.value(key), 0, true, -1};
    commandImages_[commandId] = image;
    return image;
}

void BitmapMenuBinder::SetItemEnabled(QAction* item, bool enabled) {
    if (item != nullptr) {
        item->setEnabled(enabled);
        settledItems_.insert(item);
    }
}

void BitmapMenuBinder::OnInitPopup(QMenu* popup) {
    if (popup == nullptr) {
        return;
    }
    auto* menu = qobject_cast<BitmapMenu*>(popup);
    if (menu != nullptr &&
        std::none_of(menus_.begin(), menus_.end(), [&](const auto& m) { return m == menu; })) {
        menus_.emplace_back(menu);
    }
    UpdatePopupCommands(popup);
    if (menu == nullptr) {
        return;
    }
    // After the update pass, so that items it inserted are converted in the same opening.
    for (QAction* action : popup->actions()) {
        if (!action->isSeparator() && action->menu() == nullptr) {
            menu->ConvertItem(action, ImageFor(CommandId(action)));
        }
    }
    menu->DropStaleItems();
    menu->MeasureColumns();
}

void BitmapMenuBinder::UpdatePopupCommands(QMenu* popup) {
    settledItems_.clear();
    if (beforeShow_) {
        beforeShow_(popup);
    }
    if (hasHandler_ && autoMenuEnable_) {
        for (QAction* action : popup->actions()) {
            // Submenu items are never disabled by the pass.
            if (action->isSeparator() || action->menu() != nullptr || settledItems_.contains(action)) {
                continue;
            }
            const int id = CommandId(action);
            if (id == 0 || id >= firstFrameworkCommand) {
                continue;
            }
            action->setEnabled(hasHandler_(id));
        }
    }
    settledItems_.clear();
}

void BitmapMenuBinder::ReleaseMenus() {
    for (const QPointer<BitmapMenu>& menu : menus_) {
        if (menu != nullptr) {
            menu->Release();
        }
    }
    menus_.clear();
    imageLists_.clear();
    commandImages_.clear();
}
