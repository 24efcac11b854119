// BitmapMenuBinder: gives a window's menus their pictures. Every time a popup of the attached
// window's menu bar is about to open it runs the command-update pass (items are enabled exactly
// when the routing has a handler; the caller's update hook refreshes items such as the recent
// files first), then converts the popup's items, new ones included, for BitmapMenu's drawing
// and measures its columns. It keeps the pictures of the commands, one image list per source.
#pragma once

#include "BitmapMenu.h"

#include <QHash>
#include <QImage>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class QAction;
class QMenu;
class QWidget;

class BitmapMenuBinder : public QObject {
    Q_OBJECT

public:
    // The picture of a bitmap resource, or a null image when there is none.
    using BitmapLoader = std::function<QImage(int bitmapId)>;
    // The routing table's answer: does some handler exist for the command?
    using HandlerLookup = std::function<bool(int commandId)>;
    // Runs first in the update pass of a popup: it may insert, remove and retext items, and settle
    // an item's enabled state with SetItemEnabled, which the pass then leaves alone.
    using PopupUpdate = std::function<void(QMenu* popup)>;

    // Commands from this id on (the framework's own) are never enabled or disabled by the pass.
    static constexpr int firstFrameworkCommand = 0xF000;

    explicit BitmapMenuBinder(QObject* parent = nullptr);
    ~BitmapMenuBinder() override;
    BitmapMenuBinder(const BitmapMenuBinder&) = delete;
    BitmapMenuBinder& operator=(const BitmapMenuBinder&) = delete;

    void SetBitmapLoader(BitmapLoader loader) { loader_ = std::move(loader); }
    // Without a handler lookup the pass enables and disables nothing by itself.
    void SetCommandRouting(HandlerLookup hasHandler, PopupUpdate beforeShow = {});
    // Whether items without an update decision follow the handler lookup (on by default).
    void SetAutoMenuEnable(bool on) { autoMenuEnable_ = on; }

    // Starts serving the window's menus. False when a window is already attached, none is given,
    // or the window is served by another binder.
    bool AttachWindow(QWidget* window);
    // Stops serving the attached window; returns whether one was attached.
    bool DetachWindow();
    QWidget* AttachedWindow() const { return window_; }
    // The binder serving a window, or nullptr.
    static BitmapMenuBinder* BinderOf(const QWidget* window);

    // Gives the command the first picture of bitmap resource bitmapId, as wide as the bitmap.
    // False when no window is attached or the bitmap cannot be loaded.
    bool SetCommandBitmap(int commandId, int bitmapId);

    // For the update hook: settles the item's enabled state for this pass.
    void SetItemEnabled(QAction* item, bool enabled);

    // The command id an item runs (0 for none); menus built for the binder store it with SetCommandId.
    static int CommandId(const QAction* item);
    static void SetCommandId(QAction* item, int commandId);

    // Keys of the image lists: "\x7F" + decimal number + "\x7F" for a bitmap resource, + "\x80" for
    // the default check picture of a command.
    static QString ImageKey(int number, bool defaultCheck = false);

    // The picture a command has now, or nullptr.
    const MenuImage* CommandImage(int commandId) const;
    // Size of the check pictures (the style's indicator size).
    QSize CheckImageSize() const { return checkImages_->PictureSize(); }
    // The check pictures: 0 the check mark, 1 the bullet.
    std::shared_ptr<const MenuImageList> CheckImages() const { return checkImages_; }

    // What happens when a popup of the window opens: the update pass, then (for a BitmapMenu)
    // the conversion of its items and the measuring of its columns.
    void OnInitPopup(QMenu* popup);
    void UpdatePopupCommands(QMenu* popup);
    // Drops every picture and returns every converted popup to the platform's drawing.
    void ReleaseMenus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectPopups();
    void ConnectPopup(QMenu* popup);
    void Forget();
    void Watch(QObject* object);
    std::shared_ptr<const MenuImageList> LoadList(const QString& key, const std::function<QImage()>& load,
                                                  int width);
    bool StoreImage(int commandId, const std::shared_ptr<const MenuImageList>& list, int index);
    MenuImage ImageFor(int commandId);

    BitmapLoader loader_;
    HandlerLookup hasHandler_;
    PopupUpdate beforeShow_;
    bool autoMenuEnable_ = true;

    QHash<QString, std::shared_ptr<const MenuImageList>> imageLists_;
    std::unordered_map<int, MenuImage> commandImages_;
    std::shared_ptr<const MenuImageList> checkImages_;

    QWidget* window_ = nullptr;
    QMetaObject::Connection windowGone_;
    QHash<QObject*, QMetaObject::Connection> popups_;
    QHash<QObject*, QMetaObject::Connection> watched_; // with the connection that forgets it when gone
    std::vector<QPointer<BitmapMenu>> menus_;
    QSet<QAction*> settledItems_;
};
