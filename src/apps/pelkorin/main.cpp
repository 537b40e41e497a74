#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pelkorin2");
    QMainWindow window;
    window.setWindowTitle("Pelkorin v2.00.136 (NO SERVER INCLUDED)");
    window.resize(640, 480);
    window.show();
    return app.exec();
}
