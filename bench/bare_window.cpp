// The peer of the start-up benchmark: a bare Qt Widgets window of Kelvora's size, nothing else.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Kelvora"));
    window.setWindowTitle(QStringLiteral("Fenêtre Qt nue"));
    window.setFixedSize(617, 478);
    window.show();
    return app.exec();
}
