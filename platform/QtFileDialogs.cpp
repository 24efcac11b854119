#include "QtFileDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace vornak {

namespace {

// The question QFileDialog asks itself, in its own (translatable) wording.
bool confirmReplace(QWidget* parent, const QString& path) {
    const QString text =
        QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
            .arg(QFileInfo(path).fileName());
    return QMessageBox::warning(parent, QString(), text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

} // namespace

std::optional<QString> QtFileDialogs::choose(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent);
    if (!request.caption.isEmpty()) {
        dialog.setWindowTitle(request.caption);
    }
    dialog.setAcceptMode(request.kind == FileDialogKind::Open ? QFileDialog::AcceptOpen
                                                              : QFileDialog::AcceptSave);
    // No dialog insists that the chosen file exists; opening a missing file fails like any other.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.askOverwrite);
    const QString filters = convertFilter(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters.split(QStringLiteral(";;")));
    }
    dialog.setDefaultSuffix(request.defaultExtension);
    if (!request.initialFileName.isEmpty()) {
        const QFileInfo initial(request.initialFileName);
        if (initial.path() != QLatin1String(".") || request.initialFileName.startsWith(QLatin1String("./"))) {
            dialog.setDirectory(initial.absolutePath());
        }
        dialog.selectFile(initial.fileName());
    }

    for (;;) {
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        const QStringList files = dialog.selectedFiles();
        if (files.isEmpty()) {
            return std::nullopt;
        }
        const QString chosen = QFileInfo(files.first()).absoluteFilePath();
        const QString path = appendDefaultExtension(chosen, request.defaultExtension);
        // A dialog that leaves the default extension to us has asked about the name without it;
        // ask again about the name that will really be written.
        if (path != chosen && request.kind == FileDialogKind::Save && request.askOverwrite &&
            QFileInfo::exists(path) && !confirmReplace(&dialog, path)) {
            dialog.selectFile(QFileInfo(path).fileName());
            continue;
        }
        return path;
    }
}

} // namespace vornak
