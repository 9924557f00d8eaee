#include "Grid.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using widgets::FormatCondition;
using widgets::Grid;
using widgets::GridColumn;
using widgets::GridModel;

namespace {

// Deals of `pairs` currency pairs, `perPair` deals each plus one summary row per
// pair, in the order a report writes them (the deals of a pair, then its summary).
struct Book
{
    struct Deal
    {
        int pair;
        qint64 ticket;
        data::Currency buy;
        data::Currency sell;
        double rate;
        bool summary;
        QString dealer;
    };
    QVector<Deal> deals;

    Book(int pairs, int perPair)
    {
        qint64 ticket = 1000;
        for (int p = 1; p <= pairs; ++p) {
            data::Currency buys;
            data::Currency sells;
            for (int d = 0; d < perPair; ++d) {
                const bool isBuy = (d % 3) != 1;
                const auto amount = data::Currency::fromRaw(qint64(d + 1) * 1234567890 % 9999999999 + 10000);
                Deal deal{p, ticket++, isBuy ? amount : data::Currency(), isBuy ? data::Currency() : -amount,
                          1.0 + p / 10.0 + d / 1000.0, false,
                          QStringList{QStringLiteral("Anna K."), QStringLiteral("Boris M."), QStringLiteral("Chen L.")}.at(d % 3)};
                (isBuy ? buys : sells) += isBuy ? deal.buy : deal.sell;
                deals.append(deal);
            }
            deals.append({p, -1, buys, sells, 0.0, true, QString()});
        }
    }

    QVariant cell(int row, int column) const
    {
        const Deal &d = deals.at(row);
        switch (column) {
        case 0: return d.pair;
        case 1: return d.summary ? QVariant() : QVariant(d.ticket);
        case 2: return d.summary ? QVariant(QStringLiteral("Ccy1: ") + QString::number(d.buy.toDouble() + d.sell.toDouble(), 'f', 2))
                                 : QVariant(d.dealer);
        case 3: return QVariant::fromValue(d.buy);
        case 4: return QVariant::fromValue(d.sell);
        case 5: return d.summary ? QVariant() : QVariant(d.rate);
        case 6: return d.summary;
        case 7: return QVariant::fromValue(d.buy + d.sell);
        default: return {};
        }
    }
};

void setUpColumns(Grid &grid)
{
    const struct { const char *key; const char *caption; int width; GridColumn::Alignment align; const char *format; } cols[] = {
        {"Caption", "Currency", 90, GridColumn::AlignLeft, ""},
        {"TicketNum", "Ticket #", 80, GridColumn::AlignRight, ""},
        {"DealerName", "Dealers Name", 130, GridColumn::AlignLeft, ""},
        {"BuyCcy1", "Buy Ccy1", 130, GridColumn::AlignRight, "#,##0.00"},
        {"SellCcy1", "Sell Ccy1", 130, GridColumn::AlignRight, "#,##0.00"},
        {"Rate", "Rate", 80, GridColumn::AlignRight, "0.0000"},
        {"Summary", "Summary", 60, GridColumn::AlignLeft, ""},
        {"Net", "Net Ccy1", 130, GridColumn::AlignRight, "#,##0.00;(#,##0.00)"},
    };
    for (const auto &c : cols) {
        GridColumn *col = grid.addColumn(QLatin1String(c.key), QLatin1String(c.caption));
        col->setWidth(c.width);
        col->setTextAlignment(c.align);
        col->setFormat(QLatin1String(c.format));
    }
    grid.Columns(QStringLiteral("Caption"))->setVisible(false);
    grid.Columns(QStringLiteral("Summary"))->setVisible(false);
    const char *pairs[] = {"EUR/USD", "GBP/USD", "USD/JPY", "USD/CHF", "AUD/USD", "EUR/GBP"};
    for (int i = 0; i < 6; ++i)
        grid.Columns(QStringLiteral("Caption"))->valueList()->Add(i + 1, QLatin1String(pairs[i]));
    FormatCondition *summ = grid.addFormatCondition(QStringLiteral("Summ"), QStringLiteral("Summary"),
                                                    FormatCondition::Equal, true);
    summ->setFontBold(true);
    summ->setForeColor(0xFF0000);
    grid.addFormatCondition(QStringLiteral("Negative"), QStringLiteral("Net"), FormatCondition::LessThan, 0)
        ->setForeColor(0x0000FF);
}

struct Fixture
{
    Book book;
    Grid grid;

