// The gate every edit passes: judged by what the change adds, keeping the bytes of what it keeps.
#include "EditText.h"
#include "DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace vornak {
namespace {

struct EditCase {
    const char* name;
    std::string before;                   // model bytes
    std::function<QString(QString)> edit; // from the shown text to the edited one
    std::optional<std::string> expected;  // nothing: refused
    EditRefusal refusal;
};

QString append(QString shown, const QString& tail) {
    return shown + tail;
}

class EditedBytesTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditedBytesTest, JudgesWhatTheChangeAdds) {
    const EditCase& c = GetParam();
    EditRefusal why = EditRefusal::None;
    const QString before = displayText(c.before);
    const QString after = c.edit(before);
    EXPECT_EQ(editedBytes(c.before, after, &why), c.expected);
    EXPECT_EQ(why, c.refusal);
    EXPECT_EQ(checkEdit(before, after), c.refusal);
}

const std::string longest(maxLineBytes, 'a');

INSTANTIATE_TEST_SUITE_P(
    Edits, EditedBytesTest,
    ::testing::Values(
        EditCase{"CrFromFileStaysEditable", "Title\rx", [](QString s) { return append(s, "y"); },
                 std::string("Title\rxy"), EditRefusal::None},
        EditCase{"CrFromFileDeletedAround", "a\rb", [](QString) { return QStringLiteral("ab"); },
                 std::string("ab"), EditRefusal::None},
        EditCase{"LineFeedAddedAfterCr", "Title\rx", [](QString s) { return append(s, "\n"); }, std::nullopt,
                 EditRefusal::LineBreak},
        EditCase{"PastedCrLf", "abc", [](QString) { return QStringLiteral("a\r\nbc"); }, std::nullopt,
                 EditRefusal::LineBreak},
        EditCase{"PastedCr", "abc", [](QString) { return QStringLiteral("a\rbc"); }, std::nullopt,
                 EditRefusal::LineBreak},
        EditCase{"LineSeparator", "abc", [](QString s) { return append(s, QString(QChar(0x2028))); },
                 std::nullopt, EditRefusal::LineBreak},
        EditCase{"CharacterWithoutByte", "abc", [](QString) { return QStringLiteral("ab✓c"); }, std::nullopt,
                 EditRefusal::Unencodable},
        EditCase{"CyrillicEncoded", "", [](QString) { return QStringLiteral("жЁ"); }, std::string("\xE6\xA8"),
                 EditRefusal::None},
        EditCase{"UnassignedByteKept", "a\x98z", [](QString s) { return append(s, "!"); },
                 std::string("a\x98z!"), EditRefusal::None},
        EditCase{"Emptied", "abc", [](QString) { return QString(); }, std::string(), EditRefusal::None},
        EditCase{"OneByteTooMany", longest, [](QString s) { return append(s, "b"); }, std::nullopt,
                 EditRefusal::TooLong},
        EditCase{"LongestReplacedInPlace", longest,
                 [](QString s) { return s.replace(0, 1, QStringLiteral("b")); },
                 std::string("b") + std::string(maxLineBytes - 1, 'a'), EditRefusal::None},
        EditCase{"OverlongShortened", std::string(maxLineBytes + 5, 'a'),
                 [](QString s) { return s.left(s.size() - 1); }, std::string(maxLineBytes + 4, 'a'),
                 EditRefusal::None}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

TEST(EditText, EveryByteKeptByAnEditElsewhere) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        if (b != '\n') {
            all.push_back(static_cast<char>(b));
        }
    }
    const QString shown = displayText(all);
    ASSERT_EQ(static_cast<std::size_t>(shown.size()), all.size());
    EXPECT_EQ(editedBytes(all, shown + QStringLiteral("ж")), all + "\xE6");
    EXPECT_EQ(editedBytes(all, QStringLiteral("ж") + shown), "\xE6" + all);
}

} // namespace
} // namespace vornak
