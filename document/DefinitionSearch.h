// Find and replace over every text of a definition the form shows: the nine report texts,
// parameter names, formulas, the value cells the value list shows (a List or Input row's hidden
// upper bound is not searched, nor the rows of a kind the list cannot show), result names and
// results, in the order the form shows them. Matching works on the shown text, one character per
// byte, so a match's start and length are those of its bytes too.
#pragma once

#include "DefinitionText.h"
#include "EditText.h"
#include "ReportDefinition.h"

#include <QString>

#include <optional>
#include <vector>

namespace vornak {

struct SearchOptions {
    bool matchCase = false;
    bool wholeWord = false; // a letter, digit or "_" at either end of the match must not go on
};

struct TextMatch {
    TextLocation where;
    int start = 0; // in characters (= bytes) of the text
    int length = 0;

    bool operator==(const TextMatch&) const = default;
};

// The texts searched, in the order the form shows them.
std::vector<TextLocation> searchedTexts(const ReportDefinition& definition);
// True when `a` comes before `b` in that order (a place in a text that no longer exists still has
// its place, so a search can go on after a record was deleted).
bool comesBefore(const TextLocation& a, const TextLocation& b);

// The outcome of a replace-all: the changes to make in one step, or why none may be made.
struct ReplaceAll {
    std::vector<TextChange> changes;
    int replaced = 0; // matches replaced
    EditRefusal refusal = EditRefusal::None;
    std::optional<TextLocation> refusedAt; // the text that would grow too long
};

class DefinitionSearch {
public:
    DefinitionSearch() = default;
    DefinitionSearch(QString pattern, SearchOptions options);

    const QString& pattern() const { return pattern_; }
    const SearchOptions& options() const { return options_; }
    bool isEmpty() const { return pattern_.isEmpty(); }

    // The matches in one text, left to right, not overlapping: [start, length] pairs.
    std::vector<std::pair<int, int>> matchesIn(const QString& text) const;
    // Every match, in screen order.
    std::vector<TextMatch> findAll(const ReportDefinition& definition) const;

    // The match after (or, backward, before) a place: a position in a text; `inclusive` takes a
    // match starting exactly there (searching from the cursor rather than from the last match).
    // Past the last match the search wraps to the first (and back); `wrapped` says so.
    struct Step {
        std::optional<TextMatch> match;
        int index = -1; // 0-based among all matches
        int count = 0;
        bool wrapped = false;
    };
    Step step(const ReportDefinition& definition, const std::optional<TextMatch>& from, bool backward,
              bool inclusive = false) const;
    // Which of the matches `match` is (0-based), or -1 when it is none of them.
    int indexOf(const ReportDefinition& definition, const TextMatch& match) const;

    // The change that replaces one match, if the text still holds it there; nothing and a reason
    // when it does not or the file could not hold the result.
    std::optional<TextChange> replaceOne(const ReportDefinition& definition, const TextMatch& match,
                                         const QString& replacement, EditRefusal* refusal = nullptr) const;
    // Every match replaced, or nothing at all when the replacement holds what the file cannot
    // (a line break, a character without a Windows-1251 byte) or would make a text too long.
    ReplaceAll replaceAll(const ReportDefinition& definition, const QString& replacement) const;

private:
    bool isMatchAt(const QString& text, qsizetype start) const;

    QString pattern_;
    SearchOptions options_;
};

} // namespace vornak
