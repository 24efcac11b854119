// The seams the editor asks instead of the user or the system: file dialogs, message boxes, the
// settings store and the shell opener. The application hands one PlatformServices to the main
// form; tests hand it scripted ones.
#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace vornak {

class FileDialogs;
class MessageBox;
class SettingsStore;
class ShellOpener;

// Non-owning: whoever builds it keeps the services alive as long as the form.
struct PlatformServices {
    FileDialogs* fileDialogs = nullptr;
    MessageBox* messageBox = nullptr;
    SettingsStore* settings = nullptr;
    ShellOpener* shellOpener = nullptr;
};

// Owns the real, Qt-backed services.
class QtPlatformServices {
public:
    // shellOpener: nullptr for the desktop's own (QtShellOpener). settingsFile: a settings file
    // to use instead of the user's own, or nothing for the user's.
    explicit QtPlatformServices(std::unique_ptr<ShellOpener> shellOpener = nullptr,
                                const std::optional<QString>& settingsFile = std::nullopt);
    ~QtPlatformServices();
    QtPlatformServices(const QtPlatformServices&) = delete;
    QtPlatformServices& operator=(const QtPlatformServices&) = delete;

    PlatformServices services() const;

private:
    std::unique_ptr<FileDialogs> fileDialogs_;
    std::unique_ptr<MessageBox> messageBox_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<ShellOpener> shellOpener_;
};

} // namespace vornak
