// The per-user settings of the editor, kept with QSettings in the native format for the
// organisation "Dulvarex" and the application "vornak" (on Linux ~/.config/Dulvarex/vornak.conf).
// The recent-file list (group "Recent File List", keys File1 to File8) and the main window's size
// and place (group "Main Window", key Geometry). A damaged settings file found on start is set
// aside under a dated name and a clean one takes its place (SettingsFileCheck.h).
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace vornak {

enum class SettingsDamage;

class SettingsStore {
public:
    static inline const QString organisationName = QStringLiteral("Dulvarex");
    static inline const QString applicationName = QStringLiteral("vornak");
    static inline const QString recentFileGroup = QStringLiteral("Recent File List");
    static constexpr int recentFileSlots = 8;
    static inline const QString windowGroup = QStringLiteral("Main Window");
    // Settings are a few kilobytes; a larger file is damage, and is not parsed.
    static constexpr qint64 maxFileBytes = 1024 * 1024;
    // No path the system can open is longer; a longer recent-file entry is damage and is dropped.
    static constexpr qsizetype maxPathBytes = 4096;

    // The user's own settings file.
    SettingsStore();
    // A settings file of the caller's choosing (tests use one in a temporary folder); `now` names
    // a damaged file set aside.
    explicit SettingsStore(const QString& filePath, const QDateTime& now = QDateTime::currentDateTime());
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Makes every SettingsStore() of this process keep its file under folder (the file is then
    // folder/Dulvarex/vornak.conf); for end-to-end runs that must not touch the user's settings.
    static void useFolderForUserSettings(const QString& folder);
    // The file SettingsStore() uses: under that folder, else the user's configuration folder
    // ($XDG_CONFIG_HOME or ~/.config on Linux).
    static QString userSettingsPath();

    // The values File1..File8 in slot order; a missing or empty value, or one longer than
    // maxPathBytes, is skipped.
    QStringList readRecentFiles() const;
    // Empties the group and writes the non-empty paths (at most eight) as File1, File2, ...
    // Returns false when the file could not be written.
    bool writeRecentFiles(const QStringList& paths);

    // The same as the system's path bytes: a path whose bytes are text in the system's encoding
    // is stored as that text (File1=/home/...), any other as bytes, so that every name survives.
    QList<QByteArray> readRecentNativePaths() const;
    bool writeRecentNativePaths(const QList<QByteArray>& paths);

    // The main window's geometry as Qt saves it, or empty when none was stored.
    QByteArray readWindowGeometry() const;
    bool writeWindowGeometry(const QByteArray& geometry);

    // The height the user left the checks panel at, in pixels, or 0 when none was stored.
    int readChecksPanelHeight() const;
    bool writeChecksPanelHeight(int height);

    // The sentence, in Russian, that says the settings file could not be written, when the last
    // write failed and the failure has not been said yet; empty otherwise. A run that cannot
    // write its settings is told once, however often it tries.
    QString unsaidWriteFailure();
    // The sentence, in Russian, that says a damaged settings file was found on start and where it
    // went; empty when there was none or it has been said.
    QString unsaidDamage();

    QString fileName() const;
    QSettings& settings() { return *settings_; }

private:
    void open(const QString& path, const std::function<std::unique_ptr<QSettings>()>& make,
              const QDateTime& now);
    // Sets the damaged file aside and goes on with a clean one holding `kept`.
    void replaceDamaged(SettingsDamage damage, const std::vector<std::pair<QString, QVariant>>& kept);
    // The recent files and the geometry as this run holds them.
    std::vector<std::pair<QString, QVariant>> ownValues() const;
    bool finishWrite();

    std::unique_ptr<QSettings> settings_;
    bool lastWriteFailed_ = false;
    bool failureSaid_ = false;
    QString damageNote_;
    QString path_;
    std::function<std::unique_ptr<QSettings>()> make_;
    QDateTime now_;
};

} // namespace vornak
