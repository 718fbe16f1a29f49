#pragma once

#include "ui/layout_table.h"

#include <QHash>
#include <QPalette>
#include <QString>

#include <string_view>

class QAction;
class QMainWindow;
class QWidget;

namespace pa::layout {

// The window's controls as the table created them. Only the table engine looks controls up by
// name; the window resolves the ones it uses once, into typed members.
class BuiltControls {
public:
    // The control of that name and class. A name missing from the table or a control of another
    // class stops the program at once: the table and the code disagree.
    template <class T> T* get(std::string_view name) const {
        auto* found = qobject_cast<T*>(widgets_.value(text(name)));
        if (!found)
            missing(name);
        return found;
    }
    QAction* action(std::string_view name) const;

    static QString text(std::string_view name);

private:
    friend BuiltControls buildWindow(QMainWindow& window);
    [[noreturn]] static void missing(std::string_view name);

    QHash<QString, QWidget*> widgets_;
    QHash<QString, QAction*> actions_;
};

// Colours that do not depend on the desktop's. The table fixes caption colours and faces meant
// for a light window; everything else comes from here, so a dark desktop leaves every text
// readable.
QPalette lightPalette();

// Builds the whole window from the table: client area, controls with their geometry, fonts and
// colours, accessible names, menu, tab chain, and one tab stop for each option group.
BuiltControls buildWindow(QMainWindow& window);

} // namespace pa::layout
