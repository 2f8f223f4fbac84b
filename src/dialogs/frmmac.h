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

// Asks the server for its MAC addresses and stores them as Server/Mac-1..5; false on failure.
using MacLookup = std::function<bool(const QString& serverUrl)>;

// "詳細": the server's address and the MAC address Wake-on-LAN sends to, as six two-character
// groups. The server URL comes from shared().DetailURL. When the server reported several
// adapters, a spinner steps through Server/Mac-1..5; its down arrow goes to the next one.
class frmMac : public QDialog {
    Q_OBJECT

public:
    explicit frmMac(MacLookup getMacAddr, QWidget* parent = nullptr);

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

    MacLookup m_getMacAddr;
    bool Loaded = false; // the load handler has finished; until then filling boxes moves no focus
};

// Opens the details dialog modally (ui::showModal) and returns once it is closed. getMacAddr is
// used when the latest status probe found the server running.
void openDetailsDialog(MacLookup getMacAddr);

} // namespace pelorin
