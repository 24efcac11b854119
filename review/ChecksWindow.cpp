#include "ChecksWindow.h"

#include "FindingText.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace vornak {

ChecksWindow::ChecksWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Проверка"));
    setObjectName(QStringLiteral("checksWindow"));
    list_ = new QListWidget(this);
    list_->setAccessibleName(QStringLiteral("Замечания"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    list_->setWordWrap(false);
    list_->setTextElideMode(Qt::ElideRight);
    list_->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(list_);
    resize(460, 240);

    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { activateRow(list_->row(item)); });
    setFindings({});
}

void ChecksWindow::setFindings(std::vector<Finding> findings) {
    // Most edits change no finding; a long list is then not rebuilt.
    if (findings == findings_ && list_->count() > 0) {
        return;
    }
    const int oldRow = selectedRow();
    std::optional<Finding> oldFinding;
    if (oldRow >= 0) {
        oldFinding = findings_[static_cast<std::size_t>(oldRow)];
    }
    findings_ = std::move(findings);

    list_->setUpdatesEnabled(false);
    list_->clear();
    if (findings_.empty()) {
        auto* item = new QListWidgetItem(QStringLiteral("Замечаний нет"), list_);
        item->setFlags(Qt::ItemIsEnabled);
    }
    for (const Finding& finding : findings_) {
        const QString text = findingText(finding);
        auto* item = new QListWidgetItem(text, list_);
        item->setToolTip(text);
    }
    list_->setUpdatesEnabled(true);

    if (!oldFinding) {
        return;
    }
    // The same finding, else one of the same kind in the same place (its number or detail moved
    // with an edit), else whatever now holds the old row.
    auto found = std::find(findings_.begin(), findings_.end(), *oldFinding);
    if (found == findings_.end()) {
        found = std::find_if(findings_.begin(), findings_.end(), [&](const Finding& f) {
            return f.kind == oldFinding->kind && f.where == oldFinding->where;
        });
    }
    if (found != findings_.end()) {
        selectRow(static_cast<int>(found - findings_.begin()));
    } else if (!findings_.empty()) {
        selectRow(std::min(oldRow, static_cast<int>(findings_.size()) - 1));
    }
}

int ChecksWindow::selectedRow() const {
    if (findings_.empty()) {
        return -1;
    }
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        return -1;
    }
    return list_->row(selected.front());
}

void ChecksWindow::selectRow(int row) {
    if (row < 0 || row >= static_cast<int>(findings_.size())) {
        list_->clearSelection();
        return;
    }
    list_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    list_->scrollToItem(list_->item(row));
}

void ChecksWindow::activateRow(int row) {
    if (row < 0 || row >= static_cast<int>(findings_.size())) {
        return;
    }
    emit findingActivated(findings_[static_cast<std::size_t>(row)].where);
}

bool ChecksWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            activateRow(list_->currentRow());
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            dismiss();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ChecksWindow::dismiss() {
    // In a panel of the main window, the panel decides what Escape hides; on its own, the window
    // closes.
    emit dismissed();
    if (isWindow()) {
        close();
    }
}

void ChecksWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit shown();
}

void ChecksWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace vornak
