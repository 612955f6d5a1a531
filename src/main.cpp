#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel placeholder("Zorbel: the game window is being built.");
    placeholder.show();
    return app.exec();
}
