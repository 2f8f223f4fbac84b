#pragma once

#include <QDialog>

#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace pelorin {

// How the details dialog refreshes the addresses the server reported: while the latest status
// probe found the server on, getMacAddr asks it again and stores them as Server/Mac-1 ... Mac-5.
struct MacLookup {
    bool serverWasOn = false;
    std::function<bool(const QString& serverUrl)> getMacAddr;
};

// "詳細": the server's address and the MAC address Wake-on-LAN sends to, as six two-character
// groups, for the server URL the opener hands over. When the server reported several
// adapters, a spinner steps through Server/Mac-1..5; its down arrow goes to the next one.
class frmMac : public QDialog {
    Q_OBJECT

public:
    frmMac(QString serverUrl, MacLookup lookup, QWidget* parent = nullptr);

    static constexpr int MacGroups = 6;

    void Form_Load();
    void txtMac_Change(int index);
    void VScroll1_Change(int value);
    void Command2_Click();
    void Command1_Click();

    QGroupBox* Frame4 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLabel* Label5 = nullptr;
    std::array<QLineEdit*, MacGroups> txtMac{};
    QScrollBar* VScroll1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;

public slots:
    void reject() override; // Esc: the dialog has no cancel key

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void showMacGroups(const QString& mac);
    void Form_QueryUnload();

    const QString m_serverUrl;
    const MacLookup m_lookup;
    bool Loaded = false; // the load handler has finished; until then filling boxes moves no focus
};

// Opens the details dialog for `serverUrl` modally (ui::showModal) and returns once it is closed.
void openDetailsDialog(const QString& serverUrl, MacLookup lookup = {});

} // namespace pelorin
