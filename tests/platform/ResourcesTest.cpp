// The resource tables (templates, menu, help text) and the compiled-in pictures.
#include "CommandIds.h"
#include "DialogTemplates.h"
#include "HelpText.h"
#include "MenuTemplate.h"
#include "Pictures.h"
#include "TextCodec.h"
#include "Texts.h"

#include <QFile>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace vornak;

namespace {

std::size_t windows1251Size(const QString& text) {
    EXPECT_TRUE(TextCodec::isEncodable(text)) << text.left(40).toStdString();
    return TextCodec::isEncodable(text) ? TextCodec::encode(text).size() : 0;
}

} // namespace

TEST(DialogTemplates, AreWellFormed) {
    for (const int id : {ids::MainFormTemplate, ids::HelpWindowTemplate, ids::AboutBoxTemplate}) {
        const DialogTemplate* t = findDialogTemplate(id);
        ASSERT_NE(t, nullptr) << id;
        EXPECT_EQ(t->id, id);
        EXPECT_EQ(t->fontFace, QStringLiteral("Times New Roman"));
        std::set<int> seen;
        for (const ControlTemplate& c : t->controls) {
            if (c.id != ctl::Static) {
                EXPECT_TRUE(seen.insert(c.id).second) << "template " << id << " repeats control " << c.id;
            }
            EXPECT_GE(c.x, 0);
            EXPECT_GE(c.y, 0);
            EXPECT_LE(c.x + c.width, t->width) << "template " << id << " control " << c.id;
            EXPECT_LE(c.y + c.height, t->height) << "template " << id << " control " << c.id;
        }
    }
    EXPECT_EQ(findDialogTemplate(101), nullptr);
}

TEST(DialogTemplates, MainFormGivesTheFirstSizeOnly) {
    const DialogTemplate& t = mainFormTemplate();
    EXPECT_EQ(t.caption, texts::appTitle);
    EXPECT_TRUE(t.controls.empty()) << "the main window lays its controls out itself";
    EXPECT_GT(t.width, 0);
    EXPECT_GT(t.height, 0);
}

TEST(DialogTemplates, HelpWindowAndAboutBox) {
    const DialogTemplate& help = helpWindowTemplate();
    ASSERT_EQ(help.controls.size(), 1u);
    EXPECT_EQ(help.controls.front().id, ctl::HelpEdit);
    EXPECT_TRUE(help.controls.front().has(StyleMultiLine) && help.controls.front().has(StyleReadOnly));
    EXPECT_FALSE(help.has(DialogVisible)); // created hidden

    const DialogTemplate& about = aboutBoxTemplate();
    ASSERT_FALSE(about.controls.empty());
    EXPECT_EQ(about.controls.front().kind, ControlKind::DefaultPushButton);
    const ControlTemplate* link = about.control(ctl::WebLink);
    ASSERT_NE(link, nullptr);
    // The link's text is its target: it must be an address the desktop can open.
    EXPECT_TRUE(link->text.startsWith(QLatin1String("http://")) ||
                link->text.startsWith(QLatin1String("https://")));
}

