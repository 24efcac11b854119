#include "DialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <algorithm>

namespace vornak {

namespace {

// x * numerator / denominator rounded to the nearest integer, halves away from zero.
int scaleRounded(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    const long long rounded =
        product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return static_cast<int>(rounded);
}

bool isInstalled(const QString& family) {
    const QStringList families = QFontDatabase::families();
    return std::any_of(families.begin(), families.end(),
                       [&](const QString& f) { return f.compare(family, Qt::CaseInsensitive) == 0; });
}

} // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int width = metrics.horizontalAdvance(alphabet);
    baseX_ = std::max(1, (width + 26) / 52);
    baseY_ = std::max(1, metrics.height());
}

DialogUnits::DialogUnits(int baseX, int baseY) : baseX_(std::max(1, baseX)), baseY_(std::max(1, baseY)) {
}

int DialogUnits::toPixelsX(int dialogUnits) const {
    return scaleRounded(dialogUnits, baseX_, 4);
}

int DialogUnits::toPixelsY(int dialogUnits) const {
    return scaleRounded(dialogUnits, baseY_, 8);
}

QPoint DialogUnits::toPixels(QPoint dialogUnits) const {
    return QPoint(toPixelsX(dialogUnits.x()), toPixelsY(dialogUnits.y()));
}

QSize DialogUnits::toPixels(QSize dialogUnits) const {
    return QSize(toPixelsX(dialogUnits.width()), toPixelsY(dialogUnits.height()));
}

QRect DialogUnits::toPixels(const QRect& dialogUnits) const {
    const int left = toPixelsX(dialogUnits.x());
    const int top = toPixelsY(dialogUnits.y());
    const int right = toPixelsX(dialogUnits.x() + dialogUnits.width());
    const int bottom = toPixelsY(dialogUnits.y() + dialogUnits.height());
    return QRect(left, top, right - left, bottom - top);
}

QString DialogUnits::resolveFace(const QString& face) {
    if (isInstalled(face)) {
        return face;
    }
    // Metric-compatible stand-ins for the faces the templates name.
    static const std::pair<QString, QString> standIns[] = {
        {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")},
    };
    for (const auto& [original, standIn] : standIns) {
        if (face.compare(original, Qt::CaseInsensitive) == 0 && isInstalled(standIn)) {
            return standIn;
        }
    }
    return face;
}

QFont DialogUnits::templateFont(const QString& face, int pointSize) {
    QFont font(resolveFace(face));
    font.setPointSize(pointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

} // namespace vornak
