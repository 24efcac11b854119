// The seam for the one question about the recovery copies waiting at start-up or for a file just
// opened: every copy listed (its file, when it was made, what it holds), and the user restores
// one, removes one, or leaves the rest for later.
#pragma once

#include <QString>

#include <vector>

class QWidget;

namespace vornak {

struct RecoveryOffer {
    QString document; // the file, or that the document had no name
    QString time;     // when the copy was made
    QString contents; // what it holds, or why it cannot be read
    bool restorable = true;

    bool operator==(const RecoveryOffer&) const = default;
};

struct RecoveryAnswer {
    enum class Action { Restore, Remove, Later };
    Action action = Action::Later;
    int index = -1; // the offer chosen, for Restore and Remove

    bool operator==(const RecoveryAnswer&) const = default;
};

class RecoveryQuestion {
public:
    virtual ~RecoveryQuestion() = default;
    // Shown over `parent`; Escape and the close button answer Later.
    virtual RecoveryAnswer ask(QWidget* parent, const QString& text, const std::vector<RecoveryOffer>& offers) = 0;
};

} // namespace vornak
