#pragma once

#include "RowChangeMarks.h"

#include <QStyledItemDelegate>

namespace widgets {

/// Paints the data cells of the Grid: a little more air than the default, and
/// texts that do not fit their column elided with "…" (never clipped: a
/// clipped amount would read as a different amount), their whole text in the
/// cell's tool tip. In a Grid, the cells of a changed or new row get the row's
/// fading tint (Grid::markStrength) behind their text.
class GridDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GridDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
    /// Whether the cell's text is wider than the cell and shows elided.
    bool isElided(const QStyleOptionViewItem &option, const QModelIndex &index) const;
    /// The tint of a mark at a strength from 0 (none: transparent) to 1: a
    /// soft amber for Changed, a soft green for New, translucent over the
    /// cell's background.
    static QColor markTint(RowMark mark, qreal strength);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    static void paintRowMark(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index);
    static int textMargin(const QStyleOptionViewItem &option);
};

} // namespace widgets
