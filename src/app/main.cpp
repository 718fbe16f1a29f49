#include "app/plan_loader.h"
#include "ui/application_setup.h"
#include "ui/dialogs.h"
#include "ui/main/form1.h"
#include "ui/project/project_recovery.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    pa::prepareApplication(app);
    // Lets a Wayland desktop match the open window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(PA_APP_ID));

    // The room plan comes from its module, beside the program in the build tree and in lib/
    // once installed.
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString moduleName = QStringLiteral(PA_PLAN_MODULE_NAME);
    const QStringList places{
        programFolder.filePath(moduleName),
        QDir::cleanPath(programFolder.filePath(QStringLiteral(PA_PLAN_MODULE_INSTALLED_DIR) +
                                               QLatin1Char('/') + moduleName))};

    // `pa-coverage project.pacov`, as the file manager starts it for a project file.
    QCommandLineParser arguments;
    arguments.addHelpOption();
    arguments.addPositionalArgument(QStringLiteral("проект"),
                                    QStringLiteral("Файл проекта (.pacov), открываемый в окне "
                                                   "проекта"));
    arguments.process(app);

    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("pa-coverage"),
                       QStringLiteral("pa-coverage"));
    pa::MessageBoxDialogs dialogs(nullptr);
    // Outlives the window, whose project keeps its copies there.
    pa::ProjectRecovery recovery(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                                 QStringLiteral("/recovery"));
    pa::Form1 window(dialogs, pa::planModuleFactory(places), pa::planSheetSource(places),
                     QDir::currentPath(), &settings);
    window.keepRecoveryCopies(recovery);
    // Message boxes without a parent take the program's icon; the window has drawn it already.
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    pa::offerRecovery(recovery, dialogs,
                      [&window](const pa::project::Project& project, const QString& fileName) {
                          window.restoreProject(project, fileName);
                      });
    if (const QStringList files = arguments.positionalArguments(); !files.isEmpty())
        window.openProject(QFileInfo(files.front()).absoluteFilePath());
    return QApplication::exec();
}
