// AboutDialog: the modal About box of template 100: what Vornak does, its programmer, the
// application icon and the author's web address as a hyperlink. A new box for every opening.
#pragma once

#include <QDialog>

class HyperlinkLabel;
class QPushButton;

namespace vornak {

struct PlatformServices;

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    // The link opens through the services' shell opener and reports failures in their message
    // boxes (the desktop's own when a service is missing). With the main form as parent the box
    // is centred on it and keeps it from input while open.
    explicit AboutDialog(const PlatformServices& services, QWidget* parent = nullptr);
    ~AboutDialog() override;

    // Static 1023, the web address.
    HyperlinkLabel* webLink() const { return webLink_; }
    QPushButton* okButton() const { return okButton_; }

private:
    HyperlinkLabel* webLink_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

} // namespace vornak
