#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QVariant>

namespace widgets {

/// A format condition of the grid: when the value of one column in a row
/// meets a test, the row (or only the target column's cell) is drawn in the
/// condition's style. Reports key them by name ("Summ", "NegSumm", "Negative")
/// and may change the style later (for example the fore colour at every
/// re-bind); the grid repaints on every change.
///
/// Conditions apply in the order they were added; a later matching condition
/// overrides what an earlier one set. Colours are Windows colour values
/// (0x00BBGGRR or system colours 0x800000nn, see WindowsColor).
class FormatCondition final : public QObject
{
    Q_OBJECT

public:
    /// Operator codes as the reports pass them (3 is "less than").
    enum Operator {
        Equal = 0,
        NotEqual = 1,
        GreaterThan = 2,
        LessThan = 3,
        GreaterThanOrEqual = 4,
        LessThanOrEqual = 5,
        Between = 6,      ///< Value1 <= v <= Value2
        NotBetween = 7,
        Contains = 8,     ///< text tests, without regard to case
        NotContains = 9,
        BeginsWith = 10,
        EndsWith = 11,
        IsEmpty = 12,     ///< null or an empty text
        NotIsEmpty = 13,
    };
    Q_ENUM(Operator)

    FormatCondition(const QString &key, const QString &columnKey, Operator op,
                    const QVariant &value1, const QVariant &value2 = {}, QObject *parent = nullptr);

    QString Key() const { return m_key; }
    /// The column whose value is tested.
    QString ColumnKey() const { return m_columnKey; }
    Operator ConditionOperator() const { return m_operator; }
    QVariant Value1() const { return m_value1; }
    QVariant Value2() const { return m_value2; }
    void setValue1(const QVariant &value);
    void setValue2(const QVariant &value);

    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    /// Empty (the default): the style applies to the whole row. Otherwise only
    /// to the cell of this column.
    QString TargetColumnKey() const { return m_targetColumnKey; }
    void setTargetColumnKey(const QString &key);

    bool FontBold() const { return m_bold; }
    void setFontBold(bool bold);
    bool FontItalic() const { return m_italic; }
    void setFontItalic(bool italic);
    /// -1 when the condition leaves the colour alone.
    qint64 ForeColor() const { return m_foreColor; }
    void setForeColor(qint64 windowsColor);
    qint64 BackColor() const { return m_backColor; }
    void setBackColor(qint64 windowsColor);

    /// Whether `value` passes the test. Numbers compare by value across types,
    /// booleans: true equals any non-zero number; texts without regard to case.
    bool match(const QVariant &value) const;

Q_SIGNALS:
    void changed();

private:
    QString m_key;
    QString m_columnKey;
    Operator m_operator;
    QVariant m_value1;
    QVariant m_value2;
    bool m_enabled = true;
    QString m_targetColumnKey;
    bool m_bold = false;
    bool m_italic = false;
    qint64 m_foreColor = -1;
    qint64 m_backColor = -1;
};

} // namespace widgets
