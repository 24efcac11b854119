#include "MainWindow.h"

#include "AboutDialog.h"
#include "CellGrid.h"
#include "ChecksPresenter.h"
#include "CommandIds.h"
#include "DefinitionDocument.h"
#include "DialogTemplates.h"
#include "DialogUnits.h"
#include "DocumentController.h"
#include "FileDialogs.h"
#include "FindBar.h"
#include "FindTools.h"
#include "FormBinder.h"
#include "FormWidgets.h"
#include "NativePath.h"
#include "ParameterPanel.h"
#include "Pictures.h"
#include "ProblemCountLabel.h"
#include "RecordActions.h"
#include "RecordTableModel.h"
#include "SettingsStore.h"
#include "Texts.h"
#include "UndoKeyRouter.h"
#include "UsageHelpDialog.h"
#include "ValueTableModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

namespace vornak {

MainWindow::MainWindow(DefinitionDocument& document, const PlatformServices& services,
                       RecentFileList& recentFiles, QList<QByteArray> commandLine, QWidget* parent)
    : QMainWindow(parent), document_(document), services_(services), recentFiles_(recentFiles),
      commandLine_(std::move(commandLine)) {
    const DialogTemplate& form = mainFormTemplate();
    setFont(DialogUnits::templateFont(form.fontFace, form.fontPointSize));
    setWindowIcon(applicationIcon());
    menuBar()->setNativeMenuBar(false);
    // The help window belongs to no window: it neither hides nor minimises with this one.
    helpWindow_ = std::make_unique<UsageHelpDialog>();
    helpWindow_->setMainWindow(this);

    // The models first: they follow each change of the document before anything that reads them.
    auto* parameterModel = new RecordTableModel(document_, RecordKind::Parameter, this);
    auto* values = new ValueTableModel(document_, this);
    auto* resultModel = new RecordTableModel(document_, RecordKind::Result, this);
    const auto guard = [this](const std::function<void()>& command) { runGuarded(command); };
    documents_ = new DocumentController(document_, services_, recentFiles_, *this, guard);
    panel_ = new ParameterPanel(document_, *values, guard);
    auto* count = new ProblemCountLabel;
    count->setObjectName(QStringLiteral("problemCount"));
    setCentralWidget(buildCentralWidget(count, parameterModel, resultModel));
    records_ = new RecordActions(document_, services_, *parameterList_, *panel_, *resultList_, *this);

    ChecksPresenter::Targets targets{parameterList_, panel_, resultList_, {}, count};
    for (std::size_t i = 0; i < targets.reportTexts.size(); ++i) {
        targets.reportTexts[i] = textEdit(ctl::reportTextEdits[i]);
    }
    checks_ = new ChecksPresenter(document_, services_, *this, targets, guard);

    FormBinder::Controls bound;
    bound.reportTexts = targets.reportTexts;
    bound.formula = panel_->formulaEdit();
    bound.kinds = panel_->kindGroup();
    bound.number = panel_->numberBox();
    bound.hasFormula = panel_->formulaBox();
    bound.needParameter = {panel_->addValueButton(), panel_->deleteValueButton(), panel_->valueList()};
    binder_ = std::make_unique<FormBinder>(document_, *values, bound, guard);

    // The find bar, while open, lies under the lists.
    findTools_ = buildFindTools();
    centralWidget()->layout()->addWidget(findTools_->bar());
    buildClipboardKeys();
    buildActions();
    buildMenus();
    connect(records_, &RecordActions::stateChanged, this, &MainWindow::refreshCommandStates);
    undoKeys_ = std::make_unique<UndoKeyRouter>(
        *this, [this](const QLineEdit* edit) { return binder_->isBound(edit); });
    setAcceptDrops(true);
}

MainWindow::~MainWindow() {
    undoKeys_.reset();
    // The controls go while the window is still whole, and tell it nothing on their way out (a cell
    // editor still open would otherwise report the end of its edit to a half-destroyed window).
    for (QObject* child : findChildren<QObject*>()) {
        disconnect(child, nullptr, this, nullptr);
        disconnect(&document_, nullptr, child, nullptr);
    }
    disconnect(&document_, nullptr, this, nullptr);
    binder_.reset();
    delete takeCentralWidget();
}

QWidget* MainWindow::buildCentralWidget(ProblemCountLabel* count, QAbstractItemModel* parameterModel,
                                        QAbstractItemModel* resultModel) {
    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("client"));
    const auto label = [central](const QString& text) {
        auto* l = new QLabel(text, central);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    const auto edit = [this, central](int id) {
        QLineEdit* e = makeTextEdit(central);
        controls_[id] = e;
        return e;
    };
    const auto button = [this, central](int id, int picture, const QString& tip) {
        QPushButton* b = makePictureButton(picture, tip, central);
        controls_[id] = b;
        return b;
    };
    // A row of labelled fields; each field's stretch is its width on the form.
    const auto fieldRow = [&](std::initializer_list<std::tuple<QString, int, int>> fields) {
        auto* row = new QHBoxLayout;
        for (const auto& [text, id, width] : fields) {
            row->addWidget(label(text));
            row->addWidget(edit(id), width);
        }
        return row;
    };

    // In the form's tab order: the texts at the top, the parameters, the selected parameter, the
    // results, the texts at the bottom.
    QHBoxLayout* titleRow = fieldRow(
        {{texts::labelTitle, ctl::TitleEdit, 157}, {texts::labelDocument, ctl::DocumentFileEdit, 124}});
    titleRow->addWidget(button(ctl::BrowseButton, ids::BitmapOpenFolder, texts::browseTip));
    QHBoxLayout* captionRow = fieldRow({{texts::labelInput1, ctl::Input1CaptionEdit, 89},
                                        {texts::labelInput2, ctl::Input2CaptionEdit, 89},
                                        {texts::labelSurname, ctl::SurnameCaptionEdit, 92}});

    parameterList_ = makeRecordGrid(central);
    parameterList_->setModel(parameterModel);
    controls_[ctl::ParameterList] = parameterList_;
    auto* parameterHead = new QHBoxLayout;
    parameterHead->addWidget(label(texts::labelParameters));
    parameterHead->addWidget(count, 1);
    parameterHead->addWidget(button(ctl::AddParameterButton, ids::BitmapAdd, texts::addParameterTip));
    parameterHead->addWidget(
        button(ctl::DeleteParameterButton, ids::BitmapDelete, texts::deleteParameterTip));
    auto* parameters = new QVBoxLayout;
    parameters->addLayout(parameterHead);
    parameters->addWidget(parameterList_, 1);

    panel_->setParent(central);
    controls_[ctl::ValueList] = panel_->valueList();
    controls_[ctl::AddValueButton] = panel_->addValueButton();
    controls_[ctl::DeleteValueButton] = panel_->deleteValueButton();
    controls_[ctl::KindList] = panel_->kindButton(0);
    controls_[ctl::KindRange] = panel_->kindButton(1);
    controls_[ctl::KindInput] = panel_->kindButton(2);
    controls_[ctl::NumberCheck] = panel_->numberBox();
    controls_[ctl::FormulaCheck] = panel_->formulaBox();
    controls_[ctl::FormulaEdit] = panel_->formulaEdit();

    resultList_ = makeRecordGrid(central);
    resultList_->setModel(resultModel);
    controls_[ctl::ResultList] = resultList_;
    auto* resultButtons = new QVBoxLayout;
    resultButtons->addWidget(button(ctl::AddResultButton, ids::BitmapAdd, texts::addResultTip));
    resultButtons->addWidget(button(ctl::DeleteResultButton, ids::BitmapDelete, texts::deleteResultTip));
    resultButtons->addStretch(1);
    auto* results = new QHBoxLayout;
    results->addLayout(resultButtons);
    results->addWidget(resultList_, 1);
    auto* footer = new QVBoxLayout;
    footer->addLayout(fieldRow(
        {{texts::labelAuthor, ctl::AuthorEdit, 73}, {texts::labelOrganisation, ctl::OrganisationEdit, 65}}));
    footer->addLayout(
        fieldRow({{texts::labelSource, ctl::SourceEdit, 105}, {texts::labelDate, ctl::DateEdit, 40}}));
    footer->addStretch(1);

    // The lists take the room the window gains: the parameters and the panel most, the results
    // some; the two columns keep the form's proportions.
    auto* body = new QGridLayout;
    body->addLayout(parameters, 0, 0);
    body->addWidget(panel_, 0, 1);
    body->addLayout(results, 1, 0);
    body->addLayout(footer, 1, 1);
    body->setColumnStretch(0, 161);
    body->setColumnStretch(1, 195);
    body->setRowStretch(0, 169);
    body->setRowStretch(1, 45);
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(titleRow);
    layout->addLayout(captionRow);
    layout->addLayout(body, 1);

    new ColumnShares(
        *parameterList_,
        [] {
            return std::vector<int>{1, 7};
        },
        8); // "N", "Название"
    // "N", "Название", "Результат": 15/16 of the width
    new ColumnShares(
        *resultList_,
        [] {
            return std::vector<int>{2, 8, 5};
        },
        16);

    QList<QWidget*> chain;
    for (int id : {ctl::TitleEdit, ctl::DocumentFileEdit, ctl::BrowseButton, ctl::Input1CaptionEdit,
                   ctl::Input2CaptionEdit, ctl::SurnameCaptionEdit, ctl::ParameterList}) {
        chain << controls_.at(id);
    }
    chain << count << controls_.at(ctl::AddParameterButton) << controls_.at(ctl::DeleteParameterButton)
          << panel_->tabChain();
    for (int id : {ctl::ResultList, ctl::AddResultButton, ctl::DeleteResultButton, ctl::AuthorEdit,
                   ctl::OrganisationEdit, ctl::SourceEdit, ctl::DateEdit}) {
        chain << controls_.at(id);
    }
    for (qsizetype i = 1; i < chain.size(); ++i) {
        setTabOrder(chain[i - 1], chain[i]);
    }
    for (auto& [id, widget] : controls_) {
        widget->setObjectName(QStringLiteral("control%1").arg(id));
    }
    return central;
}

QWidget* MainWindow::control(int controlId) const {
    const auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : it->second;
}

QLineEdit* MainWindow::textEdit(int controlId) const {
    return qobject_cast<QLineEdit*>(control(controlId));
}

const ReportDefinition& MainWindow::definition() const {
    return document_.definition();
}

int MainWindow::selectedParameterIndex() const {
    return panel_->shownParameter();
}

QString MainWindow::currentFilePath() const {
    return displayPath(currentNativePath());
}

QByteArray MainWindow::currentNativePath() const {
    return QByteArray::fromStdString(document_.path());
}

bool MainWindow::isModified() const {
    return document_.isModified();
}

CellGrid* MainWindow::valueGrid() const {
    return panel_->valueList();
}

ProblemCountLabel* MainWindow::problemCountLabel() const {
    return checks_->problemCount();
}

ChecksWindow* MainWindow::checksWindow() const {
    return checks_->checksWindow();
}

ListClipboard* MainWindow::listClipboard() const {
    return &records_->clipboard();
}

RangeStrip* MainWindow::rangeStrip() const {
    return panel_->rangeStrip();
}

void MainWindow::setVisible(bool visible) {
    const bool first = visible && !prepared_;
    if (first) {
        prepared_ = true;
        prepareFirstShow();
    }
    QMainWindow::setVisible(visible);
    if (first) {
        // The file named on the command line opens once the window is shown, so that a box saying
        // it cannot be read stands over the window, not alone in a corner before it.
        documents_->openFromCommandLine(commandLine_);
        // With or without a file named: the work of editors that were ended is offered back.
        documents_->offerRecoveryCopies();
    }
}

void MainWindow::endWithoutQuestion() {
    confirmOpenEdits();
    if (services_.settings != nullptr) {
        services_.settings->writeWindowGeometry(saveGeometry());
    }
    helpWindow_->hide();
    hide();
    emit closed();
}

void MainWindow::prepareFirstShow() {
    // A new definition with the defaults shown at start-up; nothing to undo, unmodified.
    document_.newDocument({texts::defaultTitle, texts::defaultDocumentFile, texts::defaultInput1Caption,
                           texts::defaultInput2Caption, texts::defaultSurnameCaption, texts::defaultAuthor,
                           texts::defaultSource, texts::defaultOrganisation,
                           QDate::currentDate().toString(texts::dateFormat)});
    // The place the user left the window in; the first time, the form's size below the menu bar,
    // or larger where the fonts need more room.
    const QByteArray remembered =
        services_.settings != nullptr ? services_.settings->readWindowGeometry() : QByteArray();
    if (remembered.isEmpty() || !restoreGeometry(remembered)) {
        const DialogTemplate& form = mainFormTemplate();
        const QSize client = DialogUnits(font()).toPixels(QSize(form.width, form.height));
        resize(client.expandedTo(centralWidget()->minimumSizeHint()) +
               QSize(0, menuBar()->sizeHint().height()));
    }
    // The keyboard starts in the first field, the title.
    textEdit(ctl::TitleEdit)->setFocus(Qt::OtherFocusReason);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter presses the push button that has the focus and otherwise does nothing.
        if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
            button != nullptr && isAncestorOf(button) && button->isEnabled()) {
            button->click();
        }
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close box, Alt+F4 and File, Exit: an open cell edit is confirmed, then the save prompt
    // decides.
    bool mayClose = false;
    runGuarded([this, &mayClose] { mayClose = documents_->mayClose(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    if (services_.settings != nullptr) {
        services_.settings->writeWindowGeometry(saveGeometry());
    }
    helpWindow_->hide();
    event->accept();
    emit closed();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DocumentController::droppedFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!DocumentController::droppedFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QByteArray> paths = DocumentController::droppedFiles(event->mimeData());
    if (!paths.isEmpty()) {
        event->acceptProposedAction();
        documents_->openDropped(paths);
    }
}

void MainWindow::browse() {
    // A relative name is the definition's neighbour: the dialog opens in the definition's folder.
    QString start = textEdit(ctl::DocumentFileEdit)->text();
    if (!document_.isUntitled() && QFileInfo(start).isRelative()) {
        start = QFileInfo(currentFilePath()).dir().filePath(start);
    }
    const std::optional<QString> chosen =
        services_.fileDialogs->open(this, texts::wordFilesFilter, QString(), start);
    // A name the definition file cannot hold (a line break, a character outside Windows-1251)
    // would be written damaged: it is refused and the document stays as it was.
    if (chosen && !document_.setDocumentFile(QFileInfo(*chosen).fileName())) {
        QApplication::beep();
    }
}

void MainWindow::showHelp() {
    helpWindow_->showAndActivate();
}

void MainWindow::showAbout() {
    AboutDialog about(services_, this);
    about.exec();
}

} // namespace vornak
