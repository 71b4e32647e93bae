#pragma once

// Answers a modal dialog or pop-up menu of the window from inside its event
// loop, so that a test can drive it without a user.

#include <algorithm>
#include <functional>
#include <vector>

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>

// The scripts waiting for their dialog or menu. A test's cleanup calls
// DropPendingScripts() and expects 0: a script whose dialog never opened
// fails the test that set it, and cannot answer a later test's dialog.
inline std::vector<QTimer*>& PendingScripts()
{
    static std::vector<QTimer*> timers;
    return timers;
}

inline int DropPendingScripts()
{
    std::vector<QTimer*>& timers = PendingScripts();
    const int count = static_cast<int>(timers.size());
    for (QTimer* timer : timers)
        delete timer;
    timers.clear();
    return count;
}

// Polls every 5 ms until find() gives a widget, then runs the script on it once.
template <typename W>
void RunWhenShown(std::function<W*()> find, std::function<void(W*)> script)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    PendingScripts().push_back(timer);
    QObject::connect(timer, &QTimer::timeout, [timer, find, script] {
        W* widget = find();
        if (!widget)
            return;
        timer->stop();
        std::vector<QTimer*>& pending = PendingScripts();
        pending.erase(std::remove(pending.begin(), pending.end(), timer), pending.end());
        timer->deleteLater();
        script(widget);
    });
    timer->start();
}

// Runs `script` on the modal dialog of type D as soon as it is open. A
// dialog the script leaves open is cancelled so that a failing test cannot hang.
template <typename D>
void OnDialog(std::function<void(D*)> script)
{
    RunWhenShown<D>([] { return qobject_cast<D*>(QApplication::activeModalWidget()); },
                    [script](D* dialog) {
                        script(dialog);
                        if (dialog->isVisible())
                            dialog->reject();
                    });
}

// Runs `script` on the pop-up menu as soon as it is shown; a menu left open
// is closed.
inline void OnPopupMenu(std::function<void(QMenu*)> script)
{
    RunWhenShown<QMenu>([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                        [script](QMenu* menu) {
                            script(menu);
                            if (menu->isVisible())
                                menu->close();
                        });
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
