#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QVariant>

namespace vornak {

namespace {

QString recentFileKey(int slot) {
    return QStringLiteral("File%1").arg(slot);
}

} // namespace

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organisationName,
                                            applicationName)) {
}

SettingsStore::SettingsStore(const QString& filePath)
    : settings_(std::make_unique<QSettings>(filePath, QSettings::NativeFormat)) {
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::useFolderForUserSettings(const QString& folder) {
    // On Linux the native format is the ini format; set both so the choice holds either way.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

QStringList SettingsStore::readRecentFiles() const {
    QStringList paths;
    settings_->beginGroup(recentFileGroup);
    for (int slot = 1; slot <= recentFileSlots; ++slot) {
        const QString path = settings_->value(recentFileKey(slot)).toString();
        if (!path.isEmpty()) {
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
        if (path.isEmpty()) {
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
        if (!path.isEmpty()) {
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
        if (path.isEmpty()) {
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
    settings_->sync();
    return settings_->status() == QSettings::NoError;
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
