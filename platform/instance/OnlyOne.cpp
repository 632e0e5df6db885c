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

QString TOnlyOne::AtomName() {
    return QStringLiteral("OnlyOne") + TApplication::instance().Title().left(20);
}

TOnlyOne::TOnlyOne(QObject *owner) : QObject(owner) {
    unitAtomName() = AtomName();
    const QString &atom = unitAtomName();
    bool otherCopy = AtomTable::Find(atom);
    // Holding the name is also the tie-break: of two copies started at the same instant, both
    // may find nothing, and the one that fails to take the name gives way.
    const AtomTable::AddResult added = AtomTable::Add(atom);
    if (added == AtomTable::AddResult::HeldElsewhere)
        otherCopy = true;
    if (otherCopy)
        BringOtherCopyForward();
}

TOnlyOne::~TOnlyOne() {
    AtomTable::Delete(unitAtomName());
}

void TOnlyOne::BringOtherCopyForward() {
    TApplication &application = TApplication::instance();
    const QString title = application.Title();
    // This copy's own window must not answer the search.
    application.SetTitle(QStringLiteral("destroy me"));
    const auto window =
        RemoteWindow::FindWindow(unitAtomName(), title, QDeadlineTimer(AtomTable::AnswerTimeoutMs));
    if (window) {
        if (window->IsIconic())
            window->Restore();
        else
            window->BringToTop();
    }
    application.Terminate();
}

} // namespace tavorim
