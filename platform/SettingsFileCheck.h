// The settings file as found on start, looked at before anything parses it: a folder, a pipe or
// a device in its place, a file the user cannot read, or one far larger than settings ever are
// is damage; so is a file the settings reader refuses. A damaged file is set aside beside itself
// under a dated name, so that a clean one can take its place and nothing of it is destroyed.
#pragma once

#include <QDateTime>
#include <QString>

namespace vornak {

enum class SettingsDamage {
    None,
    NotAFile,   // a folder, a pipe, a device, or a link to one
    Unreadable, // no permission, or an error while opening
    TooLarge,
    Unparsable, // the settings reader found it damaged
};

// What can be told from the file before the settings reader parses it: None when it is a regular
// file of at most maxBytes that reads as UTF-8 text without control characters other than line
// ends and tabs, or when there is no file at all. A larger file is not read.
SettingsDamage checkSettingsFile(const QString& path, qint64 maxBytes);

// Renames path to "<path>.damaged-<date and time>" (with "-2", "-3"... when that is taken) and
// returns the new name; empty when it could not be renamed, with the system's reason in `error`.
QString setSettingsFileAside(const QString& path, const QDateTime& when, QString* error = nullptr);

// The sentence, in Russian, telling the user what was found and where it went (setAsidePath empty:
// it could not be moved, for `error`, and settings are not kept in this run).
QString settingsDamageNote(SettingsDamage damage, const QString& path, const QString& setAsidePath,
                           const QString& error);

} // namespace vornak
