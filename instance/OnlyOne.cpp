#include "OnlyOne.h"

#include "Application.h"
#include "InstanceLog.h"
#include "MessageBox.h"
#include "Windowing.h"

#include <algorithm>

namespace tavorim {

Q_LOGGING_CATEGORY(instanceLog, "tavorim.instance")

namespace {

// Shared by the guards of the process: the atom, the rendezvous that holds it while this
// process does, and the guards' references.
struct Atom {
    QString name;
    std::unique_ptr<Rendezvous> held;
    int references = 0;
};

Atom &unitAtom() {
    static Atom atom;
    return atom;
}

// The window of the other copy whose title is the given one: its main form carries the title
// as its icon name.
WId FindWindow(const QList<WId> &windows, const QString &title) {
    const Windowing &windowing = Windowing::current();
    const auto found = std::find_if(windows.begin(), windows.end(), [&](WId window) {
        return windowing.iconName(window) == title;
    });
    return found != windows.end() ? *found : 0;
}

// An activation as a task bar asks it brings a minimised window back and raises a visible one;
// the other copy then brings its whole chain of windows back, in order.
void bringOtherCopyForward(const Rendezvous &rendezvous, const QString &atom) {
    TApplication &application = TApplication::instance();
    const QString title = application.title().text();
    // This copy's own window must not answer the search.
    application.title().setText(QStringLiteral("destroy me"));
    const QList<WId> windows = rendezvous.holderWindows(atom);
    Windowing &windowing = Windowing::current();
    if (const WId found = FindWindow(windows, title)) {
        // Each minimised window is restored: the main form may not be minimised yet while the
        // window in front already is.
        bool iconic = false;
        for (const WId window : windows) {
            if (windowing.isIconic(window)) {
                iconic = true;
                windowing.activate(window);
            }
        }
        if (!iconic)
            windowing.activate(found);
        qCInfo(instanceLog).noquote() << title << "est déjà ouvert : il est ramené devant.";
    } else if (rendezvous.askHolderForward(atom)) {
        // On a Wayland session no client can find or raise another's window: the other copy is
        // asked to come forward itself, as freedesktop applications are.
        qCInfo(instanceLog).noquote() << title << "est déjà ouvert : il est prié de venir devant.";
    } else {
        // Off X, or while the other copy is still starting, its window cannot be found.
        qCInfo(instanceLog).noquote()
            << title << "est déjà ouvert, mais sa fenêtre n'a pas pu être ramenée devant.";
    }
    application.run().Terminate();
}

// Another copy asked for this one: its chain of windows comes back in front, with the
// activation token that copy brought so that the compositor lets it take the focus.
void comeForward(const QString &token) {
    if (!token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    WindowChain &windows = TApplication::instance().windows();
    windows.restore();
    qCInfo(instanceLog) << "ramené devant à la demande d'un second lancement";
}

QString troubleText(const Rendezvous::Trouble &trouble) {
    QString text = QStringLiteral("Tavorim démarre sans empêcher un second lancement\u00a0: ");
    switch (trouble.kind) {
    case Rendezvous::Trouble::NoPlace:
        text += QStringLiteral("le dossier «\u00a0%1\u00a0» ne peut pas recevoir son verrou (il "
                               "appartient à un autre utilisateur, est ouvert à tous, ou ne peut "
                               "pas être créé).")
                    .arg(trouble.place);
        break;
    case Rendezvous::Trouble::LeftOverStays:
        text += QStringLiteral("le verrou «\u00a0%1\u00a0», laissé par une copie qui s'est "
                               "arrêtée, ne peut pas être supprimé. Supprimez-le pour rétablir "
                               "la protection.")
                    .arg(trouble.place);
        break;
    case Rendezvous::Trouble::None:
    case Rendezvous::Trouble::NotMade:
        text +=
            QStringLiteral("le verrou «\u00a0%1\u00a0» ne peut pas être créé.").arg(trouble.place);
        break;
    }
    if (!trouble.reason.isEmpty())
        text += QStringLiteral(" (%1)").arg(trouble.reason);
    return text;
}

// The program goes on unguarded, which the user is told on the desktop and in the log.
void reportUnguarded(const Rendezvous::Trouble &trouble) {
    const QString text = troubleText(trouble);
    qCWarning(instanceLog).noquote() << text;
    MessageBox::show(nullptr, MessageBox::Warning, TApplication::instance().title().text(), text,
                     MessageBox::Ok, MessageBox::Ok, MessageBox::Ok);
}

} // namespace

QString TOnlyOne::atomName() {
    return QStringLiteral("OnlyOne") + TApplication::instance().title().text().left(20);
}

TOnlyOne::TOnlyOne(QObject *owner, std::unique_ptr<Rendezvous> rendezvous) : QObject(owner) {
    Atom &atom = unitAtom();
    // This process already holds the atom: found, as another copy's would be.
    bool found = atom.references > 0;
    if (!found) {
        atom.name = atomName();
        const Rendezvous::Claim claim = rendezvous->claim(atom.name);
        if (claim.outcome == Rendezvous::Outcome::Taken) {
            atom.held = std::move(rendezvous);
            atom.held->answerForwardRequests(atom.name, comeForward);
        } else if (claim.outcome == Rendezvous::Outcome::HeldByAnother)
            found = true;
        else
            reportUnguarded(claim.trouble);
    }
    ++atom.references;
    if (found)
        bringOtherCopyForward(atom.held ? *atom.held : *rendezvous, atom.name);
}

TOnlyOne::~TOnlyOne() {
    Atom &atom = unitAtom();
    if (atom.references > 0 && --atom.references == 0)
        atom.held.reset();
}

} // namespace tavorim
