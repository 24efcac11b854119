#include "RecoveryTexts.h"

#include "FileErrors.h"
#include "FileProblemText.h"
#include "NativePath.h"

namespace vornak {

namespace {

using Kind = RecoveryFault::Kind;

QString shown(const std::string& path) {
    return displayPath(nativePath(QByteArray::fromStdString(path)));
}

// The file layer's reason, as a clause: no capital, no full stop.
QString clause(QString sentence) {
    while (sentence.endsWith(QLatin1Char('.'))) {
        sentence.chop(1);
    }
    if (!sentence.isEmpty()) {
        sentence[0] = sentence[0].toLower();
    }
    return sentence;
}

QString because(FileProblem problem) {
    return clause(problemReason(problem, DefinitionPart::None, 0, {}, 0));
}

} // namespace

QString recoveryFaultText(const RecoveryFault& fault) {
    const QString path = shown(fault.path);
    switch (fault.kind) {
    case Kind::None:
        return QString();
    case Kind::NotFullPath:
        return QStringLiteral("папка копий «%1» задана не полным путем").arg(path);
    case Kind::CannotCreate:
        return QStringLiteral("папку «%1» не удалось создать или закрыть от других: %2")
            .arg(path, because(detail::writeProblemOf(fault.error, false)));
    case Kind::CannotExamine:
        return QStringLiteral("папка «%1» недоступна: %2").arg(path, because(detail::openProblemOf(fault.error)));
    case Kind::NotOwnFolder:
        return QStringLiteral("«%1» — не ваша папка или ссылка на другую папку").arg(path);
    case Kind::OpenToOthers:
        return QStringLiteral("в папку «%1» могут записывать другие пользователи").arg(path);
    case Kind::ParentOpen:
        return QStringLiteral("другие пользователи могут подменить содержимое папки «%1»").arg(path);
    case Kind::NotOwnFile:
        return QStringLiteral("«%1» — не ваш обычный файл").arg(path);
    case Kind::CannotOpen:
        return QStringLiteral("файл «%1» не удалось открыть: %2")
            .arg(path, because(detail::writeProblemOf(fault.error, false)));
    case Kind::CannotRead:
        return QStringLiteral("файл «%1» не удалось прочитать: %2")
            .arg(path, because(detail::readProblemOf(fault.error)));
    case Kind::TooLarge:
        return QStringLiteral("файл «%1» слишком велик").arg(path);
    case Kind::CannotWrite:
        return QStringLiteral("файл «%1» не удалось записать: %2")
            .arg(path, because(fault.problem != FileProblem::None ? fault.problem : FileProblem::WriteFailed));
    }
    return QString();
}

QString copyNotWrittenText(const RecoveryFault& fault) {
    return QStringLiteral("Копия несохраненных изменений не записывается: %1.").arg(recoveryFaultText(fault));
}

QString copyDamageText(CopyDamage damage) {
    switch (damage) {
    case CopyDamage::None:
        return QString();
    case CopyDamage::DescriptionMissing:
        return QStringLiteral("нет описания копии");
    case CopyDamage::DescriptionUnreadable:
        return QStringLiteral("описание копии не читается");
    case CopyDamage::DescriptionDamaged:
        return QStringLiteral("описание копии повреждено");
    case CopyDamage::CopyMissing:
        return QStringLiteral("нет самой копии");
    }
    return QString();
}

QString copyContentsText(const ReportDefinition& definition) {
    return QStringLiteral("параметров: %1, результатов: %2")
        .arg(definition.parameters.size())
        .arg(definition.results.size());
}

} // namespace vornak
