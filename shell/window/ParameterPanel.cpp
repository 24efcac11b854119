#include "ParameterPanel.h"

#include "CellGrid.h"
#include "DefinitionDocument.h"
#include "FormWidgets.h"
#include "GridEdit.h"
#include "Pictures.h"
#include "RangeStrip.h"
#include "TextCodec.h"
#include "Texts.h"
#include "ValueTableModel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vornak {

ParameterPanel::ParameterPanel(DefinitionDocument& document, ValueTableModel& values, Guard guard,
                               QWidget* parent)
    : QGroupBox(texts::groupParameterValues, parent), document_(document), values_(values),
      guard_(std::move(guard)) {
    kindLabel_ = new QLabel(texts::labelValueType, this);
    kindGroup_ = new QButtonGroup(this);
    kindGroup_->setExclusive(true);
    const QString kindTexts[3] = {texts::kindList, texts::kindRange, texts::kindInput};
    const char* kindNames[3] = {"kindListRadio", "kindRangeRadio", "kindInputRadio"};
    for (int kind = 0; kind < 3; ++kind) {
        kindButtons_[kind] = new QRadioButton(kindTexts[kind], this);
        kindButtons_[kind]->setObjectName(QLatin1String(kindNames[kind]));
        kindGroup_->addButton(kindButtons_[kind], kind);
    }
    numberBox_ = new QCheckBox(texts::numberCheck, this);
    numberBox_->setObjectName(QStringLiteral("numberCheck"));
    formulaBox_ = new QCheckBox(texts::formulaCheck, this);
    formulaBox_->setObjectName(QStringLiteral("formulaCheck"));
    formulaEdit_ = makeTextEdit(this);
    formulaEdit_->setObjectName(QStringLiteral("formulaEdit"));
    formulaEdit_->setEnabled(false);
    formulaEdit_->setAccessibleName(texts::formulaFieldName);
    addValue_ = makePictureButton(Picture::Add, texts::addValueTip, this);
    addValue_->setObjectName(QStringLiteral("addValueButton"));
    deleteValue_ = makePictureButton(Picture::Delete, texts::deleteValueTip, this);
    deleteValue_->setObjectName(QStringLiteral("deleteValueButton"));
    valueList_ = makeRecordGrid(this);
    valueList_->setObjectName(QStringLiteral("valueList"));
    valueList_->setModel(&values_);
    valueList_->setAccessibleName(texts::valueListName);
    rangeStrip_ = new RangeStrip(this);
    rangeStrip_->hide();

    auto* kinds = new QHBoxLayout;
    kinds->addWidget(kindLabel_);
    for (QRadioButton* button : kindButtons_) {
        kinds->addWidget(button);
    }
    kinds->addStretch(1);
    auto* flags = new QHBoxLayout;
    flags->addWidget(numberBox_);
    flags->addWidget(formulaBox_);
    flags->addWidget(formulaEdit_, 1);
    flags->addWidget(addValue_);
    flags->addWidget(deleteValue_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(kinds);
    layout->addLayout(flags);
    layout->addWidget(valueList_, 1);
    layout->addWidget(rangeStrip_);

    // Range: ">=", "<", "Результат" in thirds; List and Input: the value in two thirds, the result
    // in one.
    columns_ = new ColumnShares(
        *valueList_,
        [this]() -> std::vector<int> {
            return valueList_->model()->columnCount() == 3 ? std::vector<int>{1, 1, 1}
                                                           : std::vector<int>{2, 1};
        },
        3);
    keepTabStopOnCheckedKind();

    connect(&values_, &QAbstractItemModel::modelReset, this, [this] {
        // The columns change with the kind; shown afresh, the list starts at its first row.
        columns_->apply();
        if (values_.rowCount() > 0) {
            selectRecordRow(valueList_, 0);
        }
        updateRangeStrip();
    });
    connect(&values_, &ValueTableModel::parameterChanged, this, &ParameterPanel::updateRangeStrip);
    connect(&values_, &ValueTableModel::parameterChanged, this, &ParameterPanel::parameterShown);
    connect(&document_, &DefinitionDocument::definitionChanged, this, &ParameterPanel::updateRangeStrip);
    connect(valueList_->selectionModel(), &QItemSelectionModel::selectionChanged, rangeStrip_,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty()) {
                    rangeStrip_->setCurrentRow(lastRowOf(selected));
                }
            });
    connect(valueList_, &CellGrid::editFinished, this, &ParameterPanel::updateRangeStrip);
    connect(rangeStrip_, &RangeStrip::rowClicked, this, [this](int row) {
        guard_([this, row] {
            selectRecordRow(valueList_, row);
            valueList_->setFocus(Qt::MouseFocusReason);
        });
    });
    // While a bound is being typed the strip already shows it.
    connect(valueList_, &CellGrid::editTextEdited, this, &ParameterPanel::showTypedBound);
}

