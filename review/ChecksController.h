// Keeps the problem count and the checks window in step with a definition: checks it once after
// each burst of changes (changes arriving together are checked together), fills the window only
// while it is shown, and opens it on request.
#pragma once

#include "DefinitionChecks.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

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

    // Checks again once the events already queued have run.
    void scheduleCheck();
    // Checks now; a scheduled check is then dropped.
    void checkNow();
    bool isCheckPending() const { return timer_.isActive(); }

    const std::vector<Finding>& findings() const { return findings_; }

    // Shows the window (up to date, with the first finding selected when none is), raises it and
    // gives it the keyboard.
    void showWindow();

signals:
    // The user asked to go to a finding's place (from the window).
    void findingActivated(vornak::TextLocation where);

private:
    const ReportDefinition* definition_ = nullptr;
    QPointer<ProblemCountLabel> label_;
    QPointer<ChecksWindow> window_;
    QTimer timer_;
    std::vector<Finding> findings_;
    bool placed_ = false;
};

} // namespace vornak
