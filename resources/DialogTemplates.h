// The dialog templates in dialog units: the help window and the About box list their controls in
// tab order and build from them; the main window takes only its first size and font from its own.
#pragma once

#include <QRect>
#include <QString>
#include <vector>

namespace vornak {

enum class ControlKind {
    Edit,         // single-line unless MultiLine is set
    BitmapButton, // push button showing only a picture
    PushButton,
    DefaultPushButton, // the button Enter presses
    RadioButton,
    CheckBox,
    ListView, // report-view list, drawn and edited by the cell grid
    GroupBox,
    Label, // static text
    Icon,  // static icon (the application icon)
};

// Control style bits, as the templates list them.
enum ControlStyle : unsigned {
    StyleNone = 0,
    StyleGroupStart = 1u << 0,
    StyleTabStop = 1u << 1,
    StyleDisabled = 1u << 2,
    StyleBorder = 1u << 3,
    StyleAutoHScroll = 1u << 4,
    StyleMultiLine = 1u << 5,
    StyleReadOnly = 1u << 6,
    StyleNoPrefix = 1u << 7, // "&" is shown as it is, not as an access letter
    StyleSingleSelection = 1u << 8,
    StyleShowSelectionAlways = 1u << 9,
    StyleEditLabels = 1u << 10,
    StyleOwnerDrawFixed = 1u << 11,
    StyleLeftAligned = 1u << 12,
};

// Window style bits of a template.
enum DialogStyle : unsigned {
    DialogNone = 0,
    DialogVisible = 1u << 0,
    DialogCaption = 1u << 1,
    DialogSystemMenu = 1u << 2,
    DialogMinimizeBox = 1u << 3,
    DialogModalFrame = 1u << 4,
    DialogAppWindow = 1u << 5, // shown on the taskbar
    DialogExtended = 1u << 6,  // extended template (font weight and italic given)
};

struct ControlTemplate {
    int id; // ctl::Static for controls without an id
    ControlKind kind;
    QString text;            // empty when the control shows none
    int x, y, width, height; // dialog units
    unsigned style;          // ControlStyle bits

    QRect rect() const { return QRect(x, y, width, height); }
    bool has(ControlStyle s) const { return (style & s) != 0; }
};

struct DialogTemplate {
    int id;
    QString caption;
    QString fontFace;
    int fontPointSize;
    int width, height;                     // dialog units
    unsigned style;                        // DialogStyle bits
    std::vector<ControlTemplate> controls; // in tab order

    // The control with that id, or nullptr; for ctl::Static the first control without an id.
    const ControlTemplate* control(int controlId) const;
    bool has(DialogStyle s) const { return (style & s) != 0; }
};

const DialogTemplate& mainFormTemplate();   // 102
const DialogTemplate& helpWindowTemplate(); // 103
const DialogTemplate& aboutBoxTemplate();   // 100
// The template with that id, or nullptr.
const DialogTemplate* findDialogTemplate(int id);

} // namespace vornak
