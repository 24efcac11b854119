#include "MainWindow.h"

#include "CellGrid.h"
#include "ChecksPresenter.h"
#include "DefinitionText.h"
#include "DialogTemplates.h"
#include "DialogUnits.h"
#include "DocumentController.h"
#include "FindBar.h"
#include "FindTools.h"
#include "FormBinder.h"
#include "FormLayout.h"
#include "FormScrollArea.h"
#include "ParameterPanel.h"
#include "Pictures.h"
#include "ProblemCountLabel.h"
#include "RecordActions.h"
#include "RecordTableModel.h"
#include "ReviewCommands.h"
#include "SettingsStore.h"
#include "UndoKeyRouter.h"
#include "UsageHelpDialog.h"
#include "ValueTableModel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

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
    const FormLayout layout(*panel_, *count, *parameterModel, *resultModel);
    parameterList_ = layout.parameterList();
    resultList_ = layout.resultList();
    // The form scrolls where the screen is smaller than it needs.
    setCentralWidget(new FormScrollArea(layout.area()));
    records_ = new RecordActions(document_, services_, *parameterList_, *panel_, *resultList_, *this);

    ChecksPresenter::Targets targets{parameterList_, panel_, resultList_, layout.reportTexts(), count};
    checks_ = new ChecksPresenter(document_, services_, *this, targets, guard);
    review_ = new ReviewCommands(document_, services_, *this, [this](const TextLocation& where) {
        runGuarded([&] { checks_->goToText(where); });
    });

    binder_ = std::make_unique<FormBinder>(document_, *values,
                                           FormBinder::controlsOf(*panel_, targets.reportTexts), guard);

    // The find bar, while open, lies under the lists.
    findTools_ = new FindTools(document_, {parameterList_, panel_, resultList_, targets.reportTexts}, *this);
    layout.area()->layout()->addWidget(findTools_->bar());
    buildCommands();
    undoKeys_ = std::make_unique<UndoKeyRouter>(
        *this, [this](const QLineEdit* edit) { return binder_->isBound(edit); });
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

void MainWindow::setVisible(bool visible) {
    const bool first = visible && !prepared_;
    if (first) {
        prepared_ = true;
        prepareFirstShow();
    }
    QMainWindow::setVisible(visible);
    if (first) {
        // Once the window is shown, so that a box saying a file cannot be read stands over the
        // window, not alone in a corner before it.
        documents_->openStartupFiles(commandLine_);
    }
}

void MainWindow::endWithoutQuestion() {
    records_->confirmOpenEdits();
    leave();
    hide();
    emit closed();
}

void MainWindow::leave() {
    if (services_.settings != nullptr) {
        services_.settings->writeWindowGeometry(saveGeometry());
    }
    helpWindow_->hide();
}

void MainWindow::prepareFirstShow() {
    documents_->newStartupDocument();
    // The place the user left the window in; the first time, the form's size below the menu bar,
    // or larger where the fonts need more room.
    const QByteArray remembered =
        services_.settings != nullptr ? services_.settings->readWindowGeometry() : QByteArray();
    if (remembered.isEmpty() || !restoreGeometry(remembered)) {
        const DialogTemplate& form = mainFormTemplate();
        const QSize client = DialogUnits(font()).toPixels(QSize(form.width, form.height));
        QSize first =
            client.expandedTo(centralWidget()->minimumSizeHint()) + QSize(0, menuBar()->sizeHint().height());
        // Never larger than the screen's free area: the form scrolls instead.
        if (const QScreen* where = screen()) {
            first = first.boundedTo(where->availableGeometry().size());
        }
        resize(first);
    }
    // The keyboard starts in the first field, the title.
    findChild<QLineEdit*>(QStringLiteral("titleEdit"))->setFocus(Qt::OtherFocusReason);
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
    leave();
    event->accept();
    emit closed();
}

} // namespace vornak
