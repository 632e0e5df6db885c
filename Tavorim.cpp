// Entry routine. The windows arrive with the application shell; until then the program
// starts and ends without showing anything.
#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    return 0;
}
