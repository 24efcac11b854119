// The find bar over a document: typing finds from where the user is, Enter and Shift+Enter go round,
// Escape closes, the count follows edits and undo, "Заменить" and "Заменить все" are undo steps,
// and a refused replacement changes nothing and says why.
#include "FindController.h"
#include "DefinitionDocument.h"
#include "FindBar.h"
#include "TextCodec.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace vornak {
namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::string cp1251(const char* utf8) {
    return TextCodec::encode(u(utf8));
}

class RecordingDisplay : public MatchDisplay {
public:
    void showMatch(const TextMatch& match) override {
        shown = match;
        ++shows;
    }
    void clearMatch() override { shown.reset(); }
    std::optional<TextMatch> currentPlace() const override { return place; }

    std::optional<TextMatch> shown;
    std::optional<TextMatch> place;
    int shows = 0;
};

void typeInto(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

class FindControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ReportDefinition d;
        d.title = cp1251("Рост в см");
        d.author = cp1251("см");
        d.parameters = {{cp1251("Длина, см"), "", ValueKind::Range, 1, 0, {{"1", cp1251("2 см"), "x"}}},
                        {"Q", "", ValueKind::List, 0, 0, {{"a", cp1251("см hidden"), cp1251("см")}}}};
        d.results = {{cp1251("Итог"), cp1251("#P(1) + \" см\"")}};
        const std::string path = QFile::encodeName(folder.filePath(QStringLiteral("find.rpt"))).toStdString();
        ASSERT_TRUE(d.save(path));
        ASSERT_TRUE(document.open(path));
        window.resize(700, 120);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QString field() const { return bar->findField()->text(); }
    QString count() const { return bar->matchCountText(); }
    void enter(Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(bar->findField(), Qt::Key_Return, modifiers);
    }
    TextLocation shownAt() const { return display.shown ? display.shown->where : TextLocation{}; }

    QTemporaryDir folder;
    DefinitionDocument document;
    QWidget window;
    FindBar* bar = new FindBar(&window);
    RecordingDisplay display;
    FindController controller{document, *bar, display};
};

TEST_F(FindControllerTest, TypingFindsFromWhereTheUserIs) {
    // The cursor is in the second parameter's name: the search starts there.
    display.place = TextMatch{{TextField::ParameterName, 2, 0}, 0, 0};
    controller.openFind();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(bar->isReplaceShown());
    EXPECT_TRUE(bar->findField()->hasFocus());
    typeInto(bar->findField(), u("см"));
    ASSERT_TRUE(display.shown);
    EXPECT_EQ(shownAt(), (TextLocation{TextField::ValueResult, 2, 1}));
    EXPECT_EQ(count(), u("4 из 6"));
    // Whole word and match case narrow it at once.
    bar->findChild<QCheckBox*>(QStringLiteral("matchCase"))->click();
    EXPECT_EQ(count(), u("4 из 6"));
    typeInto(bar->findField(), u("x"));
    EXPECT_EQ(count(), u("Не найдено"));
    EXPECT_FALSE(display.shown);
}

TEST_F(FindControllerTest, EnterAndShiftEnterGoRoundAndSayWhenTheyWrap) {
    controller.openFind();
    typeInto(bar->findField(), u("см"));
    EXPECT_EQ(count(), u("1 из 6"));
    EXPECT_EQ(shownAt(), locationOf(ReportText::Title));
    for (int i = 2; i <= 6; ++i) {
        enter();
        EXPECT_EQ(count(), QStringLiteral("%1 из 6").arg(i));
    }
    EXPECT_EQ(shownAt(), locationOf(ReportText::Author));
    EXPECT_TRUE(bar->status().isEmpty());
    enter();
    EXPECT_EQ(count(), u("1 из 6"));
    EXPECT_EQ(bar->status(), u("Достигнут конец, поиск продолжен с начала."));
    enter(Qt::ShiftModifier);
    EXPECT_EQ(count(), u("6 из 6"));
    EXPECT_EQ(bar->status(), u("Достигнуто начало, поиск продолжен с конца."));
    enter(Qt::ShiftModifier);
    EXPECT_EQ(count(), u("5 из 6"));
    EXPECT_TRUE(bar->status().isEmpty());
}

