// The recovery question on the screen: the waiting copies in a list (file, time, what each holds),
// "Восстановить" for the selected one (the default), "Удалить…" for it, and "Позже" (Escape) for
// the rest. Parented to the main window, so it stands centred over it.
#pragma once

#include "RecoveryQuestion.h"

namespace vornak {

class RecoveryDialog : public RecoveryQuestion {
public:
    RecoveryAnswer ask(QWidget* parent, const QString& text, const std::vector<RecoveryOffer>& offers) override;
};

} // namespace vornak
