// The three table models over the document: what they show, what they let edit, and that every
// change reaches the views as the right signals (checked by Qt's own model tester too).
#include "DocumentTestSupport.h"
#include "EditText.h"
#include "RecordTableModel.h"
#include "ValueTableModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace vornak {
namespace {

using test::cp1251;

// Every kind of change, with undo and redo of all of them, then New.
void everyChange(DefinitionDocument& document, ValueTableModel& values) {
    values.setParameter(1);
    document.addParameter(1);
    document.duplicateParameter(2);
    document.moveParameter(0, 1);
    document.moveParameter(3, -1);
    document.moveRecordsTo(RecordList::parameters(), {0, 2}, 5); // a drag: several blocks move
    document.moveRecordsTo(RecordList::parameters(), {3, 4}, 1);
    document.addValueRow(values.parameter(), 0);
    document.moveValueRow(values.parameter(), 0, 1);
    document.moveValueRow(values.parameter(), 2, -1);
    document.moveRecordsTo(RecordList::valueRows(values.parameter()), {0, 2}, 1);
    document.deleteValueRow(values.parameter(), 2);
    document.setKind(values.parameter(), ValueKind::List);
    document.setCell({TextField::Value, values.parameter() + 1, 1}, "v");
    document.addResult(0);
    document.moveResult(0, 1);
    document.moveResult(2, -1);
    document.deleteResult(2);
    document.setCell({TextField::ResultText, 1, 0}, "#T");
    document.deleteParameter(values.parameter());
    QUndoStack* stack = document.undoStack();
    while (stack->canUndo()) {
        stack->undo();
    }
    while (stack->canRedo()) {
        stack->redo();
    }
    document.newDocument();
}

class ModelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::openDefinition(document, test::sampleDefinition(), folder.file("sample.rpt"));
        log.emplace(true);
        for (QAbstractItemModel* model :
             std::initializer_list<QAbstractItemModel*>{&parameters, &values, &results}) {
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                model, QAbstractItemModelTester::FailureReportingMode::Warning));
        }
    }
    void TearDown() override {
        testers.clear();
        EXPECT_EQ(log->failures(), QString());
        log.reset();
    }

    QString cell(const QAbstractItemModel& model, int row, int column) const {
        return model.index(row, column).data().toString();
    }
    QStringList headers(const QAbstractItemModel& model) const {
        QStringList out;
        for (int c = 0; c < model.columnCount(); ++c) {
            out.append(model.headerData(c, Qt::Horizontal).toString());
        }
        return out;
    }

    test::TempFolder folder;
    DefinitionDocument document;
    RecordTableModel parameters{document, RecordKind::Parameter};
    ValueTableModel values{document};
    RecordTableModel results{document, RecordKind::Result};
    std::optional<test::ModelTesterLog> log;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
};

TEST_F(ModelsTest, ShowDecodedTextsAndComputedNumbers) {
    ASSERT_EQ(parameters.rowCount(), 3);
    EXPECT_EQ(headers(parameters), (QStringList{"N", "Название"}));
    EXPECT_EQ(cell(parameters, 0, 0), "1");
    EXPECT_EQ(cell(parameters, 2, 0), "3");
    EXPECT_EQ(cell(parameters, 0, 1), "Пол");
    EXPECT_EQ(headers(results), (QStringList{"N", "Название", "Результат"}));
    EXPECT_EQ(cell(results, 1, 0), "2");
    EXPECT_EQ(cell(results, 1, 2), "#X(1)*2");
    EXPECT_EQ(values.parameter(), 0) << "an opened definition shows its first parameter";
    for (const QAbstractItemModel* model :
         std::initializer_list<const QAbstractItemModel*>{&parameters, &values, &results}) {
        EXPECT_EQ(model->index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft));
    }
}

TEST_F(ModelsTest, ValueColumnsFollowTheKind) {
    struct Case {
        int parameter;
        QStringList headers;
        QStringList firstRow;
    };
    const Case cases[] = {
        {0, {"Значение", "Результат"}, {"M", "1"}},
        {1, {">=", "<", "Результат"}, {"22.2", "23.7", "ВЖ"}},
        {2, {"Начальное значение", "Результат"}, {"0", ""}},
    };
    for (const Case& c : cases) {
        values.setParameter(c.parameter);
        EXPECT_EQ(headers(values), c.headers) << c.parameter;
        QStringList row;
        for (int column = 0; column < values.columnCount(); ++column) {
            row.append(cell(values, 0, column));
        }
        EXPECT_EQ(row, c.firstRow) << c.parameter;
    }
}

