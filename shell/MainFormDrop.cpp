// Files dropped on the main form, on any of its controls included: the first local file is opened
// once the drop is finished; the others are ignored.
#include "CMainForm.h"

#include "NativePath.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QUrl>

namespace vornak {

namespace {

// The local files of a drop as the system's path bytes. The path is taken from the URL's
// percent-encoded form, not as text: a name whose bytes are no text in the system's encoding
// keeps them.
QList<QByteArray> localFiles(const QMimeData* mime) {
    QList<QByteArray> paths;
    if (mime == nullptr || !mime->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) {
            continue;
        }
        const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (!path.isEmpty()) {
            paths.append(path);
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
    const QList<QByteArray> paths = localFiles(event->mimeData());
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // The drop is finished first; the file is opened afterwards, so that a save prompt never
    // runs while the dragging program still waits for the drop to end.
    QMetaObject::invokeMethod(
        this, [this, paths] { OnDropFiles(paths); }, Qt::QueuedConnection);
}

void CMainForm::OnDropFiles(const QList<QByteArray>& paths) {
    // The whole path is used, however long: a shortened one would open another file or none.
    if (!paths.isEmpty()) {
        runGuarded([this, &paths] { OpenFile(absoluteNativePath(paths.first())); });
    }
}

} // namespace vornak
