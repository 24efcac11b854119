#include "PlatformServices.h"

#include "QtFileDialogs.h"
#include "QtMessageBox.h"
#include "SettingsStore.h"
#include "ShellOpen.h"

namespace vornak {

QtPlatformServices::QtPlatformServices(std::unique_ptr<ShellOpener> shellOpener,
                                       const std::optional<QString>& settingsFile)
    : fileDialogs_(std::make_unique<QtFileDialogs>()), messageBox_(std::make_unique<QtMessageBox>()),
      settings_(settingsFile ? std::make_unique<SettingsStore>(*settingsFile)
                             : std::make_unique<SettingsStore>()),
      shellOpener_(shellOpener ? std::move(shellOpener) : std::make_unique<QtShellOpener>()) {
}

QtPlatformServices::~QtPlatformServices() = default;

PlatformServices QtPlatformServices::services() const {
    return PlatformServices{fileDialogs_.get(), messageBox_.get(), settings_.get(), shellOpener_.get()};
}

} // namespace vornak
