// HyperlinkLabel: a label that behaves like a web link. Underlined, blue until a click has
// opened its target and purple from then on, a hand cursor and a tooltip naming the target,
// shrunk to its text; a click hands the target (by default its own text) to the desktop through
// its LinkAction, which reports a failure in a message box.
#pragma once

#include "StaticLabel.h"
#include "LinkAction.h"

#include <QCursor>

#include <functional>
#include <optional>

class HyperlinkLabel : public StaticLabel {
    Q_OBJECT

public:
    // Where the hand cursor comes from; nothing means the cursor stays as it is.
    using CursorSource = std::function<std::optional<QCursor>()>;

    explicit HyperlinkLabel(QWidget* parent = nullptr);
    explicit HyperlinkLabel(const QString& text, QWidget* parent = nullptr);

    const QColor& UnvisitedColor() const { return unvisitedColor_; }
    void SetUnvisitedColor(const QColor& colour);
    const QColor& VisitedColor() const { return visitedColor_; }
    void SetVisitedColor(const QColor& colour);
    // Set by the first successful click; never cleared.
    bool IsVisited() const { return visited_; }

    LinkAction& Action() { return action_; }
    const LinkAction& Action() const { return action_; }

    // With an empty target, the label's own text is the target.
    bool UseTextAsTarget() const { return useTextAsTarget_; }
    void SetUseTextAsTarget(bool use);
    // A failed click is reported in a message box.
    bool ShowErrors() const { return showErrors_; }
    void SetShowErrors(bool show) { showErrors_ = show; }

    // Set before the label is first shown; the cursor is loaded when the label initialises.
    void SetCursorSource(CursorSource source) { cursorSource_ = std::move(source); }
    const std::optional<QCursor>& LinkCursor() const { return linkCursor_; }

    bool RebuildFont() override;
    bool Initialize() override;
    QColor CtlColor() const override;

    // Takes the hand cursor from the cursor source and shows it over the label; false without one.
    virtual bool LoadLinkCursor();
    // Opens the target; on success the label turns to the visited colour. Returns the success.
    virtual bool FollowLink();

protected:
    // The action's target; when empty and the text is the target, the text.
    QString DefaultToolTipText() const override;

private:
    QColor unvisitedColor_{0, 0, 255};
    QColor visitedColor_{128, 0, 128};
    bool visited_ = false;
    LinkAction action_;
    std::optional<QCursor> linkCursor_;
    CursorSource cursorSource_;
    bool useTextAsTarget_ = true;
    bool showErrors_ = true;
};
