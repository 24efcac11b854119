#include "CEditorApp.h"

#include "CommandIds.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "StringTable.h"

namespace vornak {

CEditorApp::CEditorApp(const PlatformServices& services, QList<QByteArray> arguments)
    : services_(services), arguments_(std::move(arguments)) {
}

CEditorApp::~CEditorApp() = default;

int CEditorApp::run() {
    InitInstance();
    return ExitInstance();
}

void CEditorApp::LoadStdProfileSettings() {
    if (services_.settings != nullptr) {
        recentFiles_.read(*services_.settings);
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
    // Modal to no other window: the help window beside it stays usable.
    mainForm_->setWindowModality(Qt::WindowModal);
    mainForm_->exec();
    mainForm_.reset();
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
