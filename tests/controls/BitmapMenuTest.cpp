// The bitmap menu and its binder: item sizes from the column rules, the update pass, the recent
// entries converted in the opening that inserts them, access letters, the drawing rules, and the
// binder's attach and picture contract.
#include "BitmapMenu.h"
#include "BitmapMenuBinder.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenuBar>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

constexpr int cmdNew = 57600;
constexpr int cmdOpen = 57601;
constexpr int cmdSave = 57603;
constexpr int cmdSaveAs = 57604;
constexpr int cmdSaveTable = 32782;
constexpr int cmdRecent = 57616;
constexpr int cmdExit = 32773;
constexpr int cmdAbout = 32774;

const QColor menuBack(200, 200, 200);
const QColor menuText(10, 10, 10);
const QColor highlight(0, 0, 180);
const QColor highlightText(255, 255, 0);
const QColor grayText(120, 120, 120);
const QColor light(255, 255, 255);
const QColor dark(60, 60, 60);
const QColor pictureRed(220, 0, 0);

QPalette testPalette() {
    QPalette p;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, menuBack);
        p.setColor(group, QPalette::WindowText, group == QPalette::Disabled ? grayText : menuText);
        p.setColor(group, QPalette::Highlight, highlight);
        p.setColor(group, QPalette::HighlightedText, highlightText);
        p.setColor(group, QPalette::Light, light);
        p.setColor(group, QPalette::Dark, dark);
    }
    return p;
}

// A picture strip: `count` pictures, each a red square inside a light grey (transparent) border.
QImage pictureStrip(int width, int height, int count = 1) {
    QImage image(width * count, height, QImage::Format_RGB32);
    image.fill(QColor(192, 192, 192));
    QPainter p(&image);
    for (int i = 0; i < count; ++i) {
        p.fillRect(i * width + 2, 2, width - 4, height - 4, pictureRed);
    }
    return image;
}

QAction* addCommand(QMenu* menu, int id, const QString& text) {
    QAction* action = menu->addAction(text);
    BitmapMenuBinder::SetCommandId(action, id);
    return action;
}

// A window with a menu bar holding a File popup like the editor's.
struct MenuFixture {
    std::unique_ptr<QDialog> window = std::make_unique<QDialog>();
    QMenuBar* bar = nullptr;
    BitmapMenu* file = nullptr;
    QAction* newItem = nullptr;
    QAction* openItem = nullptr;
    QAction* saveItem = nullptr;
    QAction* saveAsItem = nullptr;
    QAction* saveTableItem = nullptr;
    QAction* recentPlaceholder = nullptr;
    QAction* recentSeparator = nullptr;
    QAction* exitItem = nullptr;
    BitmapMenuBinder binder;
    int loads = 0;

    MenuFixture() {
        auto* layout = new QVBoxLayout(window.get());
        bar = new QMenuBar(window.get());
        bar->setNativeMenuBar(false);
        layout->setMenuBar(bar);
        file = new BitmapMenu(QStringLiteral("&Файл"), bar);
        bar->addMenu(file);
        file->setPalette(testPalette());
        QFont font = file->font();
        font.setStyleStrategy(QFont::NoAntialias);
        font.setPixelSize(14);
        file->setFont(font);
        newItem = addCommand(file, cmdNew, QStringLiteral("&Новый\tCtrl+N"));
        openItem = addCommand(file, cmdOpen, QStringLiteral("&Открыть\tCtrl+O"));
        saveItem = addCommand(file, cmdSave, QStringLiteral("&Сохранить\tCtrl+S"));
        saveAsItem = addCommand(file, cmdSaveAs, QStringLiteral("Сохранить &как..."));
        saveTableItem = addCommand(file, cmdSaveTable, QStringLiteral("Сохранить &таблицу..."));
        file->addSeparator();
        recentPlaceholder = addCommand(file, cmdRecent, QStringLiteral("Недавние файлы"));
        recentSeparator = file->addSeparator();
        exitItem = addCommand(file, cmdExit, QStringLiteral("В&ыход"));
        binder.SetBitmapLoader([this](int id) {
            ++loads;
            if (id == 153 || id == 147 || id == 150) {
                return pictureStrip(16, 16);
            }
            if (id == 999) {
                return pictureStrip(24, 40);
            }
            return QImage();
        });
    }

    void attachWithPictures() {
        ASSERT_TRUE(binder.AttachWindow(window.get()));
        ASSERT_TRUE(binder.SetCommandBitmap(cmdNew, 153));
        ASSERT_TRUE(binder.SetCommandBitmap(cmdOpen, 147));
        ASSERT_TRUE(binder.SetCommandBitmap(cmdSave, 150));
    }

