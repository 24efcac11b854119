// Keeps the problem count and the checks window in step with a definition: checks it once input
// pauses (a burst of changes, such as a held key, is checked once, a short delay after its last
// change), fills the window only while it is shown, and opens it on request. Whatever reads the
// findings through the controller (opening the window, going to a finding) gets them up to date.
#pragma once

#include "DefinitionChecks.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <optional>
#include <vector>

namespace vornak {

class ChecksWindow;
class ProblemCountLabel;

class ChecksController : public QObject {
    Q_OBJECT

public:
    // The label and window stay owned by their parents; the definition must outlive the controller
    // or be replaced with setDefinition first.
    ChecksController(const ReportDefinition* definition, ProblemCountLabel* label, ChecksWindow* window,
                     QObject* parent = nullptr);

    void setDefinition(const ReportDefinition* definition);

    // How long the definition must stay unchanged before it is checked again. Unless fixed with
    // setDelay, it is as long as it can be (up to longestDelay) while the count still follows the
    // last change within followWithin, going by how long the last check took; never shorter than
    // shortestDelay, which is longer than the pause between auto-repeated keys.
    static constexpr std::chrono::milliseconds followWithin{300};
    static constexpr std::chrono::milliseconds longestDelay{150};
    static constexpr std::chrono::milliseconds shortestDelay{50};
    static std::chrono::milliseconds delayAfter(std::chrono::nanoseconds lastCheck);
    void setDelay(std::chrono::milliseconds delay);
    std::chrono::milliseconds delay() const;

    // Checks again once the definition has stayed unchanged for the delay; each call starts the
    // delay afresh.
    void scheduleCheck();
    // Checks now; a scheduled check is then dropped.
    void checkNow();
    // Runs a scheduled check now, if there is one.
    void runPendingCheck();
    bool isCheckPending() const { return timer_.isActive(); }

    const std::vector<Finding>& findings() const { return findings_; }

    // Shows the window (up to date, with the first finding selected when none is), raises it and
    // gives it the keyboard.
    void showWindow();

signals:
    // A check ran and the count shows its findings.
    void checked();
    // The user asked to go to a finding's place (from the window).
    void findingActivated(vornak::TextLocation where);

private:
    void passOn(const TextLocation& where);

    const ReportDefinition* definition_ = nullptr;
    QPointer<ProblemCountLabel> label_;
    QPointer<ChecksWindow> window_;
    QTimer timer_;
    std::optional<std::chrono::milliseconds> fixedDelay_;
    std::chrono::nanoseconds lastCheck_{0};
    std::vector<Finding> findings_;
    bool placed_ = false;
};

} // namespace vornak
