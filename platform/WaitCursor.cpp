#include "WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace vornak {

WaitCursor::WaitCursor() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursor::~WaitCursor() {
    QGuiApplication::restoreOverrideCursor();
}

} // namespace vornak
