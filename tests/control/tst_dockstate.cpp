#include "DockTarget.h"

#include <QTest>

Q_DECLARE_METATYPE(AlignQEnum)
Q_DECLARE_METATYPE(AllSettings)

namespace {

// Left 20, top 40, right 820, bottom 640: an origin away from (0, 0) catches
// distances measured from the wrong corner.
const QRect Reference(20, 40, 800, 600);

QString describe(const AllSettings &s)
{
    return QStringLiteral("align=%1 pos=(%2,%3) visible=%4 expand=%5 display=%6")
            .arg(int(s.QPAlign))
            .arg(double(s.QPPosition[0]))
            .arg(double(s.QPPosition[1]))
            .arg(s.QPVisible)
            .arg(s.AutoExpand)
            .arg(int(s.DisplaySetting));
}

AllSettings settings(AlignQEnum align, float x = 0, float y = 0)
{
    // Non-default values everywhere a drop must not touch.
    AllSettings s;
    s.DisplaySetting = vwSummary;
    s.QPVisible = false;
    s.AutoExpand = true;
    s.QPAlign = align;
    s.QPPosition = {x, y};
    return s;
}

} // namespace

class tst_DockState final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nextTarget_data();
    void nextTarget();
    void drop_data();
    void drop();
};

void tst_DockState::nextTarget_data()
{
    QTest::addColumn<AlignQEnum>("current");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QRect>("reference");
    QTest::addColumn<AlignQEnum>("expected");

    const auto row = [](const char *name, AlignQEnum current, QPoint pointer, AlignQEnum expected,
                        QRect reference = Reference) {
        QTest::newRow(name) << current << pointer << reference << expected;
    };

    // Floating: each edge within 24 pixels, later edges winning at corners.
    row("none-middle-stays-none", drNone, {420, 340}, drNone);
    row("none-24-from-left-docks-left", drNone, {44, 340}, drLeft);
    row("none-25-from-left-stays-none", drNone, {45, 340}, drNone);
    row("none-24-from-right-docks-right", drNone, {796, 340}, drRight);
    row("none-25-from-right-stays-none", drNone, {795, 340}, drNone);
    row("none-24-from-top-docks-top", drNone, {420, 64}, drTop);
    row("none-25-from-top-stays-none", drNone, {420, 65}, drNone);
    row("none-24-from-bottom-docks-bottom", drNone, {420, 616}, drBottom);
    row("none-25-from-bottom-stays-none", drNone, {420, 615}, drNone);
    row("none-top-left-corner-goes-top", drNone, {30, 50}, drTop);
    row("none-bottom-right-corner-goes-bottom", drNone, {810, 630}, drBottom);
    row("none-left-of-area-docks-left", drNone, {0, 340}, drLeft);
    row("none-tiny-area-bottom-wins", drNone, {20, 20}, drBottom, QRect(0, 0, 40, 40));

    // Docked at the top or bottom: sticky near its own edge, else the sides.
    row("top-sticks-in-middle-of-edge", drTop, {420, 50}, drTop);
    row("top-sticks-in-left-corner", drTop, {30, 50}, drTop);
    row("top-leaves-to-left", drTop, {30, 340}, drLeft);
    row("top-leaves-to-right", drTop, {810, 340}, drRight);
    row("top-leaves-to-none", drTop, {420, 340}, drNone);
    row("top-does-not-jump-to-bottom", drTop, {420, 630}, drNone);
    row("top-bottom-left-corner-goes-left", drTop, {30, 630}, drLeft);
    row("bottom-sticks-in-right-corner", drBottom, {810, 630}, drBottom);
    row("bottom-leaves-to-none", drBottom, {420, 340}, drNone);
    row("bottom-does-not-jump-to-top", drBottom, {420, 50}, drNone);

    // Docked at the left or right: sticky near its own edge, else top/bottom.
    row("left-sticks-along-edge", drLeft, {30, 340}, drLeft);
    row("left-sticks-in-top-corner", drLeft, {30, 50}, drLeft);
    row("left-leaves-to-top", drLeft, {420, 50}, drTop);
    row("left-leaves-to-bottom", drLeft, {420, 630}, drBottom);
    row("left-leaves-to-none", drLeft, {420, 340}, drNone);
    row("left-does-not-jump-to-right", drLeft, {810, 340}, drNone);
    row("right-sticks-in-bottom-corner", drRight, {810, 630}, drRight);
    row("right-leaves-to-bottom", drRight, {420, 630}, drBottom);
    row("right-does-not-jump-to-left", drRight, {30, 340}, drNone);

    row("unknown-current-acts-as-none-in-middle", AlignQEnum(7), {420, 340}, drNone);
    row("unknown-current-acts-as-none-at-left", AlignQEnum(-1), {30, 340}, drLeft);
}

void tst_DockState::nextTarget()
{
    QFETCH(AlignQEnum, current);
    QFETCH(QPoint, pointer);
    QFETCH(QRect, reference);
    QFETCH(AlignQEnum, expected);
    QCOMPARE(int(nextDockTarget(current, pointer, reference)), int(expected));
}

void tst_DockState::drop_data()
{
    QTest::addColumn<AllSettings>("current");
    QTest::addColumn<AlignQEnum>("target");
    QTest::addColumn<QPoint>("dropPoint");
    QTest::addColumn<bool>("hasOffset");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<AllSettings>("expected");

    const QPoint drop(400, 300);
    const QPoint grab(150, 12);
    QTest::newRow("same-side-top-changes-nothing")
            << settings(drTop) << drTop << drop << true << grab << false << settings(drTop);
    QTest::newRow("same-side-right-changes-nothing")
            << settings(drRight) << drRight << drop << false << QPoint() << false << settings(drRight);
    QTest::newRow("dock-left-from-top")
            << settings(drTop) << drLeft << drop << true << grab << true << settings(drLeft);
    QTest::newRow("dock-from-floating-resets-position")
            << settings(drNone, 120, 80) << drBottom << drop << true << grab << true
            << settings(drBottom);
    QTest::newRow("float-from-top-at-drop-less-offset")
            << settings(drTop) << drNone << drop << true << grab << true << settings(drNone, 250, 288);
    QTest::newRow("float-without-offset-at-drop-point")
            << settings(drTop) << drNone << drop << false << QPoint() << true
            << settings(drNone, 400, 300);
    QTest::newRow("float-moves-floating-panel")
            << settings(drNone, 10, 10) << drNone << drop << true << QPoint(50, 10) << true
            << settings(drNone, 350, 290);
    QTest::newRow("float-to-same-place-changes-nothing")
            << settings(drNone, 350, 290) << drNone << drop << true << QPoint(50, 10) << false
            << settings(drNone, 350, 290);
    QTest::newRow("float-grabbed-far-right-keeps-negative-left")
            << settings(drLeft) << drNone << QPoint(50, 30) << true << grab << true
            << settings(drNone, -100, 18);
}

void tst_DockState::drop()
{
    QFETCH(AllSettings, current);
    QFETCH(AlignQEnum, target);
    QFETCH(QPoint, dropPoint);
    QFETCH(bool, hasOffset);
    QFETCH(QPoint, offset);
    QFETCH(bool, changed);
    QFETCH(AllSettings, expected);

    const DockDrop result = dropDockTarget(current, target, dropPoint,
                                           hasOffset ? std::optional<QPoint>(offset) : std::nullopt);
    QCOMPARE(result.changed, changed);
    QCOMPARE(describe(result.settings), describe(expected));
}

QTEST_GUILESS_MAIN(tst_DockState)
#include "tst_dockstate.moc"
