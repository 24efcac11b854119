// The main form itself: construction with the defaults of a new definition, data exchange, the
// initialisation before the first show, Enter and Escape, closing, Browse, Help and About.
#include "CMainForm.h"

#include "BitmapMenuBinder.h"
#include "CAboutDialog.h"
#include "CUsageHelpDialog.h"
#include "CellGrid.h"
#include "CommandIds.h"
#include "DialogUnits.h"
#include "FileDialogs.h"
#include "NativePath.h"
#include "Pictures.h"
#include "StringTable.h"
#include "TextCodec.h"
#include "Texts.h"
#include "UndoKeyRouter.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUndoStack>

#include <algorithm>

namespace vornak {

CMainForm::CMainForm(ReportDefinition& model, const PlatformServices& services, RecentFileList& recentFiles,
                     QList<QByteArray> commandLine, CommandTarget* next, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      model_(model), services_(services), recentFiles_(recentFiles), commandLine_(std::move(commandLine)),
      next_(next) {
    // The defaults a new definition shows; the model's texts stay as they are until the first
    // save or open (Browse sets the document name in both).
    reportTexts.title = texts::defaultTitle;
    reportTexts.documentFile = texts::defaultDocumentFile;
    reportTexts.input1Caption = texts::defaultInput1Caption;
    reportTexts.input2Caption = texts::defaultInput2Caption;
    reportTexts.surnameCaption = texts::defaultSurnameCaption;
    reportTexts.author = texts::defaultAuthor;
    reportTexts.date = QDate::currentDate().toString(texts::dateFormat);
    reportTexts.organisation = texts::defaultOrganisation;
    reportTexts.source = texts::defaultSource;
    kindChoice = 0;
    numberCheck = 0;
    formulaCheck = 0;
    formulaText.clear();
    appIcon = applicationIcon();

    // The help window belongs to no window: it neither hides nor minimises with the form.
    helpWindow = std::make_unique<CUsageHelpDialog>();
    helpWindow->SetMainWindow(this);

    selectedParameter = 0;
    shownKind = 1; // not List: the first layout for List then builds the columns
    modified = 0;

    buildControls();
    buildActions();
    setUndoStack(nullptr);
    for (int id : {cmd::MoveUp, cmd::MoveDown, cmd::Duplicate}) {
        action(id)->setEnabled(false);
    }
    buildMenu();
    placeWindow();
    connectControls();
    undoKeys_ = std::make_unique<UndoKeyRouter>(*this, [this](const QLineEdit* edit) {
        return edit == formulaEdit || std::any_of(textEdits_.begin(), textEdits_.end(),
                                                  [edit](const auto& entry) { return entry.second == edit; });
    });
}

CMainForm::~CMainForm() {
    undoKeys_.reset();
    if (menuBinder != nullptr) {
        menuBinder->DetachWindow();
    }
    // The controls go while the form is still whole, and tell it nothing on their way out (a cell
    // editor still open would otherwise report the end of its edit to a half-destroyed form).
    for (QObject* child : client_->findChildren<QObject*>()) {
        disconnect(child, nullptr, this, nullptr);
    }
    delete client_;
    client_ = nullptr;
}

QWidget* CMainForm::control(int controlId) const {
    const auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------------------------
// Data exchange

void CMainForm::UpdateData(Exchange direction) {
    FormTexts& t = reportTexts;
    const std::pair<int, QString*> bound[] = {
        {ctl::TitleEdit, &t.title},
        {ctl::DocumentFileEdit, &t.documentFile},
        {ctl::Input1CaptionEdit, &t.input1Caption},
        {ctl::Input2CaptionEdit, &t.input2Caption},
        {ctl::SurnameCaptionEdit, &t.surnameCaption},
        {ctl::AuthorEdit, &t.author},
        {ctl::DateEdit, &t.date},
        {ctl::OrganisationEdit, &t.organisation},
        {ctl::SourceEdit, &t.source},
    };

    if (direction == Exchange::ToFields) {
        for (const auto& [id, field] : bound) {
            *field = textEdits_.at(id)->text();
        }
        kindChoice = kindGroup_->checkedId();
        numberCheck = numberBox_->isChecked() ? 1 : 0;
        formulaCheck = formulaBox_->isChecked() ? 1 : 0;
        formulaText = formulaEdit->text();
        return;
    }

    const bool wasFilling = fillingControls_;
    fillingControls_ = true;
    // Only a changed text is set, so the caret and undo history of an untouched edit stay.
    const auto show = [](QLineEdit* edit, const QString& text) {
        if (edit->text() != text) {
            edit->setText(text);
            edit->setCursorPosition(0); // a long text shows from its start
        }
    };
    for (const auto& [id, field] : bound) {
        show(textEdits_.at(id), *field);
    }
    if (kindChoice >= 0 && kindChoice < 3) {
        kindButtons_[kindChoice]->setChecked(true);
    } else {
        // A kind without a button (read from a file): no button is selected.
        kindGroup_->setExclusive(false);
        for (QRadioButton* b : kindButtons_) {
            b->setChecked(false);
        }
        kindGroup_->setExclusive(true);
    }
    numberBox_->setChecked(numberCheck != 0);
    formulaBox_->setChecked(formulaCheck != 0);
    show(formulaEdit, formulaText);
    fillingControls_ = wasFilling;
}

void CMainForm::setUntitledCaption() {
    setWindowTitle(loadString(ids::StringAppTitle));
}

void CMainForm::setTitledCaption(const QByteArray& path) {
    setWindowTitle(loadString(ids::StringAppTitle) + texts::captionSeparator + displayFileName(path));
}

QString CMainForm::currentFilePath() const {
    return displayPath(currentPath);
}

// ---------------------------------------------------------------------------------------------
// Initialisation, before the form is first shown

void CMainForm::setVisible(bool visible) {
    const bool first = visible && !initialised_;
    if (first) {
        initialised_ = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
    if (first) {
        // The file named on the command line opens once the window is shown, so that a box
        // saying it cannot be read stands over the window, not alone in a corner before it.
        openFileFromCommandLine();
    }
}

void CMainForm::OnInitDialog() {
    UpdateData(Exchange::ToControls);
    setWindowIcon(appIcon);
    setButtonPictures();

    // Parameter list: "N" and the name, from the list's client width.
    {
        parameterList->ensurePolished();
        const int w = parameterList->contentsRect().width();
        parameterList->InsertColumn(0, texts::columnNumber, w / 8, Qt::AlignLeft);
        parameterList->InsertColumn(1, texts::columnName, 7 * w / 8, Qt::AlignLeft);
    }
    layoutValueColumns(static_cast<std::uint8_t>(ValueKind::List));
    OnAddParameter();

    {
        resultList->ensurePolished();
        const int w = resultList->contentsRect().width();
        resultList->InsertColumn(0, texts::columnNumber, 2 * w / 16, Qt::AlignLeft);
        resultList->InsertColumn(1, texts::columnName, 8 * w / 16, Qt::AlignLeft);
        resultList->InsertColumn(2, texts::columnResult, 5 * w / 16, Qt::AlignLeft);
    }
    OnAddResult();

    configureGrids();
    modified = 0;

    setAcceptDrops(true);

    menuBinder = new BitmapMenuBinder(this);
    menuBinder->SetBitmapLoader([](int bitmapId) { return bitmapImage(bitmapId); });
    menuBinder->SetCommandRouting([this](int id) { return hasCommandHandler(id); },
                                  [this](QMenu* popup) { OnUpdateMenu(popup); });
    menuBinder->AttachWindow(this);
    menuBinder->SetCommandBitmap(cmd::FileNew, ids::BitmapBlankPage);
    menuBinder->SetCommandBitmap(cmd::FileOpen, ids::BitmapOpenFolder);
    menuBinder->SetCommandBitmap(cmd::FileSave, ids::BitmapDiskette);
    menuBinder->SetCommandBitmap(cmd::AddParameter, ids::BitmapParameterPage);
    menuBinder->SetCommandBitmap(cmd::AddValue, ids::BitmapValuePage);
    menuBinder->SetCommandBitmap(cmd::AddResult, ids::BitmapResultPage);
    menuBinder->SetCommandBitmap(cmd::About, ids::BitmapQuestion);

    // The keyboard starts in the first control in tab order, the title edit.
    textEdits_.at(ctl::TitleEdit)->setFocus(Qt::OtherFocusReason);
}

bool CMainForm::openFileFromCommandLine() {
    // The first plain argument names the file; arguments that start with "-" are switches.
    for (const QByteArray& argument : commandLine_) {
        if (argument.isEmpty() || argument.startsWith('-')) {
            continue;
        }
        // Made absolute now: a message, the caption and the recent list name the file in full.
        runGuarded([this, &argument] { OpenFile(absoluteNativePath(argument)); });
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Enter, Escape and closing

void CMainForm::accept() {
    OnOk();
}

void CMainForm::reject() {
    OnCancel();
}

void CMainForm::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter presses the push button that has the focus and otherwise does nothing.
        if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
            button != nullptr && isAncestorOf(button) && button->isEnabled()) {
            button->click();
        }
        event->accept();
        return;
    case Qt::Key_Escape:
        OnCancel();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CMainForm::closeEvent(QCloseEvent* event) {
    // The close box, Alt+F4 and the window menu's Close run File, Exit: an open cell edit is
    // confirmed, then the save prompt decides, and OnClose ends the form itself.
    event->ignore();
    runCommand(cmd::Exit);
}

// ---------------------------------------------------------------------------------------------
// Browse, Help, About

void CMainForm::OnBrowse() {
    UpdateData(Exchange::ToFields);
    const std::optional<QString> chosen =
        services_.fileDialogs->open(this, texts::wordFilesFilter, QString(), reportTexts.documentFile);
    if (!chosen) {
        return;
    }
    const QString name = QFileInfo(*chosen).fileName();
    // A name the definition file cannot hold (a line break, a character outside Windows-1251)
    // would be written damaged: it is refused and the document stays as it was.
    if (name.isEmpty() || !fitsDefinitionFile(name)) {
        QApplication::beep();
        return;
    }
    reportTexts.documentFile = name;
    model_.documentFile = TextCodec::encode(name);
    modified = 1;
    UpdateData(Exchange::ToControls);
}

void CMainForm::OnHelp() {
    helpWindow->ShowAndActivate();
}

void CMainForm::OnAbout() {
    CAboutDialog about(services_, this);
    about.exec();
}

// Moving and duplicating records are served by the document's commands; until a record list
// can take them the actions stay greyed.
void CMainForm::OnMoveUp() {
}

void CMainForm::OnMoveDown() {
}

void CMainForm::OnDuplicate() {
}

void CMainForm::OnUndo() {
    if (undoStack_ != nullptr) {
        undoStack_->undo();
    }
}

void CMainForm::OnRedo() {
    if (undoStack_ != nullptr) {
        undoStack_->redo();
    }
}

} // namespace vornak
