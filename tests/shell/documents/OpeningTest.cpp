// Opening a definition into the form: each list's model is reset once and nothing is done row by
// row, the commands are greyed or not once, and the form afterwards looks and acts as after any
// opening: the first parameter shown with its first value row selected, every list at its top, the
// title naming the file.
#include "FormHarness.h"

#include "RangeStrip.h"
#include "RecordActions.h"

#include <QAbstractItemModel>
#include <QScrollBar>
#include <QSignalSpy>

#include <string>
#include <vector>

namespace vornak::testing {
namespace {

// How often a model announced each kind of change while it was watched.
struct ModelSignals {
    explicit ModelSignals(QAbstractItemModel* model)
        : resets(model, &QAbstractItemModel::modelReset), inserted(model, &QAbstractItemModel::rowsInserted),
          removed(model, &QAbstractItemModel::rowsRemoved), layouts(model, &QAbstractItemModel::layoutChanged),
          changed(model, &QAbstractItemModel::dataChanged) {}

    QSignalSpy resets;
    QSignalSpy inserted;
    QSignalSpy removed;
    QSignalSpy layouts;
    QSignalSpy changed;
};

std::string otherSignals(const char* list, const ModelSignals& s) {
    std::string out;
    const auto note = [&](const char* what, const QSignalSpy& spy) {
        if (spy.count() != 0) {
            out += std::string(list) + ": " + std::to_string(spy.count()) + " " + what + "\n";
        }
    };
    note("rowsInserted", s.inserted);
    note("rowsRemoved", s.removed);
    note("layoutChanged", s.layouts);
    note("dataChanged", s.changed);
    return out;
}

// Many parameters with many rows each, the first of the given kind.
ReportDefinition manyParameters(int count, ValueKind firstKind) {
    ReportDefinition d;
    for (int p = 0; p < count; ++p) {
        ParameterRecord record;
        record.name = "P" + std::to_string(p + 1);
        record.kind = p == 0 ? firstKind : ValueKind::List;
        record.hasFormula = p == 0 ? 1 : 0;
        record.formula = p == 0 ? "#P(2)*2" : "";
        const int rows = record.kind == ValueKind::Input ? 1 : 30;
        for (int r = 0; r < rows; ++r) {
            record.values.push_back({std::to_string(p) + "." + std::to_string(r), std::to_string(r + 1),
                                     "r" + std::to_string(r)});
        }
        d.parameters.push_back(std::move(record));
    }
    for (int r = 0; r < count; ++r) {
        d.results.push_back({"R" + std::to_string(r + 1), "#P(1)"});
    }
    return d;
}

class Opening : public FormTest {
public:
    // Makes the form show a later parameter, its value list and the result list scrolled down: what
    // opening has to leave behind.
    void moveAwayFromTheTop() {
        const int last = rowCount(parameters()) - 1;
        parameters()->setCurrentIndex(parameters()->model()->index(last, 0));
        parameters()->scrollToBottom();
        QApplication::processEvents();
        values()->setCurrentIndex(values()->model()->index(rowCount(values()) - 1, 0));
        values()->scrollToBottom();
        results()->setCurrentIndex(results()->model()->index(rowCount(results()) - 1, 0));
        results()->scrollToBottom();
        QApplication::processEvents();
        ASSERT_EQ(form->parameterPanel().shownParameter(), last);
        ASSERT_FALSE(form->action(QStringLiteral("editMoveDown"))->isEnabled());
        ASSERT_GT(parameters()->verticalScrollBar()->value(), 0);
        ASSERT_GT(values()->verticalScrollBar()->value(), 0);
    }
};

TEST_F(Opening, EachListIsResetOnceAndTheFormStartsAtTheTop) {
    enum class Way { Open, Restore, New };
    const struct {
        const char* what;
        Way way;
        ValueKind firstKind;
    } cases[] = {
        {"open, a list first", Way::Open, ValueKind::List},
        {"open, a range first", Way::Open, ValueKind::Range},
        {"open, an input first", Way::Open, ValueKind::Input},
        {"open, an unknown kind first", Way::Open, static_cast<ValueKind>(7)},
        {"a recovery copy taken back", Way::Restore, ValueKind::Range},
        {"a new definition", Way::New, ValueKind::List},
    };
    start();
    const ReportDefinition shownBefore = manyParameters(200, ValueKind::List);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        load(shownBefore, QStringLiteral("before.rpt"));
        moveAwayFromTheTop();
        const ReportDefinition next = manyParameters(300, c.firstKind);
        const QString path = dir.filePath(QStringLiteral("next.rpt"));
        ASSERT_TRUE(next.save(TextCodec::encodePath(path)));

        ModelSignals parameterList(parameters()->model());
        ModelSignals valueList(values()->model());
        ModelSignals resultList(results()->model());
        // The lists' selections all change; the commands follow them once, when all are set.
        QSignalSpy commandsTold(&form->records(), &RecordActions::stateChanged);
        switch (c.way) {
        case Way::Open:
            ASSERT_TRUE(document.open(TextCodec::encodePath(path)));
            break;
        case Way::Restore:
            document.restore(next, TextCodec::encodePath(path), DiskStamp::of(TextCodec::encodePath(path)));
            break;
        case Way::New:
            document.newDocument();
            break;
        }
        QApplication::processEvents();

        EXPECT_EQ(parameterList.resets.count(), 1);
        EXPECT_EQ(valueList.resets.count(), 1);
        EXPECT_EQ(resultList.resets.count(), 1);
        EXPECT_EQ(otherSignals("parameters", parameterList) + otherSignals("values", valueList) +
                      otherSignals("results", resultList),
                  "");

        EXPECT_EQ(disagreement(*form), "");
        EXPECT_EQ(form->parameterPanel().shownParameter(), 0);
        EXPECT_EQ(parameters()->currentIndex().row(), 0);
        EXPECT_EQ(parameters()->selectedRow(), 0);
        EXPECT_EQ(results()->selectedRow(), 0);
        EXPECT_EQ(values()->selectedRow(), rowCount(values()) > 0 ? 0 : -1);
        for (const CellGrid* list : {parameters(), values(), results()}) {
            EXPECT_EQ(list->verticalScrollBar()->value(), 0) << list->accessibleName().toStdString();
        }
        EXPECT_EQ(commandsTold.count(), 1);
        // Before opening, the last parameter was selected: now the first one is.
        EXPECT_FALSE(form->action(QStringLiteral("editMoveUp"))->isEnabled());
        EXPECT_EQ(form->action(QStringLiteral("editMoveDown"))->isEnabled(), c.way != Way::New);
        EXPECT_TRUE(form->action(QStringLiteral("editDuplicate"))->isEnabled());
        const bool range = c.way != Way::New && c.firstKind == ValueKind::Range;
        EXPECT_EQ(form->parameterPanel().rangeStrip()->isVisible(), range);
        EXPECT_EQ(shownTitle(*form),
                  c.way == Way::New      ? QStringLiteral("Vornak")
                  : c.way == Way::Open   ? QStringLiteral("Vornak - next.rpt")
                                         : QStringLiteral("Vornak - next.rpt*"));
    }
}

// The definition a large opening replaces is let go of apart from the window; the one opened is
// whole, and the form can go at once.
TEST_F(Opening, ALargeDefinitionReplacedByAnotherLeavesTheNewOneWhole) {
    start();
    const ReportDefinition first = manyParameters(400, ValueKind::List);
    const ReportDefinition second = manyParameters(500, ValueKind::Range);
    load(first, QStringLiteral("first.rpt"));
    load(second, QStringLiteral("second.rpt"));
    EXPECT_EQ(model.parameters, second.parameters);
    EXPECT_EQ(model.results, second.results);
    load(first, QStringLiteral("first.rpt"));
    EXPECT_EQ(model.parameters, first.parameters);
    EXPECT_EQ(disagreement(*form), "");
    document.newDocument();
    form.reset();
}

} // namespace
} // namespace vornak::testing
