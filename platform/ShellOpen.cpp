#include "ShellOpen.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace vornak {

int shellErrorValue(ShellFailure failure) {
    switch (failure) {
    case ShellFailure::NoApplication:
        return shellerror::NoAssociation;
    case ShellFailure::MissingFile:
        return shellerror::FileNotFound;
    }
    return shellerror::NoAssociation;
}

namespace {

// A scheme of one letter is a drive ("C:\file"), not an address.
bool hasAddressScheme(const QString& target) {
    const QUrl url(target, QUrl::StrictMode);
    return url.isValid() && url.scheme().size() > 1;
}

} // namespace

ShellOpenResult QtShellOpener::open(const ShellOpenRequest& request) {
    const QString target = request.target.trimmed();
    if (target.isEmpty()) {
        return ShellOpenResult::failure(ShellFailure::MissingFile);
    }
    QUrl url;
    if (hasAddressScheme(target)) {
        url = QUrl(target, QUrl::StrictMode);
        if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
            return ShellOpenResult::failure(ShellFailure::MissingFile);
        }
    } else {
        const QDir base(request.directory.isEmpty() ? QDir::currentPath() : request.directory);
        const QString path = QDir::cleanPath(base.absoluteFilePath(target));
        if (!QFileInfo::exists(path)) {
            return ShellOpenResult::failure(ShellFailure::MissingFile);
        }
        url = QUrl::fromLocalFile(path);
    }
    if (!QDesktopServices::openUrl(url)) {
        return ShellOpenResult::failure(ShellFailure::NoApplication);
    }
    return ShellOpenResult::success();
}

} // namespace vornak
