// The seam for the open and save file dialogs: what a command asks for, the answer (a path, or
// nothing when the user cancelled), and the conversions from the filter and extension
// conventions the commands are written with.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class QWidget;

namespace vornak {

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    QString caption;           // empty: the platform's own title for opening or saving
    QString filter;            // "Report Files(*.rpt)|*.rpt||" form
    QString defaultExtension;  // without the dot; empty for none
    QString initialFileName;   // a file name or a full path; may be empty
    bool askOverwrite = false; // save dialogs ask before replacing an existing file
    // The suggestion as the system's bytes (initialFileName then shows it); empty when the
    // suggestion is only text.
    QByteArray initialNativePath;

    bool operator==(const FileDialogRequest&) const = default;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // The chosen path (absolute, default extension applied), or nothing on Cancel.
    virtual std::optional<QString> choose(QWidget* parent, const FileDialogRequest& request) = 0;

    // The chosen path as the system's bytes: where the user kept the suggested folder or name,
    // their own bytes, even when they are no text (see nativeChoice). The Qt dialogs override it to
    // ask before replacing the file those bytes name.
    virtual std::optional<QByteArray> chooseNative(QWidget* parent, const FileDialogRequest& request);

    std::optional<QString> open(QWidget* parent, const QString& filter, const QString& defaultExtension,
                                const QString& initialFileName);
    std::optional<QString> save(QWidget* parent, const QString& filter, const QString& defaultExtension,
                                const QString& initialFileName);
    // The same with the suggestion and the answer as the system's bytes.
    std::optional<QByteArray> openNative(QWidget* parent, const QString& filter,
                                         const QString& defaultExtension,
                                         const QByteArray& initialNativePath);
    std::optional<QByteArray> saveNative(QWidget* parent, const QString& filter,
                                         const QString& defaultExtension,
                                         const QByteArray& initialNativePath);
};

// The bytes of a path a dialog returned as text, given the suggestion's bytes: the folder and the
// file name each keep the suggestion's bytes when the dialog gave back exactly how they were shown
// (displayPath; the file name also with ".defaultExtension" added); any other text is encoded as
// typed. A name given back as the system decodes it (odd bytes as replacement marks) counts as the
// suggestion's too, unless a file is really called that.
QByteArray nativeChoice(const QString& chosen, const QByteArray& suggested, const QString& defaultExtension);

// "Report Files(*.rpt)|*.rpt||" to Qt's "Report Files (*.rpt)"; several pairs are joined with
// ";;". Patterns separated by ";" become space-separated, and "*.*" becomes "*" (every file, as
// the original platform meant it). An empty filter gives an empty string.
QString convertFilter(const QString& barSeparatedFilter);
// The path with ".ext" appended when its file name has no extension; unchanged otherwise or when
// the extension is empty.
QString appendDefaultExtension(const QString& path, const QString& defaultExtension);

} // namespace vornak
