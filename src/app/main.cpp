#include "artwork.h"
#include "dialogs.h"
#include "form1.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(pa::artwork::windowIcon());

    pa::MessageBoxDialogs dialogs(nullptr);
    pa::Form1 window(dialogs, QDir::currentPath());
    window.show();
    return QApplication::exec();
}
