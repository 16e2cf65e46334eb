// The yardstick for start-up time and memory: the least a borderless Qt
// window of the greeting's size can cost. It closes after three seconds.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window.resize(312, 215);
    window.show();
    QTimer::singleShot(3000, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
