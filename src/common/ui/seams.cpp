#include "common/ui/seams.h"

#include "common/language.h"
#include "common/ui/application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace pelorin::ui {

namespace {

MessageHandler g_messageHandler;
ModalHandler g_modalHandler;
EndHandler g_endHandler;
UrlOpener g_urlOpener;

// A message box is read, not scrolled. A text far longer than a screen (a whole web page shown
// after an explanation) is cut, or laying it out would freeze the program for seconds.
constexpr qsizetype MessageChars = 1024;

} // namespace

void showMessage(MessageIcon icon, const QString& text) {
    if (g_messageHandler) {
        g_messageHandler(icon, text);
        return;
    }
    applyDeferredSetUp();
    QMessageBox box(icon == MessageIcon::Exclamation ? QMessageBox::Warning
                                                     : QMessageBox::Information,
                    programTitle(), text.left(MessageChars), QMessageBox::Ok);
    box.exec();
}

void setMessageHandler(MessageHandler handler) {
    g_messageHandler = std::move(handler);
}

void showModal(QDialog& dialog) {
    if (g_modalHandler) {
        g_modalHandler(dialog);
        return;
    }
    applyDeferredSetUp();
    dialog.setModal(true);
    dialog.exec();
}

void setModalHandler(ModalHandler handler) {
    g_modalHandler = std::move(handler);
}

void endProgram() {
    if (g_endHandler) {
        g_endHandler();
        return;
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

void setEndHandler(EndHandler handler) {
    g_endHandler = std::move(handler);
}

bool openExternal(const QString& urlOrPath) {
    if (g_urlOpener)
        return g_urlOpener(urlOrPath);
    const QUrl url = QFileInfo::exists(urlOrPath) ? QUrl::fromLocalFile(urlOrPath)
                                                  : QUrl(urlOrPath, QUrl::TolerantMode);
    return QDesktopServices::openUrl(url);
}

void setUrlOpener(UrlOpener opener) {
    g_urlOpener = std::move(opener);
}

} // namespace pelorin::ui
