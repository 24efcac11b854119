#include "DialogTemplates.h"

#include "Texts.h"

namespace vornak {

const ControlTemplate* DialogTemplate::control(QStringView name) const {
    for (const ControlTemplate& c : controls) {
        if (!c.name.isEmpty() && c.name == name) {
            return &c;
        }
    }
    return nullptr;
}

namespace {

ControlTemplate label(const QString& text, int x, int y, int w, int h) {
    return {QString(), ControlKind::Label, text, x, y, w, h};
}

// The main window lays its controls out itself; its first client size is the form's, in the
// form's font.
DialogTemplate buildMainForm() {
    return {texts::appTitle, QStringLiteral("Times New Roman"), 9, 367, 277, {}};
}

DialogTemplate buildHelpWindow() {
    return {texts::helpWindowTitle,
            QStringLiteral("Times New Roman"),
            11,
            286,
            253,
            {{QStringLiteral("helpEdit"), ControlKind::Edit, QString(), 1, 1, 284, 251, true}}};
}

DialogTemplate buildAboutBox() {
    return {texts::aboutTitle,
            QStringLiteral("Times New Roman"),
            12,
            150,
            72,
            {
                {QStringLiteral("okButton"), ControlKind::DefaultPushButton, texts::aboutOk, 59, 61, 35, 10,
                 true},
                label(QString(), 0, 0, 150, 60),
                label(texts::aboutLine1, 30, 5, 113, 8),
                label(texts::aboutLine2, 30, 15, 113, 8),
                {QString(), ControlKind::Icon, QString(), 3, 3, 20, 20},
                label(texts::aboutLine3, 3, 25, 147, 8),
                label(texts::aboutLine4, 32, 36, 85, 8),
                {QStringLiteral("webLink"), ControlKind::Label, texts::aboutWebAddress, 44, 45, 63, 8},
            }};
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

} // namespace vornak
