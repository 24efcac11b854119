// A Qt plugin loaded into an unmodified vornak (QT_PLUGIN_PATH and QT_QPA_GENERIC_PLUGINS) that
// waits for the editor's main window: when the first window whose title starts with "Vornak" is
// shown, it prints that title to standard error and closes the window the way the close box does.
// If no such window shows within a minute, the process ends with exit code 3.
#include <QApplication>
#include <QGenericPlugin>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class WindowProbe : public QObject {
public:
    WindowProbe() {
        QCoreApplication::instance()->installEventFilter(this);
        QTimer::singleShot(60'000, this, [] {
            std::fputs("window probe: no main window within 60 s\n", stderr);
            std::fflush(stderr);
            std::_Exit(3);
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow() && widget->windowTitle().startsWith(QStringLiteral("Vornak"))) {
                done_ = true;
                std::fprintf(stderr, "window probe: shown: %s\n", qPrintable(widget->windowTitle()));
                std::fflush(stderr);
                // Once the event loop runs: the close box's way out, through the form's close handling.
                QTimer::singleShot(0, widget, &QWidget::close);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
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
