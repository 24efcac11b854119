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

constexpr unsigned labelStyle = StyleLeftAligned;

ControlTemplate label(const QString& text, int x, int y, int w, int h, unsigned extra = 0) {
    return {ctl::Static, ControlKind::Label, text, x, y, w, h, labelStyle | extra};
}

// The main window lays its controls out itself; its first client size is the form's, in the
// form's font.
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
