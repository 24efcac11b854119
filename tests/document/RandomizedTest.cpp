// Random runs of every kind of change, undo and redo: after every step the models agree with the
// definition and the definition equals the state recorded for that place in the undo history; undoing
// everything gives the opened bytes back, redoing everything the last ones.
#include "DocumentTestSupport.h"
#include "EditText.h"
#include "RecordTableModel.h"
#include "ValueTableModel.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

#include <random>

namespace vornak {
namespace {

class RandomRun {
public:
    explicit RandomRun(unsigned seed) : random_(seed) {
        QObject::connect(document_.undoStack(), &QUndoStack::indexChanged, [this] { stackMoved_ = true; });
    }

    void run(int steps) {
        test::openDefinition(document_, test::sampleDefinition(), folder_.file("r.rpt"));
        states_ = {bytes()};
        for (int step = 0; step < steps; ++step) {
            stackMoved_ = false;
            act();
            record();
            checkModels();
            checkCodeIndex();
            if (::testing::Test::HasFailure()) {
                return;
            }
        }
        QUndoStack* stack = document_.undoStack();
        ASSERT_EQ(states_.size(), static_cast<std::size_t>(stack->count()) + 1);
        while (stack->canUndo()) {
            stack->undo();
        }
        EXPECT_EQ(bytes(), states_.front());
        EXPECT_FALSE(document_.isModified());
        checkModels();
        while (stack->canRedo()) {
            stack->redo();
        }
        EXPECT_EQ(bytes(), states_.back());
        checkModels();
        EXPECT_EQ(log_.failures(), QString());
    }

private:
    std::string bytes() const { return serializeDefinition(document_.definition()); }
    int pick(int below) { return below <= 0 ? 0 : std::uniform_int_distribution<int>(0, below - 1)(random_); }
    int parameterCount() const { return static_cast<int>(document_.definition().parameters.size()); }
    int resultCount() const { return static_cast<int>(document_.definition().results.size()); }
    int rowCount(int parameter) const {
        return parameter < 0 || parameter >= parameterCount()
                   ? 0
                   : static_cast<int>(document_.definition()
                                          .parameters[static_cast<std::size_t>(parameter)]
                                          .values.size());
    }
    int step() { return pick(2) == 0 ? -1 : 1; }

    QString someText() {
        static const QStringList pieces{"a",     "ж",     " ",     "#P(1)", "#P(2)", "#R(3)",
                                        "#X(1)", "#X(2)", "#N(4)", "1.5",   "✓",     "\n"};
        QString text;
        for (int n = pick(4); n >= 0; --n) {
            text += pieces[pick(static_cast<int>(pieces.size()))];
        }
        return text;
    }

    TextLocation someLocation() {
        const int p = pick(parameterCount());
        switch (pick(5)) {
        case 0:
            return {TextField::ParameterName, p + 1, 0};
        case 1:
            return {TextField::ParameterFormula, p + 1, 0};
        case 2: {
            static const TextField cells[] = {TextField::Value, TextField::UpperBound,
                                              TextField::ValueResult};
            return {cells[pick(3)], p + 1, pick(rowCount(p)) + 1};
        }
        case 3:
            return {pick(2) ? TextField::ResultName : TextField::ResultText, pick(resultCount()) + 1, 0};
        default:
            return {TextField::ReportText, pick(reportTextCount) + 1, 0};
        }
    }

    RecordList someList(int p) {
        switch (pick(3)) {
        case 0:
            return RecordList::parameters();
        case 1:
            return RecordList::valueRows(p);
        default:
            return RecordList::results();
        }
    }

    // A few positions of a list, in no order, maybe repeated.
    std::vector<int> someSet(const RecordList& list) {
        std::vector<int> set;
        const int count = document_.recordCount(list);
        for (int n = pick(4); n >= 0 && count > 0; --n) {
            set.push_back(pick(count));
        }
        return set;
    }

    void act() {
        QUndoStack* stack = document_.undoStack();
        const int p = values_.parameter() >= 0 && pick(3) ? values_.parameter() : pick(parameterCount());
        const RecordList list = someList(p);
        switch (pick(23)) {
        case 20:
            document_.removeRecords(list, someSet(list));
            break;
        case 21:
            document_.moveRecords(list, someSet(list), step());
            break;
        case 22:
            document_.duplicateRecords(list, someSet(list));
            break;
        case 0:
        case 1:
            stack->undo();
            break;
        case 2:
            stack->redo();
            break;
        case 3:
            document_.setCell(someLocation(), someText());
            break;
        case 4: {
            // Typing: a few growing texts into one field.
            const TextLocation where =
                pick(2) ? locationOf(ReportText::Title) : TextLocation{TextField::ParameterFormula, p + 1, 0};
            if (document_.contains(where)) {
                document_.typeText(where, displayText(textAt(document_.definition(), where)) + someText());
            }
            if (pick(2)) {
                document_.finishTyping();
            }
            break;
        }
        case 5:
            document_.setKind(p, static_cast<ValueKind>(pick(3)));
            break;
        case 6:
            document_.setNumber(p, pick(2));
            break;
        case 7:
            document_.setHasFormula(p, pick(2));
            break;
        case 8:
            document_.addParameter(pick(parameterCount() + 1));
            break;
        case 9:
            document_.deleteParameter(p);
            break;
        case 10:
            document_.moveParameter(p, step());
            break;
        case 11:
            document_.duplicateParameter(p);
            break;
        case 12:
            document_.addValueRow(p, pick(rowCount(p) + 1));
            break;
        case 13:
            document_.deleteValueRow(p, pick(rowCount(p)));
            break;
        case 14:
            document_.moveValueRow(p, pick(rowCount(p)), step());
            break;
        case 15:
            document_.addResult(pick(resultCount() + 1));
            break;
        case 16:
            document_.deleteResult(pick(resultCount()));
            break;
        case 17:
            document_.moveResult(pick(resultCount()), step());
            break;
        case 18:
            values_.setParameter(pick(parameterCount()));
            break;
        default:
            if (values_.rowCount() > 0) {
                values_.setData(values_.index(pick(values_.rowCount()), pick(values_.columnCount())),
                                someText());
            }
            break;
        }
    }

