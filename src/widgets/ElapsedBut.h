#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>

class QLabel;
class QToolButton;

namespace widgets {

/// The title button of the query panel: a one-line title showing the current
/// selection and a small "..." button that opens the selection dialog.
///
/// It knows nothing about filters: the owner reacts to Click and sets Titul.
/// Enabled enables or greys out the title and the button together (the widget
/// itself stays enabled, so MouseMove is still raised over a greyed title and
/// its hint can be read). A title wider than the control is elided and can be
/// read in full in the tool tip, which follows the title.
class ElapsedBut final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Titul READ Titul WRITE setTitul)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabledState)

public:
    explicit ElapsedBut(QWidget *parent = nullptr);

    /// The title text (the label's caption, not its elided display).
    QString Titul() const { return m_titul; }
    void setTitul(const QString &titul);

    /// The title's enabled state.
    bool Enabled() const;
    /// Enables or disables the button and the title.
    void setEnabledState(bool enabled);

    QLabel *titleLabel() const { return m_title; }
    QToolButton *button() const { return m_button; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    /// The button was clicked.
    void Click();
    /// The mouse moved over the title or the button; \a pos is in this
    /// widget's coordinates.
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, const QPointF &pos);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void placeChildren();
    void updateShownTitle();

    QLabel *m_title;
    QToolButton *m_button;
    QString m_titul;
};

} // namespace widgets
