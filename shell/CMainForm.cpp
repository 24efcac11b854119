// The main form itself: construction with the defaults of a new definition, data exchange, the
// initialisation before the first show, Enter and Escape, closing, Browse, Help and About.
#include "CMainForm.h"

#include "BitmapMenuBinder.h"
#include "CAboutDialog.h"
#include "CUsageHelpDialog.h"
#include "CellGrid.h"
#include "CommandIds.h"
#include "DefinitionDocument.h"
#include "DialogUnits.h"
#include "FileDialogs.h"
#include "FormBinder.h"
#include "NativePath.h"
#include "Pictures.h"
#include "RecordTableModel.h"
#include "RecoverySession.h"
#include "StringTable.h"
#include "Texts.h"
#include "UndoKeyRouter.h"
#include "ValueTableModel.h"

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

CMainForm::CMainForm(DefinitionDocument& document, const PlatformServices& services,
                     RecentFileList& recentFiles, QList<QByteArray> commandLine, CommandTarget* next,
                     QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      document_(document), services_(services), recentFiles_(recentFiles),
      commandLine_(std::move(commandLine)), next_(next) {
    appIcon = applicationIcon();
    // The help window belongs to no window: it neither hides nor minimises with the form.
    helpWindow = std::make_unique<CUsageHelpDialog>();
    helpWindow->SetMainWindow(this);

    parameterModel_ = new RecordTableModel(document_, RecordKind::Parameter, this);
    valueModel_ = new ValueTableModel(document_, this);
    resultModel_ = new RecordTableModel(document_, RecordKind::Result, this);

    buildControls();
    buildActions();
    buildMenu();
    placeWindow();

    FormBinder::Controls bound;
    const int reportTextIds[9] = {ctl::TitleEdit,         ctl::DocumentFileEdit,   ctl::Input1CaptionEdit,
                                  ctl::Input2CaptionEdit, ctl::SurnameCaptionEdit, ctl::AuthorEdit,
                                  ctl::SourceEdit,        ctl::OrganisationEdit,   ctl::DateEdit};
    for (std::size_t i = 0; i < 9; ++i) {
        bound.reportTexts[i] = textEdits_.at(reportTextIds[i]);
    }
    bound.formula = formulaEdit;
    bound.kinds = kindGroup_;
    bound.number = numberBox_;
    bound.hasFormula = formulaBox_;
    bound.needParameter = {addValueButton, deleteValueButton, valueList};
    binder_ =
        std::make_unique<FormBinder>(document_, *valueModel_, bound,
                                     [this](const std::function<void()>& command) { runGuarded(command); });

    connectControls();
    connectDocument();
    buildChecks();
    buildTableTools();
    undoKeys_ = std::make_unique<UndoKeyRouter>(
        *this, [this](const QLineEdit* edit) { return binder_->isBound(edit); });
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
    disconnect(&document_, nullptr, this, nullptr);
    binder_.reset();
    delete client_;
    client_ = nullptr;
}

QWidget* CMainForm::control(int controlId) const {
    const auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : it->second;
}

const ReportDefinition& CMainForm::definition() const {
    return document_.definition();
}

bool CMainForm::isModified() const {
    return document_.isModified();
}

int CMainForm::selectedParameterIndex() const {
    return valueModel_->parameter();
}

QString CMainForm::currentFilePath() const {
    return displayPath(currentNativePath());
}

QByteArray CMainForm::currentNativePath() const {
    return QByteArray::fromStdString(document_.path());
}

void CMainForm::updateCaption() {
    QString caption = loadString(ids::StringAppTitle);
    if (!document_.isUntitled()) {
        caption += texts::captionSeparator + displayFileName(currentNativePath());
    }
    setWindowTitle(caption);
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
        // With or without a file named: the work of editors that were ended is offered back.
        if (recovery_ != nullptr) {
            runGuarded([this] { recovery_->offerCopies(this); });
        }
    }
}

void CMainForm::endWithoutQuestion() {
    confirmOpenEdits();
    done(QDialog::Rejected);
}

void CMainForm::OnInitDialog() {
    setWindowIcon(appIcon);
    setButtonPictures();
    configureGrids();

    // A new definition with the defaults the form shows at start-up; nothing to undo, unmodified.
    document_.newDocument({texts::defaultTitle, texts::defaultDocumentFile, texts::defaultInput1Caption,
                           texts::defaultInput2Caption, texts::defaultSurnameCaption, texts::defaultAuthor,
                           texts::defaultSource, texts::defaultOrganisation,
                           QDate::currentDate().toString(texts::dateFormat)});
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

    updateCaption();
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
    const std::optional<QString> chosen = services_.fileDialogs->open(
        this, texts::wordFilesFilter, QString(), textEdits_.at(ctl::DocumentFileEdit)->text());
    if (!chosen) {
        return;
    }
    // A name the definition file cannot hold (a line break, a character outside Windows-1251)
    // would be written damaged: it is refused and the document stays as it was.
    if (!document_.setDocumentFile(QFileInfo(*chosen).fileName())) {
        QApplication::beep();
    }
}

void CMainForm::OnHelp() {
    helpWindow->ShowAndActivate();
}

void CMainForm::OnAbout() {
    CAboutDialog about(services_, this);
    about.exec();
}

} // namespace vornak
