#pragma once

#include <QDialog>
#include <QEventLoop>
#include <QPointer>

#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pelorin {

// What the settings dialog asks of the window that opened it.
struct SettingDialogHooks {
    // After OK stored the server: the main window's Init, unless it opened the dialog itself to
    // have one of several servers chosen (then that OK only stores).
    std::function<void()> runInit;
    // 詳細: the details dialog for the URL in the box; empty: opened without a MAC lookup.
    std::function<void(const QString& serverUrl)> openDetails;
};

// "TVサーバーの指定": the server URL (with the URLs used before in its drop-down list) and the
// credentials for the server's web page.
//
// The dialog is "loaded" from Form_Load until it is closed; only one is loaded at a time. Its OK
// runs Init while it is still loaded but hidden, and Init may show the same dialog again to let
// the user pick among several servers, so closing is separate from destroying: the object lives
// until the opener that created it returns.
class frmSetting : public QDialog {
    Q_OBJECT

public:
    explicit frmSetting(SettingDialogHooks hooks, QWidget* parent = nullptr);
    ~frmSetting() override;

    bool isLoaded() const { return m_loaded; }

    void Form_Load();
    void Combo1_LostFocus();
    void Command3_Click();
    void Command2_Click();
    void Command1_Click();

    // Closes the dialog if it is loaded; what the user typed is not stored.
    void unload();

    // Qt refuses to run a dialog's exec() while the same dialog is still inside one, which is
    // exactly the case when Init shows this dialog again from within OK.
    int exec() override;
    // Also ends that second modal run when the dialog is hidden.
    void setVisible(bool visible) override;

    QGroupBox* Frame3 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label4 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;

public slots:
    void reject() override; // Esc: the dialog has no cancel key

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    int showAgainModal();
    void Form_QueryUnload();
    void Form_Unload();
    bool listsUrl(const QString& url) const;

    SettingDialogHooks m_hooks;
    bool m_loaded = false;
    bool m_caretAfterScheme = false; // place the caret after "http://" once the dialog shows
    int m_execDepth = 0;
    QPointer<QEventLoop> m_nestedLoop; // runs while the dialog is shown again from within OK
};

// Opens the server settings dialog modally (ui::showModal) and returns once it is closed. When
// the dialog is already loaded, because Init asked for a server while OK was running, that same
// dialog is shown again as it stands, without loading it anew.
void openSettingDialog(const SettingDialogHooks& hooks);

// The loaded settings dialog; nullptr when none is loaded.
frmSetting* loadedSettingDialog();

} // namespace pelorin
