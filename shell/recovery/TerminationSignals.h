// SIGTERM, SIGHUP and SIGINT (a logout, a shutdown, `kill`, Ctrl+C in the terminal) brought to the
// event loop: the handler only writes to a pipe, a socket notifier turns that into received(), and
// the editor can keep what was typed before it ends. Signals that follow the first within a few
// seconds while it still waits for the loop (a session's end sends TERM and HUP at once) are the
// same request and are absorbed; a third, or one long after the first (a loop that is stuck), ends
// the process at once through the handlers installed before, so the temporary files of a save in
// progress are still cleaned up.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace vornak {

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    // Installs the handlers; a signal the process ignores stays ignored. One object at a time.
    explicit TerminationSignals(QObject* parent = nullptr);
    // Puts back the handlers found at construction.
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // How long after the first signal a second one counts as part of the same burst (0: none).
    static constexpr int defaultBurstMilliseconds = 3000;
    static void setBurstMilliseconds(int milliseconds);

    // Whether the handlers are in place (false when the pipe could not be made).
    bool isActive() const { return active_; }

    // Ends the process as the signal would have without this object: the handler installed before
    // runs (such as the clean-up of temporary files), or the system's default action.
    [[noreturn]] static void endBySignal(int signal);

signals:
    // Delivered on the event loop, once per signal.
    void received(int signal);

private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
    bool active_ = false;
};

} // namespace vornak
