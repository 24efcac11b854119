// A paste is cut to the list's columns and refused whole when one cell could not be saved, with a
// message naming the row and the column.
#include "PastedRows.h"

#include <gtest/gtest.h>

namespace vornak {
namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TEST(PastedRowsTest, RowsAreCutAndFilledToTheListsColumns) {
    const CellRows pasted = {{u("a")}, {u("b"), u("c"), u("d"), u("e")}, {}, {u("f"), u("g")}};
    const PastedRows fitted = fitPastedRows(pasted, 3);
    ASSERT_TRUE(fitted.accepted());
    const CellRows expected = {
        {u("a"), u(""), u("")}, {u("b"), u("c"), u("d")}, {u(""), u(""), u("")}, {u("f"), u("g"), u("")}};
    EXPECT_EQ(fitted.rows, expected);
    EXPECT_EQ(fitted.leftOutColumns, 1);
}

TEST(PastedRowsTest, OnlyColumnsHoldingTextCountAsLeftOut) {
    // The trailing tabs some programs write, and empty columns between.
    EXPECT_EQ(fitPastedRows({{u("a"), u("b"), u(""), u("")}, {u("c"), u("d"), u("")}}, 2).leftOutColumns, 0);
    EXPECT_EQ(fitPastedRows({{u("a"), u("b"), u(""), u("x")}, {u("c")}}, 2).leftOutColumns, 2);
    EXPECT_EQ(fitPastedRows({{u("name"), u("result"), u("extra")}}, 1).leftOutColumns, 2);
}

TEST(PastedRowsTest, NothingPastedIsNothingToDo) {
    EXPECT_FALSE(fitPastedRows({}, 2).accepted());
    EXPECT_FALSE(fitPastedRows({}, 2).refusal.has_value());
}

struct RefusalCase {
    const char* name;
    CellRows rows;
    int columns;
    PastedCellProblem problem;
    const char* message;
};

const QStringList rangeColumns = {u(">="), u("<"), u("Результат")};

class PasteRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(PasteRefusal, RefusesTheWholePasteNamingTheCell) {
    const RefusalCase& c = GetParam();
    const PastedRows fitted = fitPastedRows(c.rows, c.columns);
    EXPECT_FALSE(fitted.accepted());
    EXPECT_TRUE(fitted.rows.empty());
    ASSERT_TRUE(fitted.refusal.has_value());
    EXPECT_EQ(*fitted.refusal, c.problem);
    EXPECT_EQ(pasteRefusalText(*fitted.refusal, rangeColumns), u(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasteRefusal,
    ::testing::Values(
        RefusalCase{"LineBreak",
                    {{u("1"), u("2"), u("ok")}, {u("3"), u("4"), u("two\nlines")}},
                    3,
                    {2, 3, DefinitionTextProblem::LineBreak, u("two\nlines")},
                    "Вставка отменена: строка 2, столбец «Результат» — в ячейке перевод строки, а строка "
                    "файла определения не может его хранить. Ничего не изменено."},
        RefusalCase{"Unencodable",
                    {{u("1"), u("≥5"), u("x")}},
                    3,
                    {1, 2, DefinitionTextProblem::Unencodable, u("≥5")},
                    "Вставка отменена: строка 1, столбец «<» — знак «≥» нельзя записать в кодировке "
                    "Windows-1251. Ничего не изменено."},
        RefusalCase{"UnencodableOutsideTheBasicPlane",
                    {{u("ok 😀")}},
                    3,
                    {1, 1, DefinitionTextProblem::Unencodable, u("ok 😀")},
                    "Вставка отменена: строка 1, столбец «>=» — знак «😀» нельзя записать в кодировке "
                    "Windows-1251. Ничего не изменено."},
        RefusalCase{"TooLong",
                    {{QString(2047, u'x'), QString(2048, u'ж')}},
                    3,
                    {1, 2, DefinitionTextProblem::TooLong, QString(2048, u'ж')},
                    "Вставка отменена: строка 1, столбец «<» — текст ячейки длиннее 2047 байт. Ничего не "
                    "изменено."},
        RefusalCase{"FirstInReadingOrder",
                    {{u("ok"), u("a\rb"), u("≥")}, {u("≥")}},
                    3,
                    {1, 2, DefinitionTextProblem::LineBreak, u("a\rb")},
                    "Вставка отменена: строка 1, столбец «<» — в ячейке перевод строки, а строка файла "
                    "определения не может его хранить. Ничего не изменено."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PastedRowsTest, CellsLeftOutAreNotChecked) {
    // What would not go in anyway cannot refuse the paste.
    const PastedRows fitted = fitPastedRows({{u("name"), u("two\nlines ≥")}}, 1);
    EXPECT_TRUE(fitted.accepted());
    EXPECT_EQ(fitted.leftOutColumns, 1);
}

TEST(PastedRowsTest, MessagesSayWhatWasLeftOut) {
    EXPECT_EQ(leftOutColumnsText(0, 2), QString());
    EXPECT_EQ(leftOutColumnsText(1, 1), u("В списке 1 столбец: лишние столбцы (1) не вставлены."));
    EXPECT_EQ(leftOutColumnsText(3, 2), u("В списке 2 столбца: лишние столбцы (3) не вставлены."));
    EXPECT_EQ(leftOutColumnsText(1, 11), u("В списке 11 столбцов: лишние столбцы (1) не вставлены."));
    EXPECT_EQ(parameterTransferText(ParameterTransferProblem::None), QString());
    EXPECT_FALSE(parameterTransferText(ParameterTransferProblem::NewerVersion).isEmpty());
    EXPECT_FALSE(parameterTransferText(ParameterTransferProblem::Damaged).isEmpty());
}

} // namespace
} // namespace vornak
