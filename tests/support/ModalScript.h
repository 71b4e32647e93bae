#pragma once

// Answers a modal dialog or pop-up menu of the window from inside its event
// loop, so that a test can drive it without a user.

#include <functional>

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>

// Runs `script` on the modal dialog of type D as soon as it is open. A dialog
// the script leaves open is cancelled so that a failing test cannot hang.
template <typename D>
void OnDialog(std::function<void(D*)> script)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, script] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        script(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start();
}

// Runs `script` on the pop-up menu as soon as it is shown; a menu left open
// is closed.
inline void OnPopupMenu(std::function<void(QMenu*)> script)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, script] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        timer->deleteLater();
        script(menu);
        if (menu->isVisible())
            menu->close();
    });
    timer->start();
}

// Closes whatever modal window is still open when `milliseconds` have passed,
// and remembers that it had to: a test that expects its own script to close
// a dialog checks Forced() afterwards, and cannot hang when the script fails.
class ModalGuard {
public:
    explicit ModalGuard(int milliseconds)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                m_forced = true;
                modal->close();
            }
        });
        m_timer.start(milliseconds);
    }
    bool Forced() const { return m_forced; }

private:
    QTimer m_timer;
    bool m_forced = false;
};
