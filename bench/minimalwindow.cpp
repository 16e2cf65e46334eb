// The yardstick for start-up time and memory: the least a borderless Qt
// window of the greeting's size can cost. With --text it also shows one line
// in the default font, which shows what Qt's first text costs by itself.
// It closes after three seconds.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window.resize(312, 215);
    if (QApplication::arguments().contains(QStringLiteral("--text")))
        (new QLabel(QStringLiteral("Dobrý den"), &window))->move(20, 20);
    window.show();
    QTimer::singleShot(3000, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