    void open(QMenu* menu) {
        window->show();
        menu->popup(window->mapToGlobal(QPoint(10, 10)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    }
};

int labelWidth(const QMenu* menu, const QString& text) {
    return QFontMetrics(menu->font())
        .size(Qt::TextSingleLine | Qt::TextShowMnemonic, BitmapMenu::LabelOf(text))
        .width();
}

int acceleratorWidth(const QMenu* menu, const QString& text) {
    return QFontMetrics(menu->font())
        .size(Qt::TextSingleLine | Qt::TextShowMnemonic, BitmapMenu::AcceleratorOf(text))
        .width();
}

} // namespace

TEST(BitmapMenu, ItemSizesFollowTheColumnRules) {
    MenuFixture f;
    f.attachWithPictures();
    f.open(f.file);

    const QMenu* menu = f.file;
    const int checkHeight = f.binder.CheckImageSize().height();
    int widestLabel = 0;
    int widestAccelerator = 0;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator()) {
            widestLabel = std::max(widestLabel, labelWidth(menu, a->text()));
            widestAccelerator = std::max(widestAccelerator, acceleratorWidth(menu, a->text()));
        }
    }
    const int imageWidth = std::max(16, f.binder.CheckImageSize().width());
    EXPECT_EQ(f.file->ImageWidth(), imageWidth);
    EXPECT_EQ(f.file->LabelWidth(), widestLabel);
    EXPECT_EQ(f.file->AcceleratorWidth(), widestAccelerator);
    EXPECT_EQ(f.file->TextHeight(), QFontMetrics(menu->font()).height());

    const int width = imageWidth + 2 + 4 + widestLabel + 2 + widestAccelerator + 3;
    const int textRow = QFontMetrics(menu->font()).height() + 4;
    const struct {
        QAction* item;
        int height;
    } cases[] = {
        {f.newItem, std::max(textRow, 16 + 5)},
        {f.saveItem, std::max(textRow, 16 + 5)},
        {f.saveAsItem, std::max(textRow, checkHeight + 5)},
        {f.exitItem, std::max(textRow, checkHeight + 5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item->text().toStdString());
        EXPECT_EQ(menu->actionGeometry(c.item).width(), width);
        EXPECT_EQ(menu->actionGeometry(c.item).height(), c.height);
    }
    EXPECT_EQ(f.file->ItemData(f.recentSeparator), nullptr) << "separators stay the platform's";
}

TEST(BitmapMenu, TallPictureSetsTheRowAndNoShortcutMeansNoGap) {
    MenuFixture f;
    ASSERT_TRUE(f.binder.AttachWindow(f.window.get()));
    auto* tools = new BitmapMenu(QStringLiteral("&Tools"), f.bar);
    f.bar->addMenu(tools);
    QAction* tall = addCommand(tools, 40001, QStringLiteral("&Tall"));
    QAction* plain = addCommand(tools, 40002, QStringLiteral("&Plain item"));
    ASSERT_TRUE(f.binder.SetCommandBitmap(40001, 999));
    f.open(tools);

    const int textRow = QFontMetrics(tools->font()).height() + 4;
    EXPECT_EQ(tools->actionGeometry(tall).height(), std::max(textRow, 40 + 5));
    EXPECT_EQ(tools->actionGeometry(plain).height(),
              std::max(textRow, f.binder.CheckImageSize().height() + 5));
    const int width = 24 + 2 + 4 + labelWidth(tools, plain->text()) + 3;
    EXPECT_EQ(tools->AcceleratorWidth(), 0);
    EXPECT_EQ(tools->actionGeometry(tall).width(), width);
    EXPECT_EQ(tools->actionGeometry(plain).width(), width);
}

TEST(BitmapMenuBinder, UpdatePassEnablesExactlyTheItemsWithAHandler) {
    MenuFixture f;
    const std::set<int> handled = {cmdNew, cmdSave, cmdRecent, cmdExit};
    f.binder.SetCommandRouting([&](int id) { return handled.count(id) > 0; },
                               [&](QMenu* popup) {
                                   // The recent-file hook greys the placeholder of an empty list.
                                   if (popup == f.file) {
                                       f.binder.SetItemEnabled(f.recentPlaceholder, false);
                                   }
                               });
    f.saveItem->setEnabled(false); // a handler exists: the pass enables it again
    QAction* framework = addCommand(f.file, 0xF060, QStringLiteral("Framework command"));
    framework->setEnabled(false);
    auto* sub = new QMenu(QStringLiteral("Sub"), f.file);
    addCommand(sub, 40010, QStringLiteral("Inside"));
    QAction* subItem = f.file->addMenu(sub);
    f.attachWithPictures();
    f.open(f.file);

    const struct {
        QAction* item;
        bool enabled;
    } cases[] = {
        {f.newItem, true},     {f.openItem, false},      {f.saveItem, true},
        {f.saveAsItem, false}, {f.saveTableItem, false}, {f.recentPlaceholder, false},
        {f.exitItem, true},    {framework, false},       {subItem, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item->text().toStdString());
        EXPECT_EQ(c.item->isEnabled(), c.enabled);
    }
}