TEST(MenuTemplate, Structure) {
    const auto& menu = mainMenuTemplate();
    ASSERT_EQ(menu.size(), 4u);
    std::set<int> idsSeen;
    std::map<int, QString> shortcuts;
    std::vector<std::vector<std::size_t>> separators;
    for (const MenuPopupTemplate& popup : menu) {
        separators.emplace_back();
        for (std::size_t i = 0; i < popup.items.size(); ++i) {
            const MenuItemTemplate& item = popup.items[i];
            if (item.separator) {
                separators.back().push_back(i);
                continue;
            }
            if (item.recentFiles) {
                continue;
            }
            EXPECT_TRUE(idsSeen.insert(item.id).second) << item.id;
            EXPECT_EQ(findMenuItem(item.id), &item);
            if (!item.shortcutText().isEmpty()) {
                shortcuts[item.id] = item.shortcutText();
                EXPECT_EQ(item.label() + QLatin1Char('\t') + item.shortcutText(), item.text);
            }
        }
    }
    EXPECT_EQ(idsSeen.size(), 27u);
    EXPECT_EQ(separators, (std::vector<std::vector<std::size_t>>{{7, 9}, {2, 6, 9, 13}, {3}, {1}}));
    const std::map<int, QString> expectedShortcuts = {
        {cmd::FileNew, "Ctrl+N"},  {cmd::FileOpen, "Ctrl+O"},    {cmd::FileSave, "Ctrl+S"},
        {cmd::AddParameter, "F2"}, {cmd::AddValue, "F3"},        {cmd::AddResult, "F4"},
        {cmd::Help, "F1"},         {cmd::Undo, "Ctrl+Z"},        {cmd::Redo, "Ctrl+Y"},
        {cmd::MoveUp, "Ctrl+Up"},  {cmd::MoveDown, "Ctrl+Down"}, {cmd::Duplicate, "Ctrl+D"},
        {cmd::Checks, "F7"},       {cmd::Cut, "Ctrl+X"},        {cmd::Copy, "Ctrl+C"},
        {cmd::Paste, "Ctrl+V"},    {cmd::Find, "Ctrl+F"},        {cmd::Replace, "Ctrl+H"},
        {cmd::Print, "Ctrl+P"},
    };
    EXPECT_EQ(shortcuts, expectedShortcuts);
    // The recent files have their place in the File menu between the two separators.
    const MenuItemTemplate& recent = menu[0].items[8];
    EXPECT_TRUE(recent.recentFiles);
    EXPECT_EQ(recent.text, texts::recentFilesPlaceholder);
    EXPECT_EQ(findMenuItem(cmd::About)->text, texts::aboutEntry);
    EXPECT_EQ(findMenuItem(0), nullptr);
}

TEST(CommandIds, SystemAboutTestMasksTheLowBits) {
    EXPECT_TRUE(cmd::isSystemAboutCommand(0x0010));
    EXPECT_TRUE(cmd::isSystemAboutCommand(0x001F));
    EXPECT_FALSE(cmd::isSystemAboutCommand(0xF060)); // close
    EXPECT_FALSE(cmd::isSystemAboutCommand(0xF010)); // move
    EXPECT_FALSE(cmd::isSystemAboutCommand(0x0020));
}

TEST(HelpText, IsThirtyOneLinesWithCrLfBreaksAndFitsADefinitionFile) {
    const QString& text = helpText();
    EXPECT_GT(windows1251Size(text), 0u);
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 31);
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 30);
    EXPECT_EQ(text.count(QLatin1Char('\n')), 30); // no bare line feeds
    EXPECT_EQ(text.count(QLatin1Char('\r')), 30);
    for (int i = 0; i < lines.size(); ++i) {
        const bool shouldBeEmpty = i == 7 || i == 16 || i == 19 || i == 25;
        EXPECT_EQ(lines[i].isEmpty(), shouldBeEmpty) << "line " << i + 1;
    }
    EXPECT_EQ(lines.first(),
              QStringLiteral("\"Список\" - параметр может иметь одно из нескольких возможных значений."));
    EXPECT_EQ(lines[17],
              QStringLiteral("Математические функции: sin, cos, tan, cot, asin, acos, atan, sqrt, ^, exp, "
                             "abs, ceil, floor, lg, ln."));
    EXPECT_EQ(lines[24], QStringLiteral("#P(1)+#P(2) + \" см. \" + sin(PI/2) + #P( (1+2)^2 )"));
    EXPECT_EQ(lines.last(), QStringLiteral("#X(n) - результат № n в таблице результатов"));

    const bool startsWithBreak[8] = {false, false, false, true, true, true, true, true};
    const bool endsWithBreak[8] = {true, true, true, true, false, true, true, false};
    const auto& pieces = helpTextPieces();
    for (int i = 0; i < 8; ++i) {
        EXPECT_GT(windows1251Size(pieces[i]), 0u) << "piece " << i + 1;
        EXPECT_EQ(pieces[i].startsWith(QStringLiteral("\r\n")), startsWithBreak[i]) << "piece " << i + 1;
        EXPECT_EQ(pieces[i].endsWith(QStringLiteral("\r\n")), endsWithBreak[i]) << "piece " << i + 1;
    }
}

