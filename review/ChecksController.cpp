#include "ChecksController.h"

#include "ChecksWindow.h"
#include "ProblemCountLabel.h"

#include <QListWidget>

namespace vornak {

ChecksController::ChecksController(const ReportDefinition* definition, ProblemCountLabel* label,
                                   ChecksWindow* window, QObject* parent)
    : QObject(parent), definition_(definition), label_(label), window_(window) {
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &ChecksController::checkNow);
    if (window_) {
        connect(window_, &ChecksWindow::findingActivated, this, &ChecksController::findingActivated);
        // While hidden the window is not kept up to date; it catches up when it is shown.
        connect(window_, &ChecksWindow::shown, this, [this] { window_->setFindings(findings_); });
    }
    checkNow();
}

void ChecksController::setDefinition(const ReportDefinition* definition) {
    definition_ = definition;
    checkNow();
}

void ChecksController::scheduleCheck() {
    if (!timer_.isActive()) {
        timer_.start();
    }
}

void ChecksController::checkNow() {
    timer_.stop();
    findings_ = definition_ != nullptr ? checkDefinition(*definition_) : std::vector<Finding>{};
    if (label_) {
        label_->setCount(static_cast<int>(findings_.size()));
    }
    if (window_ && window_->isVisible()) {
        window_->setFindings(findings_);
    }
}

void ChecksController::showWindow() {
    if (!window_) {
        return;
    }
    if (timer_.isActive()) {
        checkNow();
    }
    if (!placed_) {
        // The first time over the lower part of its owner, where it covers the least of the lists.
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
