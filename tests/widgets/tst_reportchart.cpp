#include "ReportChart.h"

#include <QDate>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>

using widgets::ChartKind;
using widgets::ChartPoint;
using widgets::ReportChart;

Q_DECLARE_METATYPE(QList<widgets::ChartPoint>)

namespace {

constexpr QSize ImageSize(400, 300);

bool isBlue(const QColor &c)
{
    return c.blue() - std::max(c.red(), c.green()) > 15;
}

bool isRed(const QColor &c)
{
    return c.red() - std::max(c.green(), c.blue()) > 15;
}

bool isChartColour(const QColor &c)
{
    return isBlue(c) || isRed(c);
}

QImage whiteImage(QSize size = ImageSize)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

void paint(const ReportChart &chart, QImage &image, const QRectF &area)
{
    QPainter painter(&image);
    chart.render(&painter, area);
}

QImage rendered(const ReportChart &chart, QSize size = ImageSize)
{
    QImage image = whiteImage(size);
    paint(chart, image, image.rect());
    return image;
}

/// Pixels in the column at x, between the rows top and bottom (inclusive), that match.
template<typename Match> int countInColumn(const QImage &image, double x, double top, double bottom, Match match)
{
    int count = 0;
    const int column = int(x);
    for (int y = std::max(0, int(std::ceil(top))); y <= std::min(image.height() - 1, int(bottom)); ++y)
        count += match(image.pixelColor(column, y)) ? 1 : 0;
    return count;
}

template<typename Match> int countInImage(const QImage &image, Match match)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += match(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

QList<ChartPoint> numbered(int count, double value)
{
    QList<ChartPoint> points;
    for (int i = 0; i < count; ++i)
        points.append({QStringLiteral("C%1").arg(i), i % 2 ? -value : value});
    return points;
}

QList<ChartPoint> valueDates(const QList<double> &flows)
{
    QList<ChartPoint> points;
    for (qsizetype i = 0; i < flows.size(); ++i)
        points.append({QDate(2026, 12, 8).addDays(i).toString(Qt::ISODate), flows.at(i)});
    return points;
}

QList<ChartPoint> positions()
{
    return {{QStringLiteral("EUR"), 1250000.50}, {QStringLiteral("USD"), -3400000}, {QStringLiteral("GBP"), 120000},
            {QStringLiteral("JPY"), -45000000}, {QStringLiteral("CHF"), 0},         {QStringLiteral("AUD"), 860250},
            {QStringLiteral("CAD"), -215400},   {QStringLiteral("SEK"), 2350000}};
}

QList<ChartPoint> cashFlows()
{
    return valueDates({2500000, -1200000, -3100000, 800000, 450000, -2000000, 3600000, -150000, 1000000, -900000});
}

bool contains(const QRectF &outer, const QRectF &inner)
{
    // Layout arithmetic in doubles: a rounding error is not an overflow.
    constexpr double Slack = 1e-6;
    return inner.left() >= outer.left() - Slack && inner.right() <= outer.right() + Slack
        && inner.top() >= outer.top() - Slack && inner.bottom() <= outer.bottom() + Slack;
}

QString describe(const QList<double> &values)
{
    QStringList texts;
    for (const double value : values)
        texts.append(QString::number(value, 'g', 17));
    return texts.join(QStringLiteral(", "));
}

/// What is wrong with axis ticks for a range, empty when nothing is.
QString tickFault(double low, double high, int maxTicks, const QList<double> &ticks)
{
    const int fewestSteps = low < 0 && high > 0 ? 2 : 1;
    if (ticks.size() < 2 || ticks.size() > std::max(maxTicks, fewestSteps) + 1)
        return QStringLiteral("count: ") + describe(ticks);
    if (!ticks.contains(0.0))
        return QStringLiteral("no zero: ") + describe(ticks);
    const double step = ticks.at(1) - ticks.at(0);
    for (qsizetype i = 1; i < ticks.size(); ++i)
        if (!(std::abs(ticks.at(i) - ticks.at(i - 1) - step) <= step * 1e-9))
            return QStringLiteral("uneven: ") + describe(ticks);
    // Covered up to rounding errors of the bounds themselves, however small they are beside the step.
    if (!(ticks.constFirst() <= std::min(low, 0.0) * (1 - 1e-12) && ticks.constLast() >= std::max(high, 0.0) * (1 - 1e-12)))
        return QStringLiteral("not covered: ") + describe(ticks);
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
    constexpr double NiceMantissas[] = {1, 2, 2.5, 5, 10};
    if (std::none_of(std::begin(NiceMantissas), std::end(NiceMantissas),
                     [mantissa](double m) { return std::abs(mantissa - m) < 1e-9; }))
        return QStringLiteral("step not round: ") + QString::number(step, 'g', 17);
    return {};
}

} // namespace

class tst_ReportChart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void axisTicksAreRoundAndCoverZero_data();
    void axisTicksAreRoundAndCoverZero();
    void axisTicksHoldAtEveryScale();
    void axisLabels_data();
    void axisLabels();
    void formatValue_data();
    void formatValue();

