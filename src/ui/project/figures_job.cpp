#include "ui/project/figures_job.h"

#include <QMetaObject>

#include <utility>

namespace pa {

FiguresJob::FiguresJob(project::FiguresCache& cache, Arrived arrived, Progressed progressed,
                       QObject* parent)
    : QObject(parent), cache_(cache), arrived_(std::move(arrived)),
      progressed_(std::move(progressed)) {}

FiguresJob::~FiguresJob() {
    stop();
}

// The thread sees the stop between two rooms; a room's map takes a fraction of a second.
void FiguresJob::stop() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

project::ProjectFigures FiguresJob::start(const project::Project& project,
                                          const std::string& separator) {
    stop();
    ++generation_;
    project::FigureOptions quick{0, true, &cache_, separator, true, {}};
    project::ProjectFigures now = project::projectFigures(project, quick);
    if (now.pending.empty())
        return now;
    if (now.pendingWork < kWorkAtOnce)
        return project::projectFigures(project, {0, true, &cache_, separator, false, {}});

    thread_ = std::jthread(
        [this, project, separator, generation = generation_](const std::stop_token& stopToken) {
            project::FigureOptions full{0, true, &cache_, separator, false, {}};
            full.progress = [&](std::size_t done, std::size_t total) {
                if (stopToken.stop_requested())
                    return false;
                QMetaObject::invokeMethod(this, [this, done, total, generation] {
                    if (generation == generation_)
                        progressed_(done, total);
                });
                return true;
            };
            project::ProjectFigures figures = project::projectFigures(project, full);
            if (figures.stopped)
                return;
            // Queued to the window's thread; dropped with this object, or when a newer start came.
            QMetaObject::invokeMethod(this, [this, figures = std::move(figures), generation] {
                if (generation == generation_)
                    arrived_(figures);
            });
        });
    return now;
}

} // namespace pa
