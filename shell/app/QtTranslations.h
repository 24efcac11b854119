// Qt's own texts in Russian: the buttons of message boxes (Да, Нет, Отмена), the file dialogs and
// the line edits' context menus, from Qt's translation files (Debian's qt6-translations-l10n).
#pragma once

class QCoreApplication;

namespace vornak {

// Loads qtbase_ru from Qt's translations folder into app (the translator lives as long as app).
// False when the file is not installed: Qt's texts then stay English.
// The names of keys stay Latin ("Ctrl+Up"), as the menus show them.
bool installRussianQtTexts(QCoreApplication& app);

} // namespace vornak
