// The reasons the editor's error boxes give: each place is named once, and the line where reading
// stopped is named unless the place already says which line it is.
#include "FileProblemText.h"

#include <gtest/gtest.h>

using vornak::DefinitionPart;
using vornak::FileProblem;
using vornak::LoadError;

namespace {

TEST(FileProblemText, EveryPlaceAndLineIsNamedOnce) {
    const struct {
        LoadError error;
        QString expected;
    } cases[] = {
        {{1, "", FileProblem::Empty, DefinitionPart::Mark, 0}, "Файл пуст (первая строка)."},
        {{1, "", FileProblem::NotDefinition, DefinitionPart::Mark, 0},
         "Это не файл описания отчета: первая строка должна быть R1 или R2."},
        {{57, "", FileProblem::Truncated, DefinitionPart::Parameter, 3},
         "Файл обрывается раньше конца описания (параметр № 3, строка 57)."},
        {{12, "", FileProblem::LineTooLong, DefinitionPart::Texts, 9},
         "Слишком длинная строка (текст отчета № 9, строка 12)."},
        {{0, "", FileProblem::NotFound, DefinitionPart::None, 0},
         "Файл или папка на пути к нему не найдены."},
        // A failure the core did not classify is still a failure to read.
        {{4, "", FileProblem::None, DefinitionPart::ParameterCount, 0},
         "Ошибка чтения файла (число параметров, строка 4)."},
    };
    for (const auto& c : cases) {
        const QString text = vornak::problemReason(c.error);
        EXPECT_EQ(text, c.expected) << text.toStdString();
        EXPECT_EQ(text.count(QStringLiteral("строка")), c.expected.count(QStringLiteral("строка")));
    }
}

} // namespace
