// The main window's form in a scroll area that asks for no more room than the screen has: at any
// scale and font size the window's minimum fits the screen's available area, and where the form
// needs more it scrolls instead of running off the screen.
#pragma once

#include <QScrollArea>

namespace vornak {

class FormScrollArea : public QScrollArea {
    Q_OBJECT

public:
    // Takes the form as its widget; the form is stretched to fill the area where it fits.
    explicit FormScrollArea(QWidget* form, QWidget* parent = nullptr);

    QWidget* form() const { return widget(); }
    // The form's own minimum, or less where the screen (less what the window puts around the area)
    // is smaller.
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    // The room the screen leaves for the area: its available size less the window's frame and
    // what the window shows beside the area (menu bar, panels). Empty when not yet on a screen.
    QSize screenRoom() const;

protected:
    bool event(QEvent* event) override;
};

} // namespace vornak
