#pragma once

#include <QStyledItemDelegate>

namespace widgets {

/// Paints the data cells of the Grid: a little more air than the default, and
/// numbers that do not fit their column shown as "###" rather than cut: a
/// clipped amount would read as a different amount.
class GridDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GridDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

} // namespace widgets
