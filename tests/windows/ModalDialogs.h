#pragma once

// Drives dialogs that the code under test opens with exec(): the action runs
// inside the dialog's own modal loop, as a user's clicks would.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

/// Watches for the first modal widget of a type (see whenModal()). Stops
/// watching when destroyed, so a watch left over from one test cannot act on
/// the dialogs of the next.
class ModalWatch final
{
public:
    /// \a match returns true when it handled the active modal widget.
    ModalWatch(std::function<bool(QWidget *)> match, int timeoutMs)
    {
        m_clock.start();
        QObject::connect(&m_timer, &QTimer::timeout, [this, match, timeoutMs] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                // Stop first: the action may open further modal loops.
                m_timer.stop();
                if (match(modal)) {
                    m_ran = true;
                    return;
                }
                m_timer.start();
            }
            if (m_clock.elapsed() > timeoutMs) {
                // Close whatever is still open, so the test fails instead of
                // hanging in an exec() loop.
                m_timer.stop();
                while (QWidget *open = QApplication::activeModalWidget())
                    open->close();
            }
        });
        m_timer.start(10);
    }
    Q_DISABLE_COPY_MOVE(ModalWatch)

    bool ran() const { return m_ran; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_ran = false;
};

/// Runs \a action once on the first modal widget of type T that becomes the
/// active modal widget within \a timeoutMs.
template<typename T>
std::unique_ptr<ModalWatch> whenModal(std::function<void(T *)> action, int timeoutMs = 5000)
{
    return std::make_unique<ModalWatch>(
        [action](QWidget *modal) {
            T *widget = qobject_cast<T *>(modal);
            if (widget)
                action(widget);
            return widget != nullptr;
        },
        timeoutMs);
}
