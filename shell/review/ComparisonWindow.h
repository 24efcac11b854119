// "Сравнение с файлом": the differences between the open definition, as it is now (unsaved
// changes included), and a definition file the user chose, one line each; the list follows every
// edit, and activating a line takes the main window to that place.
#pragma once

#include "DefinitionComparison.h"
#include "ReportDefinition.h"

#include <QDialog>

#include <vector>

class QLabel;
class QListWidget;

namespace vornak {

class DefinitionDocument;

class ComparisonWindow : public QDialog {
    Q_OBJECT

public:
    // other: the chosen file's definition; fileName: how to call it.
    ComparisonWindow(DefinitionDocument& document, ReportDefinition other, const QString& fileName,
                     QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    const std::vector<Difference>& differences() const { return differences_; }
    // Compares again at once (the window also does so after each change of the document).
    void refresh();

signals:
    // The user activated a difference: the place in the open definition.
    void placeActivated(const TextLocation& where);

private:
    void scheduleRefresh();
    void activate(int row);

    DefinitionDocument& document_;
    ReportDefinition other_;
    QLabel* summary_ = nullptr;
    QListWidget* list_ = nullptr;
    std::vector<Difference> differences_;
    bool refreshPending_ = false;
};

} // namespace vornak
