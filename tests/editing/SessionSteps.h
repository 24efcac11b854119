// One step of a randomized editing session, kept as data so that a failing session can be replayed
// from a fresh window, cut down and printed. Numbers that name a row or column are taken modulo
// what the list holds when the step runs, so a step stays meaningful in a shorter session.
#pragma once

#include <QString>

#include <random>
#include <string>
#include <vector>

namespace vornak::testing {

enum class StepAction {
    Click,        // grid, row, modifiers (0 none, 1 Shift, 2 Ctrl)
    Drag,         // grid, first row, last row
    EditCell,     // grid, row, column; text typed; ending (see EditEnding)
    TypeInEditor, // text typed into the open cell editor; ending
    TypeField,    // field (0 title, else another report text); text
    UndoRedo,     // 0 undo / 1 redo; 0 by the menu's action / 1 by key where the focus is
    Record,       // which record command; the grid focused first; whether several rows are confirmed
    Kind,         // kind 0..2 by its radio button
    Flag,         // 0 number, 1 formula check box
    Find,         // mode (see FindMode); text: pattern; text2: replacement
    Paste,        // grid, row; format (0 TSV, 1 HTML, 2 both, 3 a table of large spans); text: rows
    Drop,         // grid, row dropped in front of; what (0 its own selected rows, 1 TSV text, 2 the parameter list's
                  // selected rows); text: rows
    Panel,        // 0 checks panel (F7), 1 find bar (Ctrl+F), 2 Escape where the focus is
    Save,         // 0 Save, 1 Save As; file number
    Kill,         // the editor is killed; its recovery copy is restored in a fresh window
};

enum EditEnding { Enter, Tab, BackTab, Escape, Up, Down, CtrlUp, CtrlDown, LeaveOpen, EndingCount };
enum FindMode { FindOnly, FindNext, ReplaceOne, ReplaceAll, FindModeCount };

struct Step {
    StepAction action = StepAction::Click;
    int a = 0;
    int b = 0;
    int c = 0;
    int d = 0;
    QString text;
    QString text2;

    // One line, readable and read back by parse: "edit 1 4 2 7 \"жук\" \"\"".
    std::string toLine() const;
    // The step of a line written by toLine; false when the line is not one.
    static bool parse(const std::string& line, Step& step);
    bool operator==(const Step&) const = default;
};

// Draws random steps; the same seed gives the same steps.
class StepSource {
public:
    explicit StepSource(unsigned seed) : random_(seed) {}
    Step next();

private:
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
    QString word();
    QString tableText(bool html);

    std::mt19937 random_;
};

// Steps read from text, one per line as toLine writes them; '#' starts a comment. Lines that are not
// steps are named in `error`.
std::vector<Step> parseSteps(const std::string& text, std::string& error);

} // namespace vornak::testing
