#include "ReportChart.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <limits>

namespace widgets {

namespace {

constexpr QRgb PositiveRgb = qRgb(0x1F, 0x5F, 0xA8);
constexpr QRgb NegativeRgb = qRgb(0xC0, 0x39, 0x2B);
constexpr QRgb GridRgb = qRgb(0xDD, 0xDD, 0xDD);
constexpr QRgb ZeroLineRgb = qRgb(0x44, 0x44, 0x44);
constexpr QRgb TextRgb = qRgb(0x33, 0x33, 0x33);
constexpr QRgb NoDataRgb = qRgb(0x80, 0x80, 0x80);
constexpr QRgb StepLineRgb = qRgb(0x2C, 0x3E, 0x50);
// The running total is only a tint, so that the day flows drawn over it stay readable.
constexpr int TintAlpha = 72;

// Pixels a nonzero amount shows at least: the zero line covers one, two more show the sign.
constexpr double MinBarHeight = 3;
constexpr int MaxDecimals = 4;
constexpr int MaxAxisTicks = 10;
// Beyond this the axis arithmetic (a span, a step of ten times it) could overflow.
constexpr double MaxAmount = 1e300;

bool drawable(double value)
{
    return std::isfinite(value) && std::abs(value) <= MaxAmount;
}

QColor signColour(double value)
{
    return QColor::fromRgb(value < 0 ? NegativeRgb : PositiveRgb);
}

QColor tint(double value)
{
    QColor colour = signColour(value);
    colour.setAlpha(TintAlpha);
    return colour;
}

/// Line widths follow the device's resolution: one unit is a pixel on a
/// 96 dpi screen and the same physical width on a printer page.
double unitOf(const QPaintDevice *device)
{
    return device->logicalDpiY() / 96.0;
}

/// units * 10^exponent. Dividing by an exact power of ten gives the double
/// nearest to the decimal (3 / 10 is 0.3), where multiplying by 0.1 would not.
double scaled(double units, int exponent)
{
    return exponent >= 0 ? units * std::pow(10.0, exponent) : units / std::pow(10.0, -exponent);
}

/// The system locale, with group separators even where the locale omits them
/// by default (the C locale): amounts are unreadable without them.
QLocale amountLocale()
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale;
}

/// How many decimals a value has when rounded to maxDecimals, trailing zeros dropped.
int decimalsOf(double value, int maxDecimals)
{
    if (maxDecimals == 0)
        return 0;
    QString text = QString::number(value, 'f', maxDecimals);
    while (text.endsWith(u'0'))
        text.chop(1);
    return int(text.size() - text.indexOf(u'.') - 1);
}

QString scientific(const QLocale &locale, double value)
{
    return locale.toString(value, 'g', 6);
}

/// The rectangle from the zero line to a value, `width` wide around `centre`,
/// inside the plot. A nonzero value is at least `minHeight` high, so that its
/// sign shows even beside amounts a million times larger.
QRectF valueRect(const ReportChart::Layout &layout, double value, double centre, double width, double minHeight)
{
    if (value == 0 || !drawable(value))
        return {};
    const double zero = layout.yOf(0);
    double end = layout.yOf(value);
    if (std::abs(end - zero) < minHeight)
        end = value > 0 ? zero - minHeight : zero + minHeight;
    const QRectF rect(QPointF(centre - width / 2, std::min(zero, end)), QPointF(centre + width / 2, std::max(zero, end)));
    return rect.intersected(layout.plot);
}

QStringList legendTexts()
{
    return {ReportChart::tr("Running total"), ReportChart::tr("Day flow")};
}

/// Each legend entry is a swatch one line wide, a small gap and its text;
/// the entries are a line apart.
double legendWidth(const QFontMetricsF &metrics)
{
    const double line = metrics.height();
    double width = 0;
    for (const QString &text : legendTexts())
        width += 1.3 * line + metrics.horizontalAdvance(text) + line;
    return width - line;
}

} // namespace

ReportChart::ReportChart(QWidget *parent)
    : QWidget(parent)
{
}

