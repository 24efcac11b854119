// Whether the editor has a display to show its window on, and what to tell the user when it has
// none, instead of the toolkit's bare abort.
#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace vornak {

// True when a window can be expected to show: a platform is chosen explicitly
// (QT_QPA_PLATFORM), or an X or Wayland display is named.
bool hasDisplay(const QProcessEnvironment& environment);

// How to run the editor without a display: under a virtual X server, or with Qt's VNC platform.
QString noDisplayHelp(const QString& program);

// Makes a failure to reach the display print noDisplayHelp and end the process with exit code 2,
// rather than abort; in force until restoreFailureHandler.
void installDisplayFailureHandler(const QString& program);
void restoreFailureHandler();

} // namespace vornak
