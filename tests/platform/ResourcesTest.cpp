// The resource tables (templates, commands, menu, help text) and the compiled-in pictures.
#include "ActionTable.h"
#include "DialogTemplates.h"
#include "HelpText.h"
#include "MenuTable.h"
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

TEST(DialogTemplates, ControlsLieInsideTheirBoxAndNamesAreUnique) {
    for (const DialogTemplate* t : {&mainFormTemplate(), &helpWindowTemplate(), &aboutBoxTemplate()}) {
        SCOPED_TRACE(t->caption.toStdString());
        EXPECT_EQ(t->fontFace, QStringLiteral("Times New Roman"));
        EXPECT_GT(t->width, 0);
        EXPECT_GT(t->height, 0);
        std::set<QString> seen;
        for (const ControlTemplate& c : t->controls) {
            if (!c.name.isEmpty()) {
                EXPECT_TRUE(seen.insert(c.name).second) << "repeats " << c.name.toStdString();
                EXPECT_EQ(t->control(c.name), &c);
            }
            EXPECT_GE(c.x, 0);
            EXPECT_GE(c.y, 0);
            EXPECT_LE(c.x + c.width, t->width) << c.name.toStdString();
            EXPECT_LE(c.y + c.height, t->height) << c.name.toStdString();
        }
        EXPECT_EQ(t->control(QString()), nullptr) << "an unnamed control is found by no name";
    }
    EXPECT_EQ(mainFormTemplate().caption, texts::appTitle);
    EXPECT_TRUE(mainFormTemplate().controls.empty()) << "the main window lays its controls out itself";
}

TEST(DialogTemplates, HelpWindowAndAboutBox) {
    const ControlTemplate* help = helpWindowTemplate().control(QStringLiteral("helpEdit"));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->kind, ControlKind::Edit);

    const DialogTemplate& about = aboutBoxTemplate();
    ASSERT_FALSE(about.controls.empty());
    EXPECT_EQ(about.controls.front().kind, ControlKind::DefaultPushButton);
    EXPECT_EQ(about.control(QStringLiteral("okButton")), &about.controls.front());
    const ControlTemplate* link = about.control(QStringLiteral("webLink"));
    ASSERT_NE(link, nullptr);
    // The link's text is its target: it must be an address the desktop can open.
    EXPECT_TRUE(link->text.startsWith(QLatin1String("http://")) ||
                link->text.startsWith(QLatin1String("https://")));
}

// The letter after a single '&' ("&&" is a shown ampersand); a null QChar when none.
QChar accessLetter(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (text[i + 1] != QLatin1Char('&')) {
                return text[i + 1];
            }
            ++i;
        }
    }
    return QChar();
}

TEST(ActionTable, IdsTextsAndKeysAreUnique) {
    std::set<QString> ids;
    std::map<QKeySequence, QString> keyOwners;
    for (const ActionEntry& entry : actionTable()) {
        SCOPED_TRACE(entry.id.toStdString());
        EXPECT_TRUE(ids.insert(entry.id).second) << "the id is used twice";
        // An object name: a lower-case letter first, letters and digits only.
        EXPECT_TRUE(entry.id.front().isLower());
        for (const QChar c : entry.id) {
            EXPECT_TRUE(c.isLetterOrNumber() && c.unicode() < 128)
                << "the id holds " << QString(c).toStdString();
        }
        EXPECT_EQ(findActionEntry(entry.id), &entry);
        EXPECT_FALSE(entry.text.isEmpty());
        EXPECT_FALSE(accessLetter(entry.text).isNull()) << entry.text.toStdString();
        EXPECT_FALSE(entry.text.contains(QLatin1Char('\t'))) << "the menu shows the key itself";
        const QList<QKeySequence> keys = entry.keys();
        EXPECT_EQ(keys.isEmpty(), entry.shortcut.isEmpty());
        if (!keys.isEmpty()) {
            EXPECT_EQ(keys.front(), entry.shortcut) << "the key the menu shows comes first";
        }
        for (const QKeySequence& key : keys) {
            EXPECT_EQ(key.count(), 1) << "one key press, no chord";
            const auto [owner, fresh] = keyOwners.emplace(key, entry.id);
            EXPECT_TRUE(fresh) << key.toString().toStdString() << " also runs "
                               << owner->second.toStdString();
        }
    }
    EXPECT_EQ(findActionEntry(u"noSuchCommand"), nullptr);
    EXPECT_EQ(findActionEntry(QString()), nullptr);
}

