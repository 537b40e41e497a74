#include <QApplication>
#include <QMainWindow>

#include "core/zrversion.h"
#include "platform/cp1252.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pelkorin2");
    QMainWindow window;
    window.setWindowTitle(pk::Cp1252ToQString(pk::ProgramCaption));
    window.resize(640, 480);
    window.show();
    return app.exec();
}
