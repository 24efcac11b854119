// Decides who takes Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z typed into a line edit of the form (Ctrl+Y and
// Ctrl+Shift+Z alike redo, in an editor as in the document). A line
// edit claims them for its own typing whenever it is editable, which would leave the document's
// undo unreachable from every field and cell editor: here a cell editor keeps them only while it
// has typing to undo or redo, and a field bound to the document (whose typing already is a
// document step) never keeps them. This is the one key rule the form's shortcuts cannot express.
#pragma once

#include <QObject>

#include <functional>

class QLineEdit;
class QWidget;

namespace vornak {

class UndoKeyRouter : public QObject {
    Q_OBJECT

public:
    // Watches the line edits inside window; isBound says whether an edit is a bound field.
    UndoKeyRouter(QWidget& window, std::function<bool(const QLineEdit*)> isBound);
    ~UndoKeyRouter() override;
    UndoKeyRouter(const UndoKeyRouter&) = delete;
    UndoKeyRouter& operator=(const UndoKeyRouter&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    std::function<bool(const QLineEdit*)> isBound_;
};

} // namespace vornak
