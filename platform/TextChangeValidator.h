// A validator that judges each change of its line edit's text by the text before and after it, so
// that a text which was already odd (read from a file) does not switch the check off: Qt's own
// handling reverts a refused change only while the text before was acceptable, so this validator
// never calls the program's own texts unacceptable and judges only what the user changes.
#pragma once

#include <QPointer>
#include <QString>
#include <QValidator>

#include <functional>

class QLineEdit;

namespace vornak {

class TextChangeValidator : public QValidator {
    Q_OBJECT
public:
    using Judge = std::function<bool(const QString& before, const QString& after)>;

    // Follows the line edit that is its parent (set the validator on that edit). Without one, every
    // text is judged as added to an empty one.
    explicit TextChangeValidator(QObject* parent = nullptr, Judge judge = {});

    void setJudge(Judge judge);

    // Acceptable for texts the program sets (setText) and for changes the judge allows; Invalid for a
    // user's change it refuses. Never alters the input.
    State validate(QString& input, int& pos) const override;

private:
    QPointer<QLineEdit> edit_;
    QString shown_; // the edit's text before the change being judged
    Judge judge_;
};

} // namespace vornak
