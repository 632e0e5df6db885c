#include "Startup.h"

#include "Application.h"
#include "ClassSettings.h"
#include "Globals.h"
#include "HelpRun.h"
#include "HelpTrace.h"
#include "ProgramIcon.h"
#include "ProgramStyle.h"
#include "Tavor1.h"
#include "Unit2.h"
#include "Web.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

using tavorim::TApplication;

int runTavorim(tavorim::WebAccess &web) {
    TApplication &application = TApplication::instance();
    // Qt's own texts (the answer box's menu, the stock buttons) in French like the rest,
    // whatever the user's language; without the translation they stay in English.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_fr"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    // Before any window: the help viewer is loaded and the trace set up for the whole run.
    tavorim::startHelp(QCoreApplication::arguments(),
                       QString::fromStdString(Etat_Global.Version_Texte));
    // The class's settings, read once the trace is there to hold what was left out of them.
    for (const QString &message : tavorim::loadSettings(QCoreApplication::arguments()))
        tavorim::helpTrace(QStringLiteral("Réglages : ") + message);
    QApplication::setWindowIcon(tavorim::programIcon());
    tavorim::useProgramStyle();
    // Created first, the backdrop is the main form; its guard may already ask for the end.
    auto Form2 = std::make_unique<TForm2>();
    application.setMainForm(Form2.get());
    auto Form1 = std::make_unique<TForm1>(web);
    Form2->setMainWindow(Form1.get());

    int code = 0;
    // A copy that found another one running has already asked to end: it shows nothing.
    if (!application.run().terminated()) {
        Form2->showMaximized();
        code = QApplication::exec();
    }
    // The windows go in reverse order of creation.
    Form1.reset();
    Form2.reset();
    tavorim::closeWeb();
    // Last, once no window is left that could still call into the viewer.
    tavorim::finishHelp();
    return code;
}
