#include "dialogs/frmsetting.h"

#include "common/ui/accessibility.h"
#include "common/ui/formcontrols.h"
#include "common/ui/seams.h"
#include "common/ui/twips.h"
#include "common/ui/windowpos.h"
#include "dialogs/frmmac.h"
#include "rules/urltidy.h"
#include "settings/settings.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

namespace pelorin {

using ui::disableInputMethod;
using ui::makeButton;
using ui::makeEdit;
using ui::makeLabel;

namespace {

const QString SchemeOnly = QStringLiteral("http://");

// The dialog that is loaded, or was loaded last and is about to be destroyed by its opener.
QPointer<frmSetting> g_current;

} // namespace

frmSetting::frmSetting(SettingDialogHooks hooks, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_hooks(std::move(hooks)) {
    // Closing a dialog must never end the program, even when no other window is showing.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QCoreApplication::translate("frmSetting", "TVサーバーの指定"));
    setFixedSize(twips::toPixels(4830), twips::toPixels(3300));
    buildControls();
}

frmSetting::~frmSetting() {
    if (m_nestedLoop)
        m_nestedLoop->quit();
    if (m_loaded)
        Form_Unload();
}

void frmSetting::buildControls() {
    Frame3 = new QGroupBox(this);
    Frame3->setGeometry(twips::rect(120, 120, 4575, 2535));
    Label1 = makeLabel(Frame3, QStringLiteral("URL"), twips::rect(120, 270, 375, 255));

    Combo1 = new QComboBox(Frame3);
    Combo1->setGeometry(twips::rect(600, 240, 3735, 300));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    // Completing from the list would silently turn a new host into an old one.
    Combo1->setCompleter(nullptr);
    Combo1->setEditText(SchemeOnly);
    disableInputMethod(*Combo1);
    disableInputMethod(*Combo1->lineEdit());
    Combo1->installEventFilter(this);

    Label4 =
        makeLabel(Frame3, QCoreApplication::translate("frmSetting", "（例：http://tvserver/tv）"),
                  twips::rect(1080, 600, 2775, 255));

    Frame2 = new QGroupBox(QCoreApplication::translate("frmSetting", "認証が必要な場合"), Frame3);
    Frame2->setGeometry(twips::rect(360, 960, 3975, 1095));
    Label2 = makeLabel(Frame2, QCoreApplication::translate("frmSetting", "ユーザー名"),
                       twips::rect(240, 240, 975, 255));
    Text1 = makeEdit(Frame2, twips::rect(1320, 240, 2175, 270));
    disableInputMethod(*Text1);
    Label3 = makeLabel(Frame2, QCoreApplication::translate("frmSetting", "パスワード"),
                       twips::rect(240, 600, 855, 255));
    Text2 = makeEdit(Frame2, twips::rect(1320, 600, 2175, 270));
    Text2->setEchoMode(QLineEdit::Password); // before the IME switch: the echo mode resets it
    disableInputMethod(*Text2);

    Command3 = makeButton(Frame3, QCoreApplication::translate("frmSetting", "詳細"),
                          twips::rect(3480, 2160, 855, 255));
    Command2 = makeButton(this, QStringLiteral("OK"), twips::rect(2160, 2760, 1215, 375));
    Command2->setDefault(true);
    Command1 = makeButton(this, QCoreApplication::translate("frmSetting", "キャンセル"),
                          twips::rect(3480, 2760, 1215, 375));

    // Screen readers (and end-to-end tests) find the boxes by these names, and each box is
    // labelled by the label in front of it.
    Frame3->setAccessibleName(QCoreApplication::translate("frmSetting", "TVサーバー"));
    Combo1->setAccessibleName(QStringLiteral("URL"));
    ui::presentAs(*Combo1, ui::AccessibleKind::NamedComboBox);
    Text1->setAccessibleName(QCoreApplication::translate("frmSetting", "ユーザー名"));
    Text2->setAccessibleName(QCoreApplication::translate("frmSetting", "パスワード"));
    Label1->setBuddy(Combo1);
    Label2->setBuddy(Text1);
    Label3->setBuddy(Text2);

    setTabOrder(Combo1, Text1);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Command3);
    setTabOrder(Command3, Command2);
    setTabOrder(Command2, Command1);
    Combo1->setFocus();

    connect(Command3, &QPushButton::clicked, this, &frmSetting::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSetting::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &frmSetting::Command1_Click);
}

void frmSetting::Form_Load() {
    m_loaded = true;
    ui::restoreWindowPosition(*this, Window::Setting);

    Combo1->addItems(programSettings().registeredUrls());
    // Adding the first item selects it; the box shows the current URL, not a list entry.
    Combo1->setCurrentIndex(-1);
    const QString url = ReadIni(ini::Server, ini::URL);
    Combo1->setEditText(url.isEmpty() ? SchemeOnly : url);
    m_caretAfterScheme = url.isEmpty();

    const Settings::Credentials stored = programSettings().credentials();
    if (!stored.userName.isEmpty())
        Text1->setText(stored.userName);
    if (!stored.password.isEmpty())
        Text2->setText(stored.password);
}

void frmSetting::setVisible(bool visible) {
    QDialog::setVisible(visible);
    if (visible && m_caretAfterScheme) {
        // Showing a dialog hands its focus widget a tab-focus event, which selects the whole
        // URL; with nothing but "http://" there the user should type the host right after it.
        m_caretAfterScheme = false;
        Combo1->lineEdit()->setCursorPosition(static_cast<int>(SchemeOnly.size()));
    }
    if (!visible && m_nestedLoop)
        m_nestedLoop->quit();
}

bool frmSetting::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Combo1 && event->type() == QEvent::FocusOut) {
        // Switching to another program or dropping down the list does not leave the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Combo1_LostFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void frmSetting::Combo1_LostFocus() {
    const QString url = Combo1->currentText();
    const QString tidied = tidyServerUrl(url);
    if (tidied != url)
        Combo1->setEditText(tidied);
}

