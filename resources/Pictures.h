// The editor's pictures, icon and cursor, drawn for it and compiled in as Qt resources.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <optional>

namespace vornak {

// The colour the pictures use for "no colour": light grey, RGB(192, 192, 192).
inline constexpr unsigned pictureTransparentRgb = 0xC0C0C0u;

// The resource path of a bitmap (130, 131, 147..153), or empty for an unknown id.
QString bitmapResourcePath(int bitmapId);
// The bitmap as drawn, light grey included (a null image for an unknown id).
QImage bitmapImage(int bitmapId);
// The bitmap with light grey made transparent, ready for a button or a menu item; a null pixmap
// for an unknown id (a missing picture leaves the button or item without one).
QPixmap bitmapPixmap(int bitmapId);

// Icon 128 in all the sizes drawn for it.
QIcon applicationIcon();
QString applicationIconResourcePath(); // the 32 x 32 picture

// Cursor 23460, the pointing hand with its hot spot at the fingertip (5, 0); nothing when the
// picture cannot be loaded.
std::optional<QCursor> handCursor();
QString handCursorResourcePath();
inline constexpr int handCursorHotX = 5;
inline constexpr int handCursorHotY = 0;

} // namespace vornak
