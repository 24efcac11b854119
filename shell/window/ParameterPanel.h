// The selected parameter in the main window: the frame "Значения параметра:" with the value kind,
// the number and formula flags, the formula, the value list with its add and delete buttons, and
// the range strip under the list while a Range parameter is shown.
#pragma once

#include <QGroupBox>

#include <functional>

class CellGrid;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vornak {

class ColumnShares;
class DefinitionDocument;
class RangeStrip;
class ValueTableModel;

class ParameterPanel : public QGroupBox {
    Q_OBJECT

public:
    using Guard = std::function<void(const std::function<void()>&)>;

    // values: the model of the shown parameter's rows; guard runs a user's command after any open
    // cell edit is confirmed.
    ParameterPanel(DefinitionDocument& document, ValueTableModel& values, Guard guard,
                   QWidget* parent = nullptr);

    // Shows a parameter (0-based; -1 or a number past the end shows none), from its first row.
    void showParameter(int index);
    int shownParameter() const;

    CellGrid* valueList() const { return valueList_; }
    RangeStrip* rangeStrip() const { return rangeStrip_; }
    QButtonGroup* kindGroup() const { return kindGroup_; }
    // The kind buttons in tab order: "Список", "Диапазон", "Ввод" (their index is the kind code).
    QRadioButton* kindButton(int kind) const { return kindButtons_[kind]; }
    QCheckBox* numberBox() const { return numberBox_; }
    QCheckBox* formulaBox() const { return formulaBox_; }
    QLineEdit* formulaEdit() const { return formulaEdit_; }
    QPushButton* addValueButton() const { return addValue_; }
    QPushButton* deleteValueButton() const { return deleteValue_; }
    // The controls in tab order.
    QList<QWidget*> tabChain() const;

signals:
    // The shown parameter changed: chosen here, or followed by the value list as its number moved.
    void parameterShown(int parameter);

private:
    void keepTabStopOnCheckedKind();
    // Shows the strip for a Range parameter with its current rows, hides it otherwise.
    void updateRangeStrip();
    void showTypedBound(const QString& text);

    DefinitionDocument& document_;
    ValueTableModel& values_;
    Guard guard_;
    QLabel* kindLabel_ = nullptr;
    QButtonGroup* kindGroup_ = nullptr;
    QRadioButton* kindButtons_[3] = {nullptr, nullptr, nullptr};
    QCheckBox* numberBox_ = nullptr;
    QCheckBox* formulaBox_ = nullptr;
    QLineEdit* formulaEdit_ = nullptr;
    QPushButton* addValue_ = nullptr;
    QPushButton* deleteValue_ = nullptr;
    CellGrid* valueList_ = nullptr;
    ColumnShares* columns_ = nullptr;
    RangeStrip* rangeStrip_ = nullptr;
};

} // namespace vornak
