#include "CEditorApp.h"

#include "CommandIds.h"
#include "MessageBox.h"
#include "RecoverySession.h"
#include "RecoveryStore.h"
#include "SettingsStore.h"
#include "StringTable.h"
#include "TerminationSignals.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QTimer>

#include <cstdio>

namespace vornak {

CEditorApp::CEditorApp(const PlatformServices& services, QList<QByteArray> arguments)
    : services_(services), arguments_(std::move(arguments)), recoveryFolder_(RecoveryStore::defaultFolder()) {
}

CEditorApp::~CEditorApp() = default;

int CEditorApp::run() {
    InitInstance();
    return ExitInstance();
}

void CEditorApp::LoadStdProfileSettings() {
    if (services_.settings != nullptr) {
        recentFiles_.read(*services_.settings);
        // Written whenever it changes: an editor ended by a signal or a crash keeps it too.
        recentFiles_.writeThrough(services_.settings);
    }
}

std::unique_ptr<CMainForm> CEditorApp::createMainForm() {
    auto form = std::make_unique<CMainForm>(document_, services_, recentFiles_, arguments_, this);
    // The form routes the recent-file commands here while it lives; they act on that form.
    commandSource_ = form.get();
    return form;
}

bool CEditorApp::InitInstance() {
    LoadStdProfileSettings();
    mainForm_ = createMainForm();
    if (!recoveryFolder_.empty() && services_.messageBox != nullptr) {
        recovery_ = std::make_unique<RecoverySession>(document_, *services_.messageBox,
                                                      RecoveryStore(recoveryFolder_));
        mainForm_->setRecovery(recovery_.get());
    }
    if (keepWorkWhenEnded_ && recovery_) {
        // A logout, a shutdown or `kill`: what was typed goes to the copy at once, and the editor
        // ends as the signal says, asking nothing.
        terminationSignals_ = std::make_unique<TerminationSignals>();
        QObject::connect(
            terminationSignals_.get(), &TerminationSignals::received, mainForm_.get(), [this](int signal) {
                if (mainForm_) {
                    mainForm_->runGuarded([this] {
                        if (!recovery_->preserveNow()) {
                            // Ending anyway, as asked, but not in silence.
                            std::fprintf(stderr, "vornak: the unsaved changes could not be kept: %s\n",
                                         qPrintable(recovery_->keeper().lastError()));
                        }
                    });
                }
                TerminationSignals::endBySignal(signal);
            });
        if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QObject::connect(gui, &QGuiApplication::commitDataRequest, mainForm_.get(),
                             [this](QSessionManager&) {
                                 if (!mainForm_) {
                                     return;
                                 }
                                 mainForm_->runGuarded([this] { recovery_->preserveNow(); });
                                 // Ended once the session manager has its answer; the copy is offered back
                                 // next time.
                                 QTimer::singleShot(0, mainForm_.get(), [this] {
                                     if (mainForm_) {
                                         mainForm_->endWithoutQuestion();
                                     }
                                 });
                             });
        }
    }
    // Modal to no other window: the help window beside it stays usable.
    mainForm_->setWindowModality(Qt::WindowModal);
    mainForm_->exec();
    mainForm_.reset();
    terminationSignals_.reset();
    recovery_.reset();
    return false;
}

int CEditorApp::ExitInstance() {
    // Settings that cannot be written are said once and change nothing else: the user's work is
    // saved or was declined, so the run still ends well.
    if (services_.settings != nullptr && !recentFiles_.write(*services_.settings) &&
        services_.messageBox != nullptr) {
        const QString failure = services_.settings->unsaidWriteFailure();
        if (!failure.isEmpty()) {
            services_.messageBox->showError(nullptr, failure, loadString(ids::StringAppTitle));
        }
    }
    return 0;
}

bool CEditorApp::hasCommandHandler(int commandId) const {
    return cmd::isRecentFileCommand(commandId);
}

bool CEditorApp::runCommand(int commandId) {
    if (!cmd::isRecentFileCommand(commandId)) {
        return false;
    }
    return OnOpenRecentFile(commandId);
}

} // namespace vornak
