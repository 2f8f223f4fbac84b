#pragma once

#include "button/dragrules.h"

#include <QCursor>
#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;

namespace pelorin {

// What the floating button needs from the main window. Positions are the main window's outer
// corner in twips.
class FloatingButtonHost {
public:
    virtual ~FloatingButtonHost() = default;
    virtual int mainTopTwips() const = 0;
    virtual int mainLeftTwips() const = 0;
    virtual void showMainWindow() = 0;  // make the main window visible
    virtual void selectOption1() = 0;   // select "ON": runs the ON command
    virtual void selectOption2() = 0;   // select "OFF": runs the OFF command
    virtual void closeMainWindow() = 0; // unloads the main window, which ends the program
};

// The tiny floating power button that stands in for the main window: a click switches the
// server, a drag moves the button, the right button opens a menu to go back or quit. The key
// takes the keyboard focus: Space and Enter click it, the context-menu key and Shift+F10 open
// the menu; assistive technology sees a button named after the program, described by the
// server's state, whose press action clicks it.
//
// The main window creates it once and keeps it for the whole run, hiding and showing it. The
// constructor only builds the window; Form_Load places it, and the main window calls it after
// creating the button, once its own position is known.
class frmDesign final : public QWidget {
    Q_OBJECT

public:
    frmDesign(FloatingButtonHost& host, const ServerState& state, QWidget* parent = nullptr);

    // At the stored position when there is a valid one, otherwise at the main window's corner.
    void Form_Load();

    // The lamp routines show the server's state through the key's face and pointer.
    void setFace(KeyFace face);
    KeyFace face() const { return m_face; }
    void setPointer(KeyPointer pointer);
    KeyPointer pointer() const { return m_pointer; }

    // Opens the pop-up menu at a global position. The default shows it without waiting for
    // a choice; tests put in their own to observe it. An empty function restores the default.
    using MenuPopup = std::function<void(QMenu&, QPoint)>;
    void setMenuPopup(MenuPopup popup);

    // Space, Enter or the press action: a left click on the key where the pointer stays.
    void Picture1_KeyClick();

    QLabel* picture1() const { return Picture1; }
    QMenu* menu() const { return MMenu; }
    QAction* formAction() const { return MForm; }
    QAction* endAction() const { return MEnd; }
    const QPixmap& picture2(KeyFace face) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The button has no close box; a window-manager close (Alt+F4) would otherwise leave the
    // program running with no window at all. It goes away through its menu only.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void buildMenu();

    // Mouse handlers; X and Y are in the key picture's own coordinates, in twips.
    void Picture1_MouseDown(Qt::MouseButton button, QPointF xy);
    void Picture1_MouseMove(QPointF xy);
    void Picture1_MouseUp(Qt::MouseButton button, QPoint globalPos);
    bool Picture1_KeyPress(const QKeyEvent& key);
    void openMenuFromKeyboard();
    void MForm_Click();
    void MEnd_Click();

    bool runPowerClick(); // false when this window was destroyed meanwhile
    void savePosition() const;

    FloatingButtonHost& m_host;
    const ServerState& m_state;
    QLabel* Picture1 = nullptr;
    mutable std::array<QPixmap, 4> Picture2; // drawn on first use
    std::optional<QCursor> m_grabCursor;
    bool m_backgroundDrawn = false;
    QMenu* MMenu = nullptr;
    QAction* MForm = nullptr;
    QAction* MBar1 = nullptr;
    QAction* MEnd = nullptr;
    MenuPopup m_popup;

    KeyFace m_face = KeyFace::OnRaised;
    KeyPointer m_pointer = KeyPointer::Default;

    // A press starts a drag; the release is a click only when the pointer did not move.
    bool DragActive = false;
    bool DragMoved = false;
    int DragStartX = 0; // twips, where the key was pressed
    int DragStartY = 0;
};

} // namespace pelorin
