#include "ui/application_setup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <csignal>

namespace pa {

bool prepareApplication(QApplication& app) {
    // SIGXFSZ would end the program in the middle of a report; ignored, the write fails and
    // the writer puts the file back.
    std::signal(SIGXFSZ, SIG_IGN);

    auto* translator = new QTranslator(&app);
    const bool found = translator->load(QStringLiteral("qtbase_ru"),
                                        QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (found)
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
    return found;
}

} // namespace pa
