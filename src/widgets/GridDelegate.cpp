#include "GridDelegate.h"

#include "CellValue.h"
#include "Grid.h"
#include "GridModel.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace widgets {

namespace {
constexpr int HorizontalPadding = 6;
constexpr int VerticalPadding = 6;
// Mark colours at full strength, translucent so that a condition's background
// and the alternating rows still show through.
constexpr QRgb ChangedTint = qRgb(255, 176, 0);
constexpr QRgb NewTint = qRgb(46, 204, 64);
constexpr qreal ChangedOpacity = 0.45;
constexpr qreal NewOpacity = 0.35;
}

GridDelegate::GridDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void GridDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // The focus frame around one cell means nothing in a row-selecting grid.
    option->state &= ~QStyle::State_HasFocus;
}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.rect.adjust(HorizontalPadding / 2, 0, -HorizontalPadding / 2, 0);

    // A text too wide for its cell, amounts included, is elided (the style
    // does it) and its tool tip holds the whole text (helpEvent): a row of
    // "###" told the user nothing, not even how large the amount was.
    opt.textElideMode = Qt::ElideRight;
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The selection background covers the padding too.
    QStyleOptionViewItem background = opt;
    background.rect = option.rect;
    background.text.clear();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);
    paintRowMark(painter, option, index);
    opt.backgroundBrush = Qt::NoBrush;
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
}

void GridDelegate::paintRowMark(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index)
{
    // Not over a selection: which rows the user picked matters more to him
    // than which ones changed, and a tinted highlight reads as neither.
    if (option.state & QStyle::State_Selected)
        return;
    const auto *grid = qobject_cast<const Grid *>(option.widget);
    const qreal strength = grid ? grid->markStrength(index) : 0;
    if (strength > 0)
        painter->fillRect(option.rect, markTint(grid->rowMark(index), strength));
}

QColor GridDelegate::markTint(RowMark mark, qreal strength)
{
    if (mark == RowMark::None)
        return Qt::transparent;
    QColor tint = QColor::fromRgb(mark == RowMark::Changed ? ChangedTint : NewTint);
    tint.setAlphaF(float(qBound(qreal(0), strength, qreal(1)) * (mark == RowMark::Changed ? ChangedOpacity : NewOpacity)));
    return tint;
}

bool GridDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                             const QModelIndex &index)
{
    if (event && event->type() == QEvent::ToolTip && view) {
        if (isElided(option, index)) {
            QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view);
            return true;
        }
        QToolTip::hideText();
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

bool GridDelegate::isElided(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const int available = option.rect.width() - HorizontalPadding - textMargin(opt);
    return !opt.text.isEmpty() && opt.fontMetrics.horizontalAdvance(opt.text) > available;
}

int GridDelegate::textMargin(const QStyleOptionViewItem &option)
{
    const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    return 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1);
}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rheight() = qMax(size.height(), option.fontMetrics.height()) + VerticalPadding;
    size.rwidth() += HorizontalPadding;
    return size;
}

} // namespace widgets
