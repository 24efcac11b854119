#include "FormLayout.h"

#include "CellGrid.h"
#include "CommandIds.h"
#include "FormWidgets.h"
#include "ParameterPanel.h"
#include "Pictures.h"
#include "ProblemCountLabel.h"
#include "Texts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace vornak {

FormLayout::FormLayout(ParameterPanel& panel, ProblemCountLabel& count, QAbstractItemModel& parameterModel,
                       QAbstractItemModel& resultModel) {
    auto* central = new QWidget;
    area_ = central;
    central->setObjectName(QStringLiteral("client"));
    const auto label = [central](const QString& text) {
        auto* l = new QLabel(text, central);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    const auto edit = [this, central](int id) {
        QLineEdit* e = makeTextEdit(central);
        controls_[id] = e;
        return e;
    };
    const auto button = [this, central](int id, int picture, const QString& tip) {
        QPushButton* b = makePictureButton(picture, tip, central);
        controls_[id] = b;
        return b;
    };
    // A row of labelled fields; each field's stretch is its width on the form.
    const auto fieldRow = [&](std::initializer_list<std::tuple<QString, int, int>> fields) {
        auto* row = new QHBoxLayout;
        for (const auto& [text, id, width] : fields) {
            // The label names its field for a screen reader.
            QLabel* caption = label(text);
            QLineEdit* field = edit(id);
            caption->setBuddy(field);
            row->addWidget(caption);
            row->addWidget(field, width);
        }
        return row;
    };

    // In the form's tab order: the texts at the top, the parameters, the selected parameter, the
    // results, the texts at the bottom.
    QHBoxLayout* titleRow = fieldRow(
        {{texts::labelTitle, ctl::TitleEdit, 157}, {texts::labelDocument, ctl::DocumentFileEdit, 124}});
    titleRow->addWidget(button(ctl::BrowseButton, ids::BitmapOpenFolder, texts::browseTip));
    QHBoxLayout* captionRow = fieldRow({{texts::labelInput1, ctl::Input1CaptionEdit, 89},
                                        {texts::labelInput2, ctl::Input2CaptionEdit, 89},
                                        {texts::labelSurname, ctl::SurnameCaptionEdit, 92}});

    parameterList_ = makeRecordGrid(central);
    parameterList_->setModel(&parameterModel);
    controls_[ctl::ParameterList] = parameterList_;
    auto* parameterHead = new QHBoxLayout;
    QLabel* parameterCaption = label(texts::labelParameters);
    parameterCaption->setBuddy(parameterList_);
    parameterList_->setAccessibleName(texts::parameterListName);
    parameterHead->addWidget(parameterCaption);
    parameterHead->addWidget(&count, 1);
    parameterHead->addWidget(button(ctl::AddParameterButton, ids::BitmapAdd, texts::addParameterTip));
    parameterHead->addWidget(
        button(ctl::DeleteParameterButton, ids::BitmapDelete, texts::deleteParameterTip));
    auto* parameters = new QVBoxLayout;
    parameters->addLayout(parameterHead);
    parameters->addWidget(parameterList_, 1);

    panel.setParent(central);
    controls_[ctl::ValueList] = panel.valueList();
    controls_[ctl::AddValueButton] = panel.addValueButton();
    controls_[ctl::DeleteValueButton] = panel.deleteValueButton();
    controls_[ctl::KindList] = panel.kindButton(0);
    controls_[ctl::KindRange] = panel.kindButton(1);
    controls_[ctl::KindInput] = panel.kindButton(2);
    controls_[ctl::NumberCheck] = panel.numberBox();
    controls_[ctl::FormulaCheck] = panel.formulaBox();
    controls_[ctl::FormulaEdit] = panel.formulaEdit();

    resultList_ = makeRecordGrid(central);
    resultList_->setModel(&resultModel);
    controls_[ctl::ResultList] = resultList_;
    resultList_->setAccessibleName(texts::resultListName);
    auto* resultButtons = new QVBoxLayout;
    resultButtons->addWidget(button(ctl::AddResultButton, ids::BitmapAdd, texts::addResultTip));
    resultButtons->addWidget(button(ctl::DeleteResultButton, ids::BitmapDelete, texts::deleteResultTip));
    resultButtons->addStretch(1);
    auto* results = new QHBoxLayout;
    results->addLayout(resultButtons);
    results->addWidget(resultList_, 1);
    auto* footer = new QVBoxLayout;
    footer->addLayout(fieldRow(
        {{texts::labelAuthor, ctl::AuthorEdit, 73}, {texts::labelOrganisation, ctl::OrganisationEdit, 65}}));
    footer->addLayout(
        fieldRow({{texts::labelSource, ctl::SourceEdit, 105}, {texts::labelDate, ctl::DateEdit, 40}}));
    footer->addStretch(1);

    // The lists take the room the window gains: the parameters and the panel most, the results
    // some; the two columns keep the form's proportions.
    auto* body = new QGridLayout;
    body->addLayout(parameters, 0, 0);
    body->addWidget(&panel, 0, 1);
    body->addLayout(results, 1, 0);
    body->addLayout(footer, 1, 1);
    body->setColumnStretch(0, 161);
    body->setColumnStretch(1, 195);
    body->setRowStretch(0, 169);
    body->setRowStretch(1, 45);
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(titleRow);
    layout->addLayout(captionRow);
    layout->addLayout(body, 1);

    new ColumnShares(
        *parameterList_,
        [] {
            return std::vector<int>{1, 7};
        },
        8); // "N", "Название"
    // "N", "Название", "Результат": 15/16 of the width
    new ColumnShares(
        *resultList_,
        [] {
            return std::vector<int>{2, 8, 5};
        },
        16);

    setTabOrder(panel, count);
    for (auto& [id, widget] : controls_) {
        widget->setObjectName(QStringLiteral("control%1").arg(id));
    }
}

void FormLayout::setTabOrder(ParameterPanel& panel, ProblemCountLabel& count) {
    // The texts at the top, the parameters, the selected parameter, the results, the texts at the
    // bottom.
    QList<QWidget*> chain;
    for (int id : {ctl::TitleEdit, ctl::DocumentFileEdit, ctl::BrowseButton, ctl::Input1CaptionEdit,
                   ctl::Input2CaptionEdit, ctl::SurnameCaptionEdit, ctl::ParameterList}) {
        chain << controls_.at(id);
    }
    chain << &count << controls_.at(ctl::AddParameterButton) << controls_.at(ctl::DeleteParameterButton)
          << panel.tabChain();
    for (int id : {ctl::ResultList, ctl::AddResultButton, ctl::DeleteResultButton, ctl::AuthorEdit,
                   ctl::OrganisationEdit, ctl::SourceEdit, ctl::DateEdit}) {
        chain << controls_.at(id);
    }
    for (qsizetype i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

} // namespace vornak
