// The floor Pelorin's figures are compared with: the least a Qt Widgets program does to show a
// window with a status bar. It shows a status of the same kind Pelorin shows, so that both pay
// for the same font; nothing else.
#include <QApplication>
#include <QMainWindow>
#include <QStatusBar>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.statusBar()->showMessage(QStringLiteral("サーバー:ON"));
    window.show();
    return QApplication::exec();
}
