#include "WindowPlacement.h"

#include <algorithm>
#include <array>
#include <limits>

namespace vornak {

namespace {

long long overlapArea(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
}

int clampTo(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

} // namespace

QRect companionWindowPlace(const QRect& available, const QRect& main, const QSize& size) {
    if (available.isEmpty()) {
        return QRect(main.topLeft(), size);
    }
    const QSize fitted(std::clamp(size.width(), 1, available.width()),
                       std::clamp(size.height(), 1, available.height()));
    const int leftmost = available.left();
    const int rightmost = available.right() - fitted.width() + 1;
    const int topmost = available.top();
    const int bottommost = available.bottom() - fitted.height() + 1;

    // Beside the main window, its top or left edge in line with the main window's.
    const std::array<QPoint, 4> beside = {
        QPoint(main.right() + 1, main.top()), QPoint(main.left(), main.bottom() + 1),
        QPoint(main.left() - fitted.width(), main.top()), QPoint(main.left(), main.top() - fitted.height())};
    for (const QPoint& corner : beside) {
        const QRect place(QPoint(corner.x(), clampTo(corner.y(), topmost, bottommost)), fitted);
        const QRect lined(QPoint(clampTo(corner.x(), leftmost, rightmost), corner.y()), fitted);
        // Slid along the main window's side to stay on the screen, but not onto the main window.
        for (const QRect& candidate : {place, lined}) {
            if (available.contains(candidate) && !candidate.intersects(main)) {
                return candidate;
            }
        }
    }

    // No room beside it: against an edge of the screen, where the least of the main window is covered;
    // along that edge in line with the main window, or at either end of it.
    const int alongY = clampTo(main.top(), topmost, bottommost);
    const int alongX = clampTo(main.left(), leftmost, rightmost);
    const std::array<QPoint, 12> edges = {
        QPoint(rightmost, alongY),  QPoint(rightmost, topmost),   QPoint(rightmost, bottommost),
        QPoint(alongX, bottommost), QPoint(leftmost, bottommost), QPoint(rightmost, bottommost),
        QPoint(leftmost, alongY),   QPoint(leftmost, topmost),    QPoint(leftmost, bottommost),
        QPoint(alongX, topmost),    QPoint(leftmost, topmost),    QPoint(rightmost, topmost)};
    QRect best;
    long long least = std::numeric_limits<long long>::max();
    for (const QPoint& corner : edges) {
        const QRect candidate(corner, fitted);
        const long long covered = overlapArea(candidate, main);
        if (covered < least) {
            least = covered;
            best = candidate;
        }
    }
    return best;
}

} // namespace vornak
