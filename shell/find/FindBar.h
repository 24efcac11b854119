// The find bar under the lists, as in Kate or a browser: a find field with "match case" and "whole
// word", the previous and next buttons, the match count ("3 из 12"), and on request a replace row
// with "Заменить" and "Заменить все". Enter and Shift+Enter in the find field go to the next and
// previous match, Enter in the replace field replaces, Escape anywhere in the bar closes it. The bar
// only reports what the user asks for; FindController does the searching.
#pragma once

#include "DefinitionSearch.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace vornak {

class FindBar : public QWidget {
    Q_OBJECT

public:
    explicit FindBar(QWidget* parent = nullptr);

    // Shows the bar (with or without the replace row) and puts the cursor in the find field with
    // its text selected.
    void open(bool withReplace);
    bool isReplaceShown() const;

    QString pattern() const;
    SearchOptions options() const;
    QString replacement() const;

    // "3 из 12"; index -1 with matches shows how many there are; no matches "Не найдено"; an empty
    // pattern nothing.
    void setMatchCount(int index, int count);
    // A note under the fields: what a replace-all did, that the search went round, or (as an
    // error) why a replacement was refused. An empty text clears it.
    void setStatus(const QString& text, bool error = false);
    QString status() const;
    QString matchCountText() const;

    QLineEdit* findField() const { return findField_; }
    QLineEdit* replaceField() const { return replaceField_; }

signals:
    // The pattern or an option changed.
    void searchChanged();
    void nextRequested();
    void previousRequested();
    void replaceRequested();
    void replaceAllRequested();
    void closeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* findField_;
    QCheckBox* matchCase_;
    QCheckBox* wholeWord_;
    QToolButton* previous_;
    QToolButton* next_;
    QLabel* count_;
    QToolButton* close_;
    QWidget* replaceRow_;
    QLineEdit* replaceField_;
    QPushButton* replaceOne_;
    QPushButton* replaceAll_;
    QLabel* status_;
};

} // namespace vornak
