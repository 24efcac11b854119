// StaticLabel: a static text label with its own copy of its font, its own text and background
// colours, a tooltip that follows its text, and an optional fit-to-text sizing that shrinks the
// window to its text while keeping the edge (or centre) its alignment names.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QString>

#include <optional>

class StaticLabel : public QLabel {
    Q_OBJECT

public:
    explicit StaticLabel(QWidget* parent = nullptr);
    explicit StaticLabel(const QString& text, QWidget* parent = nullptr);
    ~StaticLabel() override;

    // QLabel::setText, then the tooltip follows and a fitting label resizes at once. (Called
    // through a QLabel pointer the label still shows the text but neither follows.)
    void setText(const QString& text);

    const QColor& BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(const QColor& colour);
    const QColor& TextColor() const { return textColor_; }
    void SetTextColor(const QColor& colour);

    bool IsToolTipEnabled() const { return toolTipEnabled_; }
    void SetToolTipEnabled(bool enabled);
    const QString& ToolTipText() const { return toolTipText_; }
    // Fixes the tooltip text; it no longer follows the label.
    void SetToolTipText(const QString& text);
    // Lets the tooltip text follow the label again.
    void UnfixToolTipText();
    bool IsToolTipTextFixed() const { return fixedToolTipText_; }

    bool IsFitToText() const { return fitToText_; }
    void SetFitToText(bool fit);
    // The window rectangle in the parent's coordinates, as last recorded.
    const QRect& Placement() const { return placement_; }

    // The label's own font, once built.
    const std::optional<QFont>& OwnFont() const { return font_; }
    bool IsFontReady() const { return fontReady_; }
    bool IsInitialized() const { return initialized_; }

    // True while the label shows text (not a pixmap, picture or movie).
    bool IsTextStatic() const;

    // Shrinks (or widens) the window to the extent of its text, at most the parent's size.
    // Vertically it keeps its centre with Qt::AlignVCenter, else its top; horizontally its centre
    // with Qt::AlignHCenter, else its right edge with Qt::AlignRight, else its left edge. With
    // fit-to-text off it goes back to Placement().
    void FitToText();

    // Builds the label's own font from the widget's font; false when none could be built.
    virtual bool RebuildFont();
    // Runs once, when the label is first polished: records the placement, sets up the tooltip,
    // builds the font (and through it the first fit).
    virtual bool Initialize();
    // Derives the tooltip text anew (unless fixed) and hands it to the tooltip; false while the
    // tooltip is disabled or not yet set up.
    virtual bool UpdateToolTip();
    // The colour the text is drawn in.
    virtual QColor CtlColor() const;

signals:
    // A left click released over the label.
    void clicked();

protected:
    // The tooltip text the label derives for itself: its text, for a text label.
    virtual QString DefaultToolTipText() const;
    // Makes font (from the widget's font) the label's own font; fits to it when fitting.
    bool RebuildFontFrom(const QFont& font);

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    bool toolTipEnabled_ = false;
    bool fitToText_ = false;
    bool fixedToolTipText_ = false;

private:
    QColor backgroundColor_;
    QColor textColor_;
    std::optional<QFont> font_;
    QString toolTipText_;
    QRect placement_;
    bool fontReady_ = false;
    bool initialized_ = false;
    bool pressed_ = false;
    bool fitting_ = false;
};
