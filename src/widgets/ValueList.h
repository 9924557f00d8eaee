#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>

namespace widgets {

/// The value list of a grid column: which text to show for a stored value
/// (a pair identifier shown as "EUR/USD", a deal-type code shown as "Spot").
/// Lookup is by value, numbers of any type matching (5 finds the entry added
/// as 5.0 or "5"); texts match without regard to case. When a value was added
/// twice, the first entry wins. A value with no entry is shown as it is.
class ValueList final : public QObject
{
    Q_OBJECT

public:
    explicit ValueList(QObject *parent = nullptr);

    void Add(const QVariant &value, const QString &text);
    void Clear();
    int Count() const { return int(m_items.size()); }
    QVariant value(int index) const;
    QString text(int index) const;

    bool contains(const QVariant &value) const;
    /// The text of `value`; `found` tells whether the list has it. Without an
    /// entry the result is empty.
    QString textOf(const QVariant &value, bool *found = nullptr) const;

Q_SIGNALS:
    void changed();

private:
    QVector<QPair<QVariant, QString>> m_items;
    QHash<QString, int> m_index;
};

} // namespace widgets
