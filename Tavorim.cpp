// Entry routine: the application object, then the run of the windows.
#include "Startup.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    return runTavorim();
}
