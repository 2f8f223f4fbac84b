#pragma once

#include "common/message.h"

#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace pelorin::ui {

// Message boxes: title "ペロリン", one OK button, the exclamation or information icon; the answer
// is never examined. Tests replace the handler to read and answer them.
using MessageHandler = std::function<void(MessageIcon, const QString&)>;
void showMessage(MessageIcon icon, const QString& text);
void setMessageHandler(MessageHandler handler); // empty: real message boxes again

// Shows a dialog modally and returns when it has been closed or hidden. Tests replace the
// handler to drive the dialog instead of the user.
using ModalHandler = std::function<void(QDialog&)>;
void showModal(QDialog& dialog);
void setModalHandler(ModalHandler handler);

// Ends the program at once: nothing more is saved, no window gets to run its close handler.
// Tests replace the handler to observe it; then endProgram returns and the caller must stop.
using EndHandler = std::function<void()>;
void endProgram();
void setEndHandler(EndHandler handler);

// Opens a web page or a local file in the user's default program; false when that failed.
using UrlOpener = std::function<bool(const QString&)>;
bool openExternal(const QString& urlOrPath);
void setUrlOpener(UrlOpener opener);

} // namespace pelorin::ui
