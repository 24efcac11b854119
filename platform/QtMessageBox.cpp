#include "QtMessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace vornak {

namespace {

QMessageBox::StandardButton toStandardButton(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    case MessageAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageAnswer::Ok:
        return QMessageBox::Ok;
    }
    return QMessageBox::NoButton;
}

void showOk(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& caption) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

MessageAnswer QtMessageBox::askYesNoCancel(QWidget* parent, const QString& text, const QString& caption,
                                           MessageAnswer defaultButton) {
    QMessageBox box(QMessageBox::NoIcon, caption, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    const QMessageBox::StandardButton preferred = toStandardButton(defaultButton);
    if (box.button(preferred) != nullptr) {
        box.setDefaultButton(preferred);
    }
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    if (clicked == box.button(QMessageBox::Yes)) {
        return MessageAnswer::Yes;
    }
    if (clicked == box.button(QMessageBox::No)) {
        return MessageAnswer::No;
    }
    return MessageAnswer::Cancel;
}

MessageAnswer QtMessageBox::askYesNo(QWidget* parent, const QString& text, const QString& caption,
                                     MessageAnswer defaultButton) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(defaultButton == MessageAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes) ? MessageAnswer::Yes : MessageAnswer::No;
}

int QtMessageBox::askChoice(QWidget* parent, const QString& text, const QString& caption,
                            const QStringList& buttons, int defaultButton, int escapeButton) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QList<QAbstractButton*> added;
    for (const QString& label : buttons) {
        added.append(box.addButton(label, QMessageBox::ActionRole));
    }
    if (defaultButton >= 0 && defaultButton < added.size()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(added.at(defaultButton)));
    }
    if (escapeButton >= 0 && escapeButton < added.size()) {
        box.setEscapeButton(added.at(escapeButton));
    }
    box.exec();
    const qsizetype chosen = added.indexOf(box.clickedButton());
    return chosen >= 0 ? static_cast<int>(chosen) : escapeButton;
}

void QtMessageBox::showError(QWidget* parent, const QString& text, const QString& caption) {
    showOk(parent, QMessageBox::Critical, text, caption);
}

void QtMessageBox::showInformation(QWidget* parent, const QString& text, const QString& caption) {
    showOk(parent, QMessageBox::Information, text, caption);
}

} // namespace vornak
