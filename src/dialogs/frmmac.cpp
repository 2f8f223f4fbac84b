#include "dialogs/frmmac.h"

#include "common/ui/formcontrols.h"
#include "common/ui/seams.h"
#include "common/ui/twips.h"
#include "common/ui/windowpos.h"
#include "rules/macaddr.h"
#include "rules/serverurl.h"
#include "settings/settings.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringList>

#include <memory>

namespace pelorin {

using ui::disableInputMethod;
using ui::makeButton;
using ui::makeLabel;

namespace {

// Addresses are typed in plain ASCII.
QLineEdit* makeEdit(QWidget* parent, const QRect& geometry) {
    QLineEdit* const edit = ui::makeEdit(parent, geometry);
    disableInputMethod(*edit);
    return edit;
}

// One text, so that a translation can arrange its sentences as its language needs.
QString nothingKnownMessage() {
    return QCoreApplication::translate(
        "frmMac", "詳細画面上でのMACアドレスについて：\r\n"
                  "\r\n"
                  "現在TVサーバーが起動しているのであれば、このあと接続を試みてMACアドレスを"
                  "自動取得しますので入力する必要はありません。\r\n"
                  "そのままOKを押して画面を閉じてください。\r\n"
                  "TVサーバーが起動していないのであれば、TVサーバー起動状態で再度実行するか、"
                  "MACアドレスを入力してください。");
}

} // namespace

frmMac::frmMac(QString serverUrl, MacLookup lookup, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      m_serverUrl(std::move(serverUrl)), m_lookup(std::move(lookup)) {
    // Closing a dialog must never end the program, even when no other window is showing.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QCoreApplication::translate("frmMac", "詳細"));
    setFixedSize(twips::toPixels(4830), twips::toPixels(1980));
    buildControls();
}

void frmMac::buildControls() {
    Frame4 = new QGroupBox(this);
    Frame4->setGeometry(twips::rect(120, 120, 4575, 1215));
    Label4 = makeLabel(Frame4, QCoreApplication::translate("frmMac", "IPアドレス/ドメイン名"),
                       twips::rect(120, 360, 1695, 255));
    Text3 = makeEdit(Frame4, twips::rect(1920, 360, 2175, 270));
    Label5 = makeLabel(Frame4, QCoreApplication::translate("frmMac", "MACアドレス"),
                       twips::rect(240, 720, 975, 255));
    for (int i = 0; i < MacGroups; ++i) {
        // No length limit: a pasted or mistyped group is kept as it is and simply not stored.
        txtMac[i] = makeEdit(Frame4, twips::rect(1320 + 480 * i, 720, 375, 270));
        connect(txtMac[i], &QLineEdit::textChanged, this, [this, i] { txtMac_Change(i); });
    }

    VScroll1 = new QScrollBar(Qt::Vertical, Frame4);
    VScroll1->setGeometry(twips::rect(4200, 720, 255, 255));
    VScroll1->setRange(1, ini::MacSlots);
    VScroll1->setSingleStep(1);
    VScroll1->setPageStep(1);
    VScroll1->setValue(1);
    VScroll1->setFocusPolicy(Qt::StrongFocus);
    VScroll1->hide();
    connect(VScroll1, &QScrollBar::valueChanged, this, &frmMac::VScroll1_Change);

    Command2 = makeButton(this, QStringLiteral("OK"), twips::rect(2160, 1440, 1215, 375));
    Command2->setDefault(true);
    Command1 = makeButton(this, QCoreApplication::translate("frmMac", "キャンセル"),
                          twips::rect(3480, 1440, 1215, 375));

    // Screen readers (and end-to-end tests) find the boxes by these names.
    Frame4->setAccessibleName(QCoreApplication::translate("frmMac", "詳細"));
    Text3->setAccessibleName(QCoreApplication::translate("frmMac", "IPアドレス/ドメイン名"));
    for (int i = 0; i < MacGroups; ++i)
        txtMac[i]->setAccessibleName(
            QCoreApplication::translate("frmMac", "MACアドレス %1").arg(i + 1));
    VScroll1->setAccessibleName(QCoreApplication::translate("frmMac", "MACアドレスの候補"));
    // Each label names the box after it; the MAC address's label stands before the first group,
    // and the groups' names carry it with their numbers.
    Label4->setBuddy(Text3);
    Label5->setBuddy(txtMac[0]);

    for (int i = 1; i < MacGroups; ++i)
        setTabOrder(txtMac[i - 1], txtMac[i]);
    setTabOrder(txtMac[MacGroups - 1], Text3);
    setTabOrder(Text3, Command2);
    setTabOrder(Command2, Command1);
    setTabOrder(Command1, VScroll1);
    txtMac[0]->setFocus();

    connect(Command2, &QPushButton::clicked, this, &frmMac::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &frmMac::Command1_Click);
}

void frmMac::Form_Load() {
    Loaded = false;
    ui::restoreWindowPosition(*this, Window::Mac);

    // The address is taken from the URL being edited, not from what was stored last time.
    Text3->setText(hostAfterScheme(m_serverUrl));

    if (m_lookup.serverWasOn && m_lookup.getMacAddr)
        m_lookup.getMacAddr(m_serverUrl);

    const QString mac = ReadIni(ini::Server, ini::Mac);
    const QString firstFound = ReadIni(ini::Server, ini::macKey(1));
    showMacGroups(macToWake(mac, firstFound));
    if (mac.isEmpty() && !firstFound.isEmpty())
        WriteIni(ini::Server, ini::Mac, firstFound);

    if (!ReadIni(ini::Server, ini::macKey(2)).isEmpty())
        VScroll1->show();

    if (!m_lookup.serverWasOn && mac.isEmpty() && firstFound.isEmpty())
        ui::showMessage(MessageIcon::Information, nothingKnownMessage());

    Loaded = true;
}

void frmMac::showMacGroups(const QString& mac) {
    if (const auto groups = macGroups(mac))
        for (int i = 0; i < MacGroups; ++i)
            txtMac[i]->setText(groups->at(i));
}

void frmMac::txtMac_Change(int index) {
    // Filling the boxes from the spinner moves the focus along just like typing does.
    if (Loaded && index < MacGroups - 1 && txtMac[index]->text().size() >= 2)
        txtMac[index + 1]->setFocus();
}

void frmMac::VScroll1_Change(int value) {
    const QString mac = ReadIni(ini::Server, ini::macKey(value));
    if (!mac.isEmpty()) {
        showMacGroups(mac);
        return;
    }
    for (QLineEdit* const box : txtMac)
        box->clear();
}

void frmMac::Command2_Click() {
    WriteIni(ini::Server, ini::Address, Text3->text());

    QStringList groups;
    for (const QLineEdit* const box : txtMac)
        groups.append(box->text());
    if (const auto mac = joinedMacGroups(groups))
        WriteIni(ini::Server, ini::Mac, *mac);
    close();
}

void frmMac::Command1_Click() {
    close();
}

void frmMac::reject() {}

void frmMac::closeEvent(QCloseEvent* event) {
    // Deliberately not QDialog's handler: it would route the close box through reject().
    event->accept();
    Form_QueryUnload();
}

void frmMac::Form_QueryUnload() {
    ui::saveWindowPosition(*this, Window::Mac);
}

void openDetailsDialog(const QString& serverUrl, MacLookup lookup) {
    const auto dialog = std::make_unique<frmMac>(serverUrl, std::move(lookup));
    dialog->Form_Load();
    ui::showModal(*dialog);
}

} // namespace pelorin
