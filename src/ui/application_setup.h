#pragma once

class QApplication;

namespace pa {

// Prepares the process and the application before the window opens: Qt's own texts (standard
// buttons, the fields' context menus) in Russian whatever the locale, and a write beyond the
// file size limit failing with EFBIG instead of killing the program. Returns whether Qt's
// Russian translation was found.
bool prepareApplication(QApplication& app);

} // namespace pa
