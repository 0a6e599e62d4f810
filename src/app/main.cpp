#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label("Mugwarp Studio  3.0");
    label.show();
    return app.exec();
}
