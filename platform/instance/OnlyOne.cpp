#include "OnlyOne.h"

#include "Application.h"
#include "AtomTable.h"
#include "RemoteWindow.h"

namespace tavorim {

namespace {
// Built by the latest guard and shared by all guards of the process: it keeps the real title
// after a second copy has renamed itself.
QString &unitAtomName() {
    static QString name;
    return name;
}
} // namespace

QString TOnlyOne::atomName() {
    return QStringLiteral("OnlyOne") + TApplication::instance().title().left(20);
}

TOnlyOne::TOnlyOne(QObject *owner) : QObject(owner) {
    unitAtomName() = atomName();
    const QString &atom = unitAtomName();
    bool otherCopy = AtomTable::find(atom);
    // Holding the name is also the tie-break: of two copies started at the same instant, both
    // may find nothing, and the one that fails to take the name gives way.
    const AtomTable::AddResult added = AtomTable::add(atom);
    if (added == AtomTable::AddResult::HeldElsewhere)
        otherCopy = true;
    if (otherCopy)
        bringOtherCopyForward();
}

TOnlyOne::~TOnlyOne() {
    AtomTable::remove(unitAtomName());
}

void TOnlyOne::bringOtherCopyForward() {
    TApplication &application = TApplication::instance();
    const QString title = application.title();
    // This copy's own window must not answer the search.
    application.setTitle(QStringLiteral("destroy me"));
    const auto window =
        RemoteWindow::FindWindow(unitAtomName(), title, QDeadlineTimer(AtomTable::AnswerTimeoutMs));
    if (window) {
        if (window->IsIconic())
            window->restore();
        else
            window->bringToTop();
    }
    application.Terminate();
}

} // namespace tavorim
