#include "EditorApp.h"

#include "MessageBox.h"
#include "SettingsStore.h"
#include "Texts.h"

#include <QEventLoop>

namespace vornak {

EditorApp::EditorApp(const PlatformServices& services, QList<QByteArray> arguments)
    : services_(services), arguments_(std::move(arguments)) {
}

EditorApp::~EditorApp() = default;

void EditorApp::readSettings() {
    if (services_.settings != nullptr) {
        recentFiles_.read(*services_.settings);
    }
}

std::unique_ptr<MainWindow> EditorApp::createMainWindow() {
    return std::make_unique<MainWindow>(document_, services_, recentFiles_, arguments_);
}

int EditorApp::run() {
    readSettings();
    mainWindow_ = createMainWindow();
    // The run ends when the main window closes, whatever other window (the help) is still open.
    QEventLoop loop;
    QObject::connect(mainWindow_.get(), &MainWindow::closed, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    mainWindow_->show();
    loop.exec();
    mainWindow_.reset();
    // Settings that cannot be written are said once and change nothing else: the user's work is
    // saved or was declined, so the run still ends well.
    if (services_.settings != nullptr && !recentFiles_.write(*services_.settings) &&
        services_.messageBox != nullptr) {
        const QString failure = services_.settings->unsaidWriteFailure();
        if (!failure.isEmpty()) {
            services_.messageBox->showError(nullptr, failure, texts::appTitle);
        }
    }
    return 0;
}

} // namespace vornak
