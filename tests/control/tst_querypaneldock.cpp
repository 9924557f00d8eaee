#include "QueryPanelDock.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <array>
#include <cmath>
#include <memory>

Q_DECLARE_METATYPE(AlignQEnum)
Q_DECLARE_METATYPE(AllSettings)

namespace {

constexpr int FilterCount = 6;

AllSettings placed(AlignQEnum align, float x = 0, float y = 0, bool visible = true)
{
    AllSettings s;
    s.QPAlign = align;
    s.QPPosition = {x, y};
    s.QPVisible = visible;
    return s;
}

/// The edge the panel lies along over its full length; drNone for none.
AlignQEnum sideAlongEdge(QRect panel, QRect area)
{
    if (panel.width() == area.width())
        return panel.top() == area.top() ? drTop : panel.bottom() == area.bottom() ? drBottom : drNone;
    if (panel.height() == area.height())
        return panel.left() == area.left() ? drLeft : panel.right() == area.right() ? drRight : drNone;
    return drNone;
}

/// A host window holding the area the way the control does: the area is a
/// child, so minimizing concerns the top-level window, not the area.
struct Host
{
    Host()
    {
        window.resize(1000, 700);
        auto *layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        area = new QWidget;
        layout->addWidget(area);

        panel = new QFrame(area);
        title = new QWidget(panel);
        title->setFixedHeight(28);
        body = new QWidget(panel);
        for (int i = 0; i < FilterCount; ++i) {
            slots[i].lbCaption = new QLabel(QStringLiteral("Filter %1").arg(i), body);
            slots[i].Common = new QLineEdit(body);
        }
        table = new QWidget(&window);   // the dock moves it into the area
        dock = std::make_unique<QueryPanelDock>(area, panel, title, body, table);
        dock->setFilters(slots);
        window.show();
    }

    QRect areaRect() const { return area->rect(); }
    QPoint titlePoint(QPoint inArea) const { return title->mapFrom(area, inArea); }
    QPoint filterTop(int i) const { return widget(i)->mapTo(panel, QPoint(0, 0)); }
    QWidget *widget(int i) const { return qobject_cast<QWidget *>(slots[i].Common.data()); }

    QWidget window;
    QWidget *area = nullptr;
    QFrame *panel = nullptr;
    QWidget *title = nullptr;
    QWidget *body = nullptr;
    QWidget *table = nullptr;
    std::array<FilterControl, FilterCount> slots{};
    std::unique_ptr<QueryPanelDock> dock;
};

} // namespace

class tst_QueryPanelDock final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldDockAtEachEdgeWithTableBeside_data();
    void shouldDockAtEachEdgeWithTableBeside();
    void shouldFloatAtStoredPositionOverTable();
    void shouldKeepFloatingPanelInsideArea_data();
    void shouldKeepFloatingPanelInsideArea();
    void shouldGiveTableWholeAreaWhenHidden();
    void shouldCloseGapOfHiddenFilter();
    void shouldDockLeftWhenDraggedToLeftEdge();
    void shouldFloatAtDropLessGrabOffset();
    void shouldChangeNothing_data();
    void shouldChangeNothing();
    void shouldWaitForRestoreWhenMinimized_data();
    void shouldWaitForRestoreWhenMinimized();
};

void tst_QueryPanelDock::shouldDockAtEachEdgeWithTableBeside_data()
{
    QTest::addColumn<AlignQEnum>("align");
    QTest::addColumn<bool>("pairsSideBySide");
    QTest::newRow("top-horizontal-band") << drTop << true;
    QTest::newRow("bottom-horizontal-band") << drBottom << true;
    QTest::newRow("left-vertical-band") << drLeft << false;
    QTest::newRow("right-vertical-band") << drRight << false;
}

void tst_QueryPanelDock::shouldDockAtEachEdgeWithTableBeside()
{
    QFETCH(AlignQEnum, align);
    QFETCH(bool, pairsSideBySide);
    Host host;
    host.dock->apply(placed(align));

    const QRect area = host.areaRect();
    const QRect panel = host.panel->geometry();
    const QRect table = host.table->geometry();
    QVERIFY(host.panel->isVisible());
    QVERIFY(table.width() > 0 && table.height() > 0);
    // Panel and table share the area without overlapping, the panel along
    // the whole of its edge.
    QVERIFY(!panel.intersects(table));
    QCOMPARE(panel.united(table), area);
    QCOMPARE(int(sideAlongEdge(panel, area)), int(align));
    // Bands across the width hold several pairs per row; side bands one.
    QCOMPARE(host.filterTop(1).y() == host.filterTop(0).y(), pairsSideBySide);
    QCOMPARE(host.dock->filterColumns() > 1, pairsSideBySide);
}

