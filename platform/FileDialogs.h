// The seam for the open and save file dialogs: what a command asks for, the answer (a path, or
// nothing when the user cancelled), and the conversions from the filter and extension
// conventions the commands are written with.
#pragma once

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

    bool operator==(const FileDialogRequest&) const = default;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // The chosen path (absolute, default extension applied), or nothing on Cancel.
    virtual std::optional<QString> choose(QWidget* parent, const FileDialogRequest& request) = 0;

    std::optional<QString> open(QWidget* parent, const QString& filter, const QString& defaultExtension,
                                const QString& initialFileName);
    std::optional<QString> save(QWidget* parent, const QString& filter, const QString& defaultExtension,
                                const QString& initialFileName);
};

// "Report Files(*.rpt)|*.rpt||" to Qt's "Report Files (*.rpt)"; several pairs are joined with
// ";;". Patterns separated by ";" become space-separated, and "*.*" becomes "*" (every file, as
// the original platform meant it). An empty filter gives an empty string.
QString convertFilter(const QString& barSeparatedFilter);
// The path with ".ext" appended when its file name has no extension; unchanged otherwise or when
// the extension is empty.
QString appendDefaultExtension(const QString& path, const QString& defaultExtension);

} // namespace vornak