TEST(BitmapMenuBinder, RecentEntriesAreConvertedInTheOpeningThatInsertsThem) {
    MenuFixture f;
    QList<QAction*> entries;
    const QString longEntry = QStringLiteral("&1 /home/user/definitions/a very long name.rpt");
    f.binder.SetCommandRouting([](int) { return true; },
                               [&](QMenu* popup) {
                                   if (popup != f.file) {
                                       return;
                                   }
                                   for (QAction* old : entries) {
                                       f.file->removeAction(old);
                                       delete old;
                                   }
                                   entries.clear();
                                   f.recentPlaceholder->setVisible(false);
                                   for (const QString& text : {longEntry, QStringLiteral("&2 b.rpt")}) {
                                       auto* entry = new QAction(text, f.file);
                                       BitmapMenuBinder::SetCommandId(
                                           entry, cmdRecent + static_cast<int>(entries.size()));
                                       f.file->insertAction(f.recentSeparator, entry);
                                       entries.push_back(entry);
                                   }
                               });
    f.attachWithPictures();
    f.open(f.file);

    ASSERT_EQ(entries.size(), 2);
    for (QAction* entry : entries) {
        const MenuItemData* data = f.file->ItemData(entry);
        ASSERT_NE(data, nullptr) << entry->text().toStdString();
        EXPECT_EQ(data->text, entry->text());
        EXPECT_TRUE(data->image.checkOnly) << "no picture of its own: the check picture";
        EXPECT_TRUE(entry->isEnabled());
    }
    EXPECT_EQ(f.file->LabelWidth(), labelWidth(f.file, longEntry));
    const int wide = f.file->actionGeometry(entries[0]).width();

    // Next opening without the long entry: the popup keeps its widest width.
    f.file->hide();
    f.binder.SetCommandRouting([](int) { return true; },
                               [&](QMenu*) {
                                   for (QAction* old : entries) {
                                       f.file->removeAction(old);
                                       delete old;
                                   }
                                   entries.clear();
                                   f.recentPlaceholder->setVisible(true);
                               });
    f.open(f.file);
    EXPECT_EQ(f.file->actionGeometry(f.newItem).width(), wide);
}

