#include "ChecksController.h"

#include "ChecksWindow.h"
#include "ProblemCountLabel.h"

#include <QListWidget>

#include <algorithm>

namespace vornak {

ChecksController::ChecksController(const ReportDefinition* definition, ProblemCountLabel* label,
                                   ChecksWindow* window, QObject* parent)
    : QObject(parent), definition_(definition), label_(label), window_(window) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ChecksController::checkNow);
    if (window_) {
        connect(window_, &ChecksWindow::findingActivated, this, &ChecksController::passOn);
        // While hidden the window is not kept up to date; it catches up when it is shown.
        connect(window_, &ChecksWindow::shown, this, [this] { window_->setFindings(findings_); });
    }
    checkNow();
}

void ChecksController::setDefinition(const ReportDefinition* definition) {
    definition_ = definition;
    checkNow();
}

std::chrono::milliseconds ChecksController::delayAfter(std::chrono::nanoseconds lastCheck) {
    // Room is kept for the event handling and painting that follow a check.
    constexpr std::chrono::milliseconds aside{50};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(followWithin - aside - lastCheck);
    return std::clamp(left, shortestDelay, longestDelay);
}

void ChecksController::setDelay(std::chrono::milliseconds delay) {
    fixedDelay_ = delay;
}

std::chrono::milliseconds ChecksController::delay() const {
    return fixedDelay_ ? *fixedDelay_ : delayAfter(lastCheck_);
}

void ChecksController::scheduleCheck() {
    timer_.start(delay()); // from now: the check waits until the changes pause
}

void ChecksController::runPendingCheck() {
    if (timer_.isActive()) {
        checkNow();
    }
}

void ChecksController::passOn(const TextLocation& where) {
    // A finding picked while a check is due may name a place that has moved or gone since: the
    // findings are brought up to date first, and only a finding that still stands is followed.
    if (timer_.isActive()) {
        checkNow();
        const bool stands = std::any_of(findings_.begin(), findings_.end(),
                                        [&](const Finding& finding) { return finding.where == where; });
        if (!stands) {
            return;
        }
    }
    emit findingActivated(where);
}

void ChecksController::checkNow() {
    timer_.stop();
    const auto started = std::chrono::steady_clock::now();
    findings_ = definition_ != nullptr ? checkDefinition(*definition_) : std::vector<Finding>{};
    lastCheck_ = std::chrono::steady_clock::now() - started;
    if (label_) {
        label_->setCount(static_cast<int>(findings_.size()));
    }
    if (window_ && window_->isVisible()) {
        window_->setFindings(findings_);
    }
    emit checked();
}

void ChecksController::showWindow() {
    if (!window_) {
        return;
    }
    runPendingCheck();
    if (!placed_ && window_->isWindow()) {
        // The first time over the lower part of its owner, where it covers the least of the lists.
        // (A panel inside a window is placed by its window's layout: moved, its list would leave
        // the panel's visible area until the next resize.)
        placed_ = true;
        if (const QWidget* owner = window_->parentWidget()) {
            const QRect area = owner->frameGeometry();
            window_->move(area.center().x() - window_->width() / 2,
                          area.bottom() - window_->height() - area.height() / 8);
        }
    }
    window_->show();
    window_->setFindings(findings_);
    if (window_->selectedRow() < 0 && !findings_.empty()) {
        window_->selectRow(0);
    }
    window_->raise();
    window_->activateWindow();
    window_->list()->setFocus();
}

} // namespace vornak