    explicit Fixture(int pairs = 40, int perPair = 50)
        : book(pairs, perPair)
    {
        grid.resize(900, 500);
        setUpColumns(grid);
        grid.setCellReader([this](int row, int column) { return book.cell(row, column); });
        grid.setItemCount(int(book.deals.size()));
        grid.addGroup(QStringLiteral("Caption"));
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
    }

    QPoint rowCenter(int row) const
    {
        const QRect r = grid.visualRect(grid.indexAtRow(row).siblingAtColumn(1));
        return r.center();
    }
};

} // namespace

class tst_Grid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsOnlyTheRowsOnScreen();
    void rowPositionsCountGroupAndExpandedRows();
    void expandsAndCollapsesAllAndSelected();
    void keepsExpansionCurrentRowAndScrollAcrossRefresh();
    void keepsPlaceInGroupWhenBookmarksShift();
    void fallsBackWhenCurrentGroupDisappears();
    void raisesRowChangeWithThePreviousRow();
    void raisesDoubleClickAndKeyPress();
    void reportsMouseUpInGridCoordinates();
    void findsColumnAtPointInHeaderAndRows();
    void appliesColumnLayoutToHeaderAndBack();
    void readsCurrentRowValues();
    void copiesVisibleColumnsAsText();
    void showsGroupByBoxAboveHeader();
    void rendersGroupedGridReadably();
};

void tst_Grid::readsOnlyTheRowsOnScreen()
{
    Grid grid;
    grid.resize(600, 400);
    grid.addColumn(QStringLiteral("Group"), QStringLiteral("Group"));
    grid.addColumn(QStringLiteral("Amount"), QStringLiteral("Amount"));
    grid.addFormatCondition(QStringLiteral("Negative"), QStringLiteral("Amount"), FormatCondition::LessThan, 0)
        ->setForeColor(0x0000FF);
    QSet<int> amountRowsRead;
    grid.setCellReader([&amountRowsRead](int row, int column) -> QVariant {
        if (column == 1)
            amountRowsRead.insert(row);
        return column == 0 ? QVariant(row / 50000) : QVariant(row % 7 - 3);
    });
    grid.setItemCount(200000);
    grid.addGroup(QStringLiteral("Group"));
    // Grouping read the group column only (the layout may measure a first row).
    QVERIFY2(amountRowsRead.size() < 5, qPrintable(QString::number(amountRowsRead.size())));
    amountRowsRead.clear();
    grid.expandAllGroups();
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.verticalScrollBar()->setValue(120000);
    grid.grab();
    QVERIFY(!amountRowsRead.isEmpty());
    QVERIFY2(amountRowsRead.size() < 200, qPrintable(QString::number(amountRowsRead.size())));
}

