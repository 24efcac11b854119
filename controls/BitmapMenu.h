// BitmapMenu: a popup menu whose items show a picture column, the label with its access letter
// and the right-aligned shortcut text, measured and drawn by the layout and colour rules below.
// It draws like a plain QMenu until BitmapMenuBinder converts it at its first opening.
#pragma once

#include <QColor>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

class QPainter;
class QPalette;
class QStyleOptionMenuItem;
class BitmapMenuStyle;

// The system colours the menu is painted with, and the palette roles that stand for them.
enum class MenuColour {
    Menu,          // menu background: QPalette::Window
    MenuText,      // QPalette::WindowText
    Highlight,     // QPalette::Highlight
    HighlightText, // QPalette::HighlightedText
    GrayText,      // QPalette::WindowText of the Disabled group
    Hilight3D,     // light edge of raised and sunken frames: QPalette::Light
    Shadow3D,      // dark edge: QPalette::Dark
};
QColor menuColour(const QPalette& palette, MenuColour which);

// One picture source cut into pictures of equal width (the source's full height), with one
// colour made transparent: the image list of the menu pictures.
class MenuImageList {
public:
    // The light grey of the pictures that stands for "no colour".
    static constexpr QRgb defaultMaskColour = 0xFFC0C0C0;

    // Cuts picture into cells cellWidth wide; a trailing part narrower than a cell is dropped.
    // Pixels of maskColour (alpha ignored) become transparent.
    MenuImageList(const QImage& picture, int cellWidth, QRgb maskColour = defaultMaskColour);
    // A list of ready pictures of one size.
    explicit MenuImageList(std::vector<QPixmap> pictures);

    int Count() const { return static_cast<int>(pictures_.size()); }
    QSize PictureSize() const { return size_; }
    // The picture, or a null pixmap for an index outside the list.
    QPixmap Picture(int index) const;

private:
    std::vector<QPixmap> pictures_;
    QSize size_;
};

// The picture of one command.
struct MenuImage {
    std::shared_ptr<const MenuImageList> imageList; // shared with the binder's tables
    int imageIndex = 0;
    bool checkOnly = false;      // the check picture: drawn only while the item is checked
    int selectedImageIndex = -1; // picture while selected; -1: imageIndex

    QSize Size() const { return imageList ? imageList->PictureSize() : QSize(); }
};

// What a converted item carries: its picture and its full text, label and shortcut separated by
// the first tab ("&Новый\tCtrl+N").
struct MenuItemData {
    MenuImage image;
    QString text;
};

class BitmapMenu : public QMenu {
    Q_OBJECT

public:
    // Item state bits used by the drawing.
    enum ItemState : unsigned { StateNone = 0, StateSelected = 0x1, StateDisabled = 0x4, StateChecked = 0x8 };

    // The rectangles LayoutItem produces for one item.
    struct ItemLayout {
        QRect picture; // empty when the item has no picture
        QRect frame;   // the picture grown by 2 on every side
        QRect label;
        QRect accelerator;
    };

    explicit BitmapMenu(QWidget* parent = nullptr);
    explicit BitmapMenu(const QString& title, QWidget* parent = nullptr);
    ~BitmapMenu() override;

    // True from the first conversion until Release.
    bool IsConverted() const { return converted_; }

    // Column measures; they only grow while the menu stays converted.
    int ImageWidth() const { return imageWidth_; }
    int TextHeight() const { return textHeight_; }
    int AcceleratorWidth() const { return acceleratorWidth_; }
    int LabelWidth() const { return labelWidth_; }

    // The data of a converted item, or nullptr.
    const MenuItemData* ItemData(const QAction* action) const;

    // Conversion, run by the binder at every opening: switches the menu to its own drawing (the
    // first time), gives the item its picture and takes its current text. Separators and items
    // that open a submenu stay drawn by the platform and are refused.
    bool ConvertItem(QAction* action, const MenuImage& image);
    // Forgets the data of items that are no longer in the menu.
    void DropStaleItems();
    // Widens the columns to the converted items' pictures, labels and shortcuts, measured in the
    // menu's font, and takes the text height of that font.
    void MeasureColumns();
    // Back to a plain QMenu drawn by the platform: the item data and columns are dropped.
    void Release();

    // Size of a converted item: width = imageWidth + 2 + 4 + labelWidth + (2 when some shortcut
    // exists) + acceleratorWidth + 3, the same for every item; height = the larger of textHeight + 4
    // and the item's picture height + 5.
    virtual QSize MeasureItem(const QAction* action) const;
    // Draws a converted item into item (in the menu's coordinates).
    virtual void DrawItem(QPainter& painter, const QAction* action, const QRect& item, unsigned state);
    virtual ItemLayout LayoutItem(const MenuImage* image, const QRect& item) const;
    virtual void FillItemBackground(QPainter& painter, unsigned state, const MenuImage* image,
                                    const QRect& item, const QRect& frame) const;
    virtual void DrawImageEdge(QPainter& painter, unsigned state, const MenuImage* image,
                               const QRect& frame) const;
    virtual void DrawItemImage(QPainter& painter, unsigned state, const MenuImage* image,
                               const QRect& picture) const;
    virtual void DrawItemLabel(QPainter& painter, unsigned state, const QString& text, const QRect& label,
                               const QRect& accelerator) const;

    // The label part (before the first tab) and the shortcut part (after it, or empty).
    static QString LabelOf(const QString& text);
    static QString AcceleratorOf(const QString& text);
    // Picture drawn in the embossed (disabled) style: the picture's ink, every opaque pixel that is
    // not near white, in the light 3D colour one pixel down and right, then in the dark 3D colour.
    static QPixmap Embossed(const QPixmap& picture, const QPalette& palette);

protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override;

private:
    friend class BitmapMenuStyle;

    // The item the platform is measuring or drawing (QMenu styles one item, then asks the style).
    const QAction* StyledAction() const { return styledAction_; }
    // Width QMenu adds for the text after the tab; it is taken back from our item width so that the
    // item ends up exactly as wide as MeasureItem says.
    int PlatformShortcutAllowance() const;
    QSize PlatformItemSize(const QAction* action) const;
    void DrawStyledItem(QPainter& painter, const QStyleOptionMenuItem& option);
    void Relayout();

    std::unordered_map<const QAction*, MenuItemData> items_;
    int imageWidth_ = 0;
    int textHeight_ = 0;
    int acceleratorWidth_ = 0;
    int labelWidth_ = 0;
    bool converted_ = false;
    std::unique_ptr<BitmapMenuStyle> style_;
    mutable const QAction* styledAction_ = nullptr;
};
