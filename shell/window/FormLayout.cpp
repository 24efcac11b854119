#include "FormLayout.h"

#include "CellGrid.h"
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

#include <map>
#include <tuple>

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
    const auto edit = [central](const char* name) {
        QLineEdit* e = makeTextEdit(central);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    const auto button = [central](const char* name, Picture picture, const QString& tip) {
        QPushButton* b = makePictureButton(picture, tip, central);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    // A row of labelled fields; each field's stretch is its width on the form.
    std::map<QString, QLineEdit*> fields;
    const auto fieldRow = [&](std::initializer_list<std::tuple<QString, const char*, int>> row) {
        auto* line = new QHBoxLayout;
        for (const auto& [text, name, width] : row) {
            // The label names its field for a screen reader.
            QLabel* caption = label(text);
            QLineEdit* field = edit(name);
            fields[QLatin1String(name)] = field;
            caption->setBuddy(field);
            line->addWidget(caption);
            line->addWidget(field, width);
        }
        return line;
    };

    // In the form's tab order: the texts at the top, the parameters, the selected parameter, the
    // results, the texts at the bottom.
    QHBoxLayout* titleRow =
        fieldRow({{texts::labelTitle, "titleEdit", 157}, {texts::labelDocument, "documentFileEdit", 124}});
    QPushButton* browse = button("browseButton", Picture::OpenFolder, texts::browseTip);
    titleRow->addWidget(browse);
    QHBoxLayout* captionRow = fieldRow({{texts::labelInput1, "input1CaptionEdit", 89},
                                        {texts::labelInput2, "input2CaptionEdit", 89},
                                        {texts::labelSurname, "surnameCaptionEdit", 92}});

    parameterList_ = makeRecordGrid(central);
    parameterList_->setModel(&parameterModel);
    parameterList_->setObjectName(QStringLiteral("parameterList"));
    auto* parameterHead = new QHBoxLayout;
    QLabel* parameterCaption = label(texts::labelParameters);
    parameterCaption->setBuddy(parameterList_);
    parameterList_->setAccessibleName(texts::parameterListName);
    parameterHead->addWidget(parameterCaption);
    parameterHead->addWidget(&count, 1);
    QPushButton* addParameter = button("addParameterButton", Picture::Add, texts::addParameterTip);
    QPushButton* deleteParameter =
        button("deleteParameterButton", Picture::Delete, texts::deleteParameterTip);
    parameterHead->addWidget(addParameter);
    parameterHead->addWidget(deleteParameter);
    auto* parameters = new QVBoxLayout;
    parameters->addLayout(parameterHead);
    parameters->addWidget(parameterList_, 1);

    panel.setParent(central);

    resultList_ = makeRecordGrid(central);
    resultList_->setModel(&resultModel);
    resultList_->setObjectName(QStringLiteral("resultList"));
    resultList_->setAccessibleName(texts::resultListName);
    auto* resultButtons = new QVBoxLayout;
    QPushButton* addResult = button("addResultButton", Picture::Add, texts::addResultTip);
    QPushButton* deleteResult = button("deleteResultButton", Picture::Delete, texts::deleteResultTip);
    resultButtons->addWidget(addResult);
    resultButtons->addWidget(deleteResult);
    resultButtons->addStretch(1);
    auto* results = new QHBoxLayout;
    results->addLayout(resultButtons);
    results->addWidget(resultList_, 1);
    auto* footer = new QVBoxLayout;
    footer->addLayout(fieldRow(
        {{texts::labelAuthor, "authorEdit", 73}, {texts::labelOrganisation, "organisationEdit", 65}}));
    footer->addLayout(
        fieldRow({{texts::labelSource, "sourceEdit", 105}, {texts::labelDate, "dateEdit", 40}}));
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

    const char* fileOrder[9] = {"titleEdit",         "documentFileEdit",   "input1CaptionEdit",
                                "input2CaptionEdit", "surnameCaptionEdit", "authorEdit",
                                "sourceEdit",        "organisationEdit",   "dateEdit"};
    for (std::size_t i = 0; i < reportTexts_.size(); ++i) {
        reportTexts_[i] = fields.at(QLatin1String(fileOrder[i]));
    }

    // The texts at the top, the parameters, the selected parameter, the results, the texts at the
    // bottom.
    QList<QWidget*> chain{fields.at(QStringLiteral("titleEdit")),
                          fields.at(QStringLiteral("documentFileEdit")),
                          browse,
                          fields.at(QStringLiteral("input1CaptionEdit")),
                          fields.at(QStringLiteral("input2CaptionEdit")),
                          fields.at(QStringLiteral("surnameCaptionEdit")),
                          parameterList_,
                          &count,
                          addParameter,
                          deleteParameter};
    chain << panel.tabChain();
    chain << resultList_ << addResult << deleteResult;
    for (const char* name : {"authorEdit", "organisationEdit", "sourceEdit", "dateEdit"}) {
        chain << fields.at(QLatin1String(name));
    }
    for (qsizetype i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

} // namespace vornak
