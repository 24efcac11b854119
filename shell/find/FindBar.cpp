#include "FindBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace vornak {

namespace {

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("findBar"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 2, 0, 2);
    column->setSpacing(2);

    auto* findRow = new QHBoxLayout;
    auto* findLabel = new QLabel(QStringLiteral("Найти:"), this);
    findField_ = new QLineEdit(this);
    findField_->setObjectName(QStringLiteral("findField"));
    findField_->setClearButtonEnabled(true);
    findField_->setAcceptDrops(false);
    findLabel->setBuddy(findField_);
    matchCase_ = new QCheckBox(QStringLiteral("Учитывать регистр"), this);
    matchCase_->setObjectName(QStringLiteral("matchCase"));
    wholeWord_ = new QCheckBox(QStringLiteral("Слова целиком"), this);
    wholeWord_->setObjectName(QStringLiteral("wholeWord"));
    previous_ = new QToolButton(this);
    previous_->setObjectName(QStringLiteral("findPrevious"));
    previous_->setArrowType(Qt::UpArrow);
    previous_->setToolTip(QStringLiteral("Предыдущее совпадение (Shift+Enter)"));
    next_ = new QToolButton(this);
    next_->setObjectName(QStringLiteral("findNext"));
    next_->setArrowType(Qt::DownArrow);
    next_->setToolTip(QStringLiteral("Следующее совпадение (Enter)"));
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("matchCount"));
    // The count keeps the width of its longest text, so that nothing beside it moves as it changes.
    int countWidth = 0;
    for (const QString& widest :
         {QStringLiteral("00000 из 00000"), QStringLiteral("00000 найдено"), QStringLiteral("Не найдено")}) {
        countWidth = std::max(countWidth, count_->fontMetrics().horizontalAdvance(widest));
    }
    count_->setText(QStringLiteral("Не найдено"));
    count_->setFixedSize(countWidth + 2 * count_->margin() + 4, count_->sizeHint().height());
    count_->clear();
    close_ = new QToolButton(this);
    close_->setObjectName(QStringLiteral("closeFind"));
    close_->setText(QStringLiteral("✕"));
    close_->setAutoRaise(true);
    close_->setToolTip(QStringLiteral("Закрыть (Esc)"));
    // The buttons show pictures only: a screen reader says what they do.
    previous_->setAccessibleName(QStringLiteral("Предыдущее совпадение"));
    next_->setAccessibleName(QStringLiteral("Следующее совпадение"));
    close_->setAccessibleName(QStringLiteral("Закрыть поиск"));
    findRow->addWidget(findLabel);
    findRow->addWidget(findField_, 1);
    findRow->addWidget(previous_);
    findRow->addWidget(next_);
    findRow->addWidget(count_);
    findRow->addWidget(matchCase_);
    findRow->addWidget(wholeWord_);
    findRow->addWidget(close_);
    column->addLayout(findRow);

    replaceRow_ = new QWidget(this);
    auto* replaceRow = new QHBoxLayout(replaceRow_);
    replaceRow->setContentsMargins(0, 0, 0, 0);
    auto* replaceLabel = new QLabel(QStringLiteral("Заменить на:"), replaceRow_);
    replaceField_ = new QLineEdit(replaceRow_);
    replaceField_->setObjectName(QStringLiteral("replaceField"));
    replaceField_->setAcceptDrops(false);
    replaceLabel->setBuddy(replaceField_);
    replaceOne_ = new QPushButton(QStringLiteral("Заменить"), replaceRow_);
    replaceOne_->setObjectName(QStringLiteral("replaceOne"));
    replaceOne_->setAutoDefault(false);
    replaceAll_ = new QPushButton(QStringLiteral("Заменить все"), replaceRow_);
    replaceAll_->setObjectName(QStringLiteral("replaceAll"));
    replaceAll_->setAutoDefault(false);
    replaceRow->addWidget(replaceLabel);
    replaceRow->addWidget(replaceField_, 1);
    replaceRow->addWidget(replaceOne_);
    replaceRow->addWidget(replaceAll_);
    column->addWidget(replaceRow_);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("findStatus"));
    // One line, kept whether or not there is a note, so that the fields above never move; a note
    // too long for the line is cut, and its tooltip holds all of it.
    status_->setWordWrap(false);
    status_->setTextFormat(Qt::PlainText);
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    status_->setText(QStringLiteral("Ж"));
    status_->setFixedHeight(status_->sizeHint().height());
    status_->clear();
    column->addWidget(status_);

    // The labels line up: both fields start at the same place.
    const int labelWidth = std::max(findLabel->sizeHint().width(), replaceLabel->sizeHint().width());
    findLabel->setMinimumWidth(labelWidth);
    replaceLabel->setMinimumWidth(labelWidth);

    // Tab goes from field to field before the options and buttons.
    QWidget* const order[] = {findField_, replaceField_, replaceOne_, replaceAll_, matchCase_,
                              wholeWord_, previous_,     next_,       close_};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    findField_->installEventFilter(this);
    replaceField_->installEventFilter(this);
    connect(findField_, &QLineEdit::textChanged, this, &FindBar::searchChanged);
    connect(matchCase_, &QCheckBox::toggled, this, &FindBar::searchChanged);
    connect(wholeWord_, &QCheckBox::toggled, this, &FindBar::searchChanged);
    connect(previous_, &QToolButton::clicked, this, &FindBar::previousRequested);
    connect(next_, &QToolButton::clicked, this, &FindBar::nextRequested);
    connect(close_, &QToolButton::clicked, this, &FindBar::closeRequested);
    connect(replaceOne_, &QPushButton::clicked, this, &FindBar::replaceRequested);
    connect(replaceAll_, &QPushButton::clicked, this, &FindBar::replaceAllRequested);

    replaceRow_->hide();
    hide();
}

void FindBar::open(bool withReplace) {
    replaceRow_->setVisible(withReplace);
    show();
    findField_->setFocus(Qt::ShortcutFocusReason);
    findField_->selectAll();
}

bool FindBar::isReplaceShown() const {
    return !replaceRow_->isHidden();
}

QString FindBar::pattern() const {
    return findField_->text();
}

SearchOptions FindBar::options() const {
    return {matchCase_->isChecked(), wholeWord_->isChecked()};
}

QString FindBar::replacement() const {
    return replaceField_->text();
}

void FindBar::setMatchCount(int index, int count) {
    if (pattern().isEmpty()) {
        count_->clear();
    } else if (count == 0) {
        count_->setText(QStringLiteral("Не найдено"));
    } else if (index < 0) {
        count_->setText(QStringLiteral("%1 найдено").arg(count));
    } else {
        count_->setText(QStringLiteral("%1 из %2").arg(index + 1).arg(count));
    }
    previous_->setEnabled(count > 0);
    next_->setEnabled(count > 0);
}

void FindBar::setStatus(const QString& text, bool error) {
    status_->setText(text);
    QPalette colours = palette();
    if (error) {
        colours.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    }
    status_->setPalette(colours);
    status_->setToolTip(text);
}

QString FindBar::status() const {
    return status_->text();
}

QString FindBar::matchCountText() const {
    return count_->text();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isEnter(key)) {
            if (watched == replaceField_) {
                emit replaceRequested();
            } else if (key->modifiers() & Qt::ShiftModifier) {
                emit previousRequested();
            } else {
                emit nextRequested();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit closeRequested();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace vornak
