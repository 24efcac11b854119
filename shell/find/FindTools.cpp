#include "FindTools.h"

#include "FindBar.h"
#include "FindController.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

namespace vornak {

FindTools::FindTools(DefinitionDocument& document, FormMatchDisplay::Parts parts, QWidget& window)
    : QObject(&window), bar_(new FindBar(&window)),
      display_(std::make_unique<FormMatchDisplay>(document, std::move(parts))),
      controller_(new FindController(document, *bar_, *display_, this)), find_(new QAction(this)),
      replace_(new QAction(this)) {
    // The window gives them their texts and keys, as it does to every command.
    for (QAction* action : {find_, replace_}) {
        action->setShortcutContext(Qt::WindowShortcut);
        window.addAction(action);
    }
    const auto remember = [this] {
        QWidget* focus = QApplication::focusWidget();
        if (focus != nullptr && !bar_->isAncestorOf(focus)) {
            returnFocus_ = focus;
        }
    };
    connect(find_, &QAction::triggered, this, [this, remember] {
        remember();
        controller_->openFind();
    });
    connect(replace_, &QAction::triggered, this, [this, remember] {
        remember();
        controller_->openReplace();
    });
    connect(controller_, &FindController::closed, this, [this] {
        if (returnFocus_ && returnFocus_->isVisible() && returnFocus_->isEnabled()) {
            returnFocus_->setFocus(Qt::OtherFocusReason);
        }
    });
}

FindTools::~FindTools() = default;

} // namespace vornak
