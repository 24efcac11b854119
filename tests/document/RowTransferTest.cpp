// Rows travelling through the list models: what a drag carries, a drop from another list or program
// going in as a paste would (refused whole with the paste's message when it cannot), and rows
// dropped back onto their own list moving there as one undo step with the codes that name them.
#include "DocumentTestSupport.h"
#include "PastedRows.h"
#include "RecordClipboard.h"
#include "RecordTableModel.h"
#include "ValueTableModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

namespace vornak {
namespace {

// Parameters A..E, each with one List row; the first result names D and E, the second A.
ReportDefinition fiveParameters() {
    ReportDefinition d;
    for (const char* name : {"A", "B", "C", "D", "E"}) {
        d.parameters.push_back({name, "", ValueKind::List, 0, 0, {{name, "", "x"}}});
    }
    d.parameters[2].hasFormula = 1;
    d.parameters[2].formula = "#P(1)*2";
    d.results = {{"Sum", "#P(4)+#P(5)"}, {"Twice", "#P(1)"}};
    return d;
}

std::string names(const ReportDefinition& d) {
    std::string all;
    for (const ParameterRecord& p : d.parameters) {
        all += p.name;
    }
    return all;
}

QModelIndexList rowIndexes(const QAbstractItemModel& model, const std::vector<int>& rows) {
    QModelIndexList indexes;
    for (const int row : rows) {
        for (int column = 0; column < model.columnCount(); ++column) {
            indexes.append(model.index(row, column));
        }
    }
    return indexes;
}

// One open definition with its three models.
struct Window {
    explicit Window(const ReportDefinition& definition, const std::string& path) {
        test::openDefinition(document, definition, path);
    }
    // What a drag of these rows of a model carries.
    static std::unique_ptr<QMimeData> drag(const RecordListModel& model, const std::vector<int>& rows) {
        return std::unique_ptr<QMimeData>(model.mimeData(rowIndexes(model, rows)));
    }