void ReportChart::setChart(ChartKind kind, const QString &title, const QList<ChartPoint> &points)
{
    m_kind = kind;
    m_title = title;
    m_points = points;
    m_runningTotals.clear();
    if (kind == ChartKind::Ladder) {
        // A sum of doubles drifts after a few thousand cents, and even an exact
        // sum of 0.1, 0.2 and -0.3 is not zero: the doubles are not the decimals.
        // So the sum runs in long double and each total is rounded to the finest
        // decimal an amount is shown with, and flows that cancel out bring the
        // ladder back to exactly zero instead of to a sliver of a bar.
        const long double resolution = std::pow(10.0L, MaxDecimals);
        long double total = 0;
        m_runningTotals.reserve(points.size());
        for (const ChartPoint &point : points) {
            if (drawable(point.value))
                total += point.value;
            m_runningTotals.append(double(std::round(total * resolution) / resolution));
        }
    }
    update();
}

void ReportChart::clear()
{
    m_title.clear();
    m_points.clear();
    m_runningTotals.clear();
    update();
}

QList<double> ReportChart::axisTicks(double low, double high, int maxTicks)
{
    Q_ASSERT(std::isfinite(low) && std::isfinite(high));
    const double lo = std::min(low, 0.0);
    const double hi = std::max(high, 0.0);
    if (hi - lo <= 0)
        return {0.0, 1.0};
    // Zero is a tick, so a range on both sides of it needs two steps whatever the step.
    maxTicks = std::max(maxTicks, lo < 0 && hi > 0 ? 2 : 1);
    // The slack keeps a rounding error such as 0.3 / 0.1 = 2.9999999999999996
    // from asking for another step. It is relative: a bound a millionth of a
    // step below zero still needs the step below zero.
    constexpr double Slack = 1e-12;
    constexpr double Mantissas[] = {1, 2, 2.5, 5};
    // The first exponent gives steps no larger than needed; the search goes up from there.
    for (int exponent = int(std::floor(std::log10((hi - lo) / maxTicks)));; ++exponent) {
        for (const double mantissa : Mantissas) {
            const double step = scaled(mantissa, exponent);
            const double first = std::floor(lo / step * (1 - Slack));
            const double last = std::ceil(hi / step * (1 - Slack));
            if (last - first > maxTicks)
                continue;
            QList<double> ticks;
            for (double k = first; k <= last; ++k)
                ticks.append(scaled(k * mantissa, exponent) + 0.0); // + 0.0 turns -0 into 0
            return ticks;
        }
    }
}

QStringList ReportChart::axisLabels(const QList<double> &ticks)
{
    const QLocale locale = amountLocale();
    const double step = ticks.size() > 1 ? ticks.at(1) - ticks.at(0) : 1.0;
    const int stepDecimals = decimalsOf(step, MaxDecimals + 1);
    // Steps are 1, 2, 2.5 or 5 times a power of ten: below 1e-4 a step is at
    // most 5e-5, which the fixed format would round to zero.
    const bool fine = step < 0.75e-4 || stepDecimals > MaxDecimals;
    QStringList texts;
    texts.reserve(ticks.size());
    for (const double tick : ticks) {
        if (fine)
            texts.append(scientific(locale, tick));
        else
            texts.append(locale.toString(tick, 'f', std::abs(tick) >= 1000 ? 0 : stepDecimals));
    }
    return texts;
}

QString ReportChart::formatValue(double value)
{
    const QLocale locale = amountLocale();
    value += 0.0; // -0 shows as 0
    if (!std::isfinite(value))
        return locale.toString(value);
    const int decimals = decimalsOf(value, MaxDecimals);
    // Below a ten-thousandth the fixed format would say 0 for an amount that is not.
    if (decimals == 0 && value != 0 && std::abs(value) < 1)
        return scientific(locale, value);
    // Amounts show whole cents: 0.50, not 0.5.
    return locale.toString(value, 'f', decimals == 1 ? 2 : decimals);
}

double ReportChart::Layout::yOf(double value) const
{
    Q_ASSERT(ticks.size() >= 2);
    const double low = ticks.constFirst();
    const double high = ticks.constLast();
    return plot.bottom() - (value - low) / (high - low) * plot.height();
}

std::pair<double, double> ReportChart::valueRange() const
{
    double low = 0;
    double high = 0;
    const auto include = [&](double value) {
        if (!drawable(value))
            return;
        low = std::min(low, value);
        high = std::max(high, value);
    };
    for (const ChartPoint &point : m_points)
        include(point.value);
    for (const double total : m_runningTotals)
        include(total);
    return {low, high};
}

