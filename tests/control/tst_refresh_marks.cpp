// The rows a refresh marks on the open position report over a demo trading
// database that another connection changes between refreshes: the deal whose
// amount changed, the deal booked since, the summaries of their pairs, and
// nothing else; the groups open, the current row and the scroll stay.

#include "ControlTestSession.h"

#include "Marvolt.h"

#include "Clock.h"
#include "Connection.h"
#include "Recordset.h"
#include "SessionContext.h"

#include "Grid.h"
#include "GridModel.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

const QDate Today(2026, 12, 4);

bool runAndWait(Marvolt &control)
{
    QSignalSpy ended(&control, &Marvolt::UnActivProgress);
    control.RefreshData();
    return !ended.isEmpty() || ended.wait(30000);
}

/// The pair a data row is grouped under, as its group row names it ("EUR/USD (12)").
QString pairOf(const widgets::GridModel &model, const QModelIndex &row)
{
    return model.groupText(row.parent()).section(QLatin1Char(' '), 0, 0);
}

/// A data row of the grid as the test names it: its ticket, or "summary of"
/// its pair for a pair's summary row.
QString rowName(const widgets::GridModel &model, const QModelIndex &row)
{
    const int summary = model.columnIndex(QStringLiteral("Summary"));
    const int ticket = model.columnIndex(QStringLiteral("TicketNum"));
    if (row.siblingAtColumn(summary).data(widgets::GridModel::RawValueRole).toBool())
        return QStringLiteral("summary of ") + pairOf(model, row);
    return row.siblingAtColumn(ticket).data(widgets::GridModel::RawValueRole).toString();
}

/// Every data row of the grid, in display order.
QModelIndexList dataRows(const widgets::GridModel &model)
{
    QModelIndexList rows;
    const std::function<void(const QModelIndex &)> walk = [&](const QModelIndex &parent) {
        for (int r = 0; r < model.rowCount(parent); ++r) {
            const QModelIndex row = model.index(r, 0, parent);
            if (model.isGroup(row))
                walk(row);
            else
                rows.append(row);
        }
    };
    walk({});
    return rows;
}

/// The marked rows, "name: changed" or "name: new", sorted; group rows too,
/// should one be marked.
QString markedRows(const widgets::Grid &grid)
{
    const widgets::GridModel &model = *grid.gridModel();
    QStringList marked;
    for (const QModelIndex &group : model.allGroupIndexes())
        if (grid.rowMark(group) != RowMark::None)
            marked.append(QStringLiteral("group ") + model.groupText(group));
    for (const QModelIndex &row : dataRows(model)) {
        const RowMark mark = grid.rowMark(row);
        if (mark != RowMark::None)
            marked.append(rowName(model, row)
                          + (mark == RowMark::Changed ? QStringLiteral(": changed") : QStringLiteral(": new")));
    }
    marked.sort();
    return marked.join(QStringLiteral(", "));
}

QStringList expandedGroups(const widgets::Grid &grid)
{
    QStringList open;
    for (const QModelIndex &group : grid.gridModel()->allGroupIndexes())
        if (grid.isExpanded(group))
            open.append(grid.gridModel()->groupText(group));
    return open;
}

/// A deal shown on one row only (a spot or an outright: a swap shows two legs).
struct ShownDeal
{
    QString tcid;
    qint64 ticket = 0;
    QString pair;
};

QList<ShownDeal> singleLegDeals(const widgets::GridModel &model)
{
    const int ticketColumn = model.columnIndex(QStringLiteral("TicketNum"));
    const int tcidColumn = model.columnIndex(QStringLiteral("TCID"));
    QHash<QString, int> rowsOfDeal;
    QList<ShownDeal> deals;
    for (const QModelIndex &row : dataRows(model)) {
        const qint64 ticket = row.siblingAtColumn(ticketColumn).data(widgets::GridModel::RawValueRole).toLongLong();
        if (ticket < 0)
            continue;
        const QString tcid = row.siblingAtColumn(tcidColumn).data(widgets::GridModel::RawValueRole).toString();
        if (++rowsOfDeal[tcid + QLatin1Char('/') + QString::number(ticket)] == 1)
            deals.append({tcid, ticket, pairOf(model, row)});
    }
    deals.erase(std::remove_if(deals.begin(), deals.end(), [&rowsOfDeal](const ShownDeal &d) {
                    return rowsOfDeal.value(d.tcid + QLatin1Char('/') + QString::number(d.ticket)) != 1;
                }),
                deals.end());
    return deals;
}

/// The open position report in the view of every row, its marks kept long
/// enough that none fades while a test looks at them; the control's grid.
widgets::Grid *showOpenPositions(Marvolt &control)
{
    control.resize(1280, 600);
    control.setProperty("WindowType", 0);
    control.setDisplayMode(vwAll);
    widgets::Grid *grid = control.mainTable();
    grid->setChangeMarkDuration(120000);
    return grid;
}

} // namespace

class tst_RefreshMarks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void refreshMarksTheChangedAndTheNewDealsOnly();
    void anotherViewOrQueryMarksNothing();

private:
    bool execute(const QString &sql, long expectedRows = -1);

    controltest::DemoSession m_demo;
};

void tst_RefreshMarks::initTestCase()
{
    QString error;
    QVERIFY2(m_demo.build(6000, 1, Today, &error), qPrintable(error));
    Clock::setToday(Today);
}

void tst_RefreshMarks::init()
{
    QVERIFY(m_demo.startFreshUser());
}

void tst_RefreshMarks::cleanup()
{
    SessionContext::resetInstance();
}

