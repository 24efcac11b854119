#include "UsageHelpDialog.h"

#include "DialogTemplates.h"
#include "DialogUnits.h"
#include "HelpText.h"

#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace vornak {

UsageHelpDialog::UsageHelpDialog(QWidget* parent) : QDialog(parent) {
    const DialogTemplate& layout = helpWindowTemplate();
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(layout.caption);
    setFont(DialogUnits::templateFont(layout.fontFace, layout.fontPointSize));
    const DialogUnits units(font());
    setFixedSize(units.toPixels(QSize(layout.width, layout.height)));

    const ControlTemplate* edit = layout.control(QStringLiteral("helpEdit"));
    helpEdit_ = new QPlainTextEdit(this);
    helpEdit_->setObjectName(edit->name);
    helpEdit_->setGeometry(units.toPixels(edit->rect()));
    helpEdit_->setReadOnly(true);
    helpEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    helpEdit_->setTabChangesFocus(true);
    helpEdit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Where the screen is too small for every line a scroll bar says that more follows.
    helpEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    helpEdit_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    helpEdit_->setFrameShape(QFrame::Box);
    helpEdit_->document()->setDocumentMargin(2); // an edit control's narrow inner margin
    // The edit holds lines; the CR LF pairs of the text are its line ends.
    helpEdit_->setPlainText(QString(helpText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    showAllLines();
}

void UsageHelpDialog::showAllLines() {
    // The template's size holds fewer lines than the text in the fonts found here: the window grows
    // downwards until every line, wrapped as the edit wraps it, shows, as far as the screen lets it.
    const qreal margin = helpEdit_->document()->documentMargin();
    const qreal lineWidth = helpEdit_->contentsRect().width() - 2 * margin - helpEdit_->cursorWidth();
    QTextOption wrapping;
    wrapping.setWrapMode(helpEdit_->wordWrapMode());
    qreal needed = 2 * margin;
    for (QTextBlock block = helpEdit_->document()->begin(); block.isValid(); block = block.next()) {
        QTextLayout lines(block.text(), helpEdit_->font());
        lines.setTextOption(wrapping);
        lines.beginLayout();
        for (QTextLine line = lines.createLine(); line.isValid(); line = lines.createLine()) {
            line.setLineWidth(lineWidth);
            needed += line.leading() + line.height();
        }
        lines.endLayout();
    }
    grow(static_cast<int>(std::ceil(needed)) - helpEdit_->contentsRect().height());
}

void UsageHelpDialog::grow(int pixels) {
    if (const QScreen* where = screen()) {
        pixels = std::min(pixels, where->availableGeometry().height() - frameGeometry().height());
    }
    if (pixels > 0) {
        helpEdit_->resize(helpEdit_->width(), helpEdit_->height() + pixels);
        setFixedSize(width(), height() + pixels);
    }
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
    // The edit has now laid the text out at its size and counts, in lines, what it still cannot
    // show (a line cut at the bottom counts too): the first time, the window takes that room.
    if (!fitted_) {
        fitted_ = true;
        grow(helpEdit_->verticalScrollBar()->maximum() * helpEdit_->fontMetrics().lineSpacing());
    }
}

} // namespace vornak
