#pragma once

#include "NumberFormat.h"
#include "ValueList.h"
#include "ValueListSink.h"

#include <QObject>
#include <QString>

namespace widgets {

/// One column of the Grid: what it shows (DataField, Format, ValueList) and how
/// (Caption, Visible, TextAlignment, Width, Position). The Grid keeps the
/// columns in the order they were added; Index is that order (0 first) and is
/// the column number the unbound readers receive. Position is where the user
/// sees it (1 = leftmost, hidden columns counted).
///
/// Every change emits changed(); the Grid applies it to its header and repaints.
class GridColumn final : public QObject, public ValueListSink
{
    Q_OBJECT

public:
    /// Alignment codes as the reports write them.
    enum Alignment { AlignLeft = 0, AlignCenter = 1, AlignRight = 2 };
    Q_ENUM(Alignment)

    GridColumn(int index, const QString &key, const QString &caption, const QString &dataField,
               QObject *parent = nullptr);

    int Index() const { return m_index; }
    QString Key() const { return m_key; }

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    /// The display field the control reads for this column.
    QString DataField() const { return m_dataField; }
    void setDataField(const QString &field);
    bool Visible() const { return m_visible; }
    void setVisible(bool visible);
    Alignment TextAlignment() const { return m_alignment; }
    void setTextAlignment(Alignment alignment);
    /// Width in pixels.
    int Width() const { return m_width; }
    void setWidth(int width);
    /// 1-based place among all columns, left to right.
    int Position() const { return m_position; }
    void setPosition(int position);

    /// Number format of the column (NumberFormat language); empty shows numbers plainly.
    QString Format() const { return m_format.pattern(); }
    void setFormat(const QString &format);
    const NumberFormat &numberFormat() const { return m_format; }

    /// The column's value list (owned by the column); filled by the reports.
    ValueList *valueList() const { return m_valueList; }
    /// Whether a non-empty value list replaces values by texts.
    bool HasValueList() const { return m_valueList->Count() > 0; }
    void clearValueList() override { m_valueList->Clear(); }
    void addValueListEntry(const QVariant &value, const QString &text) override
    {
        m_valueList->Add(value, text);
    }

Q_SIGNALS:
    void changed();
    /// The header moved: Position changed from the Grid, not by the owner.
    void positionChanged(int position);

private:
    friend class Grid;
    // The Grid writes back what the user changed in the header, without echo.
    void updateFromHeader(int position, int width);

    int m_index;
    QString m_key;
    QString m_caption;
    QString m_dataField;
    bool m_visible = true;
    Alignment m_alignment = AlignLeft;
    int m_width = 100;
    int m_position;
    NumberFormat m_format;
    ValueList *m_valueList;
};

} // namespace widgets
