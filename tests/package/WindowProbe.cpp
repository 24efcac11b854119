// A Qt plugin loaded into an unmodified vornak (QT_PLUGIN_PATH and QT_QPA_GENERIC_PLUGINS) that
// waits until a window of the editor names the file it was started with, then reports that title
// and the keys of the window's actions on standard error and closes the window the way the close
// box does. The window is found by its title alone, whatever its class. If no such window shows
// within a minute, the process ends with exit code 3.
//
// VORNAK_PROBE_TITLE: the text the title must contain (the file's name).
#include <QAction>
#include <QApplication>
#include <QGenericPlugin>
#include <QKeySequence>
#include <QShortcut>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

void report(const QString& line) {
    std::fprintf(stderr, "window probe: %s\n", qPrintable(line));
    std::fflush(stderr);
}

// The keys an action answers to, less the variants of one key with extra modifiers held (Ctrl+F2
// for F2, Ctrl+Shift+N for Ctrl+N): those are tolerances, not keys of their own.
QStringList keysOf(const QList<QKeySequence>& shortcuts) {
    QStringList keys;
    QList<int> seen;
    for (const QKeySequence& shortcut : shortcuts) {
        if (shortcut.isEmpty()) {
            continue;
        }
        const int key = shortcut[0].key();
        if (!seen.contains(key)) {
            seen << key;
            keys << shortcut.toString(QKeySequence::PortableText);
        }
    }
    return keys;
}

class WindowProbe : public QObject {
public:
    WindowProbe() : expected_(qEnvironmentVariable("VORNAK_PROBE_TITLE")) {
        // Polled as well as watched: the title may be set before, while or after the window shows.
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this] { look(); });
        poll->start(50);
        QTimer::singleShot(60'000, this, [this] {
            report(QStringLiteral("no window named '%1' within 60 s").arg(expected_));
            std::_Exit(3);
        });
    }

private:
    void look() {
        if (done_ || expected_.isEmpty()) {
            return;
        }
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->windowTitle().contains(expected_)) {
                done_ = true;
                report(QStringLiteral("shown: ") + window->windowTitle());
                QStringList keys;
                for (const QAction* action : window->findChildren<QAction*>()) {
                    keys << keysOf(action->shortcuts());
                }
                for (const QAction* action : window->actions()) {
                    keys << keysOf(action->shortcuts());
                }
                for (const QShortcut* shortcut : window->findChildren<QShortcut*>()) {
                    keys << keysOf(shortcut->keys());
                }
                keys.removeDuplicates();
                for (const QString& key : keys) {
                    report(QStringLiteral("key: ") + key);
                }
                // Once the event loop runs again: the close box's way out.
                QTimer::singleShot(0, window, &QWidget::close);
                return;
            }
        }
    }

    QString expected_;
    bool done_ = false;
};

} // namespace

class WindowProbePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "windowprobe.json")

public:
    QObject* create(const QString& name, const QString& /*spec*/) override {
        if (name.compare(QStringLiteral("vornakwindowprobe"), Qt::CaseInsensitive) != 0) {
            return nullptr;
        }
        // The application owns what a generic plugin creates and deletes it when it ends.
        return new WindowProbe;
    }
};

#include "WindowProbe.moc"
