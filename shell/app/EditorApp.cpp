#include "EditorApp.h"

#include "DocumentController.h"
#include "MessageBox.h"
#include "RecoverySession.h"
#include "RecoveryStore.h"
#include "SettingsStore.h"
#include "TerminationSignals.h"
#include "Texts.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QSessionManager>
#include <QTimer>

#include <cstdio>

namespace vornak {

EditorApp::EditorApp(const PlatformServices& services, QList<QByteArray> arguments)
    : services_(services), arguments_(std::move(arguments)), recoveryFolder_(RecoveryStore::defaultFolder()) {
}

EditorApp::~EditorApp() = default;

void EditorApp::readSettings() {
    if (services_.settings != nullptr) {
        // A damaged file found on start was set aside: said once, before the window opens.
        const QString damage = services_.settings->unsaidDamage();
        if (!damage.isEmpty() && services_.messageBox != nullptr) {
            services_.messageBox->showInformation(nullptr, damage, texts::appTitle);
        }
        recentFiles_.read(*services_.settings);
        // Written whenever it changes: an editor ended by a signal or a crash keeps it too.
        recentFiles_.writeThrough(services_.settings);
    }
}

std::unique_ptr<MainWindow> EditorApp::createMainWindow() {
    return std::make_unique<MainWindow>(document_, services_, recentFiles_, arguments_);
}

void EditorApp::keepWorkOnEnd() {
    // A logout, a shutdown or `kill`: what was typed goes to the copy at once, and the editor ends
    // as the signal says, asking nothing.
    terminationSignals_ = std::make_unique<TerminationSignals>();
    QObject::connect(
        terminationSignals_.get(), &TerminationSignals::received, mainWindow_.get(), [this](int signal) {
            if (mainWindow_) {
                // The open cell edit is confirmed first, so the copy holds its text.
                mainWindow_->runGuarded([this] {
                    if (!recovery_->preserveNow()) {
                        // Ending anyway, as asked, but not in silence.
                        std::fprintf(stderr, "vornak: the unsaved changes could not be kept: %s\n",
                                     qPrintable(recovery_->keeper().lastError()));
                    }
                });
                // The window's size and place are kept as on a close.
                mainWindow_->endWithoutQuestion();
            }
            TerminationSignals::endBySignal(signal);
        });
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(gui, &QGuiApplication::commitDataRequest, mainWindow_.get(),
                         [this](QSessionManager&) {
                             if (!mainWindow_) {
                                 return;
                             }
                             mainWindow_->runGuarded([this] { recovery_->preserveNow(); });
                             // Ended once the session manager has its answer; the copy is offered back next
                             // time.
                             QTimer::singleShot(0, mainWindow_.get(), [this] {
                                 if (mainWindow_) {
                                     mainWindow_->endWithoutQuestion();
                                 }
                             });
                         });
    }
}

int EditorApp::run() {
    readSettings();
    mainWindow_ = createMainWindow();
    if (!recoveryFolder_.empty() && services_.messageBox != nullptr) {
        recovery_ = std::make_unique<RecoverySession>(document_, *services_.messageBox,
                                                      RecoveryStore(recoveryFolder_), recoveryQuestion_);
        recovery_->attach(*mainWindow_);
    }
    if (keepWorkWhenEnded_ && recovery_) {
        keepWorkOnEnd();
    }
    // The run ends when the main window closes, whatever other window (the help) is still open.
    QEventLoop loop;
    QObject::connect(mainWindow_.get(), &MainWindow::closed, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    mainWindow_->show();
    loop.exec();
    mainWindow_.reset();
    terminationSignals_.reset();
    recovery_.reset();
    // Settings that cannot be written are said once and change nothing else: the user's work is
    // saved or was declined, so the run still ends well. A file found damaged only now that it was
    // written has been replaced by a clean one, and that is said too.
    if (services_.settings != nullptr) {
        const bool written = recentFiles_.write(*services_.settings);
        const QString damage = services_.settings->unsaidDamage();
        const QString failure = written ? QString() : services_.settings->unsaidWriteFailure();
        if (services_.messageBox != nullptr && !damage.isEmpty()) {
            services_.messageBox->showInformation(nullptr, damage, texts::appTitle);
        }
        if (services_.messageBox != nullptr && !failure.isEmpty()) {
            services_.messageBox->showError(nullptr, failure, texts::appTitle);
        }
    }
    return 0;
}

} // namespace vornak
