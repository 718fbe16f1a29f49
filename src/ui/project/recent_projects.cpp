#include "ui/project/recent_projects.h"

#include <QFileInfo>
#include <QSettings>

namespace pa {

namespace {

const QString kFilesKey = QStringLiteral("projects/recent");
const QString kLastKey = QStringLiteral("projects/last");

// One file under one name however it was reached.
QString canonical(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

QStringList RecentProjects::files() const {
    return settings_ ? settings_->value(kFilesKey).toStringList().mid(0, kMost) : QStringList();
}

void RecentProjects::add(const QString& path) {
    QStringList list = files();
    const QString file = canonical(path);
    list.removeAll(file);
    list.prepend(file);
    store(list.mid(0, kMost));
}

void RecentProjects::remove(const QString& path) {
    QStringList list = files();
    list.removeAll(canonical(path));
    list.removeAll(path);
    store(list);
    if (last() == canonical(path) || last() == path)
        setLast({});
}

QString RecentProjects::last() const {
    return settings_ ? settings_->value(kLastKey).toString() : QString();
}

void RecentProjects::setLast(const QString& path) {
    if (settings_)
        settings_->setValue(kLastKey, path.isEmpty() ? QString() : canonical(path));
}

void RecentProjects::store(const QStringList& files) {
    if (settings_)
        settings_->setValue(kFilesKey, files);
}

} // namespace pa
