// The reference of the start figure: the least a Qt program with a window does, one window holding
// one line edit.
#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLineEdit(&window));
    window.show();
    return app.exec();
}
