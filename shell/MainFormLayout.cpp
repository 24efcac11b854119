// The main form's window: its controls placed as template 102 gives them (dialog units converted
// with the dialog font's base units), menu 129, the button pictures and the grids' settings.
#include "CMainForm.h"
#include "FindBar.h"
#include "FindTools.h"

#include "BitmapMenu.h"
#include "BitmapMenuBinder.h"
#include "CellGrid.h"
#include "CommandIds.h"
#include "DefinitionTextValidator.h"
#include "DialogTemplates.h"
#include "DialogUnits.h"
#include "MenuTemplate.h"
#include "Pictures.h"
#include "RecordTableModel.h"
#include "StringTable.h"
#include "TextCodec.h"
#include "ValueTableModel.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace vornak {

namespace {

QLineEdit* makeEdit(const ControlTemplate& c, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setFrame(c.has(StyleBorder));
    edit->setEnabled(!c.has(StyleDisabled));
    // Only what a definition file can hold gets in: no line break, no character without a
    // Windows-1251 byte, at most 2047 bytes. A refused paste leaves the text as it was.
    edit->setValidator(new DefinitionTextValidator(edit));
    // A dropped file goes on to the form, which opens it.
    edit->setAcceptDrops(false);
    return edit;
}

} // namespace

void CMainForm::buildControls() {
    const DialogTemplate& t = mainFormTemplate();
    setWindowTitle(loadString(ids::StringAppTitle));
    setFont(DialogUnits::templateFont(t.fontFace, t.fontPointSize));
    const DialogUnits units(font());

    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    client_->resize(units.toPixels(QSize(t.width, t.height)));

    kindGroup_ = new QButtonGroup(this);
    kindGroup_->setExclusive(true);
    QGroupBox* frame = nullptr;
    QWidget* previousInTabOrder = nullptr;

    for (const ControlTemplate& c : t.controls) {
        QWidget* w = nullptr;
        switch (c.kind) {
        case ControlKind::Edit:
            w = makeEdit(c, client_);
            break;
        case ControlKind::BitmapButton:
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton: {
            auto* button = new QPushButton(client_);
            // The template's text is never shown: these buttons carry only a picture.
            if (c.kind != ControlKind::BitmapButton) {
                button->setText(c.text);
            }
            button->setAutoDefault(false);
            button->setFocusPolicy(Qt::StrongFocus);
            w = button;
            break;
        }
        case ControlKind::RadioButton:
            w = new QRadioButton(c.text, client_);
            break;
        case ControlKind::CheckBox:
            w = new QCheckBox(c.text, client_);
            break;
        case ControlKind::ListView: {
            auto* grid = new CellGrid(client_);
            // Each change of a cell's text is judged by what it adds, as in the fields.
            grid->setTextValidator([](const QString& before, const QString& after) {
                return definitionTextChangeAllowed(before, after);
            });
            w = grid;
            break;
        }
        case ControlKind::GroupBox:
            frame = new QGroupBox(c.text, client_);
            w = frame;
            break;
        case ControlKind::Label: {
            auto* label = new QLabel(c.text, client_);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            w = label;
            break;
        }
        case ControlKind::Icon: {
            auto* icon = new QLabel(client_);
            icon->setPixmap(applicationIcon().pixmap(units.toPixels(QSize(c.width, c.height))));
            w = icon;
            break;
        }
        }
        w->setGeometry(units.toPixels(c.rect()));
        if (c.id != ctl::Static) {
            w->setObjectName(QStringLiteral("control%1").arg(c.id));
            controls_[c.id] = w;
        }
        if (w->focusPolicy() & Qt::TabFocus) {
            if (previousInTabOrder != nullptr) {
                setTabOrder(previousInTabOrder, w);
            }
            previousInTabOrder = w;
        }
    }
    // The group box only frames the kind, flags and value list: it lies beneath them so that it
    // never takes their clicks.
    if (frame != nullptr) {
        frame->lower();
    }

    const auto edit = [this](int id) { return static_cast<QLineEdit*>(controls_.at(id)); };
    const auto button = [this](int id) { return static_cast<QPushButton*>(controls_.at(id)); };
    const auto grid = [this](int id) { return static_cast<CellGrid*>(controls_.at(id)); };

    formulaEdit = edit(ctl::FormulaEdit);
    addParameterButton = button(ctl::AddParameterButton);
    addValueButton = button(ctl::AddValueButton);
    addResultButton = button(ctl::AddResultButton);
    deleteParameterButton = button(ctl::DeleteParameterButton);
    deleteValueButton = button(ctl::DeleteValueButton);
    deleteResultButton = button(ctl::DeleteResultButton);
    browseButton = button(ctl::BrowseButton);
    parameterList = grid(ctl::ParameterList);
    valueList = grid(ctl::ValueList);
    resultList = grid(ctl::ResultList);
    for (int id :
         {ctl::TitleEdit, ctl::DocumentFileEdit, ctl::Input1CaptionEdit, ctl::Input2CaptionEdit,
          ctl::SurnameCaptionEdit, ctl::AuthorEdit, ctl::DateEdit, ctl::OrganisationEdit, ctl::SourceEdit}) {
        textEdits_[id] = edit(id);
    }

    // The radio group in tab order: 1007 "Список", 1008 "Диапазон", 1006 "Ввод", so that the
    // checked button's index is the value kind.
    const int kindIds[3] = {ctl::KindList, ctl::KindRange, ctl::KindInput};
    for (int i = 0; i < 3; ++i) {
        kindButtons_[i] = static_cast<QRadioButton*>(controls_.at(kindIds[i]));
        kindGroup_->addButton(kindButtons_[i], i);
    }
    // The group is one tab stop, and Tab lands on the checked button: the others leave the tab
    // chain whenever the checked one changes, by a click or because another parameter is shown.
    // (Qt moves the stop to the button that last had the focus, which need not be the checked
    // one.) With none checked, the first button keeps the stop.
    connect(kindGroup_, &QButtonGroup::buttonToggled, this, [this] {
        QAbstractButton* checked = kindGroup_->checkedButton();
        for (QRadioButton* b : kindButtons_) {
            const bool stop = checked != nullptr ? b == checked : b == kindButtons_[0];
            b->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
        }
    });
    numberBox_ = static_cast<QCheckBox*>(controls_.at(ctl::NumberCheck));
    formulaBox_ = static_cast<QCheckBox*>(controls_.at(ctl::FormulaCheck));

    widenToText(units);
}