ReportChart::Layout ReportChart::chartLayout(const QRectF &area, const QPaintDevice *device) const
{
    if (!device)
        device = this;
    const QFontMetricsF metrics(font(), device);
    const QFontMetricsF titleMetrics(titleFont(), device);
    const double line = metrics.height();
    const double margin = 0.6 * line;
    const double unit = unitOf(device);

    Layout layout;
    const QRectF inner = area.adjusted(margin, margin, -margin, -margin);
    if (inner.isEmpty())
        return layout;

    double top = inner.top();
    const bool withLegend = m_kind == ChartKind::Ladder && !m_points.isEmpty();
    if (!m_title.isEmpty() || withLegend) {
        const double rowHeight = std::max(titleMetrics.height(), line);
        double titleWidth = inner.width();
        const double legend = legendWidth(metrics);
        if (withLegend && legend <= inner.width() / 2) {
            layout.legend = QRectF(inner.right() - legend, top, legend, rowHeight);
            titleWidth -= legend + line;
        }
        layout.title = QRectF(inner.left(), top, titleWidth, rowHeight);
        top += rowHeight + 0.5 * line;
    }

    // The axis texts are centred on their ticks: half a line above the top
    // tick stays free, and the category labels take a line below the plot.
    const double plotTop = top + 0.5 * line;
    const double plotBottom = inner.bottom() - 1.4 * line;
    if (m_points.isEmpty() || plotBottom - plotTop < 2 * line)
        return layout;
    const int maxTicks = std::min(int((plotBottom - plotTop) / (2 * line)), MaxAxisTicks);
    const auto [low, high] = valueRange();
    const QList<double> ticks = axisTicks(low, high, maxTicks);
    const QStringList tickTexts = axisLabels(ticks);
    double axisWidth = 0;
    for (const QString &text : tickTexts)
        axisWidth = std::max(axisWidth, metrics.horizontalAdvance(text));
    const double plotLeft = inner.left() + axisWidth + 0.5 * line;
    if (inner.right() - plotLeft < line)
        return layout;

    layout.ticks = ticks;
    layout.tickTexts = tickTexts;
    layout.plot = QRectF(QPointF(plotLeft, plotTop), QPointF(inner.right(), plotBottom));
    layout.slotWidth = layout.plot.width() / m_points.size();
    if (m_kind == ChartKind::Bars)
        layOutBars(layout, unit, line);
    else
        layOutLadder(layout, unit, line);
    layOutLabels(layout, inner, metrics);
    return layout;
}

void ReportChart::layOutBars(Layout &layout, double unit, double line) const
{
    double width = 0.7 * layout.slotWidth;
    // Gaps under a pixel only blur the bars together: many points share the plot without them.
    if (layout.slotWidth - width < unit)
        width = layout.slotWidth;
    // A single bar as wide as the plot would read as an area, not as a bar.
    width = std::clamp(width, unit, 4 * line);
    layout.bars.reserve(m_points.size());
    for (qsizetype i = 0; i < m_points.size(); ++i) {
        const double centre = layout.plot.left() + (i + 0.5) * layout.slotWidth;
        layout.bars.append(valueRect(layout, m_points.at(i).value, centre, width, MinBarHeight * unit));
    }
}

void ReportChart::layOutLadder(Layout &layout, double unit, double line) const
{
    const double width = std::clamp(0.3 * layout.slotWidth, unit, 0.8 * line);
    layout.bars.reserve(m_points.size());
    layout.steps.reserve(m_points.size());
    for (qsizetype i = 0; i < m_points.size(); ++i) {
        const double centre = layout.plot.left() + (i + 0.5) * layout.slotWidth;
        layout.steps.append(valueRect(layout, m_runningTotals.at(i), centre, layout.slotWidth, MinBarHeight * unit));
        layout.bars.append(valueRect(layout, m_points.at(i).value, centre, width, MinBarHeight * unit));
    }
}

