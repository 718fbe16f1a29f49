// The toolkit's floor: one empty main window whose client area matches the program's, nothing else.
#include <QApplication>
#include <QMainWindow>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* central = new QWidget(&window);
    central->setFixedSize(602, 543);
    window.setCentralWidget(central);
    window.show();
    return QApplication::exec();
}
