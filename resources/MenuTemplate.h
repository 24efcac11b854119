// The main window's menu bar: four popups with their items, commands and texts exactly as the
// menu shows them ("&" marks the access letter, the text after "\t" is the shortcut shown).
#pragma once

#include <QString>
#include <vector>

namespace vornak {

struct MenuItemTemplate {
    int id;       // the command; 0 for a separator and the recent files
    QString text; // empty for a separator
    bool separator;
    bool recentFiles; // the place of the recent files, greyed while there are none

    // The text before the first "\t" (the whole text when there is none).
    QString label() const;
    // The text after the first "\t", or empty.
    QString shortcutText() const;
};

struct MenuPopupTemplate {
    QString title; // "&Файл", "П&равка", "&Создать", "&Помощь"
    std::vector<MenuItemTemplate> items;
};

// The popups in order.
const std::vector<MenuPopupTemplate>& mainMenuTemplate();
// The item of that command anywhere in the menu, or nullptr.
const MenuItemTemplate* findMenuItem(int commandId);

} // namespace vornak