void ReportChart::layOutLabels(Layout &layout, const QRectF &inner, const QFontMetricsF &metrics) const
{
    const double line = metrics.height();
    const double gap = 0.5 * line;
    // Labels longer than this are elided rather than thinning the others out
    // further; shorter ones (currency codes, dates) are never cut, only thinned.
    const double longest = 12 * metrics.averageCharWidth();
    double widest = 0;
    for (const ChartPoint &point : m_points)
        widest = std::max(widest, metrics.horizontalAdvance(point.label));
    const double slot = layout.slotWidth;
    const double wanted = std::min(widest, longest);
    const int every = std::max(1, int(std::ceil((wanted + gap) / slot)));
    // A label as wide as its slot stays centred under it. Wider ones (every
    // n-th point) are kept to the width asked for: the labels at the ends move
    // inwards, and at the full n slots they would push their neighbours out.
    const double maxWidth = std::min(every == 1 ? slot - gap : wanted, inner.right() - layout.plot.left());
    const double top = layout.plot.bottom() + 0.4 * line;
    double lastRight = -std::numeric_limits<double>::infinity();
    for (qsizetype i = 0; i < m_points.size(); i += every) {
        const QString text = metrics.elidedText(m_points.at(i).label, Qt::ElideRight, maxWidth);
        if (text.isEmpty())
            continue;
        const double width = metrics.horizontalAdvance(text);
        const double centre = layout.plot.left() + (i + 0.5) * slot;
        // Labels at the ends move inwards to stay inside the area; one that
        // would then touch its neighbour is left out.
        const double left = std::max(layout.plot.left(), std::min(centre - width / 2, inner.right() - width));
        if (left < lastRight + gap)
            continue;
        layout.labelPoints.append(int(i));
        layout.labelRects.append(QRectF(left, top, width, line));
        layout.labelTexts.append(text);
        lastRight = left + width;
    }
}

void ReportChart::render(QPainter *painter, const QRectF &area) const
{
    const QPaintDevice *device = painter->device();
    const Layout layout = chartLayout(area, device);
    const QFontMetricsF metrics(font(), device);
    const double unit = unitOf(device);

    painter->save();
    painter->setClipRect(area, Qt::IntersectClip);
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(area, Qt::white);

    const QFont heading = titleFont();
    painter->setFont(heading);
    painter->setPen(QColor::fromRgb(TextRgb));
    painter->drawText(layout.title, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetricsF(heading, device).elidedText(m_title, Qt::ElideRight, layout.title.width()));
    painter->setFont(font());
    if (!layout.legend.isEmpty())
        paintLegend(painter, layout.legend, metrics);

    if (m_points.isEmpty()) {
        painter->setPen(QColor::fromRgb(NoDataRgb));
        painter->drawText(area, Qt::AlignCenter, tr("No data"));
    } else if (!layout.plot.isEmpty()) {
        paintAxis(painter, layout, metrics, unit);
        if (m_kind == ChartKind::Ladder) {
            paintLadder(painter, layout, unit);
        } else {
            for (qsizetype i = 0; i < layout.bars.size(); ++i)
                painter->fillRect(layout.bars.at(i), signColour(m_points.at(i).value));
        }
        // Over the bars' feet, so that the zero line reads as one line.
        const double zero = layout.yOf(0);
        painter->setPen(QPen(QColor::fromRgb(ZeroLineRgb), unit));
        painter->drawLine(QPointF(layout.plot.left(), zero), QPointF(layout.plot.right(), zero));
        painter->setPen(QColor::fromRgb(TextRgb));
        for (qsizetype i = 0; i < layout.labelRects.size(); ++i)
            painter->drawText(layout.labelRects.at(i), Qt::AlignCenter | Qt::TextDontClip, layout.labelTexts.at(i));
    }
    painter->restore();
}

void ReportChart::paintAxis(QPainter *painter, const Layout &layout, const QFontMetricsF &metrics, double unit) const
{
    const double line = metrics.height();
    const double textRight = layout.plot.left() - 0.5 * line;
    for (qsizetype i = 0; i < layout.ticks.size(); ++i) {
        const double y = layout.yOf(layout.ticks.at(i));
        painter->setPen(QPen(QColor::fromRgb(GridRgb), unit));
        painter->drawLine(QPointF(layout.plot.left(), y), QPointF(layout.plot.right(), y));
        const QString &text = layout.tickTexts.at(i);
        const double width = metrics.horizontalAdvance(text);
        painter->setPen(QColor::fromRgb(TextRgb));
        painter->drawText(QRectF(textRight - width, y - line / 2, width, line),
                          Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip, text);
    }
}

