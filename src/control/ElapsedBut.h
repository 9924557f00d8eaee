#pragma once

#include <QString>
#include <QPushButton>

/// The title button of the query panel: a button that opens a selection
/// dialog and shows the current selection as its title (Titul): "All", one
/// name, or "List". Used by the counterparty and category filters; the
/// control handles its click.
class ElapsedBut final : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(QString Titul READ Titul WRITE setTitul)

public:
    explicit ElapsedBut(QWidget *parent = nullptr);

    QString Titul() const { return m_titul; }
    void setTitul(const QString &titul);

    QSize sizeHint() const override;

private:
    QString m_titul;
};
