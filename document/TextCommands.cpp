// The commands that change texts, a kind or a flag of what is there; RecordCommands.cpp has those
// that insert, remove and move records.
#include "UndoCommands.h"

#include <utility>

namespace vornak {

namespace {

std::size_t at(int index) {
    return static_cast<std::size_t>(index);
}

QString reportTextName(int record) {
    switch (static_cast<ReportText>(record)) {
    case ReportText::Title:
        return QStringLiteral("ввод названия отчёта");
    case ReportText::DocumentFile:
        return QStringLiteral("ввод имени документа");
    case ReportText::Input1Caption:
        return QStringLiteral("ввод строки «Ввод 1»");
    case ReportText::Input2Caption:
        return QStringLiteral("ввод строки «Ввод 2»");
    case ReportText::SurnameCaption:
        return QStringLiteral("ввод строки «Фамилия»");
    case ReportText::Author:
        return QStringLiteral("ввод автора");
    case ReportText::Source:
        return QStringLiteral("ввод источника");
    case ReportText::Organisation:
        return QStringLiteral("ввод организации");
    case ReportText::Date:
        return QStringLiteral("ввод даты");
    }
    return QStringLiteral("ввод текста");
}

} // namespace

// --- SetTextCommand ----------------------------------------------------------------------------

SetTextCommand::SetTextCommand(DefinitionDocument& document, const TextLocation& where, std::string bytes,
                               bool typing, const QString& text)
    : QUndoCommand(text), document_(document), where_(where), before_(textAt(document.definition(), where)),
      after_(std::move(bytes)), typing_(typing) {
}

void SetTextCommand::redo() {
    document_.applyText(where_, after_);
}

void SetTextCommand::undo() {
    document_.applyText(where_, before_);
}

int SetTextCommand::id() const {
    return typing_ ? typingId : -1;
}

bool SetTextCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const SetTextCommand*>(other);
    if (sealed_ || next == nullptr || !next->typing_ || next->where_ != where_) {
        return false;
    }
    after_ = next->after_;
    // Typed and taken back: the step changes nothing and leaves the stack.
    setObsolete(after_ == before_);
    return true;
}

QString SetTextCommand::describe(const TextLocation& where) {
    switch (where.field) {
    case TextField::ParameterName:
        return QStringLiteral("ввод названия параметра");
    case TextField::ParameterFormula:
        return QStringLiteral("ввод формулы");
    case TextField::Value:
    case TextField::UpperBound:
    case TextField::ValueResult:
        return QStringLiteral("ввод значения");
    case TextField::ResultName:
        return QStringLiteral("ввод названия результата");
    case TextField::ResultText:
        return QStringLiteral("ввод результата");
    case TextField::ReportText:
        return reportTextName(where.record);
    }
    return QStringLiteral("ввод текста");
}

// --- SetKindCommand ----------------------------------------------------------------------------

SetKindCommand::SetKindCommand(DefinitionDocument& document, int parameter, std::uint8_t kind)
    : QUndoCommand(QStringLiteral("смена типа значения")), document_(document), parameter_(parameter),
      kindAfter_(kind) {
    const ParameterRecord& record = document.definition().parameters[at(parameter)];
    kindBefore_ = static_cast<std::uint8_t>(record.kind);
    rowsBefore_ = record.values;
    rowsAfter_ = record.values;
    if (kind == static_cast<std::uint8_t>(ValueKind::Input) && rowsAfter_.size() > 1) {
        rowsAfter_.resize(1);
    }
}

void SetKindCommand::redo() {
    document_.applyKind(parameter_, kindAfter_, rowsAfter_);
}

void SetKindCommand::undo() {
    document_.applyKind(parameter_, kindBefore_, rowsBefore_);
}

// --- SetFlagCommand ----------------------------------------------------------------------------

SetFlagCommand::SetFlagCommand(DefinitionDocument& document, int parameter, ParameterFlag flag, bool on)
    : QUndoCommand(flag == ParameterFlag::IsNumber ? QStringLiteral("изменение флажка «Число»")
                                                   : QStringLiteral("изменение флажка «Формула»")),
      document_(document), parameter_(parameter), flag_(flag), after_(on ? 1 : 0) {
    const ParameterRecord& record = document.definition().parameters[at(parameter)];
    before_ = flag == ParameterFlag::IsNumber ? record.isNumber : record.hasFormula;
    formulaBefore_ = record.formula;
}

void SetFlagCommand::redo() {
    document_.applyFlag(parameter_, flag_, after_);
    // Without the flag the parameter carries no formula.
    if (flag_ == ParameterFlag::HasFormula && after_ == 0 && !formulaBefore_.empty()) {
        document_.applyText({TextField::ParameterFormula, parameter_ + 1, 0}, std::string());
    }
}

void SetFlagCommand::undo() {
    if (flag_ == ParameterFlag::HasFormula && after_ == 0 && !formulaBefore_.empty()) {
        document_.applyText({TextField::ParameterFormula, parameter_ + 1, 0}, formulaBefore_);
    }
    document_.applyFlag(parameter_, flag_, before_);
}

} // namespace vornak
