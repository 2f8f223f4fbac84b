#include "about/help.h"

#include "common/ui/seams.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include <array>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <string>
#endif

namespace pelorin {

namespace {

const QString HtmlManual = QStringLiteral("help/index.html");
const QString InstalledHtmlManual = QStringLiteral("../share/pelorin/help/index.html");

QString findHtmlManual(const QDir& programDir) {
    for (const QString& relative : std::array{HtmlManual, InstalledHtmlManual}) {
        const QString path = QDir::cleanPath(programDir.absoluteFilePath(relative));
        if (QFileInfo(path).isFile())
            return path;
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

QString findHelpManual(const QString& programDir) {
    const QDir dir(programDir);
#ifdef Q_OS_WIN
    const QString compiled = dir.absoluteFilePath(CompiledManual);
    if (QFileInfo(compiled).isFile())
        return QDir::cleanPath(compiled);
#endif
    return findHtmlManual(dir);
}

QString expectedHelpManualPath() {
    const QDir dir(QCoreApplication::applicationDirPath());
#ifdef Q_OS_WIN
    return QDir::cleanPath(dir.absoluteFilePath(CompiledManual));
#else
    return QDir::cleanPath(dir.absoluteFilePath(HtmlManual));
#endif
}

QString helpManualPath() {
    return findHelpManual(QCoreApplication::applicationDirPath());
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
        const QString html = findHtmlManual(manual.absoluteDir());
        return !html.isEmpty() && ui::openExternal(html);
    }
#else
    Q_UNUSED(owner)
#endif
    return ui::openExternal(manual.absoluteFilePath());
}

} // namespace pelorin
