#include "common/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pelorin {

QString programTitle() {
    return QCoreApplication::translate("Pelorin", "ペロリン");
}

Language languageFor(const QStringList& uiLanguages) {
    const QString first = uiLanguages.value(0);
    return first == QLatin1String("ja") || first.startsWith(QLatin1String("ja-")) ||
                   first.startsWith(QLatin1String("ja_"))
               ? Language::Japanese
               : Language::English;
}

Language userLanguage() {
    return languageFor(QLocale::system().uiLanguages());
}

Language installTranslations() {
    const Language language = userLanguage();
    if (language == Language::English) {
        // Lives as long as the application; the application does not take ownership.
        auto* const english = new QTranslator(QCoreApplication::instance());
        if (english->load(QStringLiteral(":/i18n/pelorin_en.qm")))
            QCoreApplication::installTranslator(english);
    }
    return language;
}

void installQtTranslations() {
    if (userLanguage() != Language::Japanese)
        return;
    auto* const qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
}

} // namespace pelorin
