#include "about/help.h"

#include "common/ui/seams.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QWidget>

#include <array>
#include <utility>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <string>
#endif

namespace pelorin {

namespace {

const QString HelpFolder = QStringLiteral("help/");
const QString InstalledHelpFolder = QStringLiteral("../share/pelorin/help/");
const QString JapaneseManual = QStringLiteral("index.html");
const QString EnglishManual = QStringLiteral("index.en.html");

QString manualName(Language language) {
    return language == Language::English ? EnglishManual : JapaneseManual;
}

QString findHtmlManual(const QDir& programDir, Language language) {
    // The manual in the user's language wherever it is, then the Japanese one: a copy installed
    // by hand or only in part may lack the English manual, and the Japanese one beats none.
    QStringList names{manualName(language)};
    if (names.constFirst() != JapaneseManual)
        names.append(JapaneseManual);
    for (const QString& name : std::as_const(names)) {
        for (const QString& folder : std::array{HelpFolder, InstalledHelpFolder}) {
            const QString path = QDir::cleanPath(programDir.absoluteFilePath(folder + name));
            if (QFileInfo(path).isFile())
                return path;
        }
    }
    return {};
}

#ifdef Q_OS_WIN
const QString CompiledManual = QStringLiteral("Pelorin.chm");

using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);
constexpr UINT HhDisplayToc = 0x0001; // HH_DISPLAY_TOC

// Looked up at run time so that the program does not depend on the help library at link time.
// The library stays loaded: the help window runs inside it.
HtmlHelpFunction htmlHelp() {
    static const HtmlHelpFunction function = []() -> HtmlHelpFunction {
        const HMODULE library = LoadLibraryW(L"hhctrl.ocx");
        if (!library)
            return nullptr;
        const FARPROC address = GetProcAddress(library, "HtmlHelpW");
        return address ? reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void (*)()>(address))
                       : nullptr;
    }();
    return function;
}

bool showCompiledHelp(QWidget* owner, const QString& path) {
    const HtmlHelpFunction function = htmlHelp();
    if (!function)
        return false;
    const HWND caller = owner ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
    const std::wstring file = QDir::toNativeSeparators(path).toStdWString();
    return function(caller, file.c_str(), HhDisplayToc, 0) != nullptr;
}
#endif

} // namespace

QString findHelpManual(const QString& programDir, Language language) {
    const QDir dir(programDir);
#ifdef Q_OS_WIN
    const QString compiled = dir.absoluteFilePath(CompiledManual);
    if (QFileInfo(compiled).isFile())
        return QDir::cleanPath(compiled);
#endif
    return findHtmlManual(dir, language);
}

QString expectedHelpManualPath() {
    const QDir dir(QCoreApplication::applicationDirPath());
#ifdef Q_OS_WIN
    return QDir::cleanPath(dir.absoluteFilePath(CompiledManual));
#else
    return QDir::cleanPath(dir.absoluteFilePath(HelpFolder + manualName(userLanguage())));
#endif
}

QString helpManualPath() {
    return findHelpManual(QCoreApplication::applicationDirPath(), userLanguage());
}

bool ShowHelp(QWidget* owner, const QString& helpPath) {
    if (helpPath.isEmpty())
        return false;
    const QFileInfo manual(helpPath);
    if (!manual.isFile())
        return false;
#ifdef Q_OS_WIN
    if (manual.suffix().compare(QLatin1String("chm"), Qt::CaseInsensitive) == 0) {
        if (showCompiledHelp(owner, manual.absoluteFilePath()))
            return true;
        // The help viewer is missing or refused the file: the HTML manual says the same.
        const QString html = findHtmlManual(manual.absoluteDir(), userLanguage());
        return !html.isEmpty() && ui::openExternal(html);
    }
#else
    Q_UNUSED(owner)
#endif
    return ui::openExternal(manual.absoluteFilePath());
}

} // namespace pelorin