TEST(Texts, DefaultsFitADefinitionFile) {
    const QString defaults[] = {texts::defaultTitle,          texts::defaultDocumentFile,
                                texts::defaultInput1Caption,  texts::defaultInput2Caption,
                                texts::defaultSurnameCaption, texts::defaultAuthor,
                                texts::defaultOrganisation,   texts::defaultSource};
    for (const QString& d : defaults) {
        EXPECT_TRUE(fitsDefinitionFile(d)) << d.toStdString();
    }
    EXPECT_TRUE(texts::defaultInput1Caption.endsWith(QStringLiteral("№ ")));
    EXPECT_TRUE(texts::defaultInput2Caption.endsWith(QStringLiteral("№ ")));
}

TEST(Pictures, BitmapsHaveTheirSizesAndTransparentGrey) {
    struct Expect {
        int id;
        QSize size;
    };
    const Expect bitmaps[] = {
        {130, {16, 15}}, {131, {16, 15}}, {147, {16, 16}}, {148, {16, 16}}, {149, {16, 16}},
        {150, {16, 16}}, {151, {16, 16}}, {152, {16, 16}}, {153, {16, 16}},
    };
    for (const Expect& e : bitmaps) {
        const QImage image = bitmapImage(e.id);
        ASSERT_FALSE(image.isNull()) << e.id;
        EXPECT_EQ(image.size(), e.size) << e.id;
        // 16 colours at most, light grey among them as the background, and more than just it.
        std::set<QRgb> colours;
        int grey = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y) | 0xFF000000u;
                colours.insert(c);
                grey += c == qRgb(192, 192, 192) ? 1 : 0;
            }
        }
        EXPECT_LE(colours.size(), 16u) << e.id;
        EXPECT_GT(grey, 0) << e.id;
        EXPECT_GE(image.width() * image.height() - grey, 20) << e.id; // a picture, not a blank

        const QImage shown = bitmapPixmap(e.id).toImage();
        ASSERT_EQ(shown.size(), e.size);
        int transparent = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const bool wasGrey = (image.pixel(x, y) | 0xFF000000u) == qRgb(192, 192, 192);
                EXPECT_EQ(qAlpha(shown.pixel(x, y)) == 0, wasGrey) << e.id << " at " << x << "," << y;
                transparent += wasGrey ? 1 : 0;
            }
        }
        EXPECT_EQ(transparent, grey);
    }
    EXPECT_TRUE(bitmapImage(132).isNull());
    EXPECT_TRUE(bitmapPixmap(132).isNull());
}

TEST(Pictures, IconAndHandCursor) {
    const QIcon icon = applicationIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));

    const std::optional<QCursor> hand = handCursor();
    ASSERT_TRUE(hand.has_value());
    EXPECT_EQ(hand->hotSpot(), QPoint(5, 0));
    const QImage picture = hand->pixmap().toImage();
    EXPECT_EQ(picture.size(), QSize(32, 32));
    // Monochrome with a transparent surround: black, white and nothing else.
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            if (qAlpha(c) != 0) {
                EXPECT_TRUE((c & 0xFFFFFFu) == 0 || (c & 0xFFFFFFu) == 0xFFFFFFu) << x << "," << y;
            }
        }
    }
    // The hot spot is the fingertip: opaque there, nothing above it in that column.
    EXPECT_NE(qAlpha(picture.pixel(5, 0)), 0);
    EXPECT_TRUE(QFile::exists(handCursorResourcePath()));
}
