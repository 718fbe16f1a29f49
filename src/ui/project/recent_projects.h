#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace pa {

// The project files last opened or saved, the newest first, and the one open when the project
// window last held a file. Kept in the settings the program passes in; without settings nothing
// is kept.
class RecentProjects {
public:
    static constexpr int kMost = 8;

    explicit RecentProjects(QSettings* settings) : settings_(settings) {}

    QStringList files() const;
    // Puts the file first, once, and forgets what falls beyond kMost.
    void add(const QString& path);
    void remove(const QString& path);
    // The project to open with the window; empty for a new one.
    QString last() const;
    void setLast(const QString& path);

private:
    void store(const QStringList& files);

    QSettings* settings_;
};

} // namespace pa
