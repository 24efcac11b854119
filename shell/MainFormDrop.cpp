// Files dropped on the main form, on any of its controls included: the first local file is opened
// once the drop is finished; the others are ignored.
#include "CMainForm.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QUrl>

namespace vornak {

namespace {

QStringList localFiles(const QMimeData* mime) {
    QStringList paths;
    if (mime == nullptr || !mime->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) {
            paths.append(url.toLocalFile());
        }
    }
    return paths;
}

} // namespace

void CMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!localFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CMainForm::dragMoveEvent(QDragMoveEvent* event) {
    if (!localFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CMainForm::dropEvent(QDropEvent* event) {
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // The drop is finished first; the file is opened afterwards, so that a save prompt never
    // runs while the dragging program still waits for the drop to end.
    QMetaObject::invokeMethod(
        this, [this, paths] { OnDropFiles(paths); }, Qt::QueuedConnection);
}

void CMainForm::OnDropFiles(const QStringList& paths) {
    // The whole path is used, however long: a shortened one would open another file or none.
    if (!paths.isEmpty()) {
        OpenFile(paths.first());
    }
}

} // namespace vornak
