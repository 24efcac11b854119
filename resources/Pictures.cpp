#include "Pictures.h"

#include <QColor>

namespace vornak {

QString pictureResourcePath(Picture picture) {
    const char* name = nullptr;
    switch (picture) {
    case Picture::None:
        return QString();
    case Picture::Add:
        name = "add";
        break;
    case Picture::Delete:
        name = "delete";
        break;
    case Picture::OpenFolder:
        name = "open-folder";
        break;
    case Picture::Question:
        name = "question";
        break;
    case Picture::ParameterPage:
        name = "parameter-page";
        break;
    case Picture::Diskette:
        name = "diskette";
        break;
    case Picture::ValuePage:
        name = "value-page";
        break;
    case Picture::ResultPage:
        name = "result-page";
        break;
    case Picture::BlankPage:
        name = "blank-page";
        break;
    }
    return name == nullptr ? QString() : QStringLiteral(":/vornak/pictures/%1.xpm").arg(QLatin1String(name));
}

QImage pictureImage(Picture picture) {
    const QString path = pictureResourcePath(picture);
    return path.isEmpty() ? QImage() : QImage(path);
}

QPixmap picturePixmap(Picture picture) {
    QImage image = pictureImage(picture);
    if (image.isNull()) {
        return QPixmap();
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = qRgb(192, 192, 192);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0x00FFFFFFu) == (transparent & 0x00FFFFFFu)) {
                line[x] = 0;
            }
        }
    }
    return QPixmap::fromImage(image);
}

QString applicationIconResourcePath() {
    return QStringLiteral(":/vornak/pictures/vornak-32.xpm");
}

QIcon applicationIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/vornak/pictures/vornak-16.xpm"), QSize(16, 16));
    icon.addFile(applicationIconResourcePath(), QSize(32, 32));
    return icon;
}

QString handCursorResourcePath() {
    return QStringLiteral(":/vornak/pictures/hand-cursor.xpm");
}

std::optional<QCursor> handCursor() {
    const QPixmap picture(handCursorResourcePath());
    if (picture.isNull()) {
        return std::nullopt;
    }
    return QCursor(picture, handCursorHotX, handCursorHotY);
}

} // namespace vornak
