// The file dialogs as the user sees them, on QFileDialog.
#pragma once

#include "FileDialogs.h"

namespace vornak {

class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> choose(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QByteArray> chooseNative(QWidget* parent, const FileDialogRequest& request) override;
};

} // namespace vornak
