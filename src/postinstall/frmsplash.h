#pragma once

#include <QPixmap>
#include <QWidget>

namespace pelorin {

// The post-install program's splash window: a fixed picture in a borderless window at the
// centre of the screen, closed by the program when it is done or earlier by a click or a key.
class frmSplash final : public QWidget {
    Q_OBJECT
public:
    static constexpr int WidthTwips = 2955;
    static constexpr int HeightTwips = 705;
    static constexpr auto PicturePath = ":/splash/splash.png";

    frmSplash();

    // Shows the window without waiting on it and paints it at once.
    void showNow();

    void Form_Click();
    void Form_KeyPress();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const QPixmap m_picture;
};

} // namespace pelorin