    // The state for the stack's current place; a new, merged or dropped step replaces what was above.
    // Without a move of the stack nothing may have changed.
    void record() {
        const auto index = static_cast<std::size_t>(document_.undoStack()->index());
        if (stackMoved_ && !document_.undoStack()->canRedo()) {
            states_.resize(index + 1);
            states_[index] = bytes();
        }
        ASSERT_LT(index, states_.size());
        EXPECT_EQ(bytes(), states_[index]) << "at undo index " << index;
        EXPECT_EQ(document_.isModified(), index != 0);
    }

    void checkModels() {
        const ReportDefinition& d = document_.definition();
        ASSERT_EQ(parameters_.rowCount(), parameterCount());
        for (int r = 0; r < parameterCount(); ++r) {
            ASSERT_EQ(parameters_.index(r, 0).data().toString(), QString::number(r + 1));
            ASSERT_EQ(parameters_.index(r, 1).data().toString(),
                      displayText(d.parameters[static_cast<std::size_t>(r)].name));
        }
        ASSERT_EQ(results_.rowCount(), resultCount());
        for (int r = 0; r < resultCount(); ++r) {
            ASSERT_EQ(results_.index(r, 2).data().toString(),
                      displayText(d.results[static_cast<std::size_t>(r)].result));
        }
        const int shown = values_.parameter();
        if (shown >= 0) {
            ASSERT_LT(shown, parameterCount());
            ASSERT_EQ(values_.rowCount(), rowCount(shown));
            for (int r = 0; r < values_.rowCount(); ++r) {
                ASSERT_EQ(values_.index(r, 0).data().toString(),
                          displayText(d.parameters[static_cast<std::size_t>(shown)]
                                          .values[static_cast<std::size_t>(r)]
                                          .value));
            }
        } else {
            ASSERT_EQ(values_.rowCount(), 0);
        }
    }

    // The document's note of which parameters hold codes agrees with a fresh look at the texts, so
    // that a renumbering through it rewrites exactly what one over every text would.
    void checkCodeIndex() {
        const ReportDefinition& d = document_.definition();
        std::vector<int> expected;
        for (int p = 0; p < parameterCount(); ++p) {
            const ParameterRecord& record = d.parameters[static_cast<std::size_t>(p)];
            bool holds = record.formula.find('#') != std::string::npos;
            for (const ValueRow& row : record.values) {
                holds = holds || row.result.find('#') != std::string::npos;
            }
            if (holds) {
                expected.push_back(p);
            }
        }
        ASSERT_EQ(document_.parametersWithCodes(), expected);
        const std::vector<int> parametersDown = numbersAfterInsert(parameterCount(), 0);
        ASSERT_EQ(renumberParameterReferences(d, parametersDown, expected),
                  renumberParameterReferences(d, parametersDown));
        const std::vector<int> resultsUp = numbersAfterErase(resultCount(), 0);
        ASSERT_EQ(renumberResultReferences(d, resultsUp, expected), renumberResultReferences(d, resultsUp));
    }

    std::mt19937 random_;
    test::ModelTesterLog log_{true};
    test::TempFolder folder_;
    DefinitionDocument document_;
    RecordTableModel parameters_{document_, RecordKind::Parameter};
    ValueTableModel values_{document_};
    RecordTableModel results_{document_, RecordKind::Result};
    QAbstractItemModelTester parameterTester_{&parameters_,
                                              QAbstractItemModelTester::FailureReportingMode::Warning};
    QAbstractItemModelTester valueTester_{&values_, QAbstractItemModelTester::FailureReportingMode::Warning};
    QAbstractItemModelTester resultTester_{&results_,
                                           QAbstractItemModelTester::FailureReportingMode::Warning};
    std::vector<std::string> states_;
    bool stackMoved_ = false;
};

class RandomizedTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(RandomizedTest, UndoHistoryMatchesEveryState) {
    RandomRun(GetParam()).run(500);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomizedTest, ::testing::Values(1U, 2U, 3U, 17U, 2026U));

} // namespace
} // namespace vornak
