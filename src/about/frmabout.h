#pragma once

#include <QColor>
#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class QWindow;

namespace pelorin {

// The version box: what the program is, its version, and a link to the page with the latest
// news about it. Modeless; it deletes itself when closed.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    // The page the link opens; also the link's text.
    static constexpr auto WebAddress = "https://pelorin.example.jp/";

    // Centred on `owner` when there is one, otherwise on the screen.
    explicit frmAbout(QWidget* owner = nullptr);
    ~frmAbout() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    void placeOnScreen(QWidget* owner);
    void setLinkColor(const QColor& color);
    void applyTextColours();

    void cmdOK_Click();
    void Label2_Click();
    void Label2_MouseMove();
    void Form_MouseMove();
    void Label1_MouseMove();
    void Label3_MouseMove();
    void Label4_MouseMove();
    void lblDisclaimer_MouseMove();

    QLabel* picIcon = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QWidget* Line1 = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;

    bool m_linkPressed = false;
    QColor m_linkColor{
        0, 0, 255}; // as designed; shown in the theme's link colour where it would not read
    // A window without an owner would get its own taskbar button; a hidden owner keeps the box
    // off the taskbar like any other dialog of the program.
    std::unique_ptr<QWindow> m_hiddenOwner;
};

// Opens the version box, or brings the open one to the front.
void showAboutBox();

// The version box while it is open; nullptr otherwise.
frmAbout* openAboutBox();

} // namespace pelorin
