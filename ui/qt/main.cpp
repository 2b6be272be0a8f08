#include <QApplication>

#include "ui/qt/QtMainWindow.h"
#include "ui/qt/QtMessageLoop.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zorv::TQtMessageLoop loop;
    zorv::TQtMainWindow window;
    window.Show();
    return app.exec();
}
