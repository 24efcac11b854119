#include "ComparisonWindow.h"

#include "DefinitionDocument.h"
#include "DifferenceText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vornak {

ComparisonWindow::ComparisonWindow(DefinitionDocument& document, ReportDefinition other, const QString& fileName,
                                   QWidget* parent)
    : QDialog(parent), document_(document), other_(std::move(other)) {
    setObjectName(QStringLiteral("comparisonWindow"));
    setWindowTitle(QStringLiteral("Сравнение с файлом «%1»").arg(fileName));
    setModal(false);
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("differenceList"));
    list_->setAccessibleName(QStringLiteral("Отличия"));
    list_->setUniformItemSizes(true);
    summary_->setBuddy(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    resize(560, 320);

    connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { activate(list_->row(item)); });
    // A burst of changes (a paste, a replace of all) compares once, when the loop is free again.
    connect(&document_, &DefinitionDocument::definitionChanged, this, &ComparisonWindow::scheduleRefresh);
    connect(&document_, &DefinitionDocument::documentReset, this, &ComparisonWindow::scheduleRefresh);
    refresh();
}

void ComparisonWindow::scheduleRefresh() {
    if (refreshPending_) {
        return;
    }
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (refreshPending_) {
            refresh();
        }
    });
}

void ComparisonWindow::refresh() {
    refreshPending_ = false;
    const int current = list_->currentRow();
    differences_ = compareDefinitions(other_, document_.definition());
    list_->clear();
    for (const Difference& difference : differences_) {
        list_->addItem(QString::fromStdString(describeDifference(difference)));
    }
    summary_->setText(differences_.empty() ? QStringLiteral("Отличий от файла нет.")
                                           : QStringLiteral("Отличий от файла: %1. Двойной щелчок или Enter "
                                                            "показывает место в окне редактора.")
                                                 .arg(differences_.size()));
    if (!differences_.empty()) {
        list_->setCurrentRow(std::clamp(current, 0, static_cast<int>(differences_.size()) - 1));
    }
}

void ComparisonWindow::activate(int row) {
    if (row < 0 || row >= static_cast<int>(differences_.size())) {
        return;
    }
    if (const std::optional<TextLocation> where =
            differenceLocation(differences_[static_cast<std::size_t>(row)], document_.definition())) {
        emit placeActivated(*where);
    }
}

} // namespace vornak
