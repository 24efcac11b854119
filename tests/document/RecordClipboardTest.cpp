// The clipboard as the lists fill and read it: the formats carry the same rows, whole parameters
// travel in Vornak's own type, and a foreign or damaged offer is told apart.
#include "RecordClipboard.h"

#include <gtest/gtest.h>

namespace vornak {
namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const CellRows shown = {{u("22.2"), u("23.7"), u("ВЖ")}, {u("23.7"), u(""), u("Н ")}};

TEST(RecordClipboardTest, RowsGoOutInBothFormatsAndComeBack) {
    const auto data = recordsMimeData(shown);
    EXPECT_EQ(data->text(), u("22.2\t23.7\tВЖ\n23.7\t\tН "));
    EXPECT_TRUE(data->hasHtml());
    EXPECT_FALSE(data->hasFormat(QString::fromLatin1(parametersMimeType)));
    EXPECT_TRUE(canPasteRecords(data.get()));
    EXPECT_EQ(pastedRows(data.get()).rows, shown);
    EXPECT_FALSE(pastedParameters(data.get()));

    // Only the HTML, as some programs offer.
    QMimeData html;
    html.setHtml(data->html());
    EXPECT_EQ(pastedRows(&html).rows, shown);
}

TEST(RecordClipboardTest, ParametersTravelWhole) {
    ParameterRecord p;
    p.name = "\xd0\xee\xf1\xf2";
    p.kind = ValueKind::Range;
    p.hasFormula = 1;
    p.formula = "#P(3)";
    p.values = {{"1", "2", "#X(1)"}};
    const std::vector<ParameterRecord> parameters = {p, ParameterRecord{}};
    const auto data = recordsMimeData({{u("Рост")}, {u("")}}, &parameters);
    const auto back = pastedParameters(data.get());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->problem, ParameterTransferProblem::None);
    EXPECT_EQ(back->parameters, parameters);
}

TEST(RecordClipboardTest, DamagedParametersAreToldApartFromNone) {
    QMimeData data;
    data.setData(QString::fromLatin1(parametersMimeType), QByteArray("Vornak parameters 1\r\nR2\r\n"));
    const auto back = pastedParameters(&data);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->problem, ParameterTransferProblem::Damaged);
    EXPECT_TRUE(canPasteRecords(&data));

    QMimeData image;
    image.setData(QStringLiteral("image/png"), QByteArray("\x89PNG"));
    EXPECT_FALSE(canPasteRecords(&image));
    EXPECT_FALSE(canPasteRecords(nullptr));
    EXPECT_EQ(pastedRows(&image), TableRead{});
}

} // namespace
} // namespace vornak