    void positiveBarRisesAndNegativeBarFalls();
    void barsFollowThePointsLeftToRight();
    void nonzeroAmountStaysVisibleBesideHugeOne();
    void drawsNothingOutsideItsPlace_data();
    void drawsNothingOutsideItsPlace();
    void labelsAreThinnedOrElidedNeverOverlapping_data();
    void labelsAreThinnedOrElidedNeverOverlapping();

    void ladderStepsAreTheRunningSum();
    void runningSumKeepsEveryCent_data();
    void runningSumKeepsEveryCent();

    void clearShowsNoBars();
    void toolTipNamesThePointUnderTheMouse_data();
    void toolTipNamesThePointUnderTheMouse();
    void paintsWithoutBeingShown();
    void keepsScreenshots();
};

void tst_ReportChart::axisTicksAreRoundAndCoverZero_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<int>("maxTicks");
    QTest::addColumn<QList<double>>("expected"); // empty: only the rules are checked

    QTest::newRow("positive-only-starts-at-zero") << 50.0 << 80.0 << 4 << QList<double>{0, 20, 40, 60, 80};
    QTest::newRow("negative-only-ends-at-zero") << -80.0 << -50.0 << 4 << QList<double>{-80, -60, -40, -20, 0};
    QTest::newRow("mixed-signs") << -3.4e6 << 1.25e6 << 5 << QList<double>{-4e6, -2e6, 0, 2e6};
    QTest::newRow("decimal-steps-are-exact-decimals") << 0.0 << 0.3 << 3 << QList<double>{0, 0.1, 0.2, 0.3};
    QTest::newRow("both-zero") << 0.0 << 0.0 << 5 << QList<double>{0, 1};
    QTest::newRow("equal-positive-bounds") << 7.0 << 7.0 << 5 << QList<double>{0, 2, 4, 6, 8};
    QTest::newRow("equal-negative-bounds") << -7.0 << -7.0 << 5 << QList<double>{-8, -6, -4, -2, 0};
    QTest::newRow("no-tick-asked-counts-as-one") << 0.0 << 7.0 << 0 << QList<double>{0, 10};
    QTest::newRow("one-tick-asked-for-both-signs") << -1.0 << 1.0 << 1 << QList<double>{-1, 0, 1};
    QTest::newRow("one-tick-asked-for-uneven-signs") << -0.5 << 7.0 << 1 << QList<double>{-10, 0, 10};
    QTest::newRow("huge-amount") << 0.0 << 1e12 << 5 << QList<double>{0, 2e11, 4e11, 6e11, 8e11, 1e12};
    QTest::newRow("huge-beside-tiny-negative") << -3.0 << 1e12 << 5
                                               << QList<double>{-2.5e11, 0, 2.5e11, 5e11, 7.5e11, 1e12};
    QTest::newRow("huge-beside-a-cent-below-zero") << -0.01 << 1e12 << 5 << QList<double>{};
    QTest::newRow("tiny-amounts") << 0.0 << 3e-9 << 5 << QList<double>{0, 1e-9, 2e-9, 3e-9};
}

