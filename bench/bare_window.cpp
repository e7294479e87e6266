// The yardstick of startup_timer: the least a Qt Widgets program pays to
// show a window, one line of text in it.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("One line of text."));
    label.setWindowTitle(QStringLiteral("Bare window"));
    label.show();
    return app.exec();
}
