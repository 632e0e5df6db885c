#pragma once

#include <QLabel>

namespace tavorim {

// A label that is a link: a click, or Enter or Space while focused, activates it; it is a Tab stop
// (a click leaves the focus alone) and shows a focus frame.
class LinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit LinkLabel(QWidget *parent = nullptr);

    // Activates the link, as a click does.
    void click();

signals:
    void clicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

} // namespace tavorim