void CMainForm::widenToText(const DialogUnits& units) {
    // Radio buttons and check boxes whose text does not fit the template's width (this platform
    // draws a wider mark than the one the template was measured with) grow to the right, but
    // never into the next control.
    const DialogTemplate& t = mainFormTemplate();
    for (const ControlTemplate& c : t.controls) {
        if (c.kind != ControlKind::RadioButton && c.kind != ControlKind::CheckBox) {
            continue;
        }
        QWidget* w = controls_.at(c.id);
        const int wanted = w->sizeHint().width();
        if (wanted <= w->width()) {
            continue;
        }
        int limit = client_->width();
        for (const ControlTemplate& other : t.controls) {
            const QRect r = units.toPixels(other.rect());
            if (&other == &c || other.kind == ControlKind::GroupBox || r.left() < w->geometry().right() ||
                r.bottom() < w->y() || r.top() > w->geometry().bottom()) {
                continue;
            }
            limit = std::min(limit, r.left());
        }
        w->resize(std::min(wanted, limit - w->x()), w->height());
    }
}

void CMainForm::placeWindow() {
    const DialogTemplate& t = mainFormTemplate();
    const QSize clientSize = DialogUnits(font()).toPixels(QSize(t.width, t.height));
    const int menuHeight = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, clientSize.width(), menuHeight);
    client_->setGeometry(0, menuHeight, clientSize.width(), clientSize.height());
    // The find bar, while open, lies under the form.
    int barHeight = 0;
    if (findTools_ != nullptr && !findTools_->bar()->isHidden()) {
        barHeight = findTools_->bar()->sizeHint().height();
        findTools_->bar()->setGeometry(4, menuHeight + clientSize.height(), clientSize.width() - 8, barHeight);
    }
    // No sizing border, no maximise box: the window keeps the template's size below its menu.
    setFixedSize(clientSize.width(), menuHeight + clientSize.height() + barHeight);
}

