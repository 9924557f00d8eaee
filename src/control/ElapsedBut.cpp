#include "ElapsedBut.h"

ElapsedBut::ElapsedBut(QWidget *parent)
    : QPushButton(parent)
{
    // Reads like the drop-down lists beside it: text on the left.
    setStyleSheet(QStringLiteral("text-align: left; padding: 3px 8px;"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setTitul(QStringLiteral("All"));
}

void ElapsedBut::setTitul(const QString &titul)
{
    m_titul = titul;
    // The ellipsis says that a click opens a dialog rather than a list.
    setText(titul + QStringLiteral(" \u2026"));
    setToolTip(titul);
}

QSize ElapsedBut::sizeHint() const
{
    // As high as the combo boxes beside it, so the panel's rows line up.
    QSize size = QPushButton::sizeHint();
    size.setHeight(qMax(size.height(), fontMetrics().height() + 10));
    return size;
}