TEST_F(FindControllerTest, EscapeClosesTheBarAndTheHighlight) {
    QSignalSpy closed(&controller, &FindController::closed);
    controller.openFind();
    typeInto(bar->findField(), u("см"));
    ASSERT_TRUE(display.shown);
    QTest::keyClick(bar->findField(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(display.shown);
    EXPECT_EQ(closed.count(), 1);
    // Opened again, the text is there and selected, so typing replaces it.
    controller.openReplace();
    EXPECT_TRUE(bar->isReplaceShown());
    EXPECT_EQ(bar->findField()->selectedText(), u("см"));
}

TEST_F(FindControllerTest, TheCountFollowsEditsAndUndo) {
    controller.openFind();
    typeInto(bar->findField(), u("см"));
    enter(); // the first parameter's name
    EXPECT_EQ(count(), u("2 из 6"));
    ASSERT_TRUE(document.setCell({TextField::ResultName, 1, 0}, u("Итог см")));
    EXPECT_EQ(count(), u("2 из 7"));
    // The shown match itself edited away: the count stays, no match is current.
    ASSERT_TRUE(document.setCell({TextField::ParameterName, 1, 0}, u("Длина")));
    EXPECT_EQ(count(), u("6 найдено"));
    EXPECT_FALSE(display.shown);
    // The next step goes on from where that match was.
    enter();
    EXPECT_EQ(shownAt(), (TextLocation{TextField::UpperBound, 1, 1}));
    document.undoStack()->undo();
    document.undoStack()->undo();
    EXPECT_EQ(count(), u("3 из 6"));
}

TEST_F(FindControllerTest, ReplaceOneStepAtATime) {
    controller.openReplace();
    typeInto(bar->findField(), u("см"));
    typeInto(bar->replaceField(), u("мм"));
    QTest::keyClick(bar->replaceField(), Qt::Key_Return);
    EXPECT_EQ(document.definition().title, cp1251("Рост в мм"));
    EXPECT_EQ(document.undoStack()->count(), 1);
    EXPECT_EQ(document.undoStack()->undoText(), u("замена «см» на «мм»"));
    // The next match is shown, and counted among those left.
    EXPECT_EQ(shownAt(), (TextLocation{TextField::ParameterName, 1, 0}));
    EXPECT_EQ(count(), u("1 из 5"));
    bar->findChild<QPushButton*>(QStringLiteral("replaceOne"))->click();
    EXPECT_EQ(document.definition().parameters[0].name, cp1251("Длина, мм"));
    EXPECT_EQ(document.undoStack()->count(), 2);
    document.undoStack()->undo();
    EXPECT_EQ(document.definition().parameters[0].name, cp1251("Длина, см"));
}

TEST_F(FindControllerTest, ReplaceAllIsOneStepAndSaysHowMany) {
    const std::string before = serializeDefinition(document.definition());
    controller.openReplace();
    typeInto(bar->findField(), u("СМ"));
    typeInto(bar->replaceField(), u("мм"));
    bar->findChild<QPushButton*>(QStringLiteral("replaceAll"))->click();
    EXPECT_EQ(bar->status(), u("Заменено совпадений: 6."));
    EXPECT_EQ(count(), u("Не найдено"));
    EXPECT_EQ(document.undoStack()->count(), 1);
    EXPECT_EQ(document.definition().results[0].result, cp1251("#P(1) + \" мм\""));
    EXPECT_EQ(document.definition().parameters[1].values[0].upperBound, cp1251("см hidden"));
    document.undoStack()->undo();
    EXPECT_EQ(serializeDefinition(document.definition()), before);
    EXPECT_EQ(count(), u("6 найдено"));
}

TEST_F(FindControllerTest, ARefusedReplacementChangesNothingAndSaysWhy) {
    const std::string before = serializeDefinition(document.definition());
    controller.openReplace();
    typeInto(bar->findField(), u("см"));
    bar->replaceField()->setText(u("≤"));
    bar->findChild<QPushButton*>(QStringLiteral("replaceAll"))->click();
    EXPECT_EQ(bar->status(),
              u("Замена отменена: знак «≤» нельзя записать в кодировке Windows-1251. Ничего не "
                "изменено."));
    bar->findChild<QPushButton*>(QStringLiteral("replaceOne"))->click();
    EXPECT_EQ(serializeDefinition(document.definition()), before);
    EXPECT_EQ(document.undoStack()->count(), 0);

    // The title and the first name (9 characters each) just fit; the result (13) would not.
    bar->replaceField()->setText(QString(2040, u'x'));
    bar->findChild<QPushButton*>(QStringLiteral("replaceAll"))->click();
    EXPECT_EQ(bar->status().toStdString(),
              "Замена отменена: Результат 1: текст стал бы длиннее 2047 байт. Ничего не изменено.");
    EXPECT_EQ(serializeDefinition(document.definition()), before);
}

TEST_F(FindControllerTest, TabGoesFromFieldToFieldBeforeTheOptions) {
    const struct {
        bool withReplace;
        std::vector<QString> stops; // the buttons reached after the fields, by their texts
    } cases[] = {
        {true, {u("Заменить"), u("Заменить все"), u("Учитывать регистр")}},
        {false, {u("Учитывать регистр"), u("Слова целиком")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.withReplace ? "replace shown" : "find only");
        c.withReplace ? controller.openReplace() : controller.openFind();
        bar->findField()->setFocus();
        if (c.withReplace) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), bar->replaceField());
        }
        for (const QString& stop : c.stops) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            const auto* button = qobject_cast<const QAbstractButton*>(QApplication::focusWidget());
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), stop);
        }
        QTest::keyClick(bar->findField(), Qt::Key_Escape);
    }
}

TEST(ReplaceRefusalText, NamesTheReason) {
    EXPECT_EQ(replaceRefusalText(EditRefusal::LineBreak, std::nullopt, u("a\nb")),
              u("Замена отменена: в тексте замены перевод строки, а строка файла определения не может его "
                "хранить. Ничего не изменено."));
    EXPECT_EQ(replaceRefusalText(EditRefusal::Unencodable, std::nullopt, u("ok 😀")),
              u("Замена отменена: знак «😀» нельзя записать в кодировке Windows-1251. Ничего не изменено."));
    EXPECT_EQ(replaceRefusalText(EditRefusal::None, std::nullopt, u("x")), QString());
}

} // namespace
} // namespace vornak