void tst_Grid::rowPositionsCountGroupAndExpandedRows()
{
    Fixture f(3, 4);   // 3 groups of 5 rows
    QAbstractItemModelTester tester(f.grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(f.grid.visibleRowCount(), 3);
    f.grid.expand(f.grid.gridModel()->index(1, 0));
    QCOMPARE(f.grid.visibleRowCount(), 8);
    for (int row = 0; row < f.grid.visibleRowCount(); ++row)
        QCOMPARE(f.grid.rowOfIndex(f.grid.indexAtRow(row)), row);
    QVERIFY(f.grid.isGroupRow(1));
    QVERIFY(!f.grid.isGroupRow(2));
    QVERIFY(f.grid.isGroupRow(7));
    QVERIFY(!f.grid.indexAtRow(8).isValid());
    // Rows inside a collapsed group are not on screen.
    QCOMPARE(f.grid.rowOfIndex(f.grid.gridModel()->index(0, 0, f.grid.gridModel()->index(0, 0))), -1);
    f.grid.setRow(3);
    QCOMPARE(f.grid.Row(), 3);
    QCOMPARE(f.grid.currentBookmark(), 6);   // second row of the second pair
    f.grid.setRow(99);
    QCOMPARE(f.grid.Row(), 3);
}

void tst_Grid::expandsAndCollapsesAllAndSelected()
{
    Fixture f(4, 2);
    f.grid.expandAllGroups();
    QCOMPARE(f.grid.visibleRowCount(), 4 * 4);
    f.grid.collapseAllGroups();
    QCOMPARE(f.grid.visibleRowCount(), 4);
    f.grid.setRow(2);
    f.grid.expandSelectedGroups();
    QCOMPARE(f.grid.visibleRowCount(), 4 + 3);
    QVERIFY(f.grid.isExpanded(f.grid.gridModel()->index(2, 0)));
}

void tst_Grid::keepsExpansionCurrentRowAndScrollAcrossRefresh()
{
    Fixture f;
    GridModel *m = f.grid.gridModel();
    for (int g : {3, 4, 5, 20})
        f.grid.expand(m->index(g, 0));
    const QModelIndex target = m->index(17, 0, m->index(20, 0));
    f.grid.setCurrentIndex(target);
    f.grid.verticalScrollBar()->setValue(120);
    const int row = f.grid.Row();
    const int bookmark = f.grid.currentBookmark();
    QSignalSpy rowChange(&f.grid, &Grid::RowChange);

    f.grid.refresh();
    QCOMPARE(f.grid.Row(), row);
    QCOMPARE(f.grid.currentBookmark(), bookmark);
    QCOMPARE(f.grid.verticalScrollBar()->value(), 120);
    for (int g = 0; g < m->rowCount(); ++g)
        QCOMPARE(f.grid.isExpanded(m->index(g, 0)), g == 3 || g == 4 || g == 5 || g == 20);
    QCOMPARE(rowChange.count(), 0);

    // New data arriving through ItemCount keeps the same state as well.
    f.book.deals.append({41, 99999, data::Currency::fromUnits(1), {}, 1.5, false, QStringLiteral("Anna K.")});
    f.grid.setItemCount(int(f.book.deals.size()));
    QCOMPARE(f.grid.Row(), row);
    QCOMPARE(m->rowCount(), 41);
    QCOMPARE(rowChange.count(), 0);
}

void tst_Grid::keepsPlaceInGroupWhenBookmarksShift()
{
    Fixture f(3, 4);
    GridModel *m = f.grid.gridModel();
    f.grid.expand(m->index(1, 0));
    f.grid.setCurrentIndex(m->index(2, 0, m->index(1, 0)));   // ticket 1006
    const int row = f.grid.Row();
    f.book.deals[7].ticket = 7777;                            // same place, other content
    f.book.deals.removeAt(0);                                  // an earlier row goes: bookmarks shift
    f.grid.setItemCount(int(f.book.deals.size()));
    QCOMPARE(f.grid.Row(), row);
    QCOMPARE(f.grid.Value(QStringLiteral("TicketNum")).toLongLong(), qint64(7777));
}

void tst_Grid::fallsBackWhenCurrentGroupDisappears()
{
    Fixture f(3, 4);
    GridModel *m = f.grid.gridModel();
    f.grid.expand(m->index(2, 0));
    f.grid.setCurrentIndex(m->index(1, 0, m->index(2, 0)));
    QSignalSpy rowChange(&f.grid, &Grid::RowChange);
    const int before = f.grid.Row();
    f.book.deals.resize(10);   // pair 3 is gone
    f.grid.setItemCount(10);
    QCOMPARE(m->rowCount(), 2);
    QVERIFY(f.grid.Row() != before);
    QCOMPARE(rowChange.count(), 1);
    QCOMPARE(rowChange.first().first().toInt(), before);
    f.grid.setItemCount(0);
    QCOMPARE(f.grid.Row(), -1);
    QCOMPARE(f.grid.visibleRowCount(), 0);
}

void tst_Grid::raisesRowChangeWithThePreviousRow()
{
    Fixture f(3, 4);
    f.grid.setFocus();
    f.grid.setRow(0);
    QSignalSpy rowChange(&f.grid, &Grid::RowChange);
    QTest::keyClick(&f.grid, Qt::Key_Down);
    QCOMPARE(f.grid.Row(), 1);
    QCOMPARE(rowChange.count(), 1);
    QCOMPARE(rowChange.at(0).at(0).toInt(), 0);
    QTest::keyClick(&f.grid, Qt::Key_Right);   // expands the group: no row change
    QCOMPARE(rowChange.count(), 1);
    QTest::keyClick(&f.grid, Qt::Key_Down);
    QCOMPARE(rowChange.count(), 2);
    QCOMPARE(rowChange.at(1).at(0).toInt(), 1);
    QVERIFY(!f.grid.IsGroupItem());
}

void tst_Grid::raisesDoubleClickAndKeyPress()
{
    Fixture f(3, 4);
    f.grid.expandAllGroups();
    QSignalSpy dbl(&f.grid, &Grid::DblClick);
    QSignalSpy key(&f.grid, &Grid::KeyPress);
    QTest::mouseDClick(f.grid.viewport(), Qt::LeftButton, {}, f.rowCenter(2));
    QCOMPARE(dbl.count(), 1);
    QCOMPARE(f.grid.Row(), 2);
    // Outside any row nothing is double-clicked.
    QTest::mouseDClick(f.grid.viewport(), Qt::LeftButton, {}, QPoint(10, f.grid.viewport()->height() - 3));
    QCOMPARE(dbl.count(), 1);

    f.grid.setFocus();
    QTest::keyClick(&f.grid, Qt::Key_Space);
    QCOMPARE(key.count(), 1);
    QCOMPARE(key.at(0).at(0).toInt(), 32);
    QCOMPARE(f.grid.Row(), 2);   // space does not move or reselect
}

void tst_Grid::reportsMouseUpInGridCoordinates()
{
    Fixture f(3, 4);
    QSignalSpy up(&f.grid, &Grid::MouseUp);
    const QPoint inRows = f.rowCenter(1);
    QTest::mouseClick(f.grid.viewport(), Qt::RightButton, Qt::ShiftModifier, inRows);
    QCOMPARE(up.count(), 1);
    const QPoint expected = f.grid.viewport()->mapTo(&f.grid, inRows);
    QCOMPARE(up.at(0).at(0).toInt(), 2);
    QCOMPARE(up.at(0).at(1).toInt(), 1);
    QCOMPARE(up.at(0).at(2).toInt(), expected.x());
    QCOMPARE(up.at(0).at(3).toInt(), expected.y());

    QHeaderView *h = f.grid.header();
    QTest::mouseClick(h->viewport(), Qt::RightButton, {}, QPoint(10, h->height() / 2));
    QCOMPARE(up.count(), 2);
    QVERIFY(up.at(1).at(3).toInt() < f.grid.viewport()->y());
}

void tst_Grid::findsColumnAtPointInHeaderAndRows()
{
    Fixture f(3, 4);
    QHeaderView *h = f.grid.header();
    const int dealerX = h->sectionViewportPosition(2) + 5;
    const QPoint inHeader = h->viewport()->mapTo(&f.grid, QPoint(dealerX, h->height() / 2));
    QCOMPARE(f.grid.ColFromPoint(inHeader.x(), inHeader.y())->Key(), QStringLiteral("DealerName"));
    const QPoint inRows = f.grid.viewport()->mapTo(&f.grid, QPoint(dealerX, 5));
    QCOMPARE(f.grid.ColFromPoint(inRows.x(), inRows.y())->Key(), QStringLiteral("DealerName"));
    // Right of the last column and outside the grid there is no column.
    const QPoint beyond = f.grid.viewport()->mapTo(&f.grid, QPoint(f.grid.viewport()->width() - 2, 5));
    QVERIFY(!f.grid.ColFromPoint(beyond.x(), beyond.y()));
    QVERIFY(!f.grid.ColFromPoint(-5, -5));
    // After a move the column under the point is the one shown there.
    f.grid.Columns(QStringLiteral("Rate"))->setPosition(1);
    const int firstX = h->sectionViewportPosition(h->logicalIndex(0)) + 3;
    const QPoint first = f.grid.viewport()->mapTo(&f.grid, QPoint(firstX, 5));
    const GridColumn *hit = f.grid.ColFromPoint(first.x(), first.y());
    QVERIFY(hit);
    QCOMPARE(hit->Key(), QStringLiteral("Rate"));
}

void tst_Grid::appliesColumnLayoutToHeaderAndBack()
{
    Fixture f(2, 2);
    QHeaderView *h = f.grid.header();
    GridColumn *rate = f.grid.Columns(QStringLiteral("rate"));
    QVERIFY(rate);
    rate->setPosition(2);
    QCOMPARE(h->visualIndex(rate->Index()), 1);
    QCOMPARE(f.grid.Columns(QStringLiteral("TicketNum"))->Position(), 3);   // shifted right
    rate->setWidth(155);
    QCOMPARE(h->sectionSize(rate->Index()), 155);
    rate->setVisible(false);
    QVERIFY(h->isSectionHidden(rate->Index()));
    rate->setVisible(true);
    // The user drags and resizes in the header; the columns follow.
    h->moveSection(h->visualIndex(f.grid.Columns(QStringLiteral("Net"))->Index()), 0);
    QCOMPARE(f.grid.Columns(QStringLiteral("Net"))->Position(), 1);
    h->resizeSection(f.grid.Columns(QStringLiteral("DealerName"))->Index(), 210);
    QCOMPARE(f.grid.Columns(QStringLiteral("DealerName"))->Width(), 210);
    // A re-read keeps the layout.
    f.grid.refresh();
    QCOMPARE(h->visualIndex(f.grid.Columns(QStringLiteral("Net"))->Index()), 0);
    QCOMPARE(h->sectionSize(f.grid.Columns(QStringLiteral("DealerName"))->Index()), 210);
    QVERIFY(!f.grid.Columns(QStringLiteral("NoSuchKey")));
    QVERIFY(!f.grid.Columns(99));
}

void tst_Grid::readsCurrentRowValues()
{
    Fixture f(3, 4);
    f.grid.setRow(1);
    QVERIFY(f.grid.IsGroupItem());
    QCOMPARE(f.grid.Value(QStringLiteral("Caption")).toInt(), 2);
    QCOMPARE(f.grid.Text(QStringLiteral("Caption")), QStringLiteral("GBP/USD"));
    QVERIFY(!f.grid.Value(QStringLiteral("TicketNum")).isValid());
    QCOMPARE(f.grid.currentBookmark(), -1);
    f.grid.expand(f.grid.gridModel()->index(1, 0));
    f.grid.setRow(6);   // the summary row of GBP/USD
    QVERIFY(!f.grid.IsGroupItem());
    QCOMPARE(f.grid.Value(QStringLiteral("Summary")).toBool(), true);
    QCOMPARE(f.grid.Text(QStringLiteral("Caption")), QStringLiteral("GBP/USD"));
    QVERIFY(!f.grid.Value(QStringLiteral("NoSuchColumn")).isValid());
}

void tst_Grid::copiesVisibleColumnsAsText()
{
    Fixture f(2, 1);
    f.grid.expandAllGroups();
    const QStringList lines = f.grid.copyText(false).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + 2 * 3);
    QCOMPARE(lines.at(0), QStringLiteral("Ticket #\tDealers Name\tBuy Ccy1\tSell Ccy1\tRate\tNet Ccy1"));
    QCOMPARE(lines.at(1), QStringLiteral("EUR/USD (2)"));
    QCOMPARE(lines.at(2), QStringLiteral("1000\tAnna K.\t123,457.79\t0.00\t1.1000\t123,457.79"));
    f.grid.setRow(3);
    QCOMPARE(f.grid.copyText(true).split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 2);
}

