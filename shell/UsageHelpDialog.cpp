#include "UsageHelpDialog.h"

#include "CommandIds.h"
#include "DialogTemplates.h"
#include "DialogUnits.h"
#include "HelpText.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace vornak {

UsageHelpDialog::UsageHelpDialog(QWidget* parent) : QDialog(parent) {
    const DialogTemplate& layout = helpWindowTemplate();
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(layout.caption);
    setFont(DialogUnits::templateFont(layout.fontFace, layout.fontPointSize));
    const DialogUnits units(font());
    setFixedSize(units.toPixels(QSize(layout.width, layout.height)));

    const ControlTemplate* edit = layout.control(ctl::HelpEdit);
    helpEdit_ = new QPlainTextEdit(this);
    helpEdit_->setObjectName(QStringLiteral("helpEdit"));
    helpEdit_->setGeometry(units.toPixels(edit->rect()));
    helpEdit_->setReadOnly(true);
    helpEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    helpEdit_->setTabChangesFocus(true);
    helpEdit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    helpEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    helpEdit_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    helpEdit_->setFrameShape(QFrame::Box);
    helpEdit_->document()->setDocumentMargin(2); // an edit control's narrow inner margin
    // The edit holds lines; the CR LF pairs of the text are its line ends.
    helpEdit_->setPlainText(QString(helpText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

UsageHelpDialog::~UsageHelpDialog() = default;

void UsageHelpDialog::showAndActivate() {
    show();
    raise();
    activateWindow();
}

void UsageHelpDialog::accept() {
}

void UsageHelpDialog::reject() {
    if (mainWindow_ != nullptr) {
        mainWindow_->activateWindow();
    }
    QDialog::reject();
}

void UsageHelpDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // From line 1 with nothing selected, every time the window becomes visible.
    QTextCursor cursor = helpEdit_->textCursor();
    cursor.movePosition(QTextCursor::Start);
    helpEdit_->setTextCursor(cursor);
    helpEdit_->verticalScrollBar()->setValue(0);
    helpEdit_->ensureCursorVisible();
}

} // namespace vornak
