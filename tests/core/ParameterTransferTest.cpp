// Whole parameters on the clipboard: what goes out comes back equal, whatever the record holds, and
// nothing but a complete set of parameters in a layout this editor knows is ever taken back.
#include "ParameterTransfer.h"

#include <gtest/gtest.h>

#include <random>

namespace vornak {
namespace {

ParameterRecord record(std::string name, ValueKind kind, std::vector<ValueRow> rows) {
    ParameterRecord r;
    r.name = std::move(name);
    r.kind = kind;
    r.values = std::move(rows);
    return r;
}

std::vector<ParameterRecord> awkwardParameters() {
    ParameterRecord withFormula =
        record("\xd0\xee\xf1\xf2", ValueKind::Range, {{"22.2", "23.7", "\xc2\xc6"}});
    withFormula.isNumber = 1;
    withFormula.hasFormula = 1;
    withFormula.formula = "#P(1) + \" \xf1\xec.\" + #X(0)";
    ParameterRecord emptyFormula = record("flag without text", ValueKind::List, {});
    emptyFormula.hasFormula = 1;
    ParameterRecord oddKind = record("kind from a file", static_cast<ValueKind>(7), {{"a", "b", "c"}});
    ParameterRecord severalInputs =
        record("input read with two rows", ValueKind::Input, {{"1", "", ""}, {"2", "", ""}});
    ParameterRecord oddBytes = record(std::string("cr\rinside and \x98 and trailing cr\r"), ValueKind::List,
                                      {{"  spaces  ", "hidden bound kept", ""}, {"", "", ""}});
    ParameterRecord longest =
        record(std::string(maxLineBytes, 'x'), ValueKind::List, {{std::string(maxLineBytes, 'y'), "", "z"}});
    return {withFormula, emptyFormula, oddKind, severalInputs, oddBytes, longest};
}

TEST(ParameterTransferTest, EveryFieldComesBackAsItWas) {
    for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{6}}) {
        auto parameters = awkwardParameters();
        parameters.resize(count);
        const ParameterTransfer back = parseParameters(serializeParameters(parameters));
        EXPECT_EQ(back.problem, ParameterTransferProblem::None) << count;
        EXPECT_EQ(back.parameters, parameters) << count;
    }
}

TEST(ParameterTransferTest, TheFirstLineNamesTheLayoutAndItsVersion) {
    const std::string bytes = serializeParameters({});
    EXPECT_EQ(bytes.substr(0, bytes.find('\n') + 1), "Vornak parameters 1\r\n");
}

struct RefusedCase {
    const char* name;
    std::string bytes;
    ParameterTransferProblem problem;
};

std::vector<RefusedCase> refusedCases() {
    const std::string good = serializeParameters(awkwardParameters());
    const std::string body = good.substr(good.find('\n') + 1);
    return {
        {"empty", "", ParameterTransferProblem::NotParameters},
        {"plain text", "\xd0\xee\xf1\xf2\t23.7\r\n", ParameterTransferProblem::NotParameters},
        {"a definition file", body, ParameterTransferProblem::NotParameters},
        {"mark without version", "Vornak parameters \r\n" + body, ParameterTransferProblem::NotParameters},
        {"version zero", "Vornak parameters 0\r\n" + body, ParameterTransferProblem::NotParameters},
        {"version with sign", "Vornak parameters +1\r\n" + body, ParameterTransferProblem::NotParameters},
        {"version and more", "Vornak parameters 1 beta\r\n" + body, ParameterTransferProblem::NotParameters},
        {"later version", "Vornak parameters 2\r\n" + body, ParameterTransferProblem::NewerVersion},
        {"huge version", "Vornak parameters 99999999999999999999\r\n",
         ParameterTransferProblem::NotParameters},
        {"mark only", "Vornak parameters 1\r\n", ParameterTransferProblem::Damaged},
        {"cut short", good.substr(0, good.size() - 9), ParameterTransferProblem::Damaged},
        {"results carried", good.substr(0, good.size() - 3) + "1\r\nname\r\nresult\r\n",
         ParameterTransferProblem::Damaged},
        {"lines after the end", good + "more\r\n", ParameterTransferProblem::Damaged},
        {"count far beyond the lines",
         "Vornak parameters "
         "1\r\nR2\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n2000000000\r\nname\r\n0\r\n0\r\n0\r\n"
         "2000000000\r\n",
         ParameterTransferProblem::Damaged},
        {"R1 body", "Vornak parameters 1\r\nR1\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n0\r\n0\r\n",
         ParameterTransferProblem::Damaged},
        {"line too long", "Vornak parameters 1\r\nR2\r\n" + std::string(maxLineBytes + 1, 'x') + "\r\n",
         ParameterTransferProblem::Damaged},
    };
}

TEST(ParameterTransferTest, AnythingButACompleteSetIsRefusedWithNothingTaken) {
    for (const RefusedCase& c : refusedCases()) {
        const ParameterTransfer back = parseParameters(c.bytes);
        EXPECT_EQ(back.problem, c.problem) << c.name;
        EXPECT_TRUE(back.parameters.empty()) << c.name;
    }
}

TEST(ParameterTransferTest, RandomDamageNeverBreaksTheReader) {
    const std::string good = serializeParameters(awkwardParameters());
    std::mt19937 random(20261207);
    for (int round = 0; round < 500; ++round) {
        std::string bytes = good;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f) {
            bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
        }
        if (random() % 3 == 0) {
            bytes.resize(random() % bytes.size());
        }
        const ParameterTransfer back = parseParameters(bytes);
        if (back.problem != ParameterTransferProblem::None) {
            EXPECT_TRUE(back.parameters.empty());
        } else {
            // Whatever was taken writes back to a transfer that reads the same.
            EXPECT_EQ(parseParameters(serializeParameters(back.parameters)).parameters, back.parameters);
        }
    }
}

} // namespace
} // namespace vornak
