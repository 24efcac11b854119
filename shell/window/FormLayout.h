// The main window's client area: the report texts at the top and the bottom, the parameter list
// with the checks count, the selected parameter's panel, the result list, each control under its
// form id, laid out so the lists take the room the window gains, in the form's tab order.
#pragma once

#include <QList>

#include <map>

class CellGrid;
class QAbstractItemModel;
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
    // Every control under its form id (ctl::...).
    const std::map<int, QWidget*>& controls() const { return controls_; }

private:
    void setTabOrder(ParameterPanel& panel, ProblemCountLabel& count);

    QWidget* area_ = nullptr;
    CellGrid* parameterList_ = nullptr;
    CellGrid* resultList_ = nullptr;
    std::map<int, QWidget*> controls_;
};

} // namespace vornak