void tst_ReportChart::axisTicksAreRoundAndCoverZero()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(int, maxTicks);
    QFETCH(QList<double>, expected);

    const QList<double> ticks = ReportChart::axisTicks(low, high, maxTicks);
    if (!expected.isEmpty())
        QCOMPARE(describe(ticks), describe(expected)); // exact: ticks are the round numbers they name

    const QString fault = tickFault(low, high, maxTicks, ticks);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void tst_ReportChart::axisTicksHoldAtEveryScale()
{
    // Every order of magnitude a display amount can have, on each side of zero,
    // for every tick count the chart asks for.
    constexpr double Mantissas[] = {1, 1.5, 2.2, 3.7, 7.9, 9.99};
    for (int exponent = -12; exponent <= 15; ++exponent)
        for (const double mantissa : Mantissas)
            for (int maxTicks = 1; maxTicks <= 10; ++maxTicks) {
                const double amount = mantissa * std::pow(10.0, exponent);
                const std::pair<double, double> ranges[] = {
                    {0, amount}, {-amount, 0}, {-amount, amount}, {-amount / 3, amount}, {-amount, amount / 1e6}};
                for (const auto &[low, high] : ranges) {
                    const QString fault = tickFault(low, high, maxTicks, ReportChart::axisTicks(low, high, maxTicks));
                    QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("[%1, %2] / %3: %4")
                                                             .arg(low, 0, 'g', 17)
                                                             .arg(high, 0, 'g', 17)
                                                             .arg(maxTicks)
                                                             .arg(fault)));
                }
            }
}

void tst_ReportChart::axisLabels_data()
{
    QTest::addColumn<QList<double>>("ticks");
    QTest::addColumn<QString>("expected");

    QTest::newRow("thousands-separators") << QList<double>{-4e6, -2e6, 0, 2e6}
                                          << QStringLiteral("-4,000,000 | -2,000,000 | 0 | 2,000,000");
    QTest::newRow("no-decimals-from-a-thousand") << QList<double>{0, 250, 500, 750, 1000, 1250}
                                                 << QStringLiteral("0 | 250 | 500 | 750 | 1,000 | 1,250");
    QTest::newRow("quarter-steps-two-decimals") << QList<double>{0, 0.25, 0.5, 0.75, 1}
                                                << QStringLiteral("0.00 | 0.25 | 0.50 | 0.75 | 1.00");
    QTest::newRow("tenth-steps-one-decimal") << QList<double>{-0.2, -0.1, 0, 0.1} << QStringLiteral("-0.2 | -0.1 | 0.0 | 0.1");
    QTest::newRow("four-decimals") << QList<double>{0, 0.0001, 0.0002} << QStringLiteral("0.0000 | 0.0001 | 0.0002");
    QTest::newRow("finer-than-four-decimals-scientific") << QList<double>{0, 5e-10, 1e-9}
                                                         << QStringLiteral("0 | 5e-10 | 1e-09");
    QTest::newRow("huge") << QList<double>{0, 5e11, 1e12} << QStringLiteral("0 | 500,000,000,000 | 1,000,000,000,000");
}

void tst_ReportChart::axisLabels()
{
    QFETCH(QList<double>, ticks);
    QFETCH(QString, expected);
    QCOMPARE(ReportChart::axisLabels(ticks).join(QStringLiteral(" | ")), expected);
}

void tst_ReportChart::formatValue_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("cents-keep-two-decimals") << 1250000.50 << QStringLiteral("1,250,000.50");
    QTest::newRow("whole-negative") << -3400000.0 << QStringLiteral("-3,400,000");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("negative-zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("rounded-to-four-decimals") << 2.123456 << QStringLiteral("2.1235");
    QTest::newRow("too-small-for-four-decimals") << 0.00004 << QStringLiteral("4e-05");
    QTest::newRow("huge") << 1e12 << QStringLiteral("1,000,000,000,000");
}

void tst_ReportChart::formatValue()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(ReportChart::formatValue(value), expected);
}

