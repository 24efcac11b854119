// Random runs of inserting, deleting, moving and duplicating parameters and results: every record
// carries an identity through the run, and after every step each code that named a record before
// still names the same record (or #P(0)/#X(0) when that record was deleted); codes that named
// nothing stay as they were. Undo must give back the bytes from before the step.
#include "DefinitionChecks.h"
#include "DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace vornak {
namespace {

// Where each record went in one step: newIndex[old] is its new 0-based index, or -1 when deleted.
struct Moves {
    std::vector<int> parameters;
    std::vector<int> results;
};

std::vector<int> identity(std::size_t count) {
    std::vector<int> map(count);
    for (std::size_t i = 0; i < count; ++i) {
        map[i] = static_cast<int>(i);
    }
    return map;
}

class IdentityRun {
public:
    explicit IdentityRun(unsigned seed) : random_(seed) {}

    void run(int steps) {
        test::openDefinition(document_, startingDefinition(), folder_.file("ids.rpt"));
        for (std::size_t i = 0; i < definition().parameters.size(); ++i) {
            parameterIds_.push_back(nextId_++);
        }
        for (std::size_t i = 0; i < definition().results.size(); ++i) {
            resultIds_.push_back(nextId_++);
        }
        for (int step = 0; step < steps && !::testing::Test::HasFailure(); ++step) {
            const ReportDefinition before = definition();
            const std::vector<int> parametersBefore = parameterIds_;
            const std::vector<int> resultsBefore = resultIds_;
            Moves moves{identity(before.parameters.size()), identity(before.results.size())};
            if (!act(moves)) {
                continue;
            }
            SCOPED_TRACE("step " + std::to_string(step) + ": " + lastAction_);
            checkCodes(before, parametersBefore, resultsBefore, moves);
            if (pick(5) == 0) {
                document_.undoStack()->undo();
                ASSERT_EQ(serializeDefinition(definition()), serializeDefinition(before));
                parameterIds_ = parametersBefore;
                resultIds_ = resultsBefore;
            }
        }
    }

private:
    const ReportDefinition& definition() const { return document_.definition(); }
    int pick(int below) { return below <= 0 ? 0 : std::uniform_int_distribution<int>(0, below - 1)(random_); }

    // Codes naming every record, some naming none, and one with an expression as argument.
    ReportDefinition startingDefinition() {
        ReportDefinition d = test::sampleDefinition();
        for (int i = 0; i < 5; ++i) {
            ParameterRecord p = DefinitionDocument::newParameter();
            p.name = "p" + std::to_string(i);
            d.parameters.push_back(p);
            d.results.push_back({"r" + std::to_string(i), ""});
        }
        const int parameters = static_cast<int>(d.parameters.size());
        const int results = static_cast<int>(d.results.size());
        auto code = [&](char letter, int count) {
            const int n = pick(count + 2); // 0 and count+1 name nothing
            return std::string("#") + letter + "(" + (pick(2) != 0 ? " " : "") + std::to_string(n) + ")";
        };
        for (ParameterRecord& p : d.parameters) {
            p.hasFormula = 1;
            p.formula = code('P', parameters) + "+" + code('R', parameters) + "*" + code('N', parameters) +
                        " + #P( (1+1) )";
            for (ValueRow& row : p.values) {
                row.result = code('X', results) + " " + code('P', parameters);
            }
        }
        for (ResultRow& r : d.results) {
            r.result = code('X', results) + "+" + code('P', parameters) + " " + code('X', results);
        }
        return d;
    }

