#include "RemoteWindow.h"

#include "Application.h"
#include "AtomTable.h"

namespace tavorim {

std::unique_ptr<RemoteWindow> RemoteWindow::FindWindow(const QString &atom, const QString &title,
                                                       QDeadlineTimer deadline) {
    std::unique_ptr<RemoteWindow> window(new RemoteWindow(deadline));
    if (!AtomTable::connectToHolder(window->connection_, atom, deadline))
        return nullptr;
    QString oneLine = title;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const auto answer = window->request("FIND " + oneLine.toUtf8());
    if (answer != QByteArray("YES"))
        return nullptr;
    return window;
}

bool RemoteWindow::IsIconic() {
    return request("ICONIC") == QByteArray("YES");
}

namespace {
// Wayland lets a window take the focus only with a token from the launcher; hand ours over.
QByteArray withActivationToken(QByteArray request) {
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (!token.isEmpty() && !token.contains('\n'))
        request += ' ' + token;
    return request;
}
} // namespace

bool RemoteWindow::restore() {
    return request(withActivationToken("RESTORE")).has_value();
}

bool RemoteWindow::bringToTop() {
    return request(withActivationToken("RAISE")).has_value();
}

std::optional<QByteArray> RemoteWindow::request(const QByteArray &line) {
    return connection_.exchange(line, deadline_);
}

QByteArray RemoteWindow::answer(const QByteArray &request, bool &windowFound) {
    const qsizetype space = request.indexOf(' ');
    const QByteArray verb = space < 0 ? request : request.left(space);
    const QByteArray argument = space < 0 ? QByteArray() : request.mid(space + 1);
    TApplication &application = TApplication::instance();
    if (verb == "FIND") {
        windowFound = QString::fromUtf8(argument) == application.title();
        return windowFound ? "YES" : "NO";
    }
    if (!windowFound)
        return "NO";
    if (verb == "ICONIC")
        return application.IsIconic() ? "YES" : "NO";
    if (verb == "RESTORE" || verb == "RAISE") {
        if (!argument.isEmpty())
            qputenv("XDG_ACTIVATION_TOKEN", argument);
        if (verb == "RESTORE")
            application.restore();
        else
            application.bringToTop();
        return "OK";
    }
    return "NO";
}

} // namespace tavorim