void tst_ReportChart::positiveBarRisesAndNegativeBarFalls()
{
    ReportChart chart;
    chart.setChart(ChartKind::Bars, QStringLiteral("Net"), {{QStringLiteral("EUR"), 500}, {QStringLiteral("USD"), -300}});
    QImage image = whiteImage();
    paint(chart, image, image.rect());
    const ReportChart::Layout layout = chart.chartLayout(image.rect(), &image);
    const double zero = layout.yOf(0);

    const double positive = layout.bars.at(0).center().x();
    QVERIFY(countInColumn(image, positive, layout.plot.top(), zero - 2, isBlue) > 0);
    QCOMPARE(countInColumn(image, positive, zero + 2, image.height(), isChartColour), 0);

    const double negative = layout.bars.at(1).center().x();
    QVERIFY(countInColumn(image, negative, zero + 2, layout.plot.bottom(), isRed) > 0);
    QCOMPARE(countInColumn(image, negative, 0, zero - 2, isChartColour), 0);

    // The zero line is darker than the grid lines beside it.
    const QColor zeroLine = image.pixelColor(int(layout.plot.left() + 2), int(zero));
    const QColor gridLine = image.pixelColor(int(layout.plot.left() + 2), int(layout.yOf(layout.ticks.constLast())));
    QVERIFY2(zeroLine.lightness() < gridLine.lightness() && gridLine.lightness() < 255,
             qPrintable(QStringLiteral("%1 %2").arg(zeroLine.name(), gridLine.name())));
}

