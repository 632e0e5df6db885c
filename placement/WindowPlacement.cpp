#include "WindowPlacement.h"

#include "Windowing.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <array>
#include <optional>
#include <vector>

namespace tavorim {

namespace {

constexpr char WatcherName[] = "tavorimFramePlacement";
// How long after showing a frame given by the window manager still counts as the first one.
constexpr int WatchMs = 3000;

QMargins &lastSeenFrame() {
    static QMargins frame;
    return frame;
}

bool hasFrame(const QWidget *window) {
    const Qt::WindowType type = window->windowType();
    return !(window->windowFlags() & Qt::FramelessWindowHint) && type != Qt::Popup &&
           type != Qt::ToolTip && type != Qt::Desktop;
}

// The frame the window manager gave this window; empty before it is shown and framed.
std::optional<QMargins> ownFrame(const QWidget *window) {
    if (!window->isVisible() || !window->windowHandle() || !hasFrame(window))
        return std::nullopt;
    if (const auto extents = Windowing::current().frameExtents(window))
        return extents;
    // Without the window manager's word Qt measures the frame from the X windows: before the
    // window is framed that gives nothing, or sides below zero while its size is being set.
    const QMargins frame = window->windowHandle()->frameMargins();
    if (frame.isNull() || frame.left() < 0 || frame.top() < 0 || frame.right() < 0 ||
        frame.bottom() < 0)
        return std::nullopt;
    return frame;
}

void apply(QWidget *window, const QRect &frameRect, const QMargins &frame) {
    // Qt's move counts the frame it last measured, which may lag behind the window manager's: place
    // the window's own rectangle inside the frame we know.
    window->setGeometry(frameRect.marginsRemoved(frame));
}

// Places the window again, once, when its real frame turns out to differ from the guess.
class FrameWatcher : public QObject {
public:
    FrameWatcher(QWidget *window, FramePlacer placer, const QMargins &guessed)
        : QObject(window), window_(window), placer_(std::move(placer)), guessed_(guessed) {
        setObjectName(QLatin1String(WatcherName));
        window->installEventFilter(this);
        // A timer of its own, gone with it: a single-shot one would outlive the help viewer
        // module, whose code it would then call.
        auto *expiry = new QTimer(this);
        expiry->setSingleShot(true);
        connect(expiry, &QTimer::timeout, this, &QObject::deleteLater);
        expiry->start(WatchMs);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == window_ &&
            (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
             event->type() == QEvent::Paint || event->type() == QEvent::Show))
            place();
        return false;
    }

private:
    void place() {
        if (done_ || !window_)
            return;
        const auto frame = ownFrame(window_);
        if (!frame)
            return;
        // Qt brings a minimised window back when its geometry is set on X: a window minimised
        // by then is placed once it is back, if that is soon.
        if (window_->isMinimized() || Windowing::current().minimisedByWindowManager(window_))
            return;
        done_ = true;
        lastSeenFrame() = *frame;
        if (*frame != guessed_)
            apply(window_, placer_(*frame), *frame);
        deleteLater();
    }

    QPointer<QWidget> window_;
    FramePlacer placer_;
    QMargins guessed_;
    bool done_ = false;
};

qint64 overlap(const QRect &a, const QRect &b) {
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : qint64(both.width()) * both.height();
}

qint64 overlap(const QRect &a, const QRegion &region) {
    qint64 total = 0;
    for (const QRect &part : region)
        total += overlap(a, part);
    return total;
}

} // namespace

QMargins frameMargins(const QWidget *window) {
    if (const auto frame = ownFrame(window)) {
        lastSeenFrame() = *frame;
        return *frame;
    }
    if (!hasFrame(window))
        return {};
    // Any framed window of the program tells what the window manager draws.
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget *other : windows) {
        if (other != window) {
            if (const auto frame = ownFrame(other)) {
                lastSeenFrame() = *frame;
                return *frame;
            }
        }
    }
    return lastSeenFrame();
}

void placeFrame(QWidget *window, const FramePlacer &placer) {
    delete window->findChild<QObject *>(QLatin1String(WatcherName), Qt::FindDirectChildrenOnly);
    const QMargins frame = frameMargins(window);
    apply(window, placer(frame), frame);
    if (hasFrame(window) && !ownFrame(window))
        new FrameWatcher(window, placer, frame);
}

