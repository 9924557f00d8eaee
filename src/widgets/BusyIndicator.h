#pragma once

#include <QTimer>
#include <QWidget>

namespace widgets {

/// The busy animation shown while a report's query runs: a ring of dots
/// turning in the palette's highlight colour. Idle it draws nothing, so it
/// can stay in the layout. The timer runs only while the animation plays.
class BusyIndicator final : public QWidget
{
    Q_OBJECT

public:
    explicit BusyIndicator(QWidget *parent = nullptr);

    void start();
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTimer m_timer;
    int m_step = 0;
};

} // namespace widgets
