// The "Проверка" list: every finding of the checks in Russian, one a line, in a panel of the main
// window or a window of its own. A double click or Enter on one asks the owner to take the user to
// its place; Escape dismisses it.
#pragma once

#include "DefinitionChecks.h"

#include <QWidget>

#include <vector>

class QListWidget;

namespace vornak {

class ChecksWindow : public QWidget {
    Q_OBJECT

public:
    explicit ChecksWindow(QWidget* parent = nullptr);

    // Shows these findings. The selected finding stays selected when it is still there; when it
    // is gone, the row it held is selected (the next finding moves up into it).
    void setFindings(std::vector<Finding> findings);
    const std::vector<Finding>& findings() const { return findings_; }

    // The selected finding's row, or -1.
    int selectedRow() const;
    void selectRow(int row);

    QListWidget* list() const { return list_; }

signals:
    void findingActivated(vornak::TextLocation where);
    void shown();
    // Escape was pressed: a window of its own has closed; a panel's owner hides it.
    void dismissed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void activateRow(int row);
    void dismiss();

    QListWidget* list_ = nullptr;
    std::vector<Finding> findings_;
};

} // namespace vornak