void tst_QueryPanelDock::shouldFloatAtStoredPositionOverTable()
{
    Host host;
    host.dock->apply(placed(drNone, 120, 80));

    const QRect panel = host.panel->geometry();
    QCOMPARE(panel.topLeft(), QPoint(120, 80));
    QCOMPARE(host.table->geometry(), host.areaRect());
    QCOMPARE(host.dock->filterColumns(), 2);
    // Sized to its content: three rows of two pairs, well inside the area.
    QVERIFY(panel.width() < host.areaRect().width() / 2 + 200);
    QVERIFY(panel.height() < host.areaRect().height() / 2);
    QCOMPARE(host.filterTop(2).y() > host.filterTop(1).y(), true);
    // Raised over the table, with a plain frame.
    QWidget *top = host.area->childAt(panel.center());
    QVERIFY(top == host.panel || host.panel->isAncestorOf(top));
    QCOMPARE(host.panel->frameShadow(), QFrame::Plain);
    QVERIFY(host.panel->frameWidth() > 0);
}

void tst_QueryPanelDock::shouldKeepFloatingPanelInsideArea_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::newRow("beyond-right-and-bottom") << 5000.0f << 3000.0f;
    QTest::newRow("negative") << -300.0f << -40.0f;
    QTest::newRow("not-a-number") << std::nanf("") << 50.0f;
}

void tst_QueryPanelDock::shouldKeepFloatingPanelInsideArea()
{
    QFETCH(float, x);
    QFETCH(float, y);
    Host host;
    host.dock->apply(placed(drNone, x, y));
    QVERIFY(host.areaRect().contains(host.panel->geometry()));
    // Only the display is corrected: the stored position stays as given.
    const AllSettings kept = host.dock->settings();
    QCOMPARE(std::isnan(x) ? std::isnan(kept.QPPosition[0]) : kept.QPPosition[0] == x, true);
    QCOMPARE(kept.QPPosition[1], y);
}

void tst_QueryPanelDock::shouldGiveTableWholeAreaWhenHidden()
{
    Host host;
    host.dock->apply(placed(drLeft, 0, 0, false));
    QVERIFY(host.panel->isHidden());
    QVERIFY(host.table->isVisible());
    QCOMPARE(host.table->geometry(), host.areaRect());
}

void tst_QueryPanelDock::shouldCloseGapOfHiddenFilter()
{
    Host host;
    host.dock->apply(placed(drLeft));
    const QPoint secondRow = host.filterTop(1);
    host.widget(1)->hide();
    qobject_cast<QWidget *>(host.slots[1].lbCaption.data())->hide();
    host.dock->relayout();
    // The grid moves its widgets when its layout request is processed.
    QTRY_COMPARE(host.filterTop(2), secondRow);
}

void tst_QueryPanelDock::shouldDockLeftWhenDraggedToLeftEdge()
{
    Host host;
    host.dock->apply(placed(drTop));
    QSignalSpy spy(host.dock.get(), &QueryPanelDock::placementChanged);

    QTest::mousePress(host.title, Qt::LeftButton, {}, QPoint(60, 10));
    QVERIFY(host.dock->isDragging());
    QVERIFY(host.dock->dragMarker()->isVisible());
    QTest::mouseMove(host.title, host.titlePoint(QPoint(300, 300)));
    QCOMPARE(int(host.dock->dragTarget()), int(drNone));
    QTest::mouseMove(host.title, host.titlePoint(QPoint(10, 300)));
    QCOMPARE(int(host.dock->dragTarget()), int(drLeft));
    // The marker shows the band along the left edge.
    QCOMPARE(host.dock->dragMarker()->geometry().topLeft(), QPoint(0, 0));
    QCOMPARE(host.dock->dragMarker()->height(), host.areaRect().height());
    QTest::mouseRelease(host.title, Qt::LeftButton, {}, host.titlePoint(QPoint(10, 300)));

    QVERIFY(!host.dock->isDragging());
    QVERIFY(!host.dock->dragMarker()->isVisible());
    QCOMPARE(spy.count(), 1);
    const auto emitted = spy.at(0).at(0).value<AllSettings>();
    QCOMPARE(int(emitted.QPAlign), int(drLeft));
    QCOMPARE(emitted.QPPosition[0], 0.0f);
    QCOMPARE(emitted.QPPosition[1], 0.0f);
    QCOMPARE(host.panel->geometry().topLeft(), QPoint(0, 0));
    QCOMPARE(host.panel->height(), host.areaRect().height());
}