bool tst_RefreshMarks::execute(const QString &sql, long expectedRows)
{
    // A connection of its own, as another desk application writing the deals.
    data::Connection connection;
    connection.setMode(data::adModeReadWrite);
    if (!connection.Open(m_demo.connectionString())) {
        qWarning("cannot open the database: %s", qPrintable(connection.lastError()->Description));
        return false;
    }
    long changed = 0;
    connection.Execute(sql, &changed);
    if (connection.lastError()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(connection.lastError()->Description));
        return false;
    }
    if (expectedRows >= 0 && changed != expectedRows) {
        qWarning("%s: %ld rows instead of %ld", qPrintable(sql), changed, expectedRows);
        return false;
    }
    return true;
}

void tst_RefreshMarks::refreshMarksTheChangedAndTheNewDealsOnly()
{
    Marvolt control;
    widgets::Grid *grid = showOpenPositions(control);
    const widgets::GridModel &model = *grid->gridModel();

    QVERIFY(runAndWait(control));
    QVERIFY(model.allGroupIndexes().size() > 2);
    QCOMPARE(markedRows(*grid), QString());   // the first result: nothing to compare with
    QVERIFY(runAndWait(control));
    QCOMPARE(markedRows(*grid), QString());   // the same deals again

    const QList<ShownDeal> deals = singleLegDeals(model);
    QVERIFY(deals.size() > 2);
    const ShownDeal changed = deals.first();
    const auto other = std::find_if(deals.begin(), deals.end(), [&changed](const ShownDeal &d) {
        return d.pair != changed.pair;
    });
    QVERIFY(other != deals.end());
    const ShownDeal copied = *other;

    // The user opens two pairs, stands on a deal and scrolls.
    const QModelIndexList groups = model.allGroupIndexes();
    grid->expand(groups.at(0));
    grid->expand(groups.at(2));
    const QModelIndex current = model.index(1, 0, groups.at(2));
    grid->setCurrentIndex(current);
    const QString currentRow = rowName(model, current);
    const QStringList open = expandedGroups(*grid);
    grid->verticalScrollBar()->setValue(1);
    const int scroll = grid->verticalScrollBar()->value();

    // Another desk doubles one deal's amount and books a copy of another
    // (ticket numbers start again every day: today's deal is the one).
    const auto todays = [](const ShownDeal &deal) {
        return QStringLiteral("TCID = '%1' AND TicketNum = %2 AND DealTime >= '%3' AND DealTime < '%4'")
            .arg(deal.tcid)
            .arg(deal.ticket)
            .arg(Today.toString(Qt::ISODate), Today.addDays(1).toString(Qt::ISODate));
    };
    QVERIFY(execute(QStringLiteral("UPDATE Tickets SET Volume1 = Volume1 * 2 WHERE ") + todays(changed), 1));
    QVERIFY(execute(QStringLiteral("CREATE TEMP TABLE Booked AS SELECT * FROM Tickets WHERE %1;"
                                   "UPDATE Booked SET TradeID = (SELECT MAX(TradeID) + 1 FROM Tickets),"
                                   " TicketNum = (SELECT MAX(TicketNum) + 1 FROM Tickets);"
                                   "INSERT INTO Tickets SELECT * FROM Booked;")
                        .arg(todays(copied))));
    QVERIFY(runAndWait(control));

    qint64 booked = 0;
    for (const QModelIndex &row : dataRows(model))
        booked = qMax(booked, row.siblingAtColumn(model.columnIndex(QStringLiteral("TicketNum")))
                                  .data(widgets::GridModel::RawValueRole)
                                  .toLongLong());
    QVERIFY(booked > copied.ticket);
    QStringList expected{QString::number(changed.ticket) + QStringLiteral(": changed"),
                         QStringLiteral("summary of ") + changed.pair + QStringLiteral(": changed"),
                         QString::number(booked) + QStringLiteral(": new"),
                         QStringLiteral("summary of ") + copied.pair + QStringLiteral(": changed")};
    expected.sort();
    QCOMPARE(markedRows(*grid), expected.join(QStringLiteral(", ")));

    QCOMPARE(expandedGroups(*grid), open);
    QCOMPARE(rowName(model, grid->currentIndex()), currentRow);
    QCOMPARE(grid->verticalScrollBar()->value(), scroll);

    // The next refresh finds nothing new: the marks go.
    QVERIFY(runAndWait(control));
    QCOMPARE(markedRows(*grid), QString());
}

void tst_RefreshMarks::anotherViewOrQueryMarksNothing()
{
    Marvolt control;
    widgets::Grid *grid = showOpenPositions(control);
    QVERIFY(runAndWait(control));
    QVERIFY(runAndWait(control));
    QCOMPARE(markedRows(*grid), QString());

    // The summary view and back show other rows, none of them changed.
    control.setDisplayMode(vwSummary);
    QCOMPARE(markedRows(*grid), QString());
    control.setDisplayMode(vwAll);
    QCOMPARE(markedRows(*grid), QString());

    // Another day's deals are another result, not changes to this one.
    QString error;
    QVERIFY2(control.setQueryField(QStringLiteral("ValDate"), Today.addDays(-1).toString(Qt::ISODate), &error),
             qPrintable(error));
    QVERIFY(runAndWait(control));
    QVERIFY(grid->gridModel()->rowCount() > 0);
    QCOMPARE(markedRows(*grid), QString());
}

QTEST_MAIN(tst_RefreshMarks)
#include "tst_refresh_marks.moc"
