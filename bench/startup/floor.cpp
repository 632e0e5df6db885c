// A minimal Qt dialog: what any Qt Widgets program pays to show a window.
#include <QApplication>
#include <QDialog>
#include <QLabel>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Plancher"));
    dialog.resize(414, 396);
    QLabel label(QStringLiteral("Plancher"), &dialog);
    dialog.show();
    return app.exec();
}
