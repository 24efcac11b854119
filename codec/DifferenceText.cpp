#include "DifferenceText.h"

#include "Windows1251.h"

namespace vornak {

namespace {

std::string quoted(const std::string& bytes) {
    return "«" + windows1251ToUtf8(bytes) + "»";
}

std::string reportTextName(int record) {
    static const char* const names[] = {"Заголовок", "Документ", "Ввод 1",      "Ввод 2", "Фамилия",
                                        "Автор",     "Источник", "Организация", "Дата"};
    if (record >= 1 && record <= 9) {
        return names[record - 1];
    }
    return "Текст " + std::to_string(record);
}

std::string kindName(const std::string& code) {
    if (code == "0") {
        return "«Список»";
    }
    if (code == "1") {
        return "«Диапазон»";
    }
    if (code == "2") {
        return "«Ввод»";
    }
    return "код " + code;
}

std::string yesNo(const std::string& flag) {
    return flag == "1" ? "да" : "нет";
}

int shownNumber(const Difference& difference) {
    return difference.newRecord != 0 ? difference.newRecord : difference.oldRecord;
}

int shownRow(const Difference& difference) {
    return difference.newRow != 0 ? difference.newRow : difference.oldRow;
}

std::string parameterHead(const Difference& difference) {
    return "Параметр " + std::to_string(shownNumber(difference)) + " " + quoted(difference.recordName);
}

std::string resultHead(const Difference& difference) {
    return "Результат " + std::to_string(shownNumber(difference)) + " " + quoted(difference.recordName);
}

std::string rowHead(const Difference& difference) {
    return parameterHead(difference) + ", строка " + std::to_string(shownRow(difference));
}

std::string change(const Difference& difference) {
    return quoted(difference.before) + " → " + quoted(difference.after);
}

} // namespace

std::string differencePlace(const Difference& difference) {
    switch (difference.part) {
    case DifferencePart::ReportText:
        return reportTextName(difference.newRecord);
    case DifferencePart::Parameter:
        return parameterHead(difference);
    case DifferencePart::ParameterName:
        return "Параметр " + std::to_string(shownNumber(difference)) + ", название";
    case DifferencePart::ParameterKind:
        return parameterHead(difference) + ", вид";
    case DifferencePart::NumberFlag:
        return parameterHead(difference) + ", «Число»";
    case DifferencePart::FormulaFlag:
        return parameterHead(difference) + ", «Формула»";
    case DifferencePart::Formula:
        return parameterHead(difference) + ", формула";
    case DifferencePart::ValueRow:
        return rowHead(difference);
    case DifferencePart::Value:
        return rowHead(difference) +
               (difference.recordKind == ValueKind::Range ? ", нижняя граница" : ", значение");
    case DifferencePart::UpperBound:
        return rowHead(difference) + ", верхняя граница";
    case DifferencePart::ValueResult:
        return rowHead(difference) + ", результат";
    case DifferencePart::Result:
        return resultHead(difference);
    case DifferencePart::ResultName:
        return "Результат " + std::to_string(shownNumber(difference)) + ", название";
    case DifferencePart::ResultText:
        return resultHead(difference);
    }
    return "Определение";
}

std::string describeDifference(const Difference& difference) {
    const std::string place = differencePlace(difference);
    switch (difference.kind) {
    case DifferenceKind::Inserted:
        if (difference.part == DifferencePart::ValueRow) {
            return place + " добавлена: " + quoted(difference.after);
        }
        return place + " добавлен";
    case DifferenceKind::Removed:
        if (difference.part == DifferencePart::ValueRow) {
            return place + " удалена: " + quoted(difference.before);
        }
        return place + " удален";
    case DifferenceKind::Moved: {
        const std::string what = difference.part == DifferencePart::Result ? "Результат " : "Параметр ";
        return what + quoted(difference.recordName) + " перемещен: " + std::to_string(difference.oldRecord) +
               " → " + std::to_string(difference.newRecord);
    }
    case DifferenceKind::Changed:
        break;
    }
    switch (difference.part) {
    case DifferencePart::ParameterKind:
        return place + ": " + kindName(difference.before) + " → " + kindName(difference.after);
    case DifferencePart::NumberFlag:
    case DifferencePart::FormulaFlag:
        return place + ": " + yesNo(difference.before) + " → " + yesNo(difference.after);
    default:
        if (difference.before == difference.after) {
            // The same characters, but the codes in them now name other records.
            return place + ": " + quoted(difference.after) + " теперь ссылается на другие записи";
        }
        return place + ": " + change(difference);
    }
}

std::string differenceKindName(DifferenceKind kind) {
    switch (kind) {
    case DifferenceKind::Changed:
        return "changed";
    case DifferenceKind::Inserted:
        return "inserted";
    case DifferenceKind::Removed:
        return "removed";
    case DifferenceKind::Moved:
        return "moved";
    }
    return "changed";
}

std::string differencePartName(DifferencePart part) {
    switch (part) {
    case DifferencePart::ReportText:
        return "report-text";
    case DifferencePart::Parameter:
        return "parameter";
    case DifferencePart::ParameterName:
        return "parameter-name";
    case DifferencePart::ParameterKind:
        return "parameter-kind";
    case DifferencePart::NumberFlag:
        return "number-flag";
    case DifferencePart::FormulaFlag:
        return "formula-flag";
    case DifferencePart::Formula:
        return "formula";
    case DifferencePart::ValueRow:
        return "value-row";
    case DifferencePart::Value:
        return "value";
    case DifferencePart::UpperBound:
        return "upper-bound";
    case DifferencePart::ValueResult:
        return "value-result";
    case DifferencePart::Result:
        return "result";
    case DifferencePart::ResultName:
        return "result-name";
    case DifferencePart::ResultText:
        return "result-text";
    }
    return "unknown";
}

} // namespace vornak
