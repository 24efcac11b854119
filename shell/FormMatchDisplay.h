// Shows find's matches in the main window: a match in a list selects its parameter, row and cell and
// marks the found characters there; a match in a field (one of the nine texts or the formula) puts
// the cursor there with the characters selected, the keyboard staying in the find bar. It also says
// where the user is, so that a search starts there.
#pragma once

#include "DefinitionDocument.h"
#include "FindController.h"

#include <QPointer>

#include <functional>

class CellGrid;
class QLineEdit;

namespace vornak {

class CellMatchHighlight;

class FormMatchDisplay : public MatchDisplay {
public:
    struct Parts {
        CellGrid* parameters = nullptr;
        CellGrid* values = nullptr;
        CellGrid* results = nullptr;
        QLineEdit* formula = nullptr;
        std::function<QLineEdit*(ReportText)> reportField;
        // Selects a parameter's row and shows the parameter in the panel (0-based).
        std::function<void(int)> showParameter;
        // The parameter the panel shows, or -1.
        std::function<int()> shownParameter;
    };

    FormMatchDisplay(const DefinitionDocument& document, Parts parts);

    void showMatch(const TextMatch& match) override;
    void clearMatch() override;
    std::optional<TextMatch> currentPlace() const override;

    // The mark in a list, for tests.
    const CellMatchHighlight* highlightOf(const CellGrid* list) const;

private:
    void markCell(CellGrid* list, int highlight, int row, int column, const TextMatch& match);
    void markField(QLineEdit* field, const TextMatch& match);

    const DefinitionDocument& document_;
    Parts parts_;
    CellMatchHighlight* highlights_[3] = {nullptr, nullptr, nullptr};
    QPointer<QLineEdit> markedField_;
};

} // namespace vornak
