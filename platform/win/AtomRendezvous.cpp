#include "AtomRendezvous.h"

#include "ForwardWindow.h"
#include "Windowing.h"

#include <windows.h>

namespace tavorim {

namespace {

// The most references a left-over atom is cleared of: a global atom counts up to 0xFFFF.
constexpr int MostReferences = 0xFFFF;

const wchar_t *wide(const QString &text) {
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

QString systemText(DWORD error) {
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString said = QString::fromWCharArray(text, int(length)).trimmed();
    LocalFree(text);
    return said;
}

// An atom stays in the table until the session ends when a copy stops without releasing it
// (a crash, a killed process): with no holder's window under its name, it is cleared, or no
// copy could start again until the user logs off.
void clearLeftOver(const QString &name) {
    for (int i = 0; i < MostReferences; ++i) {
        const ATOM atom = GlobalFindAtomW(wide(name));
        if (atom == 0 || GlobalDeleteAtom(atom) != 0)
            return;
    }
}

} // namespace

AtomRendezvous::AtomRendezvous() = default;

AtomRendezvous::~AtomRendezvous() {
    answering_.reset();
    if (added_.isEmpty())
        return;
    if (const ATOM atom = GlobalFindAtomW(wide(added_)))
        GlobalDeleteAtom(atom);
}

Rendezvous::Claim AtomRendezvous::claim(const QString &name) {
    bool found = GlobalFindAtomW(wide(name)) != 0;
    if (found && !ForwardWindow::find(name)) {
        clearLeftOver(name);
        found = false;
    }
    // Every copy holds one reference, the first as the others, until it ends.
    if (GlobalAddAtomW(wide(name)) != 0)
        added_ = name;
    else if (!found)
        return {Outcome::Unavailable, {Trouble::NotMade, name, systemText(GetLastError())}};
    return {found ? Outcome::HeldByAnother : Outcome::Taken, {}};
}

QList<WId> AtomRendezvous::holderWindows(const QString &name) const {
    const HWND answering = ForwardWindow::find(name);
    DWORD holder = 0;
    if (!answering || !GetWindowThreadProcessId(answering, &holder))
        return {};
    return Windowing::current().topLevelWindows(holder);
}

bool AtomRendezvous::askHolderForward(const QString &name) const {
    const HWND answering = ForwardWindow::find(name);
    return answering && ForwardWindow::ask(answering);
}

void AtomRendezvous::answerForwardRequests(const QString &name,
                                           std::function<void(const QString &token)> comeForward) {
    // Windows needs no activation token: the asking copy lets this one take the foreground.
    answering_ = std::make_unique<ForwardWindow>(
        name, [comeForward = std::move(comeForward)] { comeForward(QString()); });
}

std::unique_ptr<Rendezvous> systemRendezvous() {
    return std::make_unique<AtomRendezvous>();
}

} // namespace tavorim