TEST_F(ModelsTest, UnknownKindShowsNoColumnsAndNoRows) {
    ReportDefinition odd = test::sampleDefinition();
    odd.parameters[0].kind = static_cast<ValueKind>(7);
    test::openDefinition(document, odd, folder.file("odd.rpt"));
    EXPECT_EQ(values.columnCount(), 0);
    EXPECT_EQ(values.rowCount(), 0);
    // A row added to it goes into the definition but not into the model.
    ASSERT_EQ(document.addValueRow(0, 0), 0);
    EXPECT_EQ(values.rowCount(), 0);
    EXPECT_EQ(document.definition().parameters[0].values.size(), 4U);
}

TEST_F(ModelsTest, EditableColumns) {
    EXPECT_FALSE(parameters.flags(parameters.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(parameters.flags(parameters.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(results.flags(results.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(results.flags(results.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(results.flags(results.index(0, 2)) & Qt::ItemIsEditable);
    values.setParameter(1);
    for (int column = 0; column < 3; ++column) {
        EXPECT_TRUE(values.flags(values.index(1, column)) & Qt::ItemIsEditable) << column;
    }
    EXPECT_FALSE(parameters.setData(parameters.index(0, 0), "9"));
}

TEST_F(ModelsTest, SetDataPushesACommandOrRefuses) {
    QSignalSpy changed(&results, &QAbstractItemModel::dataChanged);
    EXPECT_FALSE(results.setData(results.index(0, 1), "a\nb"));
    EXPECT_FALSE(results.setData(results.index(0, 2), "✓"));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(document.undoStack()->count(), 0);

    ASSERT_TRUE(results.setData(results.index(0, 1), "Рост"));
    EXPECT_EQ(document.definition().results[0].name, cp1251("Рост"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.first().at(0).toModelIndex(), results.index(0, 1));
    document.undoStack()->undo();
    EXPECT_EQ(cell(results, 0, 1), "Height");
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(ModelsTest, ValueCellsByKind) {
    values.setParameter(1); // Range: column 1 is the upper bound
    ASSERT_TRUE(values.setData(values.index(0, 1), "24"));
    EXPECT_EQ(document.definition().parameters[1].values[0].upperBound, "24");
    values.setParameter(0); // List: column 1 is the result, the upper bound stays
    ASSERT_TRUE(values.setData(values.index(1, 1), "3"));
    EXPECT_EQ(document.definition().parameters[0].values[1], (ValueRow{"F", "x", "3"}));
}

TEST_F(ModelsTest, TextWithCrFromFileStaysEditable) {
    ReportDefinition odd = test::sampleDefinition();
    odd.parameters[0].name = "Name\rx";
    test::openDefinition(document, odd, folder.file("cr.rpt"));
    const QString shown = cell(parameters, 0, 1);
    ASSERT_TRUE(parameters.setData(parameters.index(0, 1), shown + "y"));
    EXPECT_EQ(document.definition().parameters[0].name, "Name\rxy");
    EXPECT_FALSE(parameters.setData(parameters.index(0, 1), shown + "\n"));
}

TEST_F(ModelsTest, InsertingRenumbersTheRowsBelow) {
    QSignalSpy inserted(&parameters, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&parameters, &QAbstractItemModel::dataChanged);
    ASSERT_EQ(document.addParameter(1), 1);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.first().at(1).toInt(), 1);
    EXPECT_EQ(cell(parameters, 3, 0), "4");
    bool renumbered = false;
    for (const QList<QVariant>& signal : changed) {
        const auto from = signal.at(0).toModelIndex();
        const auto to = signal.at(1).toModelIndex();
        renumbered |= from.row() == 2 && from.column() == 0 && to.row() == 3 && to.column() == 0;
    }
    EXPECT_TRUE(renumbered) << "the number column below the new row is announced as changed";
}

// Whether one of the dataChanged signals caught by the spy spans the cell.
bool announced(const QSignalSpy& changed, int row, int column) {
    for (const QList<QVariant>& signal : changed) {
        const QModelIndex from = signal.at(0).toModelIndex();
        const QModelIndex to = signal.at(1).toModelIndex();
        if (from.row() <= row && row <= to.row() && from.column() <= column && column <= to.column()) {
            return true;
        }
    }
    return false;
}

TEST_F(ModelsTest, RewrittenCodesReachEachListAsOneChange) {
    // A parameter in at the top rewrites codes in results, a shown value row and two formulas.
    QSignalSpy resultsChanged(&results, &QAbstractItemModel::dataChanged);
    QSignalSpy valuesChanged(&values, &QAbstractItemModel::dataChanged);
    QSignalSpy textChanged(&document, &DefinitionDocument::textChanged);
    struct Case {
        const char* step;
        QString resultText;
        QString valueResult;
    };
    const Case cases[] = {{"do", "#P(2)+#P(3)+#P(4)", "#P(3)"},
                          {"undo", "#P(1)+#P(2)+#P(3)", "#P(2)"},
                          {"redo", "#P(2)+#P(3)+#P(4)", "#P(3)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        resultsChanged.clear();
        valuesChanged.clear();
        textChanged.clear();
        if (c.step == std::string("do")) {
            ASSERT_EQ(document.addParameter(0), 0);
        } else if (c.step == std::string("undo")) {
            document.undoStack()->undo();
        } else {
            document.undoStack()->redo();
        }
        EXPECT_EQ(resultsChanged.count(), 1) << "one change for the whole list";
        EXPECT_TRUE(announced(resultsChanged, 0, 2));
        EXPECT_EQ(cell(results, 0, 2), c.resultText);
        // The value list follows the first parameter wherever it goes; its row 3 names parameter 2.
        EXPECT_TRUE(announced(valuesChanged, 2, 1));
        EXPECT_EQ(cell(values, 2, 1), c.valueResult);
        // The formulas are shown outside the lists: told one by one, and no list cell is.
        int formulas = 0;
        for (const QList<QVariant>& signal : textChanged) {
            const auto where = signal.at(0).value<TextLocation>();
            EXPECT_EQ(where.field, TextField::ParameterFormula);
            ++formulas;
        }
        EXPECT_EQ(formulas, 2);
    }
}

TEST_F(ModelsTest, ValueModelFollowsItsParameter) {
    values.setParameter(1);
    QSignalSpy followed(&values, &ValueTableModel::parameterChanged);
    QSignalSpy reset(&values, &QAbstractItemModel::modelReset);
    ASSERT_EQ(document.addParameter(0), 0);
    EXPECT_EQ(values.parameter(), 2);
    ASSERT_EQ(document.moveParameter(2, 1), 3);
    EXPECT_EQ(values.parameter(), 3);
    ASSERT_EQ(document.moveParameter(3, -1), 2);
    ASSERT_EQ(document.moveParameter(1, 1), 2);
    EXPECT_EQ(values.parameter(), 1) << "moved past by its neighbour";
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(headers(values), (QStringList{">=", "<", "Результат"}));
    ASSERT_TRUE(document.deleteParameter(1));
    EXPECT_EQ(values.parameter(), -1);
    EXPECT_EQ(values.rowCount(), 0);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(followed.count(), 5);
}

TEST_F(ModelsTest, OnlyTheShownParametersRowsReachTheValueModel) {
    values.setParameter(0);
    QSignalSpy inserted(&values, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&values, &QAbstractItemModel::dataChanged);
    ASSERT_EQ(document.addValueRow(1, 0), 0);
    ASSERT_TRUE(document.setCell({TextField::Value, 2, 1}, "5"));
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(changed.count(), 0);
    ASSERT_TRUE(document.setCell({TextField::UpperBound, 1, 1}, "hidden"));
    EXPECT_EQ(changed.count(), 0) << "List does not show the upper bound";
    ASSERT_EQ(document.addValueRow(0, 3), 3);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(values.rowCount(), 4);
}

TEST_F(ModelsTest, KindSwitchResetsTheValueModel) {
    values.setParameter(0);
    QSignalSpy reset(&values, &QAbstractItemModel::modelReset);
    ASSERT_TRUE(document.setKind(0, ValueKind::Input));
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(values.rowCount(), 1);
    EXPECT_EQ(headers(values), (QStringList{"Начальное значение", "Результат"}));
    document.undoStack()->undo();
    EXPECT_EQ(values.rowCount(), 3);
    EXPECT_EQ(reset.count(), 2);
}

// Qt's model tester watches all three models (see TearDown) while every kind of change and its
// undo and redo runs.
TEST_F(ModelsTest, TesterQuietThroughEveryChange) {
    everyChange(document, values);
    EXPECT_EQ(parameters.rowCount(), 1);
    EXPECT_EQ(values.rowCount(), 1);
    EXPECT_EQ(results.rowCount(), 1);
}

// The value model has no number column: its rows must pass every check of the tester.
TEST(ValueModelStrict, TesterQuietThroughEveryChange) {
    test::TempFolder folder;
    DefinitionDocument document;
    test::openDefinition(document, test::sampleDefinition(), folder.file("sample.rpt"));
    ValueTableModel values(document);
    {
        test::ModelTesterLog log(false);
        QAbstractItemModelTester tester(&values, QAbstractItemModelTester::FailureReportingMode::Warning);
        everyChange(document, values);
        EXPECT_EQ(log.failures(), QString());
    }
}

} // namespace
} // namespace vornak