// Read from the windows themselves: the viewer module has its own copy of this code, and no
// state to share with the program's.
QRegion helpKeepClear() {
    QRegion region;
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget *window : windows) {
        const QScreen *screen = window->screen();
        if (!window->isVisible() || !(window->windowFlags() & Qt::FramelessWindowHint) || !screen ||
            !window->frameGeometry().contains(screen->availableGeometry()))
            continue;
        const auto shown = window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        for (const QWidget *part : shown) {
            if (part->isVisible() && !part->isWindow())
                region += QRect(part->mapToGlobal(QPoint(0, 0)), part->size());
        }
    }
    return region;
}

int monitorFor(const QList<QRect> &monitors, int primary, const QRect &ownerFrame) {
    if (monitors.isEmpty())
        return -1;
    int best = primary >= 0 && primary < monitors.size() ? primary : 0;
    qint64 bestShown = 0;
    for (int index = 0; index < monitors.size(); ++index) {
        const qint64 shown = overlap(ownerFrame, monitors[index]);
        if (shown > bestShown) {
            best = index;
            bestShown = shown;
        }
    }
    return best;
}

QWidget *ownerOf(const QWidget *window) {
    if (QWidget *parent = window->parentWidget())
        return parent->window();
    const QWindow *handle = window->windowHandle();
    if (const QWindow *transient = handle ? handle->transientParent() : nullptr) {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *candidate : windows) {
            if (candidate->windowHandle() == transient)
                return candidate;
        }
    }
    for (QWidget *candidate : {QApplication::activeModalWidget(), QApplication::activeWindow()}) {
        if (candidate && candidate != window)
            return candidate;
    }
    return nullptr;
}

QScreen *screenFor(const QWidget *owner) {
    const QList<QScreen *> screens = QGuiApplication::screens();
    QList<QRect> monitors;
    for (const QScreen *screen : screens)
        monitors.append(screen->geometry());
    // Where the owner is seen: a window not on screen has no place of its own yet.
    const QRect frame = owner && owner->isVisible() ? owner->frameGeometry() : QRect();
    const int index =
        monitorFor(monitors, int(screens.indexOf(QGuiApplication::primaryScreen())), frame);
    return index >= 0 ? screens[index] : nullptr;
}

QRect fittedInto(const QRect &area, const QSize &size) {
    QRect fitted(area.topLeft(), size.boundedTo(area.size()));
    fitted.moveLeft(qBound(area.left(), fitted.left(), area.right() - fitted.width() + 1));
    fitted.moveTop(qBound(area.top(), fitted.top(), area.bottom() - fitted.height() + 1));
    return fitted;
}

QRect helpViewerFrame(const QRect &area, const QSize &preferred, const QRegion &keepClear,
                      const QRect &asking) {
    const QSize size = preferred.boundedTo(area.size());
    const int left = area.left();
    const int right = area.right() + 1 - size.width();
    const int middleX = area.left() + (area.width() - size.width()) / 2;
    const int top = area.top();
    const int bottom = area.bottom() + 1 - size.height();
    const int middleY = area.top() + (area.height() - size.height()) / 2;
    const std::array<QPoint, 9> places = {
        QPoint(right, bottom),  QPoint(left, bottom),    QPoint(right, top),
        QPoint(left, top),      QPoint(middleX, bottom), QPoint(middleX, top),
        QPoint(right, middleY), QPoint(left, middleY),   QPoint(middleX, middleY)};
    QRect best;
    qint64 bestOnKept = -1;
    qint64 bestOnAsking = -1;
    for (const QPoint &place : places) {
        const QRect frame(place, size);
        const qint64 onKept = overlap(frame, keepClear);
        const qint64 onAsking = overlap(frame, asking);
        if (bestOnKept < 0 || onKept < bestOnKept ||
            (onKept == bestOnKept && onAsking < bestOnAsking)) {
            best = frame;
            bestOnKept = onKept;
            bestOnAsking = onAsking;
        }
    }
    return best;
}

} // namespace tavorim