void frmSetting::Command3_Click() {
    // Enter on 詳細 does not take the focus away from the URL box first.
    Combo1_LostFocus();
    if (m_hooks.openDetails)
        m_hooks.openDetails(Combo1->currentText());
    else
        openDetailsDialog(Combo1->currentText());
}

void frmSetting::Command2_Click() {
    Combo1_LostFocus();
    hide();

    const QString url = Combo1->currentText();
    if (!url.isEmpty() && url != SchemeOnly) {
        WriteIni(ini::Server, ini::URL, url);
        if (!listsUrl(url)) {
            Combo1->addItem(url);
            programSettings().registerUrl(url);
        }
    }
    WriteIni(ini::Server, ini::UserName, Text1->text());
    WriteIni(ini::Server, ini::Password, Text2->text());

    // Init may show this very dialog again to have a server chosen; that second OK only stores.
    if (m_hooks.runInit)
        m_hooks.runInit();
    unload();
}

void frmSetting::Command1_Click() {
    unload();
}

bool frmSetting::listsUrl(const QString& url) const {
    for (int i = 0; i < Combo1->count(); ++i) {
        if (Combo1->itemText(i) == url)
            return true;
    }
    return false;
}

void frmSetting::reject() {}

void frmSetting::closeEvent(QCloseEvent* event) {
    // Deliberately not QDialog's handler: it would route the close box through reject().
    event->accept();
    if (!m_loaded)
        return;
    Form_QueryUnload();
    Form_Unload();
}

void frmSetting::unload() {
    if (m_loaded)
        close();
}

void frmSetting::Form_QueryUnload() {
    ui::saveWindowPosition(*this, Window::Setting);
}

void frmSetting::Form_Unload() {
    m_loaded = false;
}

int frmSetting::exec() {
    if (m_execDepth > 0)
        return showAgainModal();
    const QPointer<frmSetting> alive(this);
    ++m_execDepth;
    const int result = QDialog::exec();
    if (alive)
        --m_execDepth;
    return result;
}

int frmSetting::showAgainModal() {
    const QPointer<frmSetting> alive(this);
    QEventLoop loop;
    m_nestedLoop = &loop;
    show();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    if (!alive)
        return Rejected;
    m_nestedLoop = nullptr;
    return result();
}

frmSetting* loadedSettingDialog() {
    return g_current && g_current->isLoaded() ? g_current.data() : nullptr;
}

void openSettingDialog(const SettingDialogHooks& hooks) {
    if (frmSetting* const loaded = loadedSettingDialog()) {
        ui::showModal(*loaded);
        return;
    }
    const auto dialog = std::make_unique<frmSetting>(hooks);
    g_current = dialog.get();
    dialog->Form_Load();
    ui::showModal(*dialog);
    // Every way out of the dialog unloads it; this covers a modal run that merely hid it.
    dialog->unload();
}

} // namespace pelorin
