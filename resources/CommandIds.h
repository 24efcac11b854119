// The editor's numbers: the pictures and cursor, the commands of the menu, and the ids of the
// controls of the main window, the help window and the About box. Tests and the menu table name
// commands and controls by them.
#pragma once

namespace vornak {

namespace ids {
// Dialog templates.
inline constexpr int AboutBoxTemplate = 100;
inline constexpr int MainFormTemplate = 102;
inline constexpr int HelpWindowTemplate = 103;
// Bitmaps.
inline constexpr int BitmapAdd = 130;           // 16 x 15, dashed rectangle with a yellow spark
inline constexpr int BitmapDelete = 131;        // 16 x 15, red cross
inline constexpr int BitmapOpenFolder = 147;    // 16 x 16, opened folder
inline constexpr int BitmapQuestion = 148;      // 16 x 16, yellow question mark
inline constexpr int BitmapParameterPage = 149; // 16 x 16, page with the letter П
inline constexpr int BitmapDiskette = 150;      // 16 x 16, diskette
inline constexpr int BitmapValuePage = 151;     // 16 x 16, page with the letter З
inline constexpr int BitmapResultPage = 152;    // 16 x 16, page with the letter Р
inline constexpr int BitmapBlankPage = 153;     // 16 x 16, blank page
// Cursor.
inline constexpr int HandCursor = 23460; // 32 x 32, hot spot (5, 0)
} // namespace ids

namespace cmd {
inline constexpr int Ok = 1; // default button / Enter
// File menu.
inline constexpr int FileNew = 57600;
inline constexpr int FileOpen = 57601;
inline constexpr int FileSave = 57603;
inline constexpr int FileSaveAs = 57604;
inline constexpr int SaveTable = 32782;
inline constexpr int CompareWithFile = 32787;
inline constexpr int Print = 57607;
inline constexpr int Exit = 32773;
// Edit menu.
inline constexpr int Undo = 57643;
inline constexpr int Redo = 57644;
inline constexpr int Cut = 57635;     // rows of a list, or a field's text
inline constexpr int Copy = 57634;
inline constexpr int Paste = 57637;
inline constexpr int Find = 57636;    // the find bar
inline constexpr int Replace = 57641; // the find bar with its replace field
inline constexpr int MoveUp = 32783;
inline constexpr int MoveDown = 32784;
inline constexpr int Duplicate = 32785;
inline constexpr int Checks = 32786; // the checks window, F7
// Create menu.
inline constexpr int AddParameter = 32776;
inline constexpr int AddValue = 32777;
inline constexpr int AddResult = 32780;
inline constexpr int DeleteParameter = 32778;
inline constexpr int DeleteValue = 32779;
inline constexpr int DeleteResult = 32781;
// Help menu.
inline constexpr int Help = 32775;
inline constexpr int About = 32774;
// The About entry appended to the window's system menu.
inline constexpr int SystemAbout = 0x0010;

// A system-menu command is the About entry when its id, masked with 0xFFF0, equals 0x0010.
constexpr bool isSystemAboutCommand(unsigned id) {
    return (id & 0xFFF0u) == static_cast<unsigned>(SystemAbout);
}
} // namespace cmd

namespace ctl {
// Main form, template 102.
inline constexpr int ParameterList = 1000;
inline constexpr int KindInput = 1006;
inline constexpr int KindList = 1007;
inline constexpr int KindRange = 1008;
inline constexpr int ValueList = 1009;
inline constexpr int AddValueButton = 1010;
inline constexpr int DeleteValueButton = 1011;
inline constexpr int AddParameterButton = 1012;
inline constexpr int DeleteParameterButton = 1013;
inline constexpr int AddResultButton = 1014;
inline constexpr int ResultList = 1015;
inline constexpr int DeleteResultButton = 1016;
inline constexpr int Input1CaptionEdit = 1017;
inline constexpr int DocumentFileEdit = 1018;
inline constexpr int Input2CaptionEdit = 1019;
inline constexpr int AuthorEdit = 1020;
inline constexpr int SourceEdit = 1021;
inline constexpr int OrganisationEdit = 1022;
inline constexpr int DateEdit = 1023;
inline constexpr int BrowseButton = 1024;
inline constexpr int TitleEdit = 1025;
inline constexpr int NumberCheck = 1026;
inline constexpr int SurnameCaptionEdit = 1027;
inline constexpr int FormulaCheck = 1028;
inline constexpr int FormulaEdit = 1029;
// The nine report-text fields in the order the file holds the texts.
inline constexpr int reportTextEdits[9] = {TitleEdit,         DocumentFileEdit,   Input1CaptionEdit,
                                           Input2CaptionEdit, SurnameCaptionEdit, AuthorEdit,
                                           SourceEdit,        OrganisationEdit,   DateEdit};
// Help window, template 103.
inline constexpr int HelpEdit = 1031;
// About box, template 100 (the same number as the date edit, in another template).
inline constexpr int WebLink = 1023;
// Controls without an id.
inline constexpr int Static = -1;
} // namespace ctl

} // namespace vornak
