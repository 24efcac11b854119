// The editor's commands: one row each, with the id the code finds its action by, the text the
// menu shows, the key the menu shows beside it, the other keys that run it and its picture. The
// menus, the keys and the buttons all use the one action built from a row.
#pragma once

#include "Pictures.h"

#include <QKeySequence>
#include <QList>
#include <QString>
#include <vector>

namespace vornak {

// Which modifiers may be held with the shown key and still run the command.
enum class KeyVariants {
    Exact,        // only the key as shown
    AnyCtrlShift, // F2 with Ctrl, Shift or both runs it too
    AnyShiftAlt,  // Ctrl+S with Shift, Alt or both runs it too
};

struct ActionEntry {
    QString id;              // lowerCamelCase, also the action's object name
    QString text;            // as the menu shows it, "&" before the access letter
    QKeySequence shortcut{}; // the key shown in the menu; empty for none
    KeyVariants variants = KeyVariants::Exact;
    QKeySequence alternate{}; // one more key that runs it; empty for none
    Picture picture = Picture::None;

    // Every key that runs the command, the shown one first.
    QList<QKeySequence> keys() const;
};

const std::vector<ActionEntry>& actionTable();
// The row of that id, or nullptr.
const ActionEntry* findActionEntry(QStringView id);

} // namespace vornak
