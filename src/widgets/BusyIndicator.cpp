#include "BusyIndicator.h"

#include <QPainter>

#include <cmath>

namespace widgets {

namespace {
constexpr int Dots = 12;
constexpr int IntervalMs = 80;
}

BusyIndicator::BusyIndicator(QWidget *parent)
    : QWidget(parent)
{
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % Dots;
        update();
    });
}

void BusyIndicator::start()
{
    if (!m_timer.isActive())
        m_timer.start();
    update();
}

void BusyIndicator::stop()
{
    m_timer.stop();
    update();
}

QSize BusyIndicator::sizeHint() const
{
    return {22, 22};
}

void BusyIndicator::paintEvent(QPaintEvent *)
{
    if (!m_timer.isActive())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height());
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double radius = side * 0.36;
    const double dot = qMax(1.5, side * 0.09);
    QColor colour = palette().color(QPalette::Highlight);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < Dots; ++i) {
        // The leading dot is solid, the ones behind it fade out.
        const int age = (m_step - i + Dots) % Dots;
        colour.setAlphaF(1.0f - float(age) / Dots);
        p.setBrush(colour);
        const double angle = 2 * M_PI * i / Dots - M_PI / 2;
        p.drawEllipse(QPointF(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle)), dot, dot);
    }
}

} // namespace widgets
