#include "ElapsedBut.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>

namespace widgets {

namespace {
// Room between the title's frame and its text, and between title and button.
constexpr int kTextPadding = 4;
constexpr int kGap = 2;
// The button is this much lower than the title, so the title's frame stays visible
// around it.
constexpr int kButtonShrink = 3;
} // namespace

ElapsedBut::ElapsedBut(QWidget *parent)
    : QWidget(parent)
    , m_title(new QLabel(this))
    , m_button(new QToolButton(this))
{
    m_title->setObjectName(QStringLiteral("Title"));
    m_title->setFrameShape(QFrame::StyledPanel);
    m_title->setFrameShadow(QFrame::Sunken);
    m_title->setAutoFillBackground(true);
    m_title->setBackgroundRole(QPalette::Base);
    m_title->setContentsMargins(kTextPadding, 0, kTextPadding, 0);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_title->setMouseTracking(true);
    m_title->installEventFilter(this);

    m_button->setObjectName(QStringLiteral("btnEllaps"));
    m_button->setText(QStringLiteral("..."));
    m_button->setFocusPolicy(Qt::StrongFocus);
    m_button->setMouseTracking(true);
    m_button->installEventFilter(this);
    connect(m_button, &QToolButton::clicked, this, &ElapsedBut::Click);

    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusProxy(m_button);
    placeChildren();
}

void ElapsedBut::setTitul(const QString &titul)
{
    m_titul = titul;
    m_title->setToolTip(titul);
    updateShownTitle();
}

bool ElapsedBut::Enabled() const
{
    return m_title->isEnabled();
}

void ElapsedBut::setEnabledState(bool enabled)
{
    m_button->setEnabled(enabled);
    m_title->setEnabled(enabled);
}

QSize ElapsedBut::sizeHint() const
{
    const int h = fontMetrics().height() + 10;
    return {fontMetrics().horizontalAdvance(QLatin1Char('x')) * 20 + h, h};
}

QSize ElapsedBut::minimumSizeHint() const
{
    const int h = fontMetrics().height() + 10;
    return {h * 2, h};
}

void ElapsedBut::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeChildren();
}

void ElapsedBut::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        placeChildren();
        updateGeometry();
    }
}

bool ElapsedBut::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && (watched == m_title || watched == m_button)) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        // The title may be elided: its hint always holds the whole text.
        if (watched == m_title)
            m_title->setToolTip(m_titul);
        const QPointF pos = static_cast<QWidget *>(watched)->mapTo(this, mouse->position().toPoint());
        Q_EMIT MouseMove(mouse->buttons(), mouse->modifiers(), pos);
    }
    return QWidget::eventFilter(watched, event);
}

void ElapsedBut::placeChildren()
{
    // The title fills the control; the button sits inside its right end, square and
    // three pixels lower than the title, centred vertically.
    const QRect r = rect();
    m_title->setGeometry(r);
    const int buttonHeight = qMax(0, r.height() - kButtonShrink);
    const int buttonWidth = qMin(buttonHeight + 4, qMax(0, r.width() / 2));
    const int top = r.top() + (r.height() - buttonHeight) / 2;
    m_button->setGeometry(r.right() - kGap + 1 - buttonWidth, top, buttonWidth, buttonHeight);
    m_title->setContentsMargins(kTextPadding, 0, buttonWidth + kGap + kTextPadding, 0);
    updateShownTitle();
}

void ElapsedBut::updateShownTitle()
{
    const QRect text = m_title->contentsRect();
    const int frame = m_title->frameWidth();
    const int width = qMax(0, text.width() - 2 * frame);
    m_title->setText(m_title->fontMetrics().elidedText(m_titul, Qt::ElideRight, width));
}

} // namespace widgets
