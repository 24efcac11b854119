// The problem count beside the parameter list: "Замечаний нет" or "Замечания: 3", drawn as a link
// that a click, Enter or Space activates (the form then opens the checks window).
#pragma once

#include <QLabel>

namespace vornak {

class ProblemCountLabel : public QLabel {
    Q_OBJECT

public:
    explicit ProblemCountLabel(QWidget* parent = nullptr);

    int count() const { return count_; }
    void setCount(int count);

    // The label's text for a count.
    static QString textFor(int count);

signals:
    void activated();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyLook();

    int count_ = 0;
    bool pressed_ = false;
};

} // namespace vornak