    bool act(Moves& moves) {
        const int parameters = static_cast<int>(definition().parameters.size());
        const int results = static_cast<int>(definition().results.size());
        switch (pick(9)) {
        case 7:
        case 8:
            return actOnSet(pick(2) == 0 ? RecordList::parameters() : RecordList::results(), moves);
        case 0: {
            const int at = document_.addParameter(pick(parameters + 1));
            if (at < 0) {
                return false;
            }
            for (int& n : moves.parameters) {
                n += n >= at ? 1 : 0;
            }
            parameterIds_.insert(parameterIds_.begin() + at, nextId_++);
            lastAction_ = "add parameter at " + std::to_string(at);
            return true;
        }
        case 1: {
            if (parameters == 0) {
                return false;
            }
            const int at = pick(parameters);
            if (!document_.deleteParameter(at)) {
                return false;
            }
            for (int& n : moves.parameters) {
                n = n == at ? -1 : n - (n > at ? 1 : 0);
            }
            parameterIds_.erase(parameterIds_.begin() + at);
            lastAction_ = "delete parameter " + std::to_string(at);
            return true;
        }
        case 2:
        case 3: {
            if (parameters == 0) {
                return false;
            }
            const int from = pick(parameters);
            if (pick(4) == 0) {
                const int copy = document_.duplicateParameter(from);
                if (copy < 0) {
                    return false;
                }
                for (int& n : moves.parameters) {
                    n += n >= copy ? 1 : 0;
                }
                parameterIds_.insert(parameterIds_.begin() + copy, nextId_++);
                lastAction_ = "duplicate parameter " + std::to_string(from);
                return true;
            }
            const int to = document_.moveParameter(from, pick(2) != 0 ? 1 : -1);
            if (to < 0 || to == from) {
                return false;
            }
            std::swap(moves.parameters[static_cast<std::size_t>(from)],
                      moves.parameters[static_cast<std::size_t>(to)]);
            std::swap(parameterIds_[static_cast<std::size_t>(from)],
                      parameterIds_[static_cast<std::size_t>(to)]);
            lastAction_ = "move parameter " + std::to_string(from) + " to " + std::to_string(to);
            return true;
        }
        case 4: {
            const int at = document_.addResult(pick(results + 1));
            if (at < 0) {
                return false;
            }
            for (int& n : moves.results) {
                n += n >= at ? 1 : 0;
            }
            resultIds_.insert(resultIds_.begin() + at, nextId_++);
            lastAction_ = "add result at " + std::to_string(at);
            return true;
        }
        case 5: {
            if (results == 0) {
                return false;
            }
            const int at = pick(results);
            if (!document_.deleteResult(at)) {
                return false;
            }
            for (int& n : moves.results) {
                n = n == at ? -1 : n - (n > at ? 1 : 0);
            }
            resultIds_.erase(resultIds_.begin() + at);
            lastAction_ = "delete result " + std::to_string(at);
            return true;
        }
        default: {
            if (results == 0) {
                return false;
            }
            const int from = pick(results);
            const int to = document_.moveResult(from, pick(2) != 0 ? 1 : -1);
            if (to < 0 || to == from) {
                return false;
            }
            std::swap(moves.results[static_cast<std::size_t>(from)],
                      moves.results[static_cast<std::size_t>(to)]);
            std::swap(resultIds_[static_cast<std::size_t>(from)], resultIds_[static_cast<std::size_t>(to)]);
            lastAction_ = "move result " + std::to_string(from) + " to " + std::to_string(to);
            return true;
        }
        }
    }

    // Several records at once: a random set removed, moved by one or duplicated, in one step. Where
    // each record goes is worked out here on the identities alone.
    bool actOnSet(const RecordList& list, Moves& moves) {
        const bool isParameters = list.kind == RecordKind::Parameter;
        std::vector<int>& ids = isParameters ? parameterIds_ : resultIds_;
        const int count = static_cast<int>(ids.size());
        std::vector<int> chosen;
        std::vector<bool> selected(ids.size(), false);
        for (int i = 0; i < count; ++i) {
            if (pick(3) == 0) {
                chosen.push_back(i);
                selected[static_cast<std::size_t>(i)] = true;
            }
        }
        if (chosen.empty()) {
            return false;
        }
        std::vector<int> next;
        const int action = pick(3);
        if (action == 0) {
            if (!document_.removeRecords(list, chosen)) {
                return false;
            }
            for (int i = 0; i < count; ++i) {
                if (!selected[static_cast<std::size_t>(i)]) {
                    next.push_back(ids[static_cast<std::size_t>(i)]);
                }
            }
            lastAction_ = "remove a set";
        } else if (action == 1) {
            const int step = pick(2) != 0 ? 1 : -1;
            const std::vector<int> placed = document_.moveRecords(list, chosen, step);
            const bool atEdge = step < 0 ? selected.front() : selected.back();
            if (placed.empty()) {
                EXPECT_TRUE(atEdge) << "a set off the edges moves";
                return false;
            }
            // Each chosen record swaps with an unchosen neighbour on the side it moves to.
            next = ids;
            std::vector<bool> flags = selected;
            for (int k = 0; k < count - 1; ++k) {
                const auto i = static_cast<std::size_t>(step < 0 ? k + 1 : count - 2 - k);
                const auto j = step < 0 ? i - 1 : i + 1;
                if (flags[i] && !flags[j]) {
                    std::swap(next[i], next[j]);
                    std::vector<bool>::swap(flags[i], flags[j]);
                }
            }
            lastAction_ = "move a set by " + std::to_string(step);
        } else {
            const std::vector<int> copies = document_.duplicateRecords(list, chosen);
            if (copies.size() != chosen.size()) {
                ADD_FAILURE() << "one copy per record";
                return false;
            }
            // Each run's copies right below the run.
            for (int i = 0; i < count; ++i) {
                next.push_back(ids[static_cast<std::size_t>(i)]);
                const bool runEnds = selected[static_cast<std::size_t>(i)] &&
                                     (i + 1 == count || !selected[static_cast<std::size_t>(i + 1)]);
                if (runEnds) {
                    int first = i;
                    while (first > 0 && selected[static_cast<std::size_t>(first - 1)]) {
                        --first;
                    }
                    for (int c = first; c <= i; ++c) {
                        next.push_back(nextId_++);
                    }
                }
            }
            for (std::size_t k = 0; k < copies.size(); ++k) {
                EXPECT_GE(copies[k], 0);
            }
            lastAction_ = "duplicate a set";
        }
        std::vector<int>& map = isParameters ? moves.parameters : moves.results;
        for (std::size_t old = 0; old < ids.size(); ++old) {
            const auto found = std::find(next.begin(), next.end(), ids[old]);
            map[old] = found == next.end() ? -1 : static_cast<int>(found - next.begin());
        }
        ids = next;
        return true;
    }

