// Find and replace in the editor: runs the searches the find bar asks for over the document, keeps
// the current match and the count up to date as the definition changes, has the form show each
// match, and pushes replacements as undo steps ("Заменить все" as one).
#pragma once

#include "DefinitionSearch.h"

#include <QObject>

#include <optional>

namespace vornak {

class DefinitionDocument;
class FindBar;

// What the form does for find: show a match (select its parameter, row and cell, or put the cursor
// in its field, and highlight it) and say where the user is, so that a search starts there.
class MatchDisplay {
public:
    virtual ~MatchDisplay() = default;
    virtual void showMatch(const TextMatch& match) = 0;
    // No match is shown any more: the highlight goes.
    virtual void clearMatch() = 0;
    // The current cell or field and the cursor in it (length 0), or nothing.
    virtual std::optional<TextMatch> currentPlace() const = 0;
};

class FindController : public QObject {
    Q_OBJECT

public:
    FindController(DefinitionDocument& document, FindBar& bar, MatchDisplay& display,
                   QObject* parent = nullptr);

    // Ctrl+F and Ctrl+H: open the bar; a search starts where the user is.
    void openFind();
    void openReplace();
    // Escape or the close button: hides the bar and the highlight.
    void close();

    void findNext();
    void findPrevious();
    void replace();
    void replaceAll();

    const std::optional<TextMatch>& currentMatch() const { return current_; }

signals:
    // The bar closed; the form puts the focus back where the user was.
    void closed();

private:
    void open(bool withReplace);
    DefinitionSearch search() const;
    void searchFromStart();
    void step(bool backward);
    void show(const DefinitionSearch::Step& step);
    void definitionChanged();
    void documentReset();

    DefinitionDocument& document_;
    FindBar& bar_;
    MatchDisplay& display_;
    std::optional<TextMatch> start_;   // where the search began
    std::optional<TextMatch> current_; // the match shown, or the place the next step goes on from
    bool currentValid_ = false;        // current_ is a match of the search as it is now
};

// Why a replacement was refused, for the find bar: where, when a text would grow too long.
QString replaceRefusalText(EditRefusal refusal, const std::optional<TextLocation>& where,
                           const QString& replacement);

} // namespace vornak
