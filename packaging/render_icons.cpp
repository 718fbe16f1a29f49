// Build-time tool: saves the window icon at the hicolor theme sizes, drawn by the same code the
// program draws it with, so the installed PNGs cannot drift from the running program's icon.
//
//   pa-render-icons <output-dir> <icon-name> <size>...
// writes <output-dir>/<size>x<size>/apps/<icon-name>.png for every size.

#include "ui/artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv); // QPixmap needs a GUI application (offscreen is enough)
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 4) {
        std::fputs("usage: pa-render-icons <output-dir> <icon-name> <size>...\n", stderr);
        return 2;
    }
    const QDir out(args.at(1));
    const QString& name = args.at(2);
    for (qsizetype i = 3; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size <= 0) {
            std::fprintf(stderr, "pa-render-icons: bad size '%s'\n", qPrintable(args.at(i)));
            return 2;
        }
        // A high-DPI screen would hand back a bigger pixmap; the theme wants exact pixels.
        QImage image = pa::artwork::speakerPixmap(size).toImage();
        image.setDevicePixelRatio(1.0);
        if (image.width() != size || image.height() != size)
            image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QString dir = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = out.filePath(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
        if (!out.mkpath(dir) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "pa-render-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
