#include "SettingsStore.h"

#include "SettingsFileCheck.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QVariant>

#include <utility>

namespace vornak {

namespace {

QString recentFileKey(int slot) {
    return QStringLiteral("File%1").arg(slot);
}

QString& userSettingsFolder() {
    static QString folder;
    return folder;
}

// A format that reads nothing and writes nothing: for a damaged file that could not be set aside,
// so that it is neither parsed nor overwritten (the store then keeps its values for the run only).
QSettings::Format untouchedFormat() {
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("conf"), [](QIODevice&, QSettings::SettingsMap&) { return true; },
        [](QIODevice&, const QSettings::SettingsMap&) { return false; });
    return format;
}

} // namespace

SettingsStore::SettingsStore() {
    open(
        userSettingsPath(),
        [] {
            return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organisationName,
                                               applicationName);
        },
        QDateTime::currentDateTime());
}

SettingsStore::SettingsStore(const QString& filePath, const QDateTime& now) {
    open(
        filePath, [filePath] { return std::make_unique<QSettings>(filePath, QSettings::NativeFormat); }, now);
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::open(const QString& path, const std::function<std::unique_ptr<QSettings>()>& make,
                         const QDateTime& now) {
    path_ = path;
    make_ = make;
    now_ = now;
    SettingsDamage damage = checkSettingsFile(path, maxFileBytes);
    if (damage == SettingsDamage::None) {
        settings_ = make();
        if (settings_->status() == QSettings::FormatError) {
            damage = SettingsDamage::Unparsable;
        } else if (settings_->status() == QSettings::AccessError) {
            damage = SettingsDamage::Unreadable;
        } else {
            return;
        }
    }
    replaceDamaged(damage, {});
}

std::vector<std::pair<QString, QVariant>> SettingsStore::ownValues() const {
    std::vector<std::pair<QString, QVariant>> values;
    QStringList keys;
    for (int slot = 1; slot <= recentFileSlots; ++slot) {
        keys << recentFileGroup + QLatin1Char('/') + recentFileKey(slot);
    }
    keys << windowGroup + QStringLiteral("/Geometry");
    for (const QString& key : keys) {
        if (settings_->contains(key)) {
            values.emplace_back(key, settings_->value(key));
        }
    }
    return values;
}

void SettingsStore::replaceDamaged(SettingsDamage damage, const std::vector<std::pair<QString, QVariant>>& kept) {
    settings_.reset();
    QString error;
    const QString setAside = setSettingsFileAside(path_, now_, &error);
    damageNote_ = settingsDamageNote(damage, path_, setAside, error);
    if (setAside.isEmpty()) {
        // A name that cannot be opened, beside nothing: the damaged file, whatever it is (a pipe
        // would block), is never opened again.
        settings_ = std::make_unique<QSettings>(path_ + QStringLiteral("/not-kept"), untouchedFormat());
        failureSaid_ = true; // the note says the settings are not kept
    } else {
        // The clean file, written at once (empty settings): a run that ends by a signal leaves it too.
        QFile clean(path_);
        if (clean.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            clean.close();
        }
        settings_ = make_();
    }
    for (const auto& [key, value] : kept) {
        settings_->setValue(key, value);
    }
    settings_->sync();
    lastWriteFailed_ = settings_->status() != QSettings::NoError;
}

void SettingsStore::useFolderForUserSettings(const QString& folder) {
    // On Linux the native format is the ini format; set both so the choice holds either way.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    userSettingsFolder() = folder;
}

QString SettingsStore::userSettingsPath() {
    const QString folder = userSettingsFolder().isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                               : userSettingsFolder();
    return QDir::cleanPath(folder + QLatin1Char('/') + organisationName + QLatin1Char('/') + applicationName +
                           QStringLiteral(".conf"));
}

QString SettingsStore::unsaidDamage() {
    return std::exchange(damageNote_, QString());
}

QStringList SettingsStore::readRecentFiles() const {
    QStringList paths;
    settings_->beginGroup(recentFileGroup);
    for (int slot = 1; slot <= recentFileSlots; ++slot) {
        const QString path = settings_->value(recentFileKey(slot)).toString();
        if (!path.isEmpty() && QFile::encodeName(path).size() <= maxPathBytes) {
            paths << path;
        }
    }
    settings_->endGroup();
    return paths;
}

bool SettingsStore::writeRecentFiles(const QStringList& paths) {
    settings_->beginGroup(recentFileGroup);
    settings_->remove(QString()); // the whole group
    int slot = 1;
    for (const QString& path : paths) {
        if (path.isEmpty() || QFile::encodeName(path).size() > maxPathBytes) {
            continue;
        }
        if (slot > recentFileSlots) {
            break;
        }
        settings_->setValue(recentFileKey(slot++), path);
    }
    settings_->endGroup();
    return finishWrite();
}

QList<QByteArray> SettingsStore::readRecentNativePaths() const {
    QList<QByteArray> paths;
    settings_->beginGroup(recentFileGroup);
    for (int slot = 1; slot <= recentFileSlots; ++slot) {
        const QVariant value = settings_->value(recentFileKey(slot));
        const QByteArray path = value.typeId() == QMetaType::QByteArray ? value.toByteArray()
                                                                        : QFile::encodeName(value.toString());
        if (!path.isEmpty() && path.size() <= maxPathBytes) {
            paths << path;
        }
    }
    settings_->endGroup();
    return paths;
}

bool SettingsStore::writeRecentNativePaths(const QList<QByteArray>& paths) {
    settings_->beginGroup(recentFileGroup);
    settings_->remove(QString());
    int slot = 1;
    for (const QByteArray& path : paths) {
        if (path.isEmpty() || path.size() > maxPathBytes) {
            continue;
        }
        if (slot > recentFileSlots) {
            break;
        }
        const QString text = QFile::decodeName(path);
        if (QFile::encodeName(text) == path) {
            settings_->setValue(recentFileKey(slot++), text);
        } else {
            settings_->setValue(recentFileKey(slot++), path);
        }
    }
    settings_->endGroup();
    return finishWrite();
}

bool SettingsStore::finishWrite() {
    settings_->sync();
    // Some damage shows only when the file is written (the reader refuses to write over what it
    // could not parse): what this run read and changed goes to a clean file instead.
    if (settings_->status() == QSettings::FormatError && damageNote_.isEmpty() && !failureSaid_) {
        replaceDamaged(SettingsDamage::Unparsable, ownValues());
    }
    lastWriteFailed_ = settings_->status() != QSettings::NoError;
    return !lastWriteFailed_;
}

QString SettingsStore::unsaidWriteFailure() {
    if (!lastWriteFailed_ || failureSaid_) {
        return QString();
    }
    failureSaid_ = true;
    return QStringLiteral("Не удалось записать файл настроек %1: список последних файлов не сохранен.")
        .arg(QDir::toNativeSeparators(fileName()));
}

QByteArray SettingsStore::readWindowGeometry() const {
    return settings_->value(windowGroup + QStringLiteral("/Geometry")).toByteArray();
}

bool SettingsStore::writeWindowGeometry(const QByteArray& geometry) {
    settings_->setValue(windowGroup + QStringLiteral("/Geometry"), geometry);
    return finishWrite();
}

int SettingsStore::readChecksPanelHeight() const {
    bool ok = false;
    const int height = settings_->value(windowGroup + QStringLiteral("/ChecksHeight")).toInt(&ok);
    return ok && height > 0 ? height : 0;
}

bool SettingsStore::writeChecksPanelHeight(int height) {
    settings_->setValue(windowGroup + QStringLiteral("/ChecksHeight"), height);
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

QString SettingsStore::fileName() const {
    return settings_->fileName();
}

} // namespace vornak
