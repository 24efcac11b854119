// The File menu's commands for a reviewer: "Сравнить с файлом..." (a window listing what differs
// from a chosen file, following every edit) and "Печать..." (Qt's print preview of the printout,
// from which it goes to a printer or a PDF).
#pragma once

#include "PlatformServices.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace vornak {

class ComparisonWindow;
class DefinitionDocument;
struct TextLocation;

class ReviewCommands : public QObject {
    Q_OBJECT

public:
    // goTo: takes the main window to a text of the open definition.
    ReviewCommands(DefinitionDocument& document, const PlatformServices& services, QWidget& window,
                   std::function<void(const TextLocation&)> goTo);

    // Asks for a definition file and shows its differences from the open definition. A file that
    // cannot be read is said and nothing else happens.
    void compareWithFile();
    // Shows the print preview of the open definition, as it is now.
    void print();

    ComparisonWindow* comparisonWindow() const;

private:
    DefinitionDocument& document_;
    PlatformServices services_;
    QWidget& window_;
    std::function<void(const TextLocation&)> goTo_;
    QPointer<ComparisonWindow> comparison_;
};

} // namespace vornak
