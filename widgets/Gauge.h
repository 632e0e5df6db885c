#pragma once

#include <QColor>
#include <QProgressBar>

namespace tavorim {

// A 0–100 progress bar with its value written "%d%%" in the centre, each pixel of the text the
// inverse of the color beneath so that it reads over both parts.
class Gauge : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(int progress READ progress WRITE setProgress)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)

public:
    explicit Gauge(QWidget *parent = nullptr);

    int progress() const { return value(); }
    // Clamped to 0–100, where QProgressBar would ignore a value out of range.
    void setProgress(int value);
    QColor foreColor() const { return foreColor_; }
    void setForeColor(const QColor &color);
    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor &color);

    // "%d%%" with plain digits, which Qt's text would write in the locale's own.
    QString text() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor foreColor_ = Qt::black;
    QColor backColor_ = Qt::white;
};

} // namespace tavorim
