#pragma once

#include "project/project.h"
#include "project/project_figures.h"
#include "ui/plan_port.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <optional>
#include <string>

class QPagedPaintDevice;
class QPainter;

namespace pa {

class Progress;

// What the project's document shows: the project with every figure, levels included.
struct ProjectDocument {
    const project::Project& project;
    const project::ProjectFigures& figures;
    QString name; // the project's name as its window shows it
    QDate date;
    std::string decimalSeparator;
};

// The document on a paged device the painter is active on, A4 landscape: a title page with the
// object, the tables of rooms, of the bill of materials and of the lines with their amplifiers
// (continued on as many pages as they need), then each room's plan sheet from a page of its
// own, drawn by paintSheet; a room without figures gets a page that says why. Reports to the
// progress, when there is one; false when it was cancelled.
bool paintProjectDocument(QPainter& painter, QPagedPaintDevice& device,
                          const ProjectDocument& document, SheetPainter paintSheet,
                          Progress* progress = nullptr);

// The document as a PDF file's bytes; empty when it could not be produced, nothing when the
// progress was cancelled.
std::optional<QByteArray> projectPdf(const ProjectDocument& document, SheetPainter paintSheet,
                                     Progress* progress = nullptr);

} // namespace pa
