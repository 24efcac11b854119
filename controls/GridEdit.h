// GridEdit: the in-place edit box of CellGrid. For each cell edit the grid resets it, tells
// it where the cell is and what it holds, and reads back which navigation key ended the edit.
#pragma once

#include <QLineEdit>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>

namespace vornak {
class TextChangeValidator;
}

class GridEdit : public QLineEdit {
    Q_OBJECT

public:
    /// Key codes recorded by GetEndKey; the values are the virtual-key codes of the original design.
    enum EndKey : int { NoEndKey = 0, EndKeyTab = 9, EndKeyUp = 38, EndKeyDown = 40, EndKeyInsert = 45 };

    explicit GridEdit(QWidget* parent = nullptr);
    ~GridEdit() override;

    /// Returns every editing member (initial text, position, height, fit-to-text, end key, right limit) to
    /// its reset value.
    void ResetEdit();
    /// Text to show once the box is opened over its cell (the cell's current text).
    void SetInitialText(const QString& text);
    /// Top-left corner, in the parent's coordinates, that the box is held at.
    void SetPosition(const QPoint& point);
    /// Height in pixels that the box is held at (the row's height).
    void SetHeight(int pixels);
    /// Makes the box's width follow its text: average character advance times length, plus margin.
    void SetFitToText(int margin);
    /// Reports the key that ended the edit and whether Shift and Ctrl were held; true when a key was
    /// recorded.
    bool GetEndKey(int& key, bool& shift, bool& ctrl) const;

    /// Judges each typed, pasted or dropped change by the text before and after it; a refused change
    /// leaves the text before. Texts the program puts in are not judged. Empty: accept all.
    void setTextValidator(std::function<bool(const QString& before, const QString& after)> validator);
    /// True when the validator (if any) lets the text change from before to after.
    bool acceptsChange(const QString& before, const QString& after) const;
    /// Replaces the whole text as typing it over a selection would, with the caret after it.
    void ReplaceText(const QString& text);

    /// Opens the box: cellWidth is the width the box takes for a short text; shows the initial text, selects
    /// it and takes the focus.
    void Open(int cellWidth);
    /// Changes the width the box takes for a short text (the cell was resized or scrolled) and holds the box
    /// again.
    void SetCellWidth(int cellWidth);
    /// Hides the box without reporting anything (the grid calls it once the edit has ended).
    void Close();
    /// True between Open and Close.
    bool IsOpen() const { return open_; }

    /// Applies the holding rules to a proposed geometry: position, height, fit-to-text width, right limit.
    QRect AdjustGeometry(QRect proposed);
    /// Width the fit-to-text rule gives the current text, without the margin.
    int FitTextWidth() const;
    /// Right edge the box may not pass (-1 until measured for this edit).
    int MaxRight() const { return maxRight_; }

signals:
    /// The user ended the edit: confirmed (Enter, Tab, Shift+Tab, Insert, Up, Down, focus moved away) or
    /// cancelled (Escape).
    void editEnded(bool confirmed);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void recordKey(int key, Qt::KeyboardModifiers modifiers);
    void finish(bool confirmed);
    void relayout();
    int naturalWidth() const;

    QString initialText_;
    bool textPending_ = false;
    QPoint position_;
    bool positionSet_ = false;
    int height_ = 0;
    bool heightSet_ = false;
    int fitMargin_ = 0;
    bool fitToText_ = false;
    int endKey_ = NoEndKey;
    bool endShift_ = false;
    bool endCtrl_ = false;
    int maxRight_ = -1;

    int cellWidth_ = 0;
    bool open_ = false;
    bool finishing_ = false;
    std::function<bool(const QString& before, const QString& after)> validator_;
    vornak::TextChangeValidator* validatorAdapter_ = nullptr;
};
