#include "GridDelegate.h"

#include "CellValue.h"
#include "GridModel.h"

#include <QApplication>
#include <QPainter>

namespace widgets {

namespace {
constexpr int HorizontalPadding = 6;
constexpr int VerticalPadding = 6;
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

    // A number too wide for its cell shows as "###", never as a cut-off
    // figure; a text the report put in its place (a summary caption) is elided.
    const QVariant shown = index.data(GridModel::ShownValueRole);
    if (CellValue::isNumber(shown) && shown.metaType().id() != QMetaType::Bool && !opt.text.isEmpty()) {
        const QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
        const int available = opt.rect.width() - 2 * margin;
        if (opt.fontMetrics.horizontalAdvance(opt.text) > available) {
            const int hashWidth = qMax(1, opt.fontMetrics.horizontalAdvance(QLatin1Char('#')));
            opt.text = QString(qMax(1, available / hashWidth), QLatin1Char('#'));
        }
    }
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The selection background covers the padding too.
    QStyleOptionViewItem background = opt;
    background.rect = option.rect;
    background.text.clear();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);
    opt.backgroundBrush = Qt::NoBrush;
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rheight() = qMax(size.height(), option.fontMetrics.height()) + VerticalPadding;
    size.rwidth() += HorizontalPadding;
    return size;
}

} // namespace widgets