void ReportChart::paintLadder(QPainter *painter, const Layout &layout, double unit) const
{
    for (qsizetype i = 0; i < layout.steps.size(); ++i)
        painter->fillRect(layout.steps.at(i), tint(m_runningTotals.at(i)));
    for (qsizetype i = 0; i < layout.bars.size(); ++i)
        painter->fillRect(layout.bars.at(i), signColour(m_points.at(i).value));

    // The outline of the running total: from the zero line at the first date,
    // level across each date's slot, straight up or down between dates.
    const double zero = layout.yOf(0);
    QPolygonF outline;
    outline.reserve(2 * layout.steps.size() + 1);
    outline.append(QPointF(layout.plot.left(), zero));
    for (qsizetype i = 0; i < layout.steps.size(); ++i) {
        const QRectF &step = layout.steps.at(i);
        const double y = step.isEmpty() ? zero : m_runningTotals.at(i) > 0 ? step.top() : step.bottom();
        const double left = layout.plot.left() + i * layout.slotWidth;
        outline.append(QPointF(left, y));
        outline.append(QPointF(left + layout.slotWidth, y));
    }
    painter->setPen(QPen(QColor::fromRgb(StepLineRgb), 2 * unit, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter->drawPolyline(outline);
}

void ReportChart::paintLegend(QPainter *painter, const QRectF &rect, const QFontMetricsF &metrics) const
{
    const double line = metrics.height();
    const QStringList texts = legendTexts();
    const QRectF swatch(rect.left(), rect.center().y() - 0.4 * line, line, 0.8 * line);
    // The running total: a tinted area under its outline.
    painter->fillRect(swatch, tint(1));
    painter->setPen(QPen(QColor::fromRgb(StepLineRgb), 2 * unitOf(painter->device())));
    painter->drawLine(swatch.topLeft(), swatch.topRight());
    double x = swatch.right() + 0.3 * line;
    painter->setPen(QColor::fromRgb(TextRgb));
    painter->drawText(QRectF(x, rect.top(), metrics.horizontalAdvance(texts.at(0)), rect.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, texts.at(0));
    x += metrics.horizontalAdvance(texts.at(0)) + line;
    // The day flows: a thin bar of each sign.
    const double bar = 0.3 * line;
    painter->fillRect(QRectF(x + 0.1 * line, swatch.top(), bar, swatch.height()), signColour(1));
    painter->fillRect(QRectF(x + 0.6 * line, swatch.top(), bar, swatch.height()), signColour(-1));
    x += 1.3 * line;
    painter->drawText(QRectF(x, rect.top(), metrics.horizontalAdvance(texts.at(1)), rect.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, texts.at(1));
}

QFont ReportChart::titleFont() const
{
    QFont heading = font();
    heading.setBold(true);
    if (heading.pointSizeF() > 0)
        heading.setPointSizeF(heading.pointSizeF() * 1.2);
    else
        heading.setPixelSize(qRound(heading.pixelSize() * 1.2));
    return heading;
}

QString ReportChart::toolTipAt(const QPoint &pos) const
{
    const Layout layout = chartLayout(rect());
    if (layout.plot.isEmpty() || !layout.plot.contains(pos))
        return {};
    const qsizetype index = std::min(qsizetype((pos.x() - layout.plot.left()) / layout.slotWidth), m_points.size() - 1);
    const ChartPoint &point = m_points.at(index);
    if (m_kind == ChartKind::Bars)
        return tr("%1: %2").arg(point.label, formatValue(point.value));
    return tr("%1: %2\nRunning total: %3").arg(point.label, formatValue(point.value), formatValue(m_runningTotals.at(index)));
}

QSize ReportChart::sizeHint() const
{
    return {420, 300};
}

QSize ReportChart::minimumSizeHint() const
{
    // Room for a title, three axis ticks and a few labels.
    const QFontMetrics metrics(font());
    return {36 * metrics.averageCharWidth(), 12 * metrics.height()};
}

void ReportChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    render(&painter, rect());
}

bool ReportChart::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QString text = toolTipAt(help->pos());
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
}

} // namespace widgets
