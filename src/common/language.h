#pragma once

#include <QString>
#include <QStringList>

namespace pelorin {

// The program's texts are written in Japanese; every other user gets them in English. The
// language follows the user's locale as Qt reads it (LANGUAGE, LC_ALL, LC_MESSAGES, LANG):
// Japanese when the first language the user prefers is Japanese, English otherwise.
enum class Language { Japanese, English };

// The program's name as its windows, message boxes and notifications show it.
QString programTitle();

Language languageFor(const QStringList& uiLanguages);
Language userLanguage();

// Loads the one catalogue the user's language needs: the English one, and only when the language
// is not Japanese, so a Japanese start loads nothing. Call once, after the application object
// exists and before the first text is made.
Language installTranslations();

// Qt's own texts (the standard buttons and context menus) in Japanese, for a Japanese user; the
// windows call it once their first state is shown, since nothing of Qt's own shows before that.
void installQtTranslations();

} // namespace pelorin
