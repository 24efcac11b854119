#include "ReviewCommands.h"

#include "ComparisonWindow.h"
#include "DefinitionDocument.h"
#include "DefinitionPrintout.h"
#include "FileDialogs.h"
#include "FileProblemText.h"
#include "MessageBox.h"
#include "NativePath.h"
#include "Texts.h"

#include <QFile>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace vornak {

ReviewCommands::ReviewCommands(DefinitionDocument& document, const PlatformServices& services, QWidget& window,
                               std::function<void(const TextLocation&)> goTo)
    : QObject(&window), document_(document), services_(services), window_(window), goTo_(std::move(goTo)) {
}

ComparisonWindow* ReviewCommands::comparisonWindow() const {
    return comparison_.data();
}

void ReviewCommands::compareWithFile() {
    const std::optional<QByteArray> path = services_.fileDialogs->openNative(
        &window_, texts::reportFilesFilter, texts::reportExtension, nativePath(document_.path()));
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