    DefinitionDocument document;
    RecordTableModel parameters{document, RecordKind::Parameter};
    ValueTableModel values{document};
    RecordTableModel results{document, RecordKind::Result};
};

class RowTransferTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    Window window{fiveParameters(), folder.file("five.rpt")};
    Window other{test::sampleDefinition(), folder.file("sample.rpt")};
};

TEST_F(RowTransferTest, RowsDroppedOnTheirOwnListMoveThereInOneStepWithTheirCodes) {
    struct Case {
        std::vector<int> dragged;
        int dropRow; // -1: below the last row
        const char* order;
        const char* sum;   // the first result, naming D and E
        const char* twice; // the second, naming A
    };
    const Case cases[] = {
        {{0, 1}, 4, "CDABE", "#P(2)+#P(5)", "#P(3)"},
        {{0, 1}, -1, "CDEAB", "#P(2)+#P(3)", "#P(4)"},
        {{3}, 0, "DABCE", "#P(1)+#P(5)", "#P(2)"},
        {{1, 3}, 0, "BDACE", "#P(2)+#P(5)", "#P(3)"},
        {{0, 2, 4}, 2, "BACED", "#P(5)+#P(4)", "#P(2)"},
        {{0, 4}, 3, "BCAED", "#P(5)+#P(4)", "#P(3)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        QUndoStack* stack = window.document.undoStack();
        const int steps = stack->index();
        QSignalSpy placed(&window.parameters, &RecordListModel::rowsPlaced);
        const std::unique_ptr<QMimeData> data = Window::drag(window.parameters, c.dragged);
        ASSERT_NE(data, nullptr);
        ASSERT_TRUE(window.parameters.canDropMimeData(data.get(), Qt::MoveAction, c.dropRow, 0, {}));
        EXPECT_TRUE(window.parameters.dropMimeData(data.get(), Qt::MoveAction, c.dropRow, 0, {}));

        const ReportDefinition& moved = window.document.definition();
        EXPECT_EQ(names(moved), c.order);
        EXPECT_EQ(moved.results[0].result, c.sum);
        EXPECT_EQ(moved.results[1].result, c.twice);
        // C's formula names A, wherever both went.
        const auto a = std::string(c.order).find('A') + 1;
        const auto cAt = std::string(c.order).find('C');
        EXPECT_EQ(moved.parameters[cAt].formula, "#P(" + std::to_string(a) + ")*2");
        EXPECT_EQ(stack->index(), steps + 1);
        EXPECT_EQ(stack->undoText(), c.dragged.size() > 1 ? QStringLiteral("перемещение параметров")
                                                          : QStringLiteral("перемещение параметра"));
        // The moved rows stand together, in their order, and are told.
        ASSERT_EQ(placed.count(), 1);
        const auto rows = placed.first().first().value<std::vector<int>>();
        ASSERT_EQ(rows.size(), c.dragged.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(moved.parameters[static_cast<std::size_t>(rows[i])].name,
                      fiveParameters().parameters[static_cast<std::size_t>(c.dragged[i])].name);
        }

        stack->undo();
        EXPECT_EQ(window.document.definition(), fiveParameters());
    }
}

TEST_F(RowTransferTest, ADropThatLeavesEveryRowInPlaceChangesNothing) {
    const int steps = window.document.undoStack()->count();
    for (const int dropRow : {1, 2, 3}) {
        const std::unique_ptr<QMimeData> data = Window::drag(window.parameters, {1, 2});
        EXPECT_FALSE(window.parameters.dropMimeData(data.get(), Qt::MoveAction, dropRow, 0, {}));
    }
    EXPECT_EQ(window.document.undoStack()->count(), steps);
    EXPECT_EQ(window.document.definition(), fiveParameters());
}

// Against a plain model of the move: the records kept in their order around the gathered block.
TEST_F(RowTransferTest, AnySelectionMovesToAnyDropRowAsTheOrderSays) {
    std::mt19937 random(20261208);
    const std::string start = names(fiveParameters());
    for (int round = 0; round < 200; ++round) {
        std::vector<int> dragged;
        for (int row = 0; row < 5; ++row) {
            if (random() % 2 == 0) {
                dragged.push_back(row);
            }
        }
        if (dragged.empty()) {
            continue;
        }
        const int destination = static_cast<int>(random() % 6);
        std::string expected;
        for (int row = 0; row <= 5; ++row) {
            if (row == destination) {
                for (const int d : dragged) {
                    expected += start[static_cast<std::size_t>(d)];
                }
            }
            if (row < 5 && std::find(dragged.begin(), dragged.end(), row) == dragged.end()) {
                expected += start[static_cast<std::size_t>(row)];
            }
        }
        const std::vector<int> placed =
            window.document.moveRecordsTo(RecordList::parameters(), dragged, destination);
        const std::string order = names(window.document.definition());
        ASSERT_EQ(order, expected) << "round " << round << ", destination " << destination;
        if (expected == start) {
            EXPECT_TRUE(placed.empty());
            continue;
        }
        ASSERT_EQ(placed.size(), dragged.size());
        EXPECT_EQ(order.substr(static_cast<std::size_t>(placed.front()), dragged.size()),
                  expected.substr(static_cast<std::size_t>(placed.front()), dragged.size()));
        window.document.undoStack()->undo();
        ASSERT_EQ(window.document.definition(), fiveParameters()) << "round " << round;
    }
}

TEST_F(RowTransferTest, ValueRowsAndResultsMoveWithinTheirOwnList) {
    window.document.insertRecords(RecordList::valueRows(0), 1,
                                  std::vector<ValueRow>{{"2", "", "y"}, {"3", "", "z"}});
    window.values.setParameter(0);
    std::unique_ptr<QMimeData> data = Window::drag(window.values, {2});
    EXPECT_TRUE(window.values.dropMimeData(data.get(), Qt::MoveAction, 0, 0, {}));
    const auto& values = window.document.definition().parameters[0].values;
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].value, "3");
    EXPECT_EQ(values[1].value, "A");