void tst_ReportChart::barsFollowThePointsLeftToRight()
{
    ReportChart chart;
    chart.setChart(ChartKind::Bars, {}, {{QStringLiteral("A"), 1}, {QStringLiteral("B"), 2}, {QStringLiteral("C"), 3}});
    QImage image = whiteImage();
    paint(chart, image, image.rect());
    const ReportChart::Layout layout = chart.chartLayout(image.rect(), &image);

    QCOMPARE(layout.bars.size(), 3);
    QCOMPARE(layout.labelTexts, (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    double lastBlueTop = image.height();
    for (int i = 0; i < 3; ++i) {
        const QRectF &bar = layout.bars.at(i);
        if (i > 0)
            QVERIFY(bar.left() > layout.bars.at(i - 1).right());
        QVERIFY(std::abs(layout.labelRects.at(i).center().x() - bar.center().x()) < 1);
        // The taller the amount, the higher its blue reaches.
        int blueTop = image.height();
        for (int y = 0; y < image.height(); ++y)
            if (isBlue(image.pixelColor(int(bar.center().x()), y))) {
                blueTop = y;
                break;
            }
        QVERIFY2(blueTop < lastBlueTop, qPrintable(QString::number(i)));
        lastBlueTop = blueTop;
    }
}

void tst_ReportChart::nonzeroAmountStaysVisibleBesideHugeOne()
{
    ReportChart chart;
    chart.setChart(ChartKind::Bars, {},
                   {{QStringLiteral("JPY"), 1e12}, {QStringLiteral("EUR"), 0.01}, {QStringLiteral("USD"), -0.01},
                    {QStringLiteral("CHF"), 0}});
    QImage image = whiteImage();
    paint(chart, image, image.rect());
    const ReportChart::Layout layout = chart.chartLayout(image.rect(), &image);
    const double zero = layout.yOf(0);

    QVERIFY(!layout.bars.at(1).isEmpty());
    QVERIFY(layout.bars.at(1).bottom() <= zero);
    QVERIFY(countInColumn(image, layout.bars.at(1).center().x(), 0, zero - 0.5, isBlue) > 0);
    QVERIFY(!layout.bars.at(2).isEmpty());
    QVERIFY(layout.bars.at(2).top() >= zero);
    QVERIFY(countInColumn(image, layout.bars.at(2).center().x(), zero + 0.5, image.height(), isRed) > 0);
    QVERIFY(layout.bars.at(3).isEmpty());
}

void tst_ReportChart::drawsNothingOutsideItsPlace_data()
{
    QTest::addColumn<bool>("ladder");
    QTest::addColumn<QList<ChartPoint>>("points");
    QTest::addColumn<QSizeF>("areaSize");

    const QSizeF normal(400, 300);
    QTest::newRow("one-point") << false << QList<ChartPoint>{{QStringLiteral("EUR"), 1250000.5}} << normal;
    QTest::newRow("500-points") << false << numbered(500, 1000) << normal;
    QTest::newRow("all-zero") << false << numbered(8, 0) << normal;
    QTest::newRow("huge-beside-tiny") << false
                                      << QList<ChartPoint>{{QStringLiteral("A"), 1e12}, {QStringLiteral("B"), -0.01},
                                                           {QStringLiteral("C"), 0.01}}
                                      << normal;
    QTest::newRow("negative-only") << false
                                   << QList<ChartPoint>{{QStringLiteral("USD"), -3400000}, {QStringLiteral("JPY"), -45000000}}
                                   << normal;
    QTest::newRow("not-finite-values") << false
                                       << QList<ChartPoint>{{QStringLiteral("A"), qQNaN()}, {QStringLiteral("B"), qInf()},
                                                            {QStringLiteral("C"), 5}, {QStringLiteral("D"), 1e308}}
                                       << normal;
    QTest::newRow("ladder-500-dates") << true << numbered(500, 250000.25) << normal;
    QTest::newRow("ladder-not-finite-flow") << true << valueDates({5, qQNaN(), -8}) << normal;
    QTest::newRow("narrow-area") << false << positions() << QSizeF(120, 300);
    QTest::newRow("tiny-area") << true << cashFlows() << QSizeF(60, 40);
}

void tst_ReportChart::drawsNothingOutsideItsPlace()
{
    QFETCH(bool, ladder);
    QFETCH(QList<ChartPoint>, points);
    QFETCH(QSizeF, areaSize);

    ReportChart chart;
    chart.setChart(ladder ? ChartKind::Ladder : ChartKind::Bars, QStringLiteral("A title longer than some of the areas"),
                   points);
    // The chart goes in the middle of a larger page whose rest must stay untouched.
    const QColor page(0, 255, 0);
    QImage image(areaSize.toSize() + QSize(100, 100), QImage::Format_ARGB32);
    image.fill(page);
    const QRectF area(QPointF(50, 50), areaSize);
    paint(chart, image, area);
    const ReportChart::Layout layout = chart.chartLayout(area, &image);

    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!area.contains(QPointF(x + 0.5, y + 0.5)))
                QVERIFY2(image.pixelColor(x, y) == page, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));

    if (layout.plot.isEmpty())
        return;
    QVERIFY(contains(area, layout.plot));
    QVERIFY(contains(area, layout.title));
    for (const QRectF &bar : std::as_const(layout.bars))
        QVERIFY(bar.isEmpty() || contains(layout.plot, bar));
    for (const QRectF &step : std::as_const(layout.steps))
        QVERIFY(step.isEmpty() || contains(layout.plot, step));
    for (const QRectF &label : std::as_const(layout.labelRects))
        QVERIFY(contains(area, label) && label.top() >= layout.plot.bottom());
}

void tst_ReportChart::labelsAreThinnedOrElidedNeverOverlapping_data()
{
    QTest::addColumn<QList<ChartPoint>>("points");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("everyPointLabelled");
    QTest::addColumn<bool>("elided");

    QTest::newRow("currency-codes-all-shown") << positions() << 640 << true << false;
    QTest::newRow("value-dates-thinned-not-cut") << cashFlows() << 400 << false << false;
    QTest::newRow("500-points-thinned") << numbered(500, 1) << 400 << false << false;
    QList<ChartPoint> counterparties;
    for (int i = 0; i < 6; ++i)
        counterparties.append({QStringLiteral("Counterparty %1 International Holdings Limited").arg(i), 1.0 + i});
    QTest::newRow("long-names-elided") << counterparties << 400 << false << true;
    QTest::newRow("one-long-name-elided") << counterparties.mid(0, 1) << 200 << true << true;
}

