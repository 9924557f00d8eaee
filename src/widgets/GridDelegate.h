#pragma once

#include <QStyledItemDelegate>

namespace widgets {

/// Paints the data cells of the Grid: a little more air than the default, and
/// texts that do not fit their column elided with "…" (never clipped: a
/// clipped amount would read as a different amount), their whole text in the
/// cell's tool tip.
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

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    static int textMargin(const QStyleOptionViewItem &option);
};

} // namespace widgets