    data = Window::drag(window.results, {1});
    EXPECT_TRUE(window.results.dropMimeData(data.get(), Qt::MoveAction, 0, 0, {}));
    EXPECT_EQ(window.document.definition().results[0].name, "Twice");
    // Another parameter's value list is another list: the rows are copied there.
    window.values.setParameter(1);
    data = Window::drag(window.values, {0});
    window.values.setParameter(2);
    EXPECT_TRUE(window.values.dropMimeData(data.get(), Qt::CopyAction, -1, 0, {}));
    EXPECT_EQ(window.document.definition().parameters[2].values.size(), 2u);
    EXPECT_EQ(window.document.definition().parameters[1].values.size(), 1u);
}

TEST_F(RowTransferTest, RowsDroppedFromAnotherWindowAreCopiedAsAPasteWouldBe) {
    // Whole parameters: formula, kind and rows come along; the source keeps them.
    std::unique_ptr<QMimeData> data = Window::drag(other.parameters, {1});
    ASSERT_TRUE(data->hasFormat(QString::fromLatin1(parametersMimeType)));
    QSignalSpy placed(&window.parameters, &RecordListModel::rowsPlaced);
    EXPECT_TRUE(window.parameters.dropMimeData(data.get(), Qt::MoveAction, 1, 0, {}));
    ASSERT_EQ(window.document.definition().parameters.size(), 6u);
    EXPECT_EQ(window.document.definition().parameters[1].name, "Length");
    EXPECT_EQ(window.document.definition().parameters[1].values, other.document.definition().parameters[1].values);
    EXPECT_EQ(other.document.definition(), [&] {
        ReportDefinition d = test::sampleDefinition();
        return d;
    }());
    EXPECT_EQ(window.document.undoStack()->undoText(), QStringLiteral("вставка параметров"));
    ASSERT_EQ(placed.count(), 1);
    EXPECT_EQ(placed.first().first().value<std::vector<int>>(), std::vector<int>{1});
    window.document.undoStack()->undo();
    EXPECT_EQ(window.document.definition(), fiveParameters());

    // Range rows onto a List parameter's table: the first two cells of each, one step.
    other.values.setParameter(1);
    data = Window::drag(other.values, {0, 1});
    EXPECT_EQ(data->text(), QString::fromUtf8("22.2\t23.7\tВЖ\n23.7\t27.7\tN"));
    window.values.setParameter(0);
    QSignalSpy noted(&window.values, &RecordListModel::noted);
    EXPECT_TRUE(window.values.dropMimeData(data.get(), Qt::CopyAction, 0, 0, {}));
    const auto& values = window.document.definition().parameters[0].values;
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0], (ValueRow{"22.2", "", "23.7"}));
    EXPECT_EQ(window.document.undoStack()->undoText(), QStringLiteral("вставка значений"));
    ASSERT_EQ(noted.count(), 1);
    EXPECT_EQ(noted.first().first().toString(), leftOutColumnsText(1, 2));

    // Rows a drag from another process carries are copied too: only this model's own rows move.
    data = Window::drag(window.results, {0});
    QByteArray origin = data->data(QStringLiteral("application/x-vornak-dragged-rows"));
    origin.prepend('9');
    data->setData(QStringLiteral("application/x-vornak-dragged-rows"), origin);
    EXPECT_TRUE(window.results.dropMimeData(data.get(), Qt::MoveAction, -1, 0, {}));
    ASSERT_EQ(window.document.definition().results.size(), 3u);
    EXPECT_EQ(window.document.definition().results[2], window.document.definition().results[0]);
}

