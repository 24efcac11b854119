#include "RecoveryDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vornak {

RecoveryAnswer RecoveryDialog::ask(QWidget* parent, const QString& text, const std::vector<RecoveryOffer>& offers) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Восстановление"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    layout->addWidget(label);

    auto* list = new QTreeWidget;
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("Файл"), QStringLiteral("Копия от"), QStringLiteral("Содержимое")});
    list->setAccessibleName(QStringLiteral("Копии несохраненных изменений"));
    for (const RecoveryOffer& offer : offers) {
        auto* item = new QTreeWidgetItem({offer.document, offer.time, offer.contents});
        item->setToolTip(0, offer.document);
        item->setToolTip(2, offer.contents);
        list->addTopLevelItem(item);
    }
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setCurrentItem(list->topLevelItem(0));
    label->setBuddy(list);
    layout->addWidget(list);

    auto* buttons = new QDialogButtonBox;
    QPushButton* restore = buttons->addButton(QStringLiteral("&Восстановить"), QDialogButtonBox::AcceptRole);
    QPushButton* remove = buttons->addButton(QStringLiteral("&Удалить…"), QDialogButtonBox::DestructiveRole);
    QPushButton* later = buttons->addButton(QStringLiteral("&Позже"), QDialogButtonBox::RejectRole);
    restore->setDefault(true);
    layout->addWidget(buttons);

    RecoveryAnswer answer;
    const auto chosen = [list] { return list->indexOfTopLevelItem(list->currentItem()); };
    const auto follow = [&] {
        const int index = chosen();
        restore->setEnabled(index >= 0 && offers[static_cast<std::size_t>(index)].restorable);
        remove->setEnabled(index >= 0);
    };
    QObject::connect(list, &QTreeWidget::currentItemChanged, &dialog, follow);
    QObject::connect(restore, &QPushButton::clicked, &dialog, [&] {
        answer = {RecoveryAnswer::Action::Restore, chosen()};
        dialog.accept();
    });
    QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
        answer = {RecoveryAnswer::Action::Remove, chosen()};
        dialog.accept();
    });
    QObject::connect(later, &QPushButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, restore, &QPushButton::click);
    follow();
    list->setFocus();
    dialog.resize(dialog.sizeHint().expandedTo(QSize(560, 0)));
    if (dialog.exec() != QDialog::Accepted || answer.index < 0) {
        return {};
    }
    return answer;
}

} // namespace vornak
