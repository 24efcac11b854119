// The wait cursor guard and the set of real services the application hands to its form.
#include "PlatformServices.h"
#include "QtFileDialogs.h"
#include "QtMessageBox.h"
#include "SettingsStore.h"
#include "ScriptedShellOpener.h"
#include "WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornak;

namespace {

Qt::CursorShape overrideShape() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor == nullptr ? Qt::CustomCursor : cursor->shape();
}

} // namespace

TEST(WaitCursor, ShowsTheWaitCursorWhileAliveAndNests) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        const WaitCursor outer;
        EXPECT_EQ(overrideShape(), Qt::WaitCursor);
        {
            const WaitCursor inner;
            EXPECT_EQ(overrideShape(), Qt::WaitCursor);
        }
        EXPECT_EQ(overrideShape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtPlatformServices, HandsOutTheRealServices) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString settingsFile = dir.filePath(QStringLiteral("vornak.conf"));
    auto scripted = std::make_unique<ScriptedShellOpener>();
    ShellOpener* const opener = scripted.get();
    const QtPlatformServices real(std::move(scripted), settingsFile);
    const PlatformServices services = real.services();
    EXPECT_NE(dynamic_cast<QtFileDialogs*>(services.fileDialogs), nullptr);
    EXPECT_NE(dynamic_cast<QtMessageBox*>(services.messageBox), nullptr);
    ASSERT_NE(services.settings, nullptr);
    EXPECT_EQ(services.settings->fileName(), settingsFile);
    EXPECT_EQ(services.shellOpener, opener);

    // Without an opener of its own it uses the desktop's.
    const QtPlatformServices desktop(nullptr, settingsFile);
    EXPECT_NE(dynamic_cast<QtShellOpener*>(desktop.services().shellOpener), nullptr);
}
