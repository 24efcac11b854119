#include "AboutDialog.h"

#include "DialogTemplates.h"
#include "DialogUnits.h"
#include "HyperlinkLabel.h"
#include "Pictures.h"
#include "PlatformServices.h"
#include "VornakVersion.h"

#include <QLabel>
#include <QPushButton>

namespace vornak {

namespace {

// The static icon control shows the icon at the system's icon size, whatever the template says.
constexpr int iconSize = 32;

} // namespace

AboutDialog::AboutDialog(const PlatformServices& services, QWidget* parent) : QDialog(parent) {
    const DialogTemplate& layout = aboutBoxTemplate();
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    setWindowTitle(layout.caption);
    // Hovering anywhere in the box but the link tells which version this is.
    setToolTip(QStringLiteral("Vornak %1").arg(QString::fromLatin1(versionString)));
    setFont(DialogUnits::templateFont(layout.fontFace, layout.fontPointSize));
    const DialogUnits units(font());
    setFixedSize(units.toPixels(QSize(layout.width, layout.height)));

    QWidget* previous = nullptr;
    for (const ControlTemplate& control : layout.controls) {
        QWidget* widget = nullptr;
        switch (control.kind) {
        case ControlKind::DefaultPushButton: {
            auto* button = new QPushButton(control.text, this);
            button->setDefault(true);
            button->setAutoDefault(false);
            okButton_ = button;
            connect(button, &QPushButton::clicked, this, &QDialog::accept);
            widget = button;
            break;
        }
        case ControlKind::Label:
            if (control.name == QLatin1String("webLink")) {
                webLink_ = new HyperlinkLabel(control.text, this);
                webLink_->Action().SetShellOpener(services.shellOpener);
                webLink_->Action().SetMessageBox(services.messageBox);
                webLink_->SetCursorSource([] { return handCursor(); });
                widget = webLink_;
            } else {
                auto* label = new QLabel(control.text, this);
                label->setTextFormat(Qt::PlainText);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                widget = label;
            }
            break;
        case ControlKind::Icon: {
            auto* icon = new QLabel(this);
            icon->setPixmap(applicationIcon().pixmap(iconSize, iconSize));
            icon->setGeometry(QRect(units.toPixels(control.rect().topLeft()), QSize(iconSize, iconSize)));
            continue;
        }
        case ControlKind::Edit:
            // The About box holds no field.
            continue;
        }
        widget->setObjectName(control.name);
        widget->setGeometry(units.toPixels(control.rect()));
        if (control.tabStop) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previous != nullptr) {
                setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }
    if (okButton_ != nullptr) {
        okButton_->setFocus();
    }
}

AboutDialog::~AboutDialog() = default;

} // namespace vornak
