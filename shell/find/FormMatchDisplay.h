// Shows find's matches in the main window: a match in a list selects its parameter, row and cell and
// marks the found characters there; a match in a field (one of the nine texts or the formula) puts
// the cursor there with the characters selected, the keyboard staying in the find bar. It also says
// where the user is, so that a search starts there.
#pragma once

#include "DefinitionDocument.h"
#include "FindController.h"

#include <QPalette>
#include <QPointer>

#include <array>

class CellGrid;
class QLineEdit;

namespace vornak {

class CellMatchHighlight;
class ParameterPanel;

class FormMatchDisplay : public MatchDisplay {
public:
    struct Parts {
        CellGrid* parameters = nullptr;
        ParameterPanel* panel = nullptr; // its value list and formula field
        CellGrid* results = nullptr;
        std::array<QLineEdit*, reportTextCount> reportTexts{}; // in file order
    };

    FormMatchDisplay(const DefinitionDocument& document, Parts parts);

    void showMatch(const TextMatch& match) override;
    void clearMatch() override;
    std::optional<TextMatch> currentPlace() const override;

    // The mark in a list, for tests.
    const CellMatchHighlight* highlightOf(const CellGrid* list) const;

private:
    // Selects a parameter's row and shows the parameter in the panel (0-based).
    void showParameter(int index);
    void markCell(CellGrid* list, int highlight, int row, int column, const TextMatch& match);
    void markField(QLineEdit* field, const TextMatch& match);

    const DefinitionDocument& document_;
    Parts parts_;
    CellMatchHighlight* highlights_[3] = {nullptr, nullptr, nullptr};
    QPointer<QLineEdit> markedField_;
    QPalette markedFieldPalette_; // the marked field's colours before the mark
};

} // namespace vornak
