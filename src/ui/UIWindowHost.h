#pragma once
// Inside the library only: the frameless top-level widget of a WindowImplBase. It
// hosts the root control, forwards resizes, shows, closes and the default keys to its
// window object, and lets the caption drag the window.
#include <QWidget>

#include "ui/UIDefs.h"

class WindowImplBase;
class CPaintManagerUI;

class CWindowHost : public QWidget {
    Q_OBJECT
public:
    CWindowHost(WindowImplBase& window, CPaintManagerUI& manager, QWidget* parent,
                Qt::WindowFlags flags);
    CPaintManagerUI& Manager() const { return m_manager; }
    UISize ClientSize() const { return {width(), height()}; }
    void StartSystemMove();
    // Resizes by `factor` keeping the centre (DPI changes).
    void ScaleSize(double factor);
    // The window object is being destroyed: no more calls into it.
    void DetachWindow() { m_window = nullptr; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Hands a window message to the window as the system would send it.
    void SendToWindow(std::uint32_t msg, WPARAM wParam);

    WindowImplBase* m_window;
    CPaintManagerUI& m_manager;
    bool m_shownOnce = false;
};