    // The record a code names now, as an identity; -1 for a code naming nothing.
    static int target(long long number, const std::vector<int>& ids) {
        return number >= 1 && number <= static_cast<long long>(ids.size())
                   ? ids[static_cast<std::size_t>(number - 1)]
                   : -1;
    }

    void compareTexts(const std::string& before, const std::string& after,
                      const std::vector<int>& parametersBefore, const std::vector<int>& resultsBefore) {
        const std::vector<NumberedCode> old = findNumberedCodes(before);
        const std::vector<NumberedCode> now = findNumberedCodes(after);
        ASSERT_EQ(old.size(), now.size()) << before << " -> " << after;
        for (std::size_t k = 0; k < old.size(); ++k) {
            ASSERT_EQ(old[k].letter, now[k].letter);
            const bool isResult = old[k].letter == 'X';
            const std::vector<int>& idsBefore = isResult ? resultsBefore : parametersBefore;
            const std::vector<int>& idsNow = isResult ? resultIds_ : parameterIds_;
            const int named = target(old[k].number, idsBefore);
            if (named < 0) {
                EXPECT_EQ(now[k].text, old[k].text) << "a code naming nothing changed: " << after;
                continue;
            }
            const bool stillThere = std::find(idsNow.begin(), idsNow.end(), named) != idsNow.end();
            if (stillThere) {
                EXPECT_EQ(target(now[k].number, idsNow), named) << before << " -> " << after;
            } else {
                EXPECT_EQ(now[k].number, 0) << "a code naming a deleted record: " << after;
            }
        }
    }

    void checkCodes(const ReportDefinition& before, const std::vector<int>& parametersBefore,
                    const std::vector<int>& resultsBefore, const Moves& moves) {
        const ReportDefinition& now = definition();
        for (std::size_t p = 0; p < before.parameters.size(); ++p) {
            const int to = moves.parameters[p];
            if (to < 0) {
                continue;
            }
            const ParameterRecord& old = before.parameters[p];
            const ParameterRecord& moved = now.parameters[static_cast<std::size_t>(to)];
            compareTexts(old.formula, moved.formula, parametersBefore, resultsBefore);
            ASSERT_EQ(old.values.size(), moved.values.size());
            for (std::size_t r = 0; r < old.values.size(); ++r) {
                compareTexts(old.values[r].result, moved.values[r].result, parametersBefore, resultsBefore);
            }
        }
        for (std::size_t r = 0; r < before.results.size(); ++r) {
            const int to = moves.results[r];
            if (to >= 0) {
                compareTexts(before.results[r].result, now.results[static_cast<std::size_t>(to)].result,
                             parametersBefore, resultsBefore);
            }
        }
    }

    std::mt19937 random_;
    test::TempFolder folder_;
    DefinitionDocument document_;
    std::vector<int> parameterIds_;
    std::vector<int> resultIds_;
    int nextId_ = 1;
    std::string lastAction_;
};

class ReferenceIdentityTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(ReferenceIdentityTest, CodesKeepNamingTheSameRecords) {
    IdentityRun(GetParam()).run(300);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ReferenceIdentityTest, ::testing::Values(1U, 7U, 42U, 2026U));

} // namespace
} // namespace vornak