QList<QWidget*> ParameterPanel::tabChain() const {
    return {kindButtons_[0], kindButtons_[1], kindButtons_[2], numberBox_,  formulaBox_,
            formulaEdit_,    valueList_,      addValue_,       deleteValue_};
}

void ParameterPanel::keepTabStopOnCheckedKind() {
    // The group is one tab stop, and Tab lands on the checked button: the others leave the tab
    // chain whenever the checked one changes, by a click or because another parameter is shown.
    // (Qt moves the stop to the button that last had the focus, which need not be the checked
    // one.) With none checked, the first button keeps the stop.
    const auto update = [this] {
        QAbstractButton* checked = kindGroup_->checkedButton();
        for (QRadioButton* b : kindButtons_) {
            const bool stop = checked != nullptr ? b == checked : b == kindButtons_[0];
            b->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
        }
    };
    connect(kindGroup_, &QButtonGroup::buttonToggled, this, update);
    update();
}

void ParameterPanel::showParameter(int index) {
    const int count = static_cast<int>(document_.definition().parameters.size());
    const int shown = index >= 0 && index < count ? index : -1;
    // What is being typed into a value row belongs to the parameter shown now: it goes in before
    // another parameter's rows replace them (a reset would cancel it).
    if (shown != values_.parameter() && valueList_->isEditing()) {
        valueList_->finishEdit(true);
    }
    values_.setParameter(shown);
    selectRecordRow(valueList_, 0);
}

int ParameterPanel::shownParameter() const {
    return values_.parameter();
}

void ParameterPanel::updateRangeStrip() {
    const std::vector<ParameterRecord>& parameters = document_.definition().parameters;
    const int p = values_.parameter();
    const bool range = p >= 0 && p < static_cast<int>(parameters.size()) &&
                       parameters[static_cast<std::size_t>(p)].kind == ValueKind::Range;
    rangeStrip_->setParameter(range ? &parameters[static_cast<std::size_t>(p)] : nullptr);
    if (range) {
        rangeStrip_->setCurrentRow(valueList_->selectedRow());
    }
    if (rangeStrip_->isVisibleTo(this) != range) {
        rangeStrip_->setVisible(range);
        // The list gives up its room, or takes it back, at once.
        layout()->activate();
    }
}

void ParameterPanel::showTypedBound(const QString& text) {
    const int p = values_.parameter();
    const std::optional<TextLocation> where =
        values_.locationOf(values_.index(valueList_->currentIndex().row(), valueList_->editedColumn()));
    if (!rangeStrip_->isVisible() || !where || where->record != p + 1) {
        return;
    }
    std::vector<ValueRow> rows = document_.definition().parameters[static_cast<std::size_t>(p)].values;
    if (where->row < 1 || where->row > static_cast<int>(rows.size())) {
        return;
    }
    ValueRow& row = rows[static_cast<std::size_t>(where->row - 1)];
    std::string& cell = where->field == TextField::Value        ? row.value
                        : where->field == TextField::UpperBound ? row.upperBound
                                                                : row.result;
    cell = TextCodec::encode(text);
    rangeStrip_->setRows(std::move(rows));
}

} // namespace vornak
