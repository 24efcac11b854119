#include "MenuTable.h"

namespace vornak {

namespace {

MenuEntry command(const char* id) {
    return MenuEntry{MenuEntry::Kind::Command, QString::fromLatin1(id)};
}

const MenuEntry separator{MenuEntry::Kind::Separator, QString()};
const MenuEntry recentFiles{MenuEntry::Kind::RecentFiles, QString()};

} // namespace

const std::vector<MenuPopup>& mainMenu() {
    static const std::vector<MenuPopup> menu = {
        {QStringLiteral("&Файл"),
         {command("fileNew"), command("fileOpen"), command("fileSave"), command("fileSaveAs"),
          command("fileSaveTable"), command("fileCompare"), command("filePrint"), separator, recentFiles,
          separator, command("fileExit")}},
        {QStringLiteral("П&равка"),
         {command("editUndo"), command("editRedo"), separator, command("editCut"), command("editCopy"),
          command("editPaste"), separator, command("editFind"), command("editReplace"), separator,
          command("editMoveUp"), command("editMoveDown"), command("editDuplicate"), separator,
          command("editChecks")}},
        {QStringLiteral("&Создать"),
         {command("addParameter"), command("addValue"), command("addResult"), separator,
          command("deleteParameter"), command("deleteValue"), command("deleteResult")}},
        {QStringLiteral("&Помощь"), {command("helpUsage"), separator, command("helpAbout")}},
    };
    return menu;
}

} // namespace vornak
