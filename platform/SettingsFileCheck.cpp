#include "SettingsFileCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace vornak {

SettingsDamage checkSettingsFile(const QString& path, qint64 maxBytes) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return SettingsDamage::None;
    }
    // Checked before opening: a pipe would hold the start up until someone wrote to it.
    if (!info.isFile()) {
        return SettingsDamage::NotAFile;
    }
    if (info.size() > maxBytes) {
        return SettingsDamage::TooLarge;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return SettingsDamage::Unreadable;
    }
    // What the settings writer writes is UTF-8 text with every control character escaped; anything
    // else (binary, a zero byte) the reader may take in part and the writer then refuses to replace,
    // or writes out in a form it cannot read back.
    const QByteArray bytes = file.read(maxBytes + 1);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    const bool control = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() < 0x20 && c != u'\n' && c != u'\r' && c != u'\t';
    });
    if (file.error() != QFileDevice::NoError) {
        return SettingsDamage::Unreadable;
    }
    // The reader takes a byte order mark; the writer then fails on the file it wrote over it.
    const bool byteOrderMark = bytes.startsWith("\xef\xbb\xbf");
    return utf8.hasError() || control || byteOrderMark ? SettingsDamage::Unparsable : SettingsDamage::None;
}

QString setSettingsFileAside(const QString& path, const QDateTime& when, QString* error) {
    const QString base = path + QStringLiteral(".damaged-") + when.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QString target = base;
    for (int n = 2; QFileInfo(target).exists() || QFileInfo(target).isSymLink(); ++n) {
        if (n > 100) {
            if (error != nullptr) {
                *error = QStringLiteral("слишком много отложенных файлов");
            }
            return {};
        }
        target = base + QStringLiteral("-%1").arg(n);
    }
    // The file itself, or the link in its place, is moved: never what a link points to.
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) == 0) {
        return target;
    }
    const int reason = errno;
    if (error != nullptr) {
        switch (reason) {
        case EACCES:
        case EPERM:
            *error = QStringLiteral("нет прав на запись в папку %1")
                         .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
            break;
        case EROFS:
            *error = QStringLiteral("папка доступна только для чтения");
            break;
        case EBUSY:
            *error = QStringLiteral("файл занят");
            break;
        default:
            *error = QStringLiteral("ошибка системы %1").arg(reason);
        }
    }
    return {};
}

namespace {

QString damageText(SettingsDamage damage) {
    switch (damage) {
    case SettingsDamage::NotAFile:
        return QStringLiteral("на его месте не файл");
    case SettingsDamage::Unreadable:
        return QStringLiteral("его нельзя прочитать");
    case SettingsDamage::TooLarge:
        return QStringLiteral("он слишком велик для файла настроек");
    case SettingsDamage::Unparsable:
        return QStringLiteral("он поврежден");
    case SettingsDamage::None:
        break;
    }
    return {};
}

} // namespace

QString settingsDamageNote(SettingsDamage damage, const QString& path, const QString& setAsidePath,
                           const QString& error) {
    const QString file = QDir::toNativeSeparators(path);
    if (setAsidePath.isEmpty()) {
        return QStringLiteral("Файл настроек %1 не прочитан: %2. Убрать его не удалось (%3), поэтому "
                              "список последних файлов и размер окна в этом сеансе не сохранятся.")
            .arg(file, damageText(damage), error);
    }
    return QStringLiteral("Файл настроек %1 не прочитан: %2. Он сохранен под именем %3, вместо него "
                          "записан новый; список последних файлов начат заново.")
        .arg(file, damageText(damage), QDir::toNativeSeparators(setAsidePath));
}

} // namespace vornak
