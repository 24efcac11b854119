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

// The small pictures of the buttons and menu items.
enum class Picture {
    None,          // no picture
    Add,           // 16 x 15, dashed rectangle with a yellow spark
    Delete,        // 16 x 15, red cross
    OpenFolder,    // 16 x 16, opened folder
    Question,      // 16 x 16, yellow question mark
    ParameterPage, // 16 x 16, page with the letter П
    Diskette,      // 16 x 16, diskette
    ValuePage,     // 16 x 16, page with the letter З
    ResultPage,    // 16 x 16, page with the letter Р
    BlankPage,     // 16 x 16, blank page
};

// The resource path of a picture, or empty for Picture::None.
QString pictureResourcePath(Picture picture);
// The picture as drawn, light grey included (a null image for Picture::None).
QImage pictureImage(Picture picture);
// The picture with light grey made transparent, ready for a button or a menu item; a null pixmap
// for Picture::None (the button or item then has no picture).
QPixmap picturePixmap(Picture picture);

// The application icon in all the sizes drawn for it.
QIcon applicationIcon();
QString applicationIconResourcePath(); // the 32 x 32 picture

// The pointing hand with its hot spot at the fingertip (5, 0); nothing when the
// picture cannot be loaded.
std::optional<QCursor> handCursor();
QString handCursorResourcePath();
inline constexpr int handCursorHotX = 5;
inline constexpr int handCursorHotY = 0;

} // namespace vornak