void tst_Grid::showsGroupByBoxAboveHeader()
{
    Fixture f(2, 2);
    f.grid.setGroupByBoxVisible(true);
    QVERIFY(f.grid.GroupByBoxVisible());
    QTest::qWait(0);
    QHeaderView *h = f.grid.header();
    QVERIFY(h->geometry().top() > 0);
    QVERIFY(h->geometry().bottom() < f.grid.viewport()->geometry().top());
    f.grid.setGroupByBoxVisible(false);
    QTest::qWait(0);
    QCOMPARE(h->geometry().bottom() + 1, f.grid.viewport()->geometry().top());
}

void tst_Grid::rendersGroupedGridReadably()
{
    Fixture f(6, 5);
    f.grid.resize(980, 460);
    f.grid.expand(f.grid.gridModel()->index(0, 0));
    f.grid.expand(f.grid.gridModel()->index(2, 0));
    f.grid.setRow(3);
    f.grid.setFocus();
    const QImage image = f.grid.grab().toImage();
    QVERIFY(!image.isNull());
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("grid-grouped.png"));
    QVERIFY(image.save(path));

    // Summary rows are painted in blue: look for blue text pixels on the
    // summary row of the first pair.
    const QRect summary = f.grid.visualRect(f.grid.indexAtRow(6).siblingAtColumn(3))
                              .translated(f.grid.viewport()->mapTo(&f.grid, QPoint(0, 0)));
    bool blue = false;
    for (int y = summary.top(); y <= summary.bottom() && !blue; ++y)
        for (int x = summary.left(); x <= summary.right() && !blue; ++x) {
            const QColor c = image.pixelColor(x, y);
            blue = c.blue() > 150 && c.red() < 100 && c.green() < 100;
        }
    QVERIFY(blue);
}

QTEST_MAIN(tst_Grid)
#include "tst_grid.moc"
