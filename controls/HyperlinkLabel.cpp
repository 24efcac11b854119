#include "HyperlinkLabel.h"

HyperlinkLabel::HyperlinkLabel(QWidget* parent) : HyperlinkLabel(QString(), parent) {
}

HyperlinkLabel::HyperlinkLabel(const QString& text, QWidget* parent) : StaticLabel(text, parent) {
    toolTipEnabled_ = true;
    fitToText_ = true;
    fixedToolTipText_ = false;
    connect(this, &StaticLabel::clicked, this, [this] { FollowLink(); });
}

void HyperlinkLabel::SetUnvisitedColor(const QColor& colour) {
    unvisitedColor_ = colour;
    update();
}

void HyperlinkLabel::SetVisitedColor(const QColor& colour) {
    visitedColor_ = colour;
    update();
}

void HyperlinkLabel::SetUseTextAsTarget(bool use) {
    useTextAsTarget_ = use;
    UpdateToolTip();
}

bool HyperlinkLabel::RebuildFont() {
    QFont underlined = font();
    underlined.setUnderline(true);
    return RebuildFontFrom(underlined);
}

bool HyperlinkLabel::Initialize() {
    LoadLinkCursor();
    return StaticLabel::Initialize();
}

QColor HyperlinkLabel::CtlColor() const {
    return visited_ ? visitedColor_ : unvisitedColor_;
}

bool HyperlinkLabel::LoadLinkCursor() {
    if (cursorSource_) {
        linkCursor_ = cursorSource_();
    }
    if (!linkCursor_) {
        return false;
    }
    setCursor(*linkCursor_);
    return true;
}

bool HyperlinkLabel::FollowLink() {
    const bool borrowTarget = action_.Target().isEmpty() && useTextAsTarget_;
    if (borrowTarget) {
        action_.SetTarget(text());
    }
    action_.SetMessageParent(this);
    const bool opened = action_.Execute(showErrors_);
    if (opened) {
        visited_ = true;
        update();
    }
    if (borrowTarget) {
        action_.SetTarget(QString());
    }
    return opened;
}

QString HyperlinkLabel::DefaultToolTipText() const {
    if (!action_.Target().isEmpty()) {
        return action_.Target();
    }
    return useTextAsTarget_ ? StaticLabel::DefaultToolTipText() : QString();
}
