#pragma once

#include <QColor>
#include <QWidget>

namespace tavorim {

// A 0–100 progress bar with its value written "%d%%" in the centre, each pixel of the text the
// inverse of the color beneath so that it reads over both parts.
class Gauge : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int progress READ progress WRITE setProgress)
    Q_PROPERTY(Qt::Orientation orientation READ orientation WRITE setOrientation)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)

public:
    explicit Gauge(QWidget *parent = nullptr);

    int progress() const { return progress_; }
    // Clamped to 0–100.
    void setProgress(int value);
    Qt::Orientation orientation() const { return orientation_; }
    void setOrientation(Qt::Orientation orientation);
    QColor foreColor() const { return foreColor_; }
    void setForeColor(const QColor &color);
    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor &color);

    QString text() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int progress_ = 0;
    Qt::Orientation orientation_ = Qt::Horizontal;
    QColor foreColor_ = Qt::black;
    QColor backColor_ = Qt::white;
};

} // namespace tavorim
