#include "COXStaticHyperLink.h"

COXStaticHyperLink::COXStaticHyperLink(QWidget* parent) : COXStaticHyperLink(QString(), parent) {
}

COXStaticHyperLink::COXStaticHyperLink(const QString& text, QWidget* parent) : COXStatic(text, parent) {
    toolTipEnabled_ = true;
    fitToText_ = true;
    fixedToolTipText_ = false;
    connect(this, &COXStatic::clicked, this, [this] { FollowLink(); });
}

void COXStaticHyperLink::SetUnvisitedColor(const QColor& colour) {
    unvisitedColor_ = colour;
    update();
}

void COXStaticHyperLink::SetVisitedColor(const QColor& colour) {
    visitedColor_ = colour;
    update();
}

void COXStaticHyperLink::SetUseTextAsTarget(bool use) {
    useTextAsTarget_ = use;
    UpdateToolTip();
}

bool COXStaticHyperLink::RebuildFont() {
    QFont underlined = font();
    underlined.setUnderline(true);
    return RebuildFontFrom(underlined);
}

bool COXStaticHyperLink::Initialize() {
    LoadLinkCursor();
    return COXStatic::Initialize();
}

QColor COXStaticHyperLink::CtlColor() const {
    return visited_ ? visitedColor_ : unvisitedColor_;
}

bool COXStaticHyperLink::LoadLinkCursor() {
    if (cursorSource_) {
        linkCursor_ = cursorSource_();
    }
    if (!linkCursor_) {
        return false;
    }
    setCursor(*linkCursor_);
    return true;
}

bool COXStaticHyperLink::FollowLink() {
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

QString COXStaticHyperLink::DefaultToolTipText() const {
    if (!action_.Target().isEmpty()) {
        return action_.Target();
    }
    return useTextAsTarget_ ? COXStatic::DefaultToolTipText() : QString();
}
