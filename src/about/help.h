#pragma once

#include "common/language.h"

#include <QString>

class QWidget;

namespace pelorin {

// The manual to open, in the user's language: on Windows "Pelorin.chm" in the program's folder
// when it is there; otherwise the HTML manual beside the program (help/index.html, in English
// help/index.en.html) or where an installation puts it (../share/pelorin/help/). The empty text
// when there is none.
QString helpManualPath();

// Where the manual in the user's language belongs beside the program, to name it when there is
// none.
QString expectedHelpManualPath();

// The same search, starting from the given program folder, for the given language.
QString findHelpManual(const QString& programDir, Language language);

// Opens the manual at its table of contents: a compiled help file in the Windows help viewer,
// anything else in the user's default program. A missing manual is not worth a message; the
// answer tells whether the manual was handed on.
bool ShowHelp(QWidget* owner, const QString& helpPath);

} // namespace pelorin
