// Converts template positions and sizes in dialog units to pixels with the dialog font's base
// units: x * baseX / 4 and y * baseY / 8, baseX the average width of A-Z and a-z, baseY the font's
// height. A window laid out this way keeps its template's proportions in any font.
#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace vornak {

class DialogUnits {
public:
    // Base units measured from the font.
    explicit DialogUnits(const QFont& font);
    // Base units given directly (baseX and baseY above 0).
    DialogUnits(int baseX, int baseY);

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }

    int toPixelsX(int dialogUnits) const;
    int toPixelsY(int dialogUnits) const;
    QPoint toPixels(QPoint dialogUnits) const;
    QSize toPixels(QSize dialogUnits) const;
    // Both corners are converted, so adjacent controls stay adjacent after rounding.
    QRect toPixels(const QRect& dialogUnits) const;

    // The font a template names: the face (with "Times New Roman" resolved to its metric twin,
    // Liberation Serif, where the original is not installed) at the given point size.
    static QFont templateFont(const QString& face, int pointSize);
    // The installed family that stands in for a template's face name.
    static QString resolveFace(const QString& face);

private:
    int baseX_;
    int baseY_;
};

} // namespace vornak