TEST(ActionTable, KeyVariantsAddTheModifiersNotAlreadyHeld) {
    const struct {
        QKeySequence shortcut;
        KeyVariants variants;
        QKeySequence alternate;
        QList<QKeySequence> keys;
    } cases[] = {
        {QKeySequence(), KeyVariants::AnyShiftAlt, QKeySequence(), {}},
        {QKeySequence(Qt::Key_F7), KeyVariants::Exact, QKeySequence(), {QKeySequence(Qt::Key_F7)}},
        {QKeySequence(Qt::Key_F2),
         KeyVariants::AnyCtrlShift,
         QKeySequence(),
         {QKeySequence(Qt::Key_F2), QKeySequence(Qt::CTRL | Qt::Key_F2), QKeySequence(Qt::SHIFT | Qt::Key_F2),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F2)}},
        {QKeySequence(Qt::CTRL | Qt::Key_S),
         KeyVariants::AnyShiftAlt,
         QKeySequence(),
         {QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
          QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S),
          QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_S)}},
        {QKeySequence(Qt::CTRL | Qt::Key_Y),
         KeyVariants::Exact,
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}},
    };
    for (const auto& c : cases) {
        ActionEntry entry{QStringLiteral("x"), QStringLiteral("&x"), c.shortcut, c.variants, c.alternate};
        EXPECT_EQ(entry.keys(), c.keys) << c.shortcut.toString().toStdString();
    }
}

TEST(MenuTable, EveryEntryIsACommandOfTheTableOnce) {
    const auto& menu = mainMenu();
    ASSERT_EQ(menu.size(), 4u);
    std::set<QString> commands;
    int recentFiles = 0;
    for (const MenuPopup& popup : menu) {
        SCOPED_TRACE(popup.title.toStdString());
        EXPECT_FALSE(accessLetter(popup.title).isNull());
        ASSERT_FALSE(popup.entries.empty());
        // Separators only between items.
        EXPECT_NE(popup.entries.front().kind, MenuEntry::Kind::Separator);
        EXPECT_NE(popup.entries.back().kind, MenuEntry::Kind::Separator);
        for (std::size_t i = 0; i < popup.entries.size(); ++i) {
            const MenuEntry& entry = popup.entries[i];
            if (i > 0 && entry.kind == MenuEntry::Kind::Separator) {
                EXPECT_NE(popup.entries[i - 1].kind, MenuEntry::Kind::Separator) << "two separators at " << i;
            }
            if (entry.kind == MenuEntry::Kind::RecentFiles) {
                ++recentFiles;
            }
            if (entry.kind != MenuEntry::Kind::Command) {
                EXPECT_TRUE(entry.commandId.isEmpty());
                continue;
            }
            EXPECT_NE(findActionEntry(entry.commandId), nullptr) << entry.commandId.toStdString();
            EXPECT_TRUE(commands.insert(entry.commandId).second) << entry.commandId.toStdString() << " twice";
        }
    }
    EXPECT_EQ(recentFiles, 1);
    // Every command of the table has its place in the menu.
    for (const ActionEntry& entry : actionTable()) {
        EXPECT_EQ(commands.count(entry.id), 1u) << entry.id.toStdString() << " is in no menu";
    }
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

TEST(Pictures, PicturesHaveTheirSizesAndTransparentGrey) {
    struct Expect {
        Picture id;
        QSize size;
    };
    const Expect bitmaps[] = {
        {Picture::Add, {16, 15}},       {Picture::Delete, {16, 15}},        {Picture::OpenFolder, {16, 16}},
        {Picture::Question, {16, 16}},  {Picture::ParameterPage, {16, 16}}, {Picture::Diskette, {16, 16}},
        {Picture::ValuePage, {16, 16}}, {Picture::ResultPage, {16, 16}},    {Picture::BlankPage, {16, 16}},
    };
    for (const Expect& e : bitmaps) {
        const QImage image = pictureImage(e.id);
        ASSERT_FALSE(image.isNull()) << static_cast<int>(e.id);
        EXPECT_EQ(image.size(), e.size) << static_cast<int>(e.id);
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
        EXPECT_LE(colours.size(), 16u) << static_cast<int>(e.id);
        EXPECT_GT(grey, 0) << static_cast<int>(e.id);
        EXPECT_GE(image.width() * image.height() - grey, 20)
            << static_cast<int>(e.id); // a picture, not a blank

        const QImage shown = picturePixmap(e.id).toImage();
        ASSERT_EQ(shown.size(), e.size);
        int transparent = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const bool wasGrey = (image.pixel(x, y) | 0xFF000000u) == qRgb(192, 192, 192);
                EXPECT_EQ(qAlpha(shown.pixel(x, y)) == 0, wasGrey)
                    << static_cast<int>(e.id) << " at " << x << "," << y;
                transparent += wasGrey ? 1 : 0;
            }
        }
        EXPECT_EQ(transparent, grey);
    }
    EXPECT_TRUE(pictureImage(Picture::None).isNull());
    EXPECT_TRUE(picturePixmap(Picture::None).isNull());
    // Each picture is its own drawing.
    std::set<QString> paths;
    for (const Expect& e : bitmaps) {
        EXPECT_TRUE(paths.insert(pictureResourcePath(e.id)).second)
            << pictureResourcePath(e.id).toStdString();
    }
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
