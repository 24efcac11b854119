#include "Pictures.h"

#include "CommandIds.h"

#include <QColor>

namespace vornak {

QString bitmapResourcePath(int bitmapId) {
    switch (bitmapId) {
    case ids::BitmapAdd:
    case ids::BitmapDelete:
    case ids::BitmapOpenFolder:
    case ids::BitmapQuestion:
    case ids::BitmapParameterPage:
    case ids::BitmapDiskette:
    case ids::BitmapValuePage:
    case ids::BitmapResultPage:
    case ids::BitmapBlankPage:
        return QStringLiteral(":/vornak/pictures/bitmap%1.xpm").arg(bitmapId);
    default:
        return QString();
    }
}

QImage bitmapImage(int bitmapId) {
    const QString path = bitmapResourcePath(bitmapId);
    return path.isEmpty() ? QImage() : QImage(path);
}

QPixmap bitmapPixmap(int bitmapId) {
    QImage image = bitmapImage(bitmapId);
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
    return QStringLiteral(":/vornak/pictures/cursor23460.xpm");
}

std::optional<QCursor> handCursor() {
    const QPixmap picture(handCursorResourcePath());
    if (picture.isNull()) {
        return std::nullopt;
    }
    return QCursor(picture, handCursorHotX, handCursorHotY);
}

} // namespace vornak
