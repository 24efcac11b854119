#include "FormMatchDisplay.h"

#include "CellGrid.h"
#include "CellMatchHighlight.h"
#include "ParameterPanel.h"
#include "RowSelection.h"
#include "ValueTableModel.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>

namespace vornak {

namespace {

constexpr std::uint8_t rangeKind = static_cast<std::uint8_t>(ValueKind::Range);

// The value list's column of a value row's cell, for the parameter's kind.
int valueColumn(std::uint8_t kind, TextField field) {
    switch (field) {
    case TextField::Value:
        return 0;
    case TextField::UpperBound:
        return kind == rangeKind ? 1 : -1;
    default:
        return kind == rangeKind ? 2 : 1;
    }
}

bool within(const QWidget* widget, const QWidget* focus) {
    return widget != nullptr && focus != nullptr && (widget == focus || widget->isAncestorOf(focus));
}

} // namespace

FormMatchDisplay::FormMatchDisplay(const DefinitionDocument& document, Parts parts)
    : document_(document), parts_(std::move(parts)) {
    CellGrid* lists[3] = {parts_.parameters, parts_.panel->valueList(), parts_.results};
    for (int i = 0; i < 3; ++i) {
        highlights_[i] = new CellMatchHighlight(*lists[i]);
    }
}

const CellMatchHighlight* FormMatchDisplay::highlightOf(const CellGrid* list) const {
    if (list == parts_.parameters) {
        return highlights_[0];
    }
    if (list == parts_.panel->valueList()) {
        return highlights_[1];
    }
    return list == parts_.results ? highlights_[2] : nullptr;
}

void FormMatchDisplay::showMatch(const TextMatch& match) {
    clearMatch();
    const ReportDefinition& definition = document_.definition();
    const int record = match.where.record - 1;
    switch (match.where.field) {
    case TextField::ReportText:
        if (record >= 0 && record < reportTextCount) {
            markField(parts_.reportTexts[static_cast<std::size_t>(record)], match);
        }
        return;
    case TextField::ParameterName:
        showParameter(record);
        markCell(parts_.parameters, 0, record, 1, match);
        return;
    case TextField::ParameterFormula:
        showParameter(record);
        markField(parts_.panel->formulaEdit(), match);
        return;
    case TextField::Value:
    case TextField::UpperBound:
    case TextField::ValueResult: {
        if (record < 0 || static_cast<std::size_t>(record) >= definition.parameters.size()) {
            return;
        }
        showParameter(record);
        const auto kind =
            static_cast<std::uint8_t>(definition.parameters[static_cast<std::size_t>(record)].kind);
        markCell(parts_.panel->valueList(), 1, match.where.row - 1, valueColumn(kind, match.where.field),
                 match);
        return;
    }
    case TextField::ResultName:
    case TextField::ResultText:
        markCell(parts_.results, 2, record, match.where.field == TextField::ResultName ? 1 : 2, match);
        return;
    }
}

void FormMatchDisplay::showParameter(int index) {
    selectRows(*parts_.parameters, {index});
    if (parts_.panel->shownParameter() != index) {
        parts_.panel->showParameter(index);
    }
}

void FormMatchDisplay::markCell(CellGrid* list, int highlight, int row, int column, const TextMatch& match) {
    QAbstractItemModel* model = list->model();
    if (model == nullptr || column < 0 || row < 0 || row >= model->rowCount() ||
        column >= model->columnCount()) {
        return;
    }
    selectRows(*list, {row});
    const QModelIndex cell = model->index(row, column);
    list->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    static_cast<QAbstractItemView*>(list)->scrollTo(cell);
    highlights_[highlight]->mark(cell, match.start, match.length);
}

void FormMatchDisplay::markField(QLineEdit* field, const TextMatch& match) {
    if (field == nullptr) {
        return;
    }
    // An unfocused field shows its selection, in the mark's colours; the keyboard stays in the find
    // bar.
    markedFieldPalette_ = field->palette();
    QPalette colours = field->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Highlight, CellMatchHighlight::fillColour());
        colours.setColor(group, QPalette::HighlightedText, CellMatchHighlight::textColour());
    }
    field->setPalette(colours);
    field->setSelection(match.start, match.length);
    markedField_ = field;
}

void FormMatchDisplay::clearMatch() {
    for (CellMatchHighlight* highlight : highlights_) {
        highlight->clear();
    }
    if (markedField_) {
        markedField_->setPalette(markedFieldPalette_);
        if (!markedField_->hasFocus()) {
            markedField_->deselect();
        }
    }
    markedField_.clear();
}

std::optional<TextMatch> FormMatchDisplay::currentPlace() const {
    const QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) {
        return std::nullopt;
    }
    if (const auto* field = qobject_cast<const QLineEdit*>(focus)) {
        for (int r = 1; r <= reportTextCount; ++r) {
            if (parts_.reportTexts[static_cast<std::size_t>(r - 1)] == field) {
                return TextMatch{locationOf(static_cast<ReportText>(r)), field->cursorPosition(), 0};
            }
        }
        const int shown = parts_.panel->shownParameter();
        if (field == parts_.panel->formulaEdit() && shown >= 0) {
            return TextMatch{{TextField::ParameterFormula, shown + 1, 0}, field->cursorPosition(), 0};
        }
    }
    if (within(parts_.parameters, focus)) {
        const QModelIndex current = parts_.parameters->currentIndex();
        if (current.isValid()) {
            return TextMatch{{TextField::ParameterName, current.row() + 1, 0}, 0, 0};
        }
    }
    if (within(parts_.panel->valueList(), focus)) {
        const auto* model = qobject_cast<const ValueTableModel*>(parts_.panel->valueList()->model());
        const QModelIndex current = parts_.panel->valueList()->currentIndex();
        if (model != nullptr && current.isValid()) {
            if (const auto where = model->locationOf(current)) {
                return TextMatch{*where, 0, 0};
            }
        }
    }
    if (within(parts_.results, focus)) {
        const QModelIndex current = parts_.results->currentIndex();
        if (current.isValid()) {
            const TextField field = current.column() == 2 ? TextField::ResultText : TextField::ResultName;
            return TextMatch{{field, current.row() + 1, 0}, 0, 0};
        }
    }
    return std::nullopt;
}

} // namespace vornak
