#pragma once

#include <QProcess>
#include <QStringList>

// A real X server from the launcher the end-to-end scenarios share (xserver.py, named by
// TAVORIM_X_LAUNCHER): Xvfb, with openbox unless told otherwise; it ends with this object.
class XServer {
public:
    ~XServer() { stop(); }

    // Started with the launcher's arguments (kept running when already so); false, with nothing
    // left running, when it did not come up.
    bool start(const QStringList &arguments = {}) {
        if (!display_.isEmpty() && arguments == arguments_)
            return true;
        stop();
        launcher_.setStandardErrorFile(QProcess::nullDevice());
        launcher_.start(QStringLiteral("python3"),
                        QStringList{qEnvironmentVariable("TAVORIM_X_LAUNCHER")} + arguments);
        // It prints the display once the screen is managed, and ends on failure.
        while (!launcher_.canReadLine()) {
            if (!launcher_.waitForReadyRead(60000)) {
                stop();
                return false;
            }
        }
        display_ = QString::fromLatin1(launcher_.readLine().trimmed());
        arguments_ = arguments;
        return true;
    }
    void stop() {
        if (launcher_.state() != QProcess::NotRunning) {
            launcher_.terminate();
            if (!launcher_.waitForFinished(10000))
                launcher_.kill();
            launcher_.waitForFinished();
        }
        display_.clear();
    }
    QString display() const { return display_; }

private:
    QProcess launcher_;
    QStringList arguments_;
    QString display_;
};