void tst_ReportChart::labelsAreThinnedOrElidedNeverOverlapping()
{
    QFETCH(QList<ChartPoint>, points);
    QFETCH(int, width);
    QFETCH(bool, everyPointLabelled);
    QFETCH(bool, elided);

    ReportChart chart;
    chart.setChart(ChartKind::Bars, {}, points);
    const QImage image = whiteImage({width, 300});
    const QRectF area = image.rect();
    const ReportChart::Layout layout = chart.chartLayout(area, &image);

    QVERIFY(layout.labelRects.size() >= 1);
    if (everyPointLabelled)
        QCOMPARE(layout.labelRects.size(), points.size());
    else
        QVERIFY(layout.labelRects.size() < points.size());
    for (qsizetype i = 0; i < layout.labelRects.size(); ++i) {
        const QRectF &rect = layout.labelRects.at(i);
        QVERIFY(contains(area, rect));
        if (i > 0) {
            QVERIFY(layout.labelPoints.at(i) > layout.labelPoints.at(i - 1));
            QVERIFY2(rect.left() > layout.labelRects.at(i - 1).right(), qPrintable(layout.labelTexts.at(i)));
        }
        const QString &full = points.at(layout.labelPoints.at(i)).label;
        if (elided)
            QVERIFY2(layout.labelTexts.at(i).endsWith(QChar(0x2026)) && layout.labelTexts.at(i).size() < full.size(),
                     qPrintable(layout.labelTexts.at(i)));
        else
            QCOMPARE(layout.labelTexts.at(i), full);
    }
}

void tst_ReportChart::ladderStepsAreTheRunningSum()
{
    ReportChart chart;
    chart.setChart(ChartKind::Ladder, QStringLiteral("Ladder"), valueDates({5, -8, 2}));
    QCOMPARE(chart.runningTotals(), (QList<double>{5, -3, -1}));

    QImage image = whiteImage();
    paint(chart, image, image.rect());
    const ReportChart::Layout layout = chart.chartLayout(image.rect(), &image);
    const double zero = layout.yOf(0);
    QCOMPARE(layout.steps.size(), 3);
    QVERIFY(layout.steps.at(0).bottom() <= zero);
    QVERIFY(layout.steps.at(1).top() >= zero && layout.steps.at(2).top() >= zero);
    QVERIFY(layout.steps.at(1).bottom() > layout.steps.at(2).bottom()); // -3 reaches lower than -1
    QVERIFY(std::abs(layout.steps.at(0).top() - layout.yOf(5)) < 1);

    // The area itself, beside the day's flow bar in the middle of the slot.
    const auto areaColour = [&](int i) {
        const QRectF &step = layout.steps.at(i);
        return image.pixelColor(int(step.left() + step.width() * 0.15), int(step.center().y()));
    };
    QVERIFY(isBlue(areaColour(0)));
    QVERIFY(isRed(areaColour(1)));
    QVERIFY2(isRed(areaColour(2)), qPrintable(areaColour(2).name()));
    // The day flows are solid bars: +2 on the last date rises above the zero line.
    QVERIFY(layout.bars.at(2).bottom() <= zero);
    QVERIFY(isBlue(image.pixelColor(layout.bars.at(2).center().toPoint())));
}

void tst_ReportChart::runningSumKeepsEveryCent_data()
{
    QTest::addColumn<QList<double>>("flows");
    QTest::addColumn<double>("expected");

    QTest::newRow("one-beside-ten-quadrillion") << QList<double>{1e16, 1, -1e16} << 1.0;
    QTest::newRow("cents-beside-large-amounts") << QList<double>{12345678.91, 0.01, -12345678.91} << 0.01;
    QTest::newRow("flows-that-cancel-out-end-at-zero") << QList<double>{0.1, 0.2, -0.3} << 0.0;
    QTest::newRow("ten-thousand-cents") << QList<double>(10000, 0.01) << 100.0;
}

