// Menu 129, the main form's menu bar: four popups with their items, ids and texts exactly as the
// menu shows them ("&" marks the access letter, the text after "\t" is the shortcut shown).
#pragma once

#include <QString>
#include <vector>

namespace vornak {

struct MenuItemTemplate {
    int id;       // 0 for a separator
    QString text; // empty for a separator
    bool separator;
    bool grayed; // initially greyed (the recent-file placeholder)

    // The text before the first "\t" (the whole text when there is none).
    QString label() const;
    // The text after the first "\t", or empty.
    QString shortcutText() const;
};

struct MenuPopupTemplate {
    QString title; // "&Файл", "&Правка", "&Создать", "&Помощь"
    std::vector<MenuItemTemplate> items;
};

// Menu 129 in order.
const std::vector<MenuPopupTemplate>& mainMenuTemplate();
// The item with that command id anywhere in menu 129, or nullptr (separators are not found).
const MenuItemTemplate* findMenuItem(int commandId);

} // namespace vornak
