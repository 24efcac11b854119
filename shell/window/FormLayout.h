// The main window's client area: the report texts at the top and the bottom, the parameter list
// with the checks count, the selected parameter's panel, the result list, each control named by
// its object name, laid out so the lists take the room the window gains, in the form's tab order.
#pragma once

#include <QList>

#include <array>

class CellGrid;
class QAbstractItemModel;
class QLineEdit;
class QWidget;

namespace vornak {

class ParameterPanel;
class ProblemCountLabel;

class FormLayout {
public:
    // Builds the area around the panel and the count, which it takes as children.
    FormLayout(ParameterPanel& panel, ProblemCountLabel& count, QAbstractItemModel& parameterModel,
               QAbstractItemModel& resultModel);

    // The area, for the window to take.
    QWidget* area() const { return area_; }
    CellGrid* parameterList() const { return parameterList_; }
    CellGrid* resultList() const { return resultList_; }
    // The nine report-text fields in the order the file holds the texts.
    const std::array<QLineEdit*, 9>& reportTexts() const { return reportTexts_; }

private:
    QWidget* area_ = nullptr;
    CellGrid* parameterList_ = nullptr;
    CellGrid* resultList_ = nullptr;
    std::array<QLineEdit*, 9> reportTexts_{};
};

} // namespace vornak