void tst_ReportChart::runningSumKeepsEveryCent()
{
    QFETCH(QList<double>, flows);
    QFETCH(double, expected);

    ReportChart chart;
    chart.setChart(ChartKind::Ladder, {}, valueDates(flows));
    // Exact comparison: QCOMPARE on doubles would forgive the drift this guards against.
    QVERIFY2(chart.runningTotals().constLast() == expected, qPrintable(describe(chart.runningTotals())));
}

void tst_ReportChart::clearShowsNoBars()
{
    ReportChart chart;
    chart.setChart(ChartKind::Ladder, QStringLiteral("Ladder"), cashFlows());
    QVERIFY(countInImage(rendered(chart), isChartColour) > 0);

    chart.clear();
    QVERIFY(chart.points().isEmpty());
    QVERIFY(chart.title().isEmpty());
    QVERIFY(chart.runningTotals().isEmpty());
    QImage image = whiteImage();
    paint(chart, image, image.rect());
    QCOMPARE(countInImage(image, isChartColour), 0);
    QVERIFY(chart.chartLayout(image.rect(), &image).bars.isEmpty());
    // "No data" in the middle.
    const QImage middle = image.copy(QRect(0, 0, 400, 300).adjusted(120, 120, -120, -120));
    QVERIFY(countInImage(middle, [](const QColor &c) { return c.lightness() < 200; }) > 0);
}

void tst_ReportChart::toolTipNamesThePointUnderTheMouse_data()
{
    QTest::addColumn<bool>("ladder");
    QTest::addColumn<int>("point"); // -1: a place outside the plot
    QTest::addColumn<QString>("expected");

    QTest::newRow("bar-with-cents") << false << 0 << QStringLiteral("EUR: 1,250,000.50");
    QTest::newRow("negative-bar") << false << 3 << QStringLiteral("JPY: -45,000,000");
    QTest::newRow("zero-bar") << false << 4 << QStringLiteral("CHF: 0");
    QTest::newRow("ladder-step") << true << 2
                                 << QStringLiteral("2026-12-10: -3,100,000\nRunning total: -1,800,000");
    QTest::newRow("outside-the-plot") << false << -1 << QString();
}

void tst_ReportChart::toolTipNamesThePointUnderTheMouse()
{
    QFETCH(bool, ladder);
    QFETCH(int, point);
    QFETCH(QString, expected);

    ReportChart chart;
    chart.resize(chart.sizeHint());
    chart.setChart(ladder ? ChartKind::Ladder : ChartKind::Bars, QStringLiteral("Chart"), ladder ? cashFlows() : positions());
    const ReportChart::Layout layout = chart.chartLayout(chart.rect());
    // High in the plot, above the bars' tops: the whole slot answers, not only the bar.
    const QPoint pos = point < 0 ? QPoint(1, 1)
                                 : QPointF(layout.plot.left() + (point + 0.5) * layout.slotWidth, layout.plot.top() + 2)
                                       .toPoint();
    QCOMPARE(chart.toolTipAt(pos), expected);
}

void tst_ReportChart::paintsWithoutBeingShown()
{
    ReportChart chart;
    chart.resize(chart.sizeHint());
    chart.setChart(ChartKind::Bars, QStringLiteral("Net"), positions());
    QVERIFY(!chart.isVisible());
    const QImage image = chart.grab().toImage();
    QVERIFY(countInImage(image, isBlue) > 0);
    QVERIFY(countInImage(image, isRed) > 0);
}

void tst_ReportChart::keepsScreenshots()
{
    const QString folder = QDir::currentPath() + QStringLiteral("/screenshots/");
    QVERIFY(QDir().mkpath(folder));
    ReportChart chart;

    chart.setChart(ChartKind::Bars, QStringLiteral("Net position per currency, value date 2026-12-08"), positions());
    QVERIFY(rendered(chart, {640, 400}).save(folder + QStringLiteral("chart-positions.png")));

    chart.setChart(ChartKind::Ladder, QStringLiteral("Cash-flow ladder, USD"), cashFlows());
    QVERIFY(rendered(chart, {640, 400}).save(folder + QStringLiteral("chart-cashflow-ladder.png")));
}

QTEST_MAIN(tst_ReportChart)
#include "tst_reportchart.moc"
