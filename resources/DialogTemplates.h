// The boxes' first sizes and fonts in dialog units: the help window and the About box place their
// controls from them, in tab order; the main window takes only its first size and font from its own.
#pragma once

#include <QRect>
#include <QString>
#include <vector>

namespace vornak {

enum class ControlKind {
    Edit,
    DefaultPushButton, // the button Enter presses
    Label,             // static text; the one named "webLink" is the web address, a link
    Icon,              // the application icon
};

struct ControlTemplate {
    QString name; // the widget's object name; empty for the static texts and the icon
    ControlKind kind;
    QString text;            // empty when the control shows none
    int x, y, width, height; // dialog units
    bool tabStop = false;    // Tab stops on it

    QRect rect() const { return QRect(x, y, width, height); }
};

struct DialogTemplate {
    QString caption;
    QString fontFace;
    int fontPointSize;
    int width, height;                     // dialog units
    std::vector<ControlTemplate> controls; // in tab order

    // The control of that name, or nullptr.
    const ControlTemplate* control(QStringView name) const;
};

const DialogTemplate& mainFormTemplate();
const DialogTemplate& helpWindowTemplate();
const DialogTemplate& aboutBoxTemplate();

} // namespace vornak