void CMainForm::buildMenu() {
    for (const MenuPopupTemplate& popupTemplate : mainMenuTemplate()) {
        auto* popup = new BitmapMenu(popupTemplate.title, menuBar_);
        for (const MenuItemTemplate& item : popupTemplate.items) {
            if (item.separator) {
                popup->addSeparator();
                continue;
            }
            // The menu shows the command's action (the text after "\t" is drawn at the right as
            // its key); the recent-file placeholder is the one item that is no command.
            if (QAction* existing = action(item.id)) {
                popup->addAction(existing);
                continue;
            }
            QAction* placeholder = popup->addAction(item.text);
            BitmapMenuBinder::SetCommandId(placeholder, item.id);
            placeholder->setEnabled(!item.grayed);
        }
        menuBar_->addMenu(popup);
    }
}

void CMainForm::setButtonPictures() {
    const QPixmap add = bitmapPixmap(ids::BitmapAdd);
    const QPixmap remove = bitmapPixmap(ids::BitmapDelete);
    const QPixmap folder = bitmapPixmap(ids::BitmapOpenFolder);
    const auto setPicture = [](QPushButton* button, const QPixmap& picture) {
        if (picture.isNull()) {
            return; // a missing picture leaves the button without one
        }
        button->setIcon(QIcon(picture));
        button->setIconSize(picture.size());
    };
    for (QPushButton* b : {addParameterButton, addValueButton, addResultButton}) {
        setPicture(b, add);
    }
    for (QPushButton* b : {deleteParameterButton, deleteValueButton, deleteResultButton}) {
        setPicture(b, remove);
    }
    setPicture(browseButton, folder);
}

void CMainForm::configureGrids() {
    parameterList->setModel(parameterModel_);
    valueList->setModel(valueModel_);
    resultList->setModel(resultModel_);

    const QFont gridFont = DialogUnits::templateFont(QStringLiteral("Times New Roman"), 9);
    bool linesOn = false;
    QColor lineColour;
    parameterList->GetGridLines(linesOn, lineColour);
    // Which cells can be edited is the models' to say.
    for (CellGrid* grid : {parameterList, valueList, resultList}) {
        grid->SetShowSelAlways(true);
        grid->SetTypeToEdit(true);
        grid->SetGridLines(true, lineColour, true);
        grid->SetTextFont(gridFont, true);
    }
    layoutParameterColumns();
    layoutValueColumns();
    layoutResultColumns();
    // The value list's columns change with the kind it shows.
    connect(valueModel_, &QAbstractItemModel::modelReset, this, &CMainForm::layoutValueColumns);
    // Shown afresh (another parameter, another kind), the list starts at its first row.
    connect(valueModel_, &QAbstractItemModel::modelReset, this, [this] {
        if (valueModel_->rowCount() > 0) {
            valueList->SelectRow(0);
            valueList->FocusRow(0);
        }
    });
}

namespace {

// Sets each column's width to its share of the grid's client width: shares[c] / denominator.
void setColumnShares(CellGrid* grid, std::initializer_list<int> shares, int denominator) {
    grid->ensurePolished();
    const int w = grid->contentsRect().width();
    int column = 0;
    for (int share : shares) {
        if (column < grid->GetColumnCount()) {
            grid->setColumnWidth(column, share * w / denominator);
        }
        ++column;
    }
}

} // namespace

void CMainForm::layoutParameterColumns() {
    setColumnShares(parameterList, {1, 7}, 8); // "N", "Название"
}

void CMainForm::layoutResultColumns() {
    setColumnShares(resultList, {2, 8, 5}, 16); // "N", "Название", "Результат": 15/16 of the width
}

void CMainForm::layoutValueColumns() {
    // Range: ">=", "<", "Результат" in thirds; List and Input: the value in two thirds, the result in one.
    if (valueList->GetColumnCount() == 3) {
        setColumnShares(valueList, {1, 1, 1}, 3);
    } else {
        setColumnShares(valueList, {2, 1}, 3);
    }
}

} // namespace vornak