TEST(BitmapMenu, TypedAccessLettersChooseItemsInEitherCase) {
    struct Case {
        const char* typed;
        int command; // 0: nothing chosen
    };
    const Case cases[] = {
        {"к", cmdSaveAs},                // "Сохранить &как..."
        {"К", cmdSaveAs}, {"н", cmdNew}, // "&Новый": the small letter chooses it too
        {"Н", cmdNew},    {"ы", cmdExit}, {"т", cmdSaveTable}, {"ж", 0}, // no item has it
        {"q", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        MenuFixture f;
        f.binder.SetCommandRouting([](int) { return true; });
        f.attachWithPictures();
        std::map<QAction*, int> fired;
        for (QAction* a : f.file->actions()) {
            QObject::connect(a, &QAction::triggered, [&fired, a] { ++fired[a]; });
        }
        f.open(f.file);
        QTest::sendKeyEvent(QTest::Press, f.file, Qt::Key_unknown, QString::fromUtf8(c.typed),
                            Qt::NoModifier);
        QApplication::processEvents();
        int total = 0;
        for (const auto& [action, count] : fired) {
            total += count;
            EXPECT_EQ(BitmapMenuBinder::CommandId(action), c.command);
        }
        EXPECT_EQ(total, c.command == 0 ? 0 : 1);
    }
}

namespace {

// Draws one converted item of the fixture's File menu in the given state.
QImage drawItem(MenuFixture& f, QAction* item, unsigned state, BitmapMenu::ItemLayout* layout = nullptr) {
    const QRect rect(0, 0, f.file->MeasureItem(item).width(), f.file->MeasureItem(item).height());
    QImage image(rect.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    f.file->DrawItem(painter, item, rect, state);
    painter.end();
    if (layout != nullptr) {
        const MenuItemData* data = f.file->ItemData(item);
        *layout = f.file->LayoutItem(&data->image, rect);
    }
    return image;
}

QColor at(const QImage& image, QPoint p) {
    return image.pixelColor(p);
}

bool contains(const QImage& image, const QRect& area, const QColor& colour) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

TEST(BitmapMenu, DrawingFollowsTheStateRules) {
    MenuFixture f;
    f.attachWithPictures();
    f.saveAsItem->setCheckable(true);
    f.binder.OnInitPopup(f.file);

    using S = BitmapMenu::ItemState;
    const auto frameFill = [](const BitmapMenu::ItemLayout& l) { return l.frame.topLeft() + QPoint(1, 1); };
    const auto edgeTopLeft = [](const BitmapMenu::ItemLayout& l) { return l.frame.topLeft() + QPoint(0, 3); };
    const auto edgeBottomRight = [](const BitmapMenu::ItemLayout& l) {
        return l.frame.bottomRight() - QPoint(0, 3);
    };

    struct Case {
        const char* name;
        QAction* item;
        unsigned state;
        QColor frame;           // fill inside the frame, outside the picture
        QColor topLeftEdge;     // left edge of the frame
        QColor bottomRightEdge; // right edge of the frame
        QColor labelArea;       // right margin of the item
        bool pictureShown;
    };
    const Case cases[] = {
        {"unchecked without picture", f.saveAsItem, S::StateNone, menuBack, menuBack, menuBack, menuBack,
         false},
        {"checked without picture", f.saveAsItem, S::StateChecked, light, dark, light, menuBack, true},
        {"selected with picture", f.newItem, S::StateSelected, menuBack, light, dark, highlight, true},
        {"selected without picture", f.saveAsItem, S::StateSelected, highlight, highlight, highlight,
         highlight, false},
        {"selected checked", f.saveAsItem, S::StateSelected | S::StateChecked, menuBack, dark, light,
         highlight, true},
        {"disabled with picture", f.newItem, S::StateDisabled, menuBack, menuBack, menuBack, menuBack, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapMenu::ItemLayout layout;
        const QImage image = drawItem(f, c.item, c.state, &layout);
        EXPECT_EQ(at(image, frameFill(layout)), c.frame);
        EXPECT_EQ(at(image, edgeTopLeft(layout)), c.topLeftEdge);
        EXPECT_EQ(at(image, edgeBottomRight(layout)), c.bottomRightEdge);
        EXPECT_EQ(at(image, QPoint(image.width() - 1, 1)), c.labelArea);
        bool anythingInPicture = false;
        for (int y = layout.picture.top(); y <= layout.picture.bottom(); ++y) {
            for (int x = layout.picture.left(); x <= layout.picture.right(); ++x) {
                anythingInPicture = anythingInPicture || image.pixelColor(x, y) != c.frame;
            }
        }
        EXPECT_EQ(anythingInPicture, c.pictureShown);
    }
}

TEST(BitmapMenu, DisabledItemsAreEmbossedUnlessSelected) {
    MenuFixture f;
    f.attachWithPictures();
    f.binder.OnInitPopup(f.file);
    using S = BitmapMenu::ItemState;

    BitmapMenu::ItemLayout layout;
    const QImage normal = drawItem(f, f.newItem, S::StateNone, &layout);
    EXPECT_TRUE(contains(normal, layout.picture, pictureRed));
    EXPECT_TRUE(contains(normal, layout.label, menuText));

    const QImage embossed = drawItem(f, f.newItem, S::StateDisabled);
    EXPECT_FALSE(contains(embossed, layout.picture, pictureRed));
    EXPECT_TRUE(contains(embossed, layout.picture, dark));
    EXPECT_TRUE(contains(embossed, layout.picture.translated(1, 1), light));
    EXPECT_FALSE(contains(embossed, layout.label, menuText));
    EXPECT_FALSE(contains(embossed, layout.label, grayText));
    EXPECT_TRUE(contains(embossed, layout.label, dark));
    EXPECT_TRUE(contains(embossed, layout.label.translated(1, 1), light));

    const QImage selected = drawItem(f, f.newItem, S::StateDisabled | S::StateSelected);
    EXPECT_TRUE(contains(selected, layout.label, grayText));
    EXPECT_FALSE(contains(selected, layout.label, dark));
    EXPECT_EQ(at(selected, QPoint(selected.width() - 1, 1)), highlight);
    EXPECT_EQ(at(selected, layout.frame.topLeft()), menuBack) << "no raised edge on a disabled item";

    const QImage active = drawItem(f, f.newItem, S::StateSelected);
    EXPECT_TRUE(contains(active, layout.label, highlightText));
}

TEST(BitmapMenuBinder, AttachAndPictureContract) {
    MenuFixture f;
    QWidget other;
    EXPECT_FALSE(f.binder.SetCommandBitmap(cmdNew, 153)) << "no window attached yet";
    EXPECT_FALSE(f.binder.AttachWindow(nullptr));
    EXPECT_TRUE(f.binder.AttachWindow(f.window.get()));
    EXPECT_EQ(BitmapMenuBinder::BinderOf(f.window.get()), &f.binder);
    EXPECT_FALSE(f.binder.AttachWindow(&other)) << "a window is already attached";
    {
        BitmapMenuBinder second;
        EXPECT_FALSE(second.AttachWindow(f.window.get())) << "the window has its binder";
        EXPECT_TRUE(second.AttachWindow(&other));
    }
    EXPECT_EQ(BitmapMenuBinder::BinderOf(&other), nullptr) << "a destroyed binder lets its window go";

    EXPECT_FALSE(f.binder.SetCommandBitmap(cmdAbout, 148)) << "a bitmap that cannot be loaded";
    EXPECT_EQ(f.binder.CommandImage(cmdAbout), nullptr);

    // One image list per bitmap, loaded once however many commands use it.
    EXPECT_TRUE(f.binder.SetCommandBitmap(cmdNew, 153));
    const int loadsBefore = f.loads;
    EXPECT_TRUE(f.binder.SetCommandBitmap(cmdSaveAs, 153));
    EXPECT_TRUE(f.binder.SetCommandBitmap(cmdExit, 153));
    EXPECT_EQ(f.loads, loadsBefore);
    EXPECT_EQ(f.binder.CommandImage(cmdNew)->imageList, f.binder.CommandImage(cmdSaveAs)->imageList);
    EXPECT_EQ(f.binder.CommandImage(cmdExit)->imageList, f.binder.CommandImage(cmdNew)->imageList);
    EXPECT_EQ(f.binder.CommandImage(cmdExit)->imageIndex, 0);

    EXPECT_TRUE(f.binder.DetachWindow());
    EXPECT_FALSE(f.binder.DetachWindow());
    EXPECT_EQ(BitmapMenuBinder::BinderOf(f.window.get()), nullptr);
    EXPECT_FALSE(f.binder.SetCommandBitmap(cmdOpen, 147));
}

TEST(BitmapMenuBinder, ServesOnlyTheMenuBarsPopupsWhileAttached) {
    MenuFixture f;
    f.attachWithPictures();

    // A popup added after attaching is served too.
    auto* later = new BitmapMenu(QStringLiteral("&Помощь"), f.bar);
    QAction* about = addCommand(later, cmdAbout, QStringLiteral("&О программе..."));
    f.bar->addMenu(later);
    // A menu of the window that is not in its menu bar (a control's context menu) is not.
    auto* context = new BitmapMenu(f.window.get());
    QAction* contextItem = addCommand(context, 40200, QStringLiteral("Copy"));

    f.open(later);
    EXPECT_NE(later->ItemData(about), nullptr);
    later->hide();
    f.open(context);
    EXPECT_EQ(context->ItemData(contextItem), nullptr);
    EXPECT_FALSE(context->IsConverted());
    context->hide();

    ASSERT_TRUE(f.binder.DetachWindow());
    f.open(f.file);
    EXPECT_FALSE(f.file->IsConverted()) << "detached before the File popup first opened";
}

TEST(BitmapMenuBinder, ReleasingReturnsPopupsToThePlatform) {
    MenuFixture f;
    auto binder = std::make_unique<BitmapMenuBinder>();
    binder->SetBitmapLoader([](int) { return pictureStrip(16, 16); });
    ASSERT_TRUE(binder->AttachWindow(f.window.get()));
    ASSERT_TRUE(binder->SetCommandBitmap(cmdNew, 153));
    f.open(f.file);
    ASSERT_TRUE(f.file->IsConverted());

    binder.reset();
    EXPECT_FALSE(f.file->IsConverted());
    EXPECT_EQ(f.file->ItemData(f.newItem), nullptr);
    EXPECT_EQ(f.file->style(), QApplication::style());
    // It still opens and lays itself out, now as a plain menu.
    f.file->hide();
    f.open(f.file);
    EXPECT_GT(f.file->actionGeometry(f.newItem).height(), 0);
}
