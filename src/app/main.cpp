#include "ui/application_setup.h"
#include "ui/dialogs.h"
#include "ui/main/form1.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    pa::prepareApplication(app);
    // Lets a Wayland desktop match the open window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(PA_APP_ID));

    pa::MessageBoxDialogs dialogs(nullptr);
    pa::Form1 window(dialogs, QDir::currentPath());
    // Message boxes without a parent take the program's icon; the window has drawn it already.
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    return QApplication::exec();
}