void tst_QueryPanelDock::shouldFloatAtDropLessGrabOffset()
{
    Host host;
    host.dock->apply(placed(drTop));
    QSignalSpy spy(host.dock.get(), &QueryPanelDock::placementChanged);

    const QPoint grabInTitle(60, 10);
    const QPoint grabOffset = host.title->mapTo(host.area, grabInTitle) - host.panel->pos();
    QTest::mousePress(host.title, Qt::LeftButton, {}, grabInTitle);
    QTest::mouseMove(host.title, host.titlePoint(QPoint(400, 300)));
    const QPoint drop(420, 310);
    QTest::mouseMove(host.title, host.titlePoint(drop));
    // While floating, the marker follows the pointer at the panel's size.
    QCOMPARE(host.dock->dragMarker()->pos(), drop - grabOffset);
    QTest::mouseRelease(host.title, Qt::LeftButton, {}, host.titlePoint(drop));

    QCOMPARE(spy.count(), 1);
    const auto emitted = spy.at(0).at(0).value<AllSettings>();
    QCOMPARE(int(emitted.QPAlign), int(drNone));
    QCOMPARE(QPoint(int(emitted.QPPosition[0]), int(emitted.QPPosition[1])), drop - grabOffset);
    QCOMPARE(host.panel->pos(), drop - grabOffset);
    QCOMPARE(host.table->geometry(), host.areaRect());
}

void tst_QueryPanelDock::shouldChangeNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("escape-during-drag") << QStringLiteral("escape");
    QTest::newRow("release-on-own-side") << QStringLiteral("own-side");
    QTest::newRow("release-outside-area") << QStringLiteral("outside");
}

void tst_QueryPanelDock::shouldChangeNothing()
{
    QFETCH(QString, how);
    Host host;
    host.dock->apply(placed(drTop));
    const QRect before = host.panel->geometry();
    QSignalSpy spy(host.dock.get(), &QueryPanelDock::placementChanged);

    QTest::mousePress(host.title, Qt::LeftButton, {}, QPoint(60, 10));
    QPoint release = host.titlePoint(QPoint(10, 300));
    QTest::mouseMove(host.title, release);
    if (how == QLatin1String("escape")) {
        QTest::keyClick(host.title, Qt::Key_Escape);
        QVERIFY(!host.dock->isDragging());
        QVERIFY(!host.dock->dragMarker()->isVisible());
    } else if (how == QLatin1String("own-side")) {
        release = host.titlePoint(QPoint(500, 12));
        QTest::mouseMove(host.title, release);
    } else {
        release = host.titlePoint(QPoint(10, -20));
        QTest::mouseMove(host.title, release);
    }
    QTest::mouseRelease(host.title, Qt::LeftButton, {}, release);

    QCOMPARE(spy.count(), 0);
    QCOMPARE(int(host.dock->settings().QPAlign), int(drTop));
    QCOMPARE(host.panel->geometry(), before);
}

void tst_QueryPanelDock::shouldWaitForRestoreWhenMinimized_data()
{
    QTest::addColumn<bool>("resizeWhileMinimized");
    QTest::newRow("settings-applied-while-minimized") << false;
    QTest::newRow("settings-applied-and-window-resized") << true;
}

void tst_QueryPanelDock::shouldWaitForRestoreWhenMinimized()
{
    QFETCH(bool, resizeWhileMinimized);
    Host host;
    host.dock->apply(placed(drTop));
    const QRect before = host.panel->geometry();

    host.window.setWindowState(Qt::WindowMinimized);
    host.dock->apply(placed(drLeft));
    if (resizeWhileMinimized)
        host.window.resize(800, 500);
    QCoreApplication::processEvents();
    QCOMPARE(host.panel->geometry(), before);

    // Restoring lays out what was applied meanwhile, at the restored size.
    host.window.setWindowState(Qt::WindowNoState);
    QCoreApplication::processEvents();
    QCOMPARE(host.panel->geometry().topLeft(), QPoint(0, 0));
    QCOMPARE(host.panel->height(), host.areaRect().height());
    QCOMPARE(host.table->geometry().right(), host.areaRect().right());
}

QTEST_MAIN(tst_QueryPanelDock)
#include "tst_querypaneldock.moc"
