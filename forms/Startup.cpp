#include "Startup.h"

#include "Application.h"
#include "Tavor1.h"
#include "Unit2.h"
#include "Web.h"

#include <QApplication>
#include <QIcon>

#include <memory>

using tavorim::TApplication;

int RunTavorim() {
    TApplication &application = TApplication::instance();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tavorim.png")));
    // Created first, the backdrop is the main form; its guard may already ask for the end.
    auto Form2 = std::make_unique<TForm2>();
    application.SetMainForm(Form2.get());
    auto Form1 = std::make_unique<TForm1>();
    Form2->SetMainWindow(Form1.get());

    int code = 0;
    // A copy that found another one running has already asked to end: it shows nothing.
    if (!application.Terminated()) {
        Form2->showMaximized();
        code = QApplication::exec();
    }
    // The windows go in reverse order of creation.
    Form1.reset();
    Form2.reset();
    tavorim::CloseWeb();
    return code;
}
