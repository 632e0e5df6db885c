#pragma once

#include <QWindow>

#include <functional>

class QByteArray;
class QObject;
class QWidget;

namespace tavorim {

// Which native window a native event gives the focus to; 0 for any other event.
using FocusedWindow = std::function<WId(const QByteArray &eventType, void *message)>;

// Calls focusGiven, later and while owner lives, with each top-level window that a native event
// gives the focus to: Qt passes the focus given to a window a modal one blocks straight on to the
// modal window, and no focus change is seen then.
void watchNativeFocus(QObject *owner, FocusedWindow focusedWindow,
                      std::function<void(QWidget *window)> focusGiven);

} // namespace tavorim
