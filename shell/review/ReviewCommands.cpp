#include "ReviewCommands.h"

#include "ComparisonWindow.h"
#include "DefinitionDocument.h"
#include "DefinitionPrintout.h"
#include "FileDialogs.h"
#include "FileProblemText.h"
#include "MessageBox.h"
#include "NativePath.h"
#include "Texts.h"
#include "WindowPlacement.h"

#include <QFile>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>

namespace vornak {

namespace {

// Beside the main window where the screen has room, so that the list and the place it shows are
// seen together; otherwise against the screen's edge where it hides the least of the main window.
void placeBeside(QWidget& window, const QWidget& main) {
    const QScreen* screen = main.screen();
    if (screen == nullptr) {
        return;
    }
    // Not shown yet, the window has no frame: its frame is taken as the main window's margins.
    const QRect mainFrame = main.frameGeometry();
    const QSize margins = mainFrame.size() - main.geometry().size();
    const QSize frame = window.size() + margins;
    const QRect place = companionWindowPlace(screen->availableGeometry(), mainFrame, frame);
    if (place.size() != frame) {
        window.resize(place.size() - margins);
    }
    window.move(place.topLeft());
}

} // namespace

ReviewCommands::ReviewCommands(DefinitionDocument& document, const PlatformServices& services, QWidget& window,
                               std::function<void(const TextLocation&)> goTo)
    : QObject(&window), document_(document), services_(services), window_(window), goTo_(std::move(goTo)) {
}

ComparisonWindow* ReviewCommands::comparisonWindow() const {
    return comparison_.data();
}

void ReviewCommands::compareWithFile() {
    const QByteArray suggestion = nativePath(document_.path());
    const std::optional<QByteArray> path = services_.fileDialogs->chooseNative(
        &window_, {FileDialogKind::Open, QStringLiteral("Сравнить с файлом"), texts::reportFilesFilter,
                   texts::reportExtension, displayPath(suggestion), false, suggestion});
    if (!path) {
        return;
    }
    ReportDefinition other;
    if (!other.load(corePath(*path))) {
        services_.messageBox->showError(
            &window_,
            QStringLiteral("Не удалось прочитать файл «%1»: %2").arg(displayPath(*path), problemReason(other.loadError())),
            texts::appTitle);
        return;
    }
    // One comparison at a time: a new choice replaces the window.
    if (comparison_) {
        comparison_->close();
        comparison_->deleteLater();
    }
    comparison_ = new ComparisonWindow(document_, std::move(other), displayFileName(*path), &window_);
    comparison_->setAttribute(Qt::WA_DeleteOnClose);
    connect(comparison_, &ComparisonWindow::placeActivated, this, [this](const TextLocation& where) {
        goTo_(where);
    });
    placeBeside(*comparison_, window_);
    comparison_->show();
    comparison_->raise();
    comparison_->activateWindow();
}

void ReviewCommands::print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
    const QByteArray path = nativePath(document_.path());
    const QString name = document_.isUntitled() ? QString() : displayFileName(path);
    const QDateTime saved =
        document_.isUntitled() ? QDateTime() : QFileInfo(QFile::decodeName(path)).lastModified();
    printer.setDocName(name.isEmpty() ? texts::appTitle : name);
    QPrintPreviewDialog preview(&printer, &window_);
    preview.setObjectName(QStringLiteral("printPreview"));
    preview.setWindowTitle(QStringLiteral("Печать"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* target) {
        DefinitionPrintout(document_.definition(), name, saved, document_.isModified()).print(*target);
    });
    preview.resize(window_.size());
    preview.exec();
}

} // namespace vornak
