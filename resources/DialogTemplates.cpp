#include "DialogTemplates.h"

#include "CommandIds.h"
#include "Texts.h"

namespace vornak {

const ControlTemplate* DialogTemplate::control(int controlId) const {
    for (const ControlTemplate& c : controls) {
        if (c.id == controlId) {
            return &c;
        }
    }
    return nullptr;
}

namespace {

constexpr unsigned editStyle = StyleBorder | StyleTabStop | StyleAutoHScroll;
constexpr unsigned listStyle = StyleSingleSelection | StyleShowSelectionAlways | StyleEditLabels |
                               StyleOwnerDrawFixed | StyleBorder | StyleTabStop;
constexpr unsigned buttonStyle = StyleTabStop;
constexpr unsigned labelStyle = StyleLeftAligned;

ControlTemplate edit(int id, int x, int y, int w, int h, unsigned extra = 0) {
    return {id, ControlKind::Edit, QString(), x, y, w, h, editStyle | extra};
}
ControlTemplate list(int id, int x, int y, int w, int h) {
    return {id, ControlKind::ListView, QString(), x, y, w, h, listStyle};
}
ControlTemplate bitmapButton(int id, int x, int y, int w, int h) {
    return {id, ControlKind::BitmapButton, QString(), x, y, w, h, buttonStyle};
}
ControlTemplate label(const QString& text, int x, int y, int w, int h, unsigned extra = 0) {
    return {ctl::Static, ControlKind::Label, text, x, y, w, h, labelStyle | extra};
}

DialogTemplate buildMainForm() {
    DialogTemplate t;
    t.id = ids::MainFormTemplate;
    t.caption = texts::appTitle;
    t.fontFace = QStringLiteral("Times New Roman");
    t.fontPointSize = 9;
    t.width = 367;
    t.height = 277;
    t.style = DialogVisible | DialogCaption | DialogSystemMenu | DialogMinimizeBox | DialogAppWindow |
              DialogExtended;
    t.menuId = ids::MainMenu;
    t.controls = {
        edit(ctl::TitleEdit, 28, 5, 157, 12),
        edit(ctl::DocumentFileEdit, 226, 5, 124, 12),
        bitmapButton(ctl::BrowseButton, 350, 5, 13, 12),
        edit(ctl::Input1CaptionEdit, 28, 22, 89, 12),
        edit(ctl::Input2CaptionEdit, 148, 22, 89, 12),
        edit(ctl::SurnameCaptionEdit, 271, 22, 92, 12),
        list(ctl::ParameterList, 4, 58, 161, 169),
        bitmapButton(ctl::AddParameterButton, 130, 42, 14, 13),
        bitmapButton(ctl::DeleteParameterButton, 151, 42, 14, 13),
        {ctl::KindList, ControlKind::RadioButton, texts::kindList, 220, 52, 32, 10,
         StyleGroupStart | StyleTabStop},
        {ctl::KindRange, ControlKind::RadioButton, texts::kindRange, 260, 52, 38, 10, StyleNone},
        {ctl::KindInput, ControlKind::RadioButton, texts::kindInput, 305, 52, 31, 10, StyleNone},
        {ctl::NumberCheck, ControlKind::CheckBox, texts::numberCheck, 175, 66, 30, 10, StyleTabStop},
        {ctl::FormulaCheck, ControlKind::CheckBox, texts::formulaCheck, 220, 66, 42, 10, StyleTabStop},
        edit(ctl::FormulaEdit, 262, 65, 43, 12, StyleDisabled),
        list(ctl::ValueList, 174, 84, 185, 138),
        bitmapButton(ctl::AddValueButton, 326, 68, 14, 13),
        bitmapButton(ctl::DeleteValueButton, 345, 68, 14, 13),
        list(ctl::ResultList, 20, 230, 145, 45),
        bitmapButton(ctl::AddResultButton, 4, 230, 14, 13),
        bitmapButton(ctl::DeleteResultButton, 4, 248, 14, 13),
        edit(ctl::AuthorEdit, 194, 235, 73, 12),
        edit(ctl::OrganisationEdit, 299, 235, 65, 12),
        edit(ctl::SourceEdit, 194, 257, 105, 12),
        edit(ctl::DateEdit, 324, 257, 40, 12),
        {ctl::Static, ControlKind::GroupBox, texts::groupParameterValues, 169, 39, 195, 188, StyleNone},
        label(texts::labelParameters, 4, 44, 36, 8, StyleGroupStart),
        label(texts::labelValueType, 175, 52, 42, 8),
        label(texts::labelDocument, 193, 7, 31, 8),
        label(texts::labelInput1, 4, 24, 23, 8),
        label(texts::labelInput2, 122, 24, 22, 8),
        label(texts::labelAuthor, 169, 237, 23, 8),
        label(texts::labelSource, 169, 259, 24, 8),
        label(texts::labelOrganisation, 269, 237, 28, 8),
        label(texts::labelDate, 305, 259, 16, 8),
        label(texts::labelTitle, 4, 7, 23, 8),
        label(texts::labelSurname, 241, 24, 28, 8),
    };
    return t;
}

DialogTemplate buildHelpWindow() {
    DialogTemplate t;
    t.id = ids::HelpWindowTemplate;
    t.caption = texts::helpWindowTitle;
    t.fontFace = QStringLiteral("Times New Roman");
    t.fontPointSize = 11;
    t.width = 286;
    t.height = 253;
    t.style = DialogCaption | DialogSystemMenu | DialogModalFrame;
    t.menuId = 0;
    t.controls = {
        {ctl::HelpEdit, ControlKind::Edit, QString(), 1, 1, 284, 251,
         StyleBorder | StyleTabStop | StyleMultiLine | StyleReadOnly},
    };
    return t;
}

DialogTemplate buildAboutBox() {
    DialogTemplate t;
    t.id = ids::AboutBoxTemplate;
    t.caption = texts::aboutTitle;
    t.fontFace = QStringLiteral("Times New Roman");
    t.fontPointSize = 12;
    t.width = 150;
    t.height = 72;
    t.style = DialogCaption | DialogSystemMenu | DialogModalFrame | DialogExtended;
    t.menuId = 0;
    t.controls = {
        {cmd::Ok, ControlKind::DefaultPushButton, texts::aboutOk, 59, 61, 35, 10,
         StyleGroupStart | StyleTabStop},
        label(QString(), 0, 0, 150, 60),
        label(texts::aboutLine1, 30, 5, 113, 8, StyleGroupStart | StyleNoPrefix),
        label(texts::aboutLine2, 30, 15, 113, 8, StyleGroupStart),
        {ctl::Static, ControlKind::Icon, QString(), 3, 3, 20, 20, StyleNone},
        label(texts::aboutLine3, 3, 25, 147, 8, StyleGroupStart),
        label(texts::aboutLine4, 32, 36, 85, 8, StyleGroupStart),
        {ctl::WebLink, ControlKind::Label, texts::aboutWebAddress, 44, 45, 63, 8,
         labelStyle | StyleGroupStart},
    };
    return t;
}

} // namespace

const DialogTemplate& mainFormTemplate() {
    static const DialogTemplate t = buildMainForm();
    return t;
}

const DialogTemplate& helpWindowTemplate() {
    static const DialogTemplate t = buildHelpWindow();
    return t;
}

const DialogTemplate& aboutBoxTemplate() {
    static const DialogTemplate t = buildAboutBox();
    return t;
}

const DialogTemplate* findDialogTemplate(int id) {
    switch (id) {
    case ids::MainFormTemplate:
        return &mainFormTemplate();
    case ids::HelpWindowTemplate:
        return &helpWindowTemplate();
    case ids::AboutBoxTemplate:
        return &aboutBoxTemplate();
    default:
        return nullptr;
    }
}

} // namespace vornak
