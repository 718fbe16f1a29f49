#pragma once

#include <QString>

namespace pa {

inline const QString kHelpTitle = QStringLiteral("Краткая справка!");
inline const QString kAboutTitle = QStringLiteral("О программе");

// The brief help: fourteen lines joined with CR LF, none after the last.
QString helpText();

// The maker and its contact lines; the contacts are set when the program is built.
QString aboutText();

} // namespace pa
