#include "QtFileDialogs.h"

#include "NativePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include <filesystem>
#include <system_error>

namespace vornak {

namespace {

// The question QFileDialog asks itself, in its own (translatable) wording.
bool confirmReplace(QWidget* parent, const QString& fileName) {
    const QString text =
        QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
            .arg(fileName);
    return QMessageBox::warning(parent, QString(), text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

bool exists(const QByteArray& path) {
    std::error_code error;
    return std::filesystem::symlink_status(corePath(path), error).type() !=
               std::filesystem::file_type::not_found &&
           !error;
}

} // namespace

std::optional<QString> QtFileDialogs::choose(QWidget* parent, const FileDialogRequest& request) {
    const std::optional<QByteArray> path = chooseNative(parent, request);
    if (!path) {
        return std::nullopt;
    }
    return QFile::decodeName(*path);
}

std::optional<QByteArray> QtFileDialogs::chooseNative(QWidget* parent, const FileDialogRequest& request) {
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
    if (!request.initialNativePath.isEmpty()) {
        // The folder as the system decodes it (the dialog lists it that way); the name as it is
        // shown everywhere else, odd bytes and all, and taken back as those bytes.
        const QByteArray folder = nativeFolder(absoluteNativePath(request.initialNativePath));
        dialog.setDirectory(QFile::decodeName(folder));
        dialog.selectFile(displayFileName(request.initialNativePath));
    } else if (!request.initialFileName.isEmpty()) {
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
        const QString text = appendDefaultExtension(chosen, request.defaultExtension);
        const QByteArray path = nativeChoice(text, request.initialNativePath, request.defaultExtension);
        // The dialog asked about the file its text names. A default extension it left to us, or
        // a suggested name kept as its own bytes, names another: ask about that one.
        if (path != nativePath(chosen) && request.kind == FileDialogKind::Save && request.askOverwrite &&
            exists(path) && !confirmReplace(&dialog, displayFileName(path))) {
            dialog.selectFile(QFileInfo(text).fileName());
            continue;
        }
        return path;
    }
}

} // namespace vornak
