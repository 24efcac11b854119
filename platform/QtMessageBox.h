// Message boxes as the user sees them, on QMessageBox.
#pragma once

#include "MessageBox.h"

namespace vornak {

class QtMessageBox : public MessageBox {
public:
    MessageAnswer askYesNoCancel(QWidget* parent, const QString& text, const QString& caption,
                                 MessageAnswer defaultButton = MessageAnswer::Yes) override;
    MessageAnswer askYesNo(QWidget* parent, const QString& text, const QString& caption,
                           MessageAnswer defaultButton = MessageAnswer::No) override;
    int askChoice(QWidget* parent, const QString& text, const QString& caption, const QStringList& buttons,
                  int defaultButton, int escapeButton) override;
    void showError(QWidget* parent, const QString& text, const QString& caption) override;
    void showInformation(QWidget* parent, const QString& text, const QString& caption) override;
};

} // namespace vornak
