// Build helper: converts a picture (XPM) to PNG, for the icons installed with the desktop file.
// Usage: vornak_xpm2png input.xpm output.png [SIZE]
// With SIZE the picture is scaled to SIZE x SIZE: by whole multiples without smoothing, so that
// the drawn pixels stay sharp, otherwise smoothly.
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s input.xpm output.png [SIZE]\n", argv[0]);
        return 2;
    }
    QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    if (argc == 4) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[3]).toInt(&ok);
        if (!ok || size <= 0 || size > 4096) {
            std::fprintf(stderr, "not a size: %s\n", argv[3]);
            return 2;
        }
        if (size != image.width() || size != image.height()) {
            const bool wholeMultiple = size % image.width() == 0 && size % image.height() == 0;
            image = image.convertToFormat(QImage::Format_ARGB32)
                        .scaled(size, size, Qt::IgnoreAspectRatio,
                                wholeMultiple ? Qt::FastTransformation : Qt::SmoothTransformation);
        }
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
