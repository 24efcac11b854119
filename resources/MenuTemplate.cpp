#include "MenuTemplate.h"

#include "CommandIds.h"
#include "Texts.h"

namespace vornak {

QString MenuItemTemplate::label() const {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? text : text.left(tab);
}

QString MenuItemTemplate::shortcutText() const {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? QString() : text.mid(tab + 1);
}

namespace {

MenuItemTemplate item(int id, const QString& text) {
    return MenuItemTemplate{id, text, false, false};
}

MenuItemTemplate separator() {
    return MenuItemTemplate{0, QString(), true, false};
}

} // namespace

const std::vector<MenuPopupTemplate>& mainMenuTemplate() {
    static const std::vector<MenuPopupTemplate> menu = {
        {QStringLiteral("&Файл"),
         {
             item(cmd::FileNew, QStringLiteral("&Новый\tCtrl+N")),
             item(cmd::FileOpen, QStringLiteral("&Открыть\tCtrl+O")),
             item(cmd::FileSave, QStringLiteral("&Сохранить\tCtrl+S")),
             item(cmd::FileSaveAs, QStringLiteral("Сохранить &как...")),
             item(cmd::SaveTable, QStringLiteral("Сохранить &таблицу...")),
             item(cmd::CompareWithFile, QStringLiteral("Сра&внить с файлом...")),
             item(cmd::Print, QStringLiteral("&Печать...\tCtrl+P")),
             separator(),
             MenuItemTemplate{0, texts::recentFilesPlaceholder, false, true},
             separator(),
             item(cmd::Exit, QStringLiteral("В&ыход")),
         }},
        {QStringLiteral("П&равка"),
         {
             item(cmd::Undo, QStringLiteral("&Отменить\tCtrl+Z")),
             item(cmd::Redo, QStringLiteral("&Повторить\tCtrl+Y")),
             separator(),
             item(cmd::Cut, QStringLiteral("Вы&резать\tCtrl+X")),
             item(cmd::Copy, QStringLiteral("&Копировать\tCtrl+C")),
             item(cmd::Paste, QStringLiteral("Вст&авить\tCtrl+V")),
             separator(),
             item(cmd::Find, QStringLiteral("На&йти...\tCtrl+F")),
             item(cmd::Replace, QStringLiteral("&Заменить...\tCtrl+H")),
             separator(),
             item(cmd::MoveUp, QStringLiteral("Переместить &выше\tCtrl+Up")),
             item(cmd::MoveDown, QStringLiteral("Переместить &ниже\tCtrl+Down")),
             item(cmd::Duplicate, QStringLiteral("&Дублировать\tCtrl+D")),
             separator(),
             item(cmd::Checks, QStringLiteral("Пров&ерка...\tF7")),
         }},
        {QStringLiteral("&Создать"),
         {
             item(cmd::AddParameter, QStringLiteral("Добавить &Параметр\tF2")),
             item(cmd::AddValue, QStringLiteral("Добавить &Значение\tF3")),
             item(cmd::AddResult, QStringLiteral("Добавить &Результат\tF4")),
             separator(),
             item(cmd::DeleteParameter, QStringLiteral("Удалить П&араметр")),
             item(cmd::DeleteValue, QStringLiteral("Удалить З&начение")),
             item(cmd::DeleteResult, QStringLiteral("Удалить Р&езультат")),
         }},
        {QStringLiteral("&Помощь"),
         {
             item(cmd::Help, QStringLiteral("&Помощь...\tF1")),
             separator(),
             item(cmd::About, QStringLiteral("&О программе...")),
         }},
    };
    return menu;
}

const MenuItemTemplate* findMenuItem(int commandId) {
    for (const MenuPopupTemplate& popup : mainMenuTemplate()) {
        for (const MenuItemTemplate& entry : popup.items) {
            if (!entry.separator && !entry.recentFiles && entry.id == commandId) {
                return &entry;
            }
        }
    }
    return nullptr;
}

} // namespace vornak
