// The seam for message boxes: the Yes/No/Cancel and Yes/No questions and the error box.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vornak {

enum class MessageAnswer { Yes, No, Cancel, Ok };

enum class MessageKind { Question, Error, Information };

// What was shown, as a scripted box records it.
struct MessageRequest {
    MessageKind kind = MessageKind::Question;
    QString text;
    QString caption;
    MessageAnswer defaultButton = MessageAnswer::Ok;

    bool operator==(const MessageRequest&) const = default;
};

class MessageBox {
public:
    virtual ~MessageBox() = default;

    // Yes, No and Cancel, no icon; Escape and the close button answer Cancel.
    virtual MessageAnswer askYesNoCancel(QWidget* parent, const QString& text, const QString& caption,
                                         MessageAnswer defaultButton = MessageAnswer::Yes) = 0;
    // Yes and No with the warning icon; Escape and the close button answer No.
    virtual MessageAnswer askYesNo(QWidget* parent, const QString& text, const QString& caption,
                                   MessageAnswer defaultButton = MessageAnswer::No) = 0;
    // A question with buttons of the caller's own texts, in order, with the question icon: the
    // index of the button chosen; Escape and the close button choose escapeButton.
    virtual int askChoice(QWidget* parent, const QString& text, const QString& caption,
                          const QStringList& buttons, int defaultButton, int escapeButton) = 0;
    // An OK box with the error icon.
    virtual void showError(QWidget* parent, const QString& text, const QString& caption) = 0;
    // An OK box with the information icon.
    virtual void showInformation(QWidget* parent, const QString& text, const QString& caption) = 0;
};

} // namespace vornak
