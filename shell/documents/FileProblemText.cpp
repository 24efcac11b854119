#include "FileProblemText.h"

#include <QStringList>

namespace vornak {

namespace {

QString sentence(FileProblem problem) {
    switch (problem) {
    case FileProblem::None:
        break;
    case FileProblem::NoFileName:
        return QStringLiteral("Не указано имя файла");
    case FileProblem::NotFound:
        return QStringLiteral("Файл или папка на пути к нему не найдены");
    case FileProblem::IsFolder:
        return QStringLiteral("Это папка, а не файл");
    case FileProblem::AccessDenied:
        return QStringLiteral("Нет доступа к файлу или его папке");
    case FileProblem::ReadOnly:
        return QStringLiteral("Файл доступен только для чтения");
    case FileProblem::NameTooLong:
        return QStringLiteral("Слишком длинное имя файла");
    case FileProblem::NoSpace:
        return QStringLiteral("Недостаточно места на диске");
    case FileProblem::NotEnoughMemory:
        return QStringLiteral("Недостаточно памяти");
    case FileProblem::ReadFailed:
        return QStringLiteral("Ошибка чтения файла");
    case FileProblem::WriteFailed:
        return QStringLiteral("Ошибка записи файла");
    case FileProblem::Empty:
        return QStringLiteral("Файл пуст");
    case FileProblem::NotDefinition:
        return QStringLiteral("Это не файл описания отчета: первая строка должна быть R1 или R2");
    case FileProblem::LineTooLong:
        return QStringLiteral("Слишком длинная строка");
    case FileProblem::Truncated:
        return QStringLiteral("Файл обрывается раньше конца описания");
    case FileProblem::UnwritableText:
        return QStringLiteral("Текст содержит перевод строки или длиннее 2047 байт");
    }
    return QStringLiteral("Ошибка при работе с файлом");
}

QString partName(DefinitionPart part, int record) {
    switch (part) {
    case DefinitionPart::None:
        return QString();
    case DefinitionPart::Mark:
        return QStringLiteral("первая строка");
    case DefinitionPart::Texts:
        return record > 0 ? QStringLiteral("текст отчета № %1").arg(record) : QStringLiteral("тексты отчета");
    case DefinitionPart::ParameterCount:
        return QStringLiteral("число параметров");
    case DefinitionPart::Parameter:
        return record > 0 ? QStringLiteral("параметр № %1").arg(record) : QStringLiteral("параметры");
    case DefinitionPart::ResultCount:
        return QStringLiteral("число результатов");
    case DefinitionPart::Result:
        return record > 0 ? QStringLiteral("результат № %1").arg(record) : QStringLiteral("результаты");
    }
    return QString();
}

// The writer's field names as the form labels them.
QString fieldName(std::string_view field) {
    static const std::pair<std::string_view, const char16_t*> names[] = {
        {"title", u"название"},
        {"documentFile", u"документ"},
        {"input1Caption", u"ввод 1"},
        {"input2Caption", u"ввод 2"},
        {"surnameCaption", u"фамилия"},
        {"author", u"автор"},
        {"source", u"источник"},
        {"organisation", u"организация"},
        {"date", u"дата"},
        {"name", u"название"},
        {"formula", u"формула"},
        {"value", u"значение"},
        {"upperBound", u"верхняя граница"},
        {"result", u"результат"},
    };
    for (const auto& [key, name] : names) {
        if (key == field) {
            return QString::fromUtf16(name);
        }
    }
    return QString();
}

} // namespace

QString problemReason(FileProblem problem, DefinitionPart part, int record, std::string_view field,
                      int line) {
    QStringList where;
    const QString fieldText = fieldName(field);
    if (!fieldText.isEmpty()) {
        where << QStringLiteral("поле «%1»").arg(fieldText);
    }
    // The first line is named once: by the sentence when it speaks of it, else by the part; the
    // line number would only repeat it.
    const bool firstLine = part == DefinitionPart::Mark;
    const QString partText = partName(part, record);
    if (!partText.isEmpty() && !(firstLine && problem == FileProblem::NotDefinition)) {
        where << partText;
    }
    if (line > 0 && !firstLine) {
        where << QStringLiteral("строка %1").arg(line);
    }
    QString text = sentence(problem);
    if (!where.isEmpty()) {
        text += QStringLiteral(" (") + where.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    return text + QLatin1Char('.');
}

// A failure the core did not classify is still a failure to read or to write.
QString problemReason(const LoadError& error) {
    const FileProblem problem = error.problem == FileProblem::None ? FileProblem::ReadFailed : error.problem;
    return problemReason(problem, error.part, error.record, {}, error.line);
}

QString problemReason(const SaveError& error) {
    const FileProblem problem = error.problem == FileProblem::None ? FileProblem::WriteFailed : error.problem;
    return problemReason(problem, error.part, error.record, error.field, 0);
}

} // namespace vornak
