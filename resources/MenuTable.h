// The main window's menu bar: its four menus, each a list of command ids in order with the
// separators between them and the place of the recent files. The texts and keys come with the
// commands from the action table.
#pragma once

#include <QString>
#include <vector>

namespace vornak {

struct MenuEntry {
    enum class Kind {
        Command, // the action of commandId
        Separator,
        RecentFiles, // the place of the recent files, greyed while there are none
    };
    Kind kind = Kind::Command;
    QString commandId; // the action table's id; empty unless a command
};

struct MenuPopup {
    QString title; // "&Файл", "П&равка", "&Создать", "&Помощь"
    std::vector<MenuEntry> entries;
};

// The menus in order.
const std::vector<MenuPopup>& mainMenu();

} // namespace vornak