TEST_F(RowTransferTest, ADropThatCannotBeTakenIsRefusedWithThePastesMessage) {
    auto text = [](const QString& tsv) {
        auto data = std::make_unique<QMimeData>();
        data->setText(tsv);
        return data;
    };
    auto damaged = std::make_unique<QMimeData>();
    damaged->setData(QString::fromLatin1(parametersMimeType), "not parameters");
    const TableBudget budget;
    struct Case {
        const char* what;
        RecordListModel* model;
        std::unique_ptr<QMimeData> data;
        QString message;
    };
    Case cases[] = {
        {"over the budget", &window.results, text(QStringLiteral("a\tb\n").repeated(budget.maxCells / 2 + 1)),
         pasteTooLargeText()},
        {"a cell the file cannot hold", &window.results, text(QString::fromUtf8("ok\tx\n≥\ty")),
         pasteRefusalText({2, 1, DefinitionTextProblem::Unencodable, QString::fromUtf8("≥")},
                          {QStringLiteral("Название"), QStringLiteral("Результат")})},
        {"damaged parameters", &window.parameters, std::move(damaged),
         parameterTransferText(ParameterTransferProblem::Damaged)},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        QSignalSpy refused(c.model, &RecordListModel::refused);
        QSignalSpy placed(c.model, &RecordListModel::rowsPlaced);
        EXPECT_FALSE(c.model->dropMimeData(c.data.get(), Qt::CopyAction, 0, 0, {}));
        ASSERT_EQ(refused.count(), 1);
        EXPECT_EQ(refused.first().first().toString(), c.message);
        EXPECT_EQ(placed.count(), 0);
        EXPECT_EQ(window.document.definition(), fiveParameters());
        EXPECT_EQ(window.document.undoStack()->count(), 0);
    }

    // An Input parameter keeps its one row.
    other.values.setParameter(2);
    QSignalSpy refused(&other.values, &RecordListModel::refused);
    std::unique_ptr<QMimeData> data = text(QStringLiteral("5\tx"));
    EXPECT_FALSE(other.values.dropMimeData(data.get(), Qt::CopyAction, -1, 0, {}));
    ASSERT_EQ(refused.count(), 1);
    EXPECT_EQ(refused.first().first().toString(), inputOneRowText());
    EXPECT_EQ(other.document.definition(), test::sampleDefinition());
}

TEST_F(RowTransferTest, OnlyRowsAreAcceptedAndOnlyBetweenRows) {
    auto image = std::make_unique<QMimeData>();
    image->setData(QStringLiteral("image/png"), "png");
    EXPECT_FALSE(window.parameters.canDropMimeData(image.get(), Qt::CopyAction, 0, 0, {}));
    EXPECT_FALSE(window.parameters.dropMimeData(image.get(), Qt::CopyAction, 0, 0, {}));
    EXPECT_FALSE(window.parameters.flags(window.parameters.index(0, 1)).testFlag(Qt::ItemIsDropEnabled));
    EXPECT_TRUE(window.parameters.flags(window.parameters.index(0, 1)).testFlag(Qt::ItemIsDragEnabled));
    EXPECT_TRUE(window.parameters.flags({}).testFlag(Qt::ItemIsDropEnabled));
    // A value list without a parameter takes nothing.
    window.values.setParameter(-1);
    const std::unique_ptr<QMimeData> data = Window::drag(window.results, {0});
    EXPECT_FALSE(window.values.canDropMimeData(data.get(), Qt::CopyAction, -1, 0, {}));
    EXPECT_FALSE(window.values.flags({}).testFlag(Qt::ItemIsDropEnabled));
    EXPECT_EQ(window.document.definition(), fiveParameters());
}

// The models' columns and the clipboard's cells come from one table: a copied row reads back as
// the cells the model shows in its text columns.
TEST_F(RowTransferTest, CopiedRowsAreTheCellsTheModelShows) {
    for (int parameter = 0; parameter < 3; ++parameter) {
        other.values.setParameter(parameter);
        for (RecordListModel* model : std::initializer_list<RecordListModel*>{&other.parameters, &other.values, &other.results}) {
            SCOPED_TRACE(model->metaObject()->className());
            const std::unique_ptr<QMimeData> data = model->copyRows({0});
            ASSERT_NE(data, nullptr);
            QStringList shown;
            for (int column = 0; column < model->columnCount(); ++column) {
                if (model->locationOf(model->index(0, column))) {
                    shown.append(model->index(0, column).data().toString());
                }
            }
            EXPECT_EQ(data->text(), shown.join(QLatin1Char('\t')));
        }
    }
}

} // namespace
} // namespace vornak
