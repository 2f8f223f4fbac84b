#pragma once

#include <QString>

class QWidget;

namespace pelorin {

// The manual to open: on Windows "Pelorin.chm" in the program's folder when it is there;
// otherwise the HTML manual beside the program (help/index.html) or where an installation puts
// it (../share/pelorin/help/index.html). The empty text when there is none.
QString helpManualPath();

// Where the manual belongs beside the program, to name it when there is none.
QString expectedHelpManualPath();

// The same search, starting from the given program folder.
QString findHelpManual(const QString& programDir);

// Opens the manual at its table of contents: a compiled help file in the Windows help viewer,
// anything else in the user's default program. A missing manual is not worth a message; the
// answer tells whether the manual was handed on.
bool ShowHelp(QWidget* owner, const QString& helpPath);

} // namespace pelorin
