#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <utility>

class QFontMetricsF;
class QPaintDevice;
class QPainter;

namespace widgets {

/// One category (a currency, a currency pair) or one value date, and its amount.
struct ChartPoint
{
    QString label;
    double value = 0;
};

enum class ChartKind {
    /// One bar per point, up from the zero line when positive, down when negative.
    Bars,
    /// A cash-flow ladder: the running sum of the flows in the given order as
    /// a stepped area, with each point's own flow as a thin bar.
    Ladder,
};

/// A chart read beside a report grid: the net amounts of a position report
/// as bars, or the cash flows of a value-date range as a ladder.
///
/// Values are display values: the chart draws doubles, and the exact money
/// stays in the grid. The ladder adds the flows up in long double and rounds
/// each running total to four decimals (the finest an amount is shown with),
/// so that a long run of cents does not drift and flows that cancel out come
/// back to exactly zero. Values that are not finite numbers, or beyond
/// +-1e300, are not drawn and count as zero in the running sum.
///
/// The chart has fixed colours on a white background (blue for positive
/// amounts, red for negative ones), so it reads the same on screen and on
/// paper. It repaints only when its data changes; the only interaction is a
/// tooltip naming the point under the mouse.
class ReportChart final : public QWidget
{
    Q_OBJECT

public:
    explicit ReportChart(QWidget *parent = nullptr);

    /// Shows these points, in this order. Empty points show the title and "No data".
    void setChart(ChartKind kind, const QString &title, const QList<ChartPoint> &points);
    /// Removes the title and the points; the chart shows "No data".
    void clear();

    ChartKind kind() const { return m_kind; }
    QString title() const { return m_title; }
    QList<ChartPoint> points() const { return m_points; }
    /// Ladder: the running total after each point, rounded to four decimals; Bars: empty.
    QList<double> runningTotals() const { return m_runningTotals; }

    /// Paints the whole chart into `area` (in the painter's coordinates) on any
    /// device: the widget, a QImage, a printer page. Nothing is painted outside
    /// the area. Text is set in the widget's font, sized for the painter's
    /// device, and lines grow with the device's resolution. The painter's
    /// state is left as it was.
    void render(QPainter *painter, const QRectF &area) const;
    /// QWidget's own render() overloads (grabbing the widget) stay callable.
    using QWidget::render;

    /// Where render() puts the parts of the chart in an area.
    struct Layout
    {
        QRectF title;
        QRectF legend;           ///< Ladder only; empty when it does not fit
        QRectF plot;             ///< empty when the area is too small for a plot
        double slotWidth = 0;    ///< the plot's width shared out among the points
        QList<double> ticks;     ///< the value axis, ascending, zero included
        QStringList tickTexts;
        /// One per point: the bar (Bars) or the day's flow (Ladder), inside
        /// the plot; empty for a zero value. A nonzero amount too small to
        /// see at the axis's scale still gets a bar three pixels (at 96 dpi) high.
        QList<QRectF> bars;
        /// Ladder: one per point, from the zero line to the running sum,
        /// as wide as the point's slot. Bars: empty.
        QList<QRectF> steps;
        /// The category labels drawn under the plot: which point, where,
        /// and the text (elided when too long). When every label does not
        /// fit, only every n-th point is labelled; labels never overlap.
        QList<int> labelPoints;
        QList<QRectF> labelRects;
        QStringList labelTexts;

        /// The height of a value in the plot; only when there is a plot.
        double yOf(double value) const;
    };
    /// The layout for an area on a device (the widget's screen when null).
    Layout chartLayout(const QRectF &area, const QPaintDevice *device = nullptr) const;

    /// What the tooltip says at a position in the widget: "label: value" for
    /// the point whose slot is under it (the ladder adds the running sum),
    /// empty outside the plot or without data.
    QString toolTipAt(const QPoint &pos) const;

    /// Round axis values covering [min(low, 0), max(high, 0)], ascending, with
    /// a step of 1, 2, 2.5 or 5 times a power of ten, at most maxTicks + 1 of
    /// them, zero always one of them. maxTicks below 1 counts as 1, and as 2
    /// when the range has both signs (there is no fewer). A range that is only
    /// zero gives {0, 1}. Both bounds must be finite.
    static QList<double> axisTicks(double low, double high, int maxTicks);
    /// Texts for axis values from axisTicks(): thousands separators of the
    /// system locale, no decimals from 1,000 on, below that the decimals the
    /// step needs (at most 4; steps finer than that are written in
    /// scientific notation).
    static QStringList axisLabels(const QList<double> &ticks);
    /// A value in full for the tooltip: thousands separators of the system
    /// locale, no decimals for a whole amount, else 2 to 4 as the value has;
    /// an amount that would round to zero at 4 decimals in scientific notation.
    static QString formatValue(double value);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    /// The lowest and highest value the axis must show.
    std::pair<double, double> valueRange() const;
    void layOutBars(Layout &layout, double unit, double line) const;
    void layOutLadder(Layout &layout, double unit, double line) const;
    void layOutLabels(Layout &layout, const QRectF &inner, const QFontMetricsF &metrics) const;
    void paintAxis(QPainter *painter, const Layout &layout, const QFontMetricsF &metrics, double unit) const;
    void paintLadder(QPainter *painter, const Layout &layout, double unit) const;
    void paintLegend(QPainter *painter, const QRectF &rect, const QFontMetricsF &metrics) const;
    QFont titleFont() const;

    ChartKind m_kind = ChartKind::Bars;
    QString m_title;
    QList<ChartPoint> m_points;
    QList<double> m_runningTotals;
};

} // namespace widgets
