// What a re-read tells the user about the rows that changed: which rows are
// the same across two results, which are marked changed or new, how the tint
// looks and fades, and that nothing else on the grid moves.

#include "Grid.h"
#include "RowChangeMarks.h"

#include "Currency.h"
#include "DateTime.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <cmath>

using widgets::Grid;
using widgets::GridModel;

using Table = QList<QVariantList>;

namespace {

QString markText(RowMark mark)
{
    switch (mark) {
    case RowMark::Changed: return QStringLiteral("C");
    case RowMark::New: return QStringLiteral("N");
    default: return QStringLiteral("-");
    }
}

/// The marks of a result's rows in bookmark order: "-" none, "C" changed, "N" new.
QString marksOf(const RowChangeMarks &marks, int rows)
{
    QString text;
    for (int row = 0; row < rows; ++row)
        text += markText(marks.mark(row));
    return text;
}

void take(RowChangeMarks &marks, const Table &table, const QVector<int> &groups = {}, int columns = 6)
{
    marks.takeRows(int(table.size()), columns, groups, [&table, columns](int row, QVector<QVariant> &cells) {
        cells = QVector<QVariant>(table.at(row).begin(), table.at(row).end());
        cells.resize(columns);
    });
}

QVariant money(double units)
{
    return QVariant::fromValue(data::Currency::fromDouble(units));
}

/// Three deals as a report gives them: pair, ticket, dealer, value date, amount, rate.
Table threeDeals()
{
    return {
        {1, qint64(101), QStringLiteral("Anna K."), QDate(2026, 12, 8), money(1000000), 1.0841},
        {1, qint64(102), QStringLiteral("Boris M."), QDate(2026, 12, 8), money(-250000), 1.0843},
        {2, qint64(103), QStringLiteral("Chen L."), QDate(2026, 12, 9), money(500000), 151.2},
    };
}

Table changedCell(int row, int column, const QVariant &value)
{
    Table t = threeDeals();
    t[row][column] = value;
    return t;
}

// --- the grid over an in-memory desk ------------------------------------------

struct Deal
{
    int pair;
    qint64 ticket;
    QString dealer;
    data::Currency amount;
    double rate;
    bool summary = false;
};

enum Column { PairColumn, TicketColumn, DealerColumn, AmountColumn, RateColumn, SummaryColumn };

/// A grid bound through a row reader to deals that a test changes between re-reads.
struct Desk
{
    QVector<Deal> deals;
    Grid grid;
    int reads = 0;   // rows read through the row reader

    explicit Desk(int pairs = 3, int perPair = 4)
    {
        qint64 ticket = 100;
        for (int p = 1; p <= pairs; ++p) {
            data::Currency net;
            for (int d = 0; d < perPair; ++d) {
                const auto amount = data::Currency::fromRaw(qint64(d + p) * 123456789 % 9999999 * (d % 2 ? -1 : 1));
                deals.append({p, ++ticket, QStringList{QStringLiteral("Anna K."), QStringLiteral("Boris M.")}.at(d % 2),
                              amount, 1.0 + p / 10.0 + d / 1000.0});
                net += amount;
            }
            deals.append({p, -1, QString(), net, 0.0, true});
        }
        grid.resize(700, 400);
        const char *keys[] = {"Caption", "TicketNum", "DealerName", "Amount", "Rate", "Summary"};
        for (const char *key : keys)
            grid.addColumn(QLatin1String(key), QLatin1String(key))->setWidth(110);
        grid.Columns(QStringLiteral("Amount"))->setFormat(QStringLiteral("#,##0.00"));
        grid.Columns(QStringLiteral("Summary"))->setVisible(false);
        auto *summ = grid.addFormatCondition(QStringLiteral("Summ"), QStringLiteral("Summary"),
                                             widgets::FormatCondition::Equal, true);
        summ->setFontBold(true);
        summ->setForeColor(0x0000FF);   // red, as a Windows colour
        grid.setRowReader([this](int row, QVector<QVariant> &values) {
            ++reads;
            const Deal &d = deals.at(row);
            values[PairColumn] = d.pair;
            values[TicketColumn] = d.ticket;
            values[DealerColumn] = d.dealer.isNull() ? QVariant() : QVariant(d.dealer);
            values[AmountColumn] = QVariant::fromValue(d.amount);
            values[RateColumn] = d.summary ? QVariant() : QVariant(d.rate);
            values[SummaryColumn] = d.summary;
        });
        grid.addGroup(QStringLiteral("Caption"));
        rebind();
    }

    /// What the control does on each refresh: the new result's count, with
    /// every pair's summary row summing its deals as they are now.
    void rebind()
    {
        sumPairs();
        grid.setItemCount(int(deals.size()));
    }
    /// Every pair's summary row sums its deals as they are now.
    void sumPairs()
    {
        for (Deal &summary : deals) {
            if (!summary.summary)
                continue;
            summary.amount = data::Currency();
            for (const Deal &d : std::as_const(deals))
                if (!d.summary && d.pair == summary.pair)
                    summary.amount += d.amount;
        }
    }

    /// The cells of a row as the grid reads them, for a comparison made
    /// elsewhere (a run's worker reads its own rows).
    void readCells(int row, QVector<QVariant> &cells) const
    {
        const Deal &d = deals.at(row);
        cells = {d.pair, d.ticket, d.dealer.isNull() ? QVariant() : QVariant(d.dealer), QVariant::fromValue(d.amount),
                 d.summary ? QVariant() : QVariant(d.rate), d.summary};
    }

    int rowOfTicket(qint64 ticket) const
    {
        for (int i = 0; i < deals.size(); ++i)
            if (deals.at(i).ticket == ticket)
                return i;
        return -1;
    }
    Deal &deal(qint64 ticket) { return deals[rowOfTicket(ticket)]; }
    QModelIndex indexOf(qint64 ticket, int column = TicketColumn) const
    {
        return grid.gridModel()->indexOfBookmark(rowOfTicket(ticket)).siblingAtColumn(column);
    }
    QModelIndex summaryOf(int pair) const
    {
        for (int i = 0; i < deals.size(); ++i)
            if (deals.at(i).summary && deals.at(i).pair == pair)
                return grid.gridModel()->indexOfBookmark(i);
        return {};
    }

    /// Every marked row in display order, "ticket:mark" (a summary row's ticket
    /// is -1), group rows included should one ever be marked.
    QString markedRows() const
    {
        QStringList marked;
        const GridModel *model = grid.gridModel();
        const std::function<void(const QModelIndex &)> walk = [&](const QModelIndex &parent) {
            for (int r = 0; r < model->rowCount(parent); ++r) {
                const QModelIndex row = model->index(r, 0, parent);
                const RowMark mark = grid.rowMark(row);
                if (mark != RowMark::None || row.data(GridModel::RowMarkRole).toInt() != 0)
                    marked.append((model->isGroup(row) ? QStringLiteral("group ") + model->groupText(row)
                                                       : model->value(row, TicketColumn).toString())
                                  + QLatin1Char(':') + markText(mark));
                walk(row);
            }
        };
        walk({});
        return marked.join(QLatin1Char(' '));
    }
};

/// The colour at the right end of a cell, where its left-aligned text does not reach.
QColor backgroundOf(const QImage &image, const Grid &grid, const QModelIndex &cell)
{
    const QRect r = grid.visualRect(cell);
    return image.pixelColor(r.right() - 4, r.center().y());
}

bool isPlain(const QColor &c)
{
    return qAbs(c.red() - c.green()) < 12 && qAbs(c.green() - c.blue()) < 12;
}
bool isAmber(const QColor &c)
{
    return c.red() - c.blue() > 50 && c.red() >= c.green() && c.green() - c.blue() > 30;
}
bool isGreen(const QColor &c)
{
    return c.green() - c.red() > 25 && c.green() - c.blue() > 25;
}

} // namespace

class tst_GridChanges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matchesRowsByIdentityAndAmounts_data();
    void matchesRowsByIdentityAndAmounts();
    void marksNothingWithoutComparableRows_data();
    void marksNothingWithoutComparableRows();

    void refreshMarksExactlyTheChangedAndNewRows();
    void bindingsWithoutAPreviousResultMarkNothing_data();
    void bindingsWithoutAPreviousResultMarkNothing();
    void rebindWithOtherGroupsMarksNothing();
    void regroupingTheSameRowsKeepsTheirMarks();
    void marksFadeOutAndTheNextRefreshReplacesThem();
    void refreshKeepsExpansionCurrentRowScrollAndKeys();
    void tintsChangedAndNewRowsUntilTheyFade();
    void takesAComparisonMadeElsewhere_data();
    void takesAComparisonMadeElsewhere();
    void marksAHundredThousandRows();
};

void tst_GridChanges::matchesRowsByIdentityAndAmounts_data()
{
    QTest::addColumn<Table>("before");
    QTest::addColumn<Table>("after");
    QTest::addColumn<QVector<int>>("groups");
    QTest::addColumn<QString>("marks");

    const Table deals = threeDeals();
    QTest::newRow("unchanged-rows-mark-nothing") << deals << deals << QVector<int>{} << "---";
    QTest::newRow("currency-amount-changed") << deals << changedCell(1, 4, money(-260000)) << QVector<int>{} << "-C-";
    QTest::newRow("double-rate-changed") << deals << changedCell(2, 5, 151.25) << QVector<int>{} << "--C";
    QTest::newRow("amount-emptied-is-a-change") << deals << changedCell(0, 4, QVariant()) << QVector<int>{} << "C--";
    QTest::newRow("negative-zero-rate-is-zero")
        << changedCell(0, 5, 0.0) << changedCell(0, 5, std::copysign(0.0, -1.0)) << QVector<int>{} << "---";
    QTest::newRow("ticket-changed-is-another-row") << deals << changedCell(1, 1, qint64(112)) << QVector<int>{} << "-N-";
    QTest::newRow("dealer-changed-is-another-row")
        << deals << changedCell(1, 2, QStringLiteral("Dana P.")) << QVector<int>{} << "-N-";
    QTest::newRow("value-date-changed-is-another-row")
        << deals << changedCell(2, 3, QDate(2026, 12, 10)) << QVector<int>{} << "--N";
    QTest::newRow("pair-changed-is-another-row") << deals << changedCell(0, 0, 2) << QVector<int>{} << "N--";
    QTest::newRow("group-column-holding-amounts-identifies")
        << deals << changedCell(1, 4, money(-260000)) << QVector<int>{4} << "-N-";

    Table added = deals;
    added.append({2, qint64(104), QStringLiteral("Anna K."), QDate(2026, 12, 9), money(75000), 151.3});
    QTest::newRow("appended-row-is-new") << deals << added << QVector<int>{} << "---N";
    Table removed = deals;
    removed.removeAt(1);
    QTest::newRow("removed-row-leaves-the-others-unmarked") << deals << removed << QVector<int>{} << "--";
    const Table reordered{deals.at(2), deals.at(0), deals.at(1)};
    QTest::newRow("reordered-rows-mark-nothing") << deals << reordered << QVector<int>{} << "---";

    // Two legs alike in everything that identifies them.
    const QVariantList leg10{1, qint64(105), QStringLiteral("Anna K."), QDate(2026, 12, 8), money(10), 1.0};
    QVariantList leg20 = leg10;
    leg20[4] = money(20);
    QVariantList leg25 = leg10;
    leg25[4] = money(25);
    QVariantList leg30 = leg10;
    leg30[4] = money(30);
    QTest::newRow("duplicates-trading-places-mark-nothing") << Table{leg10, leg20} << Table{leg20, leg10}
                                                            << QVector<int>{} << "--";
    QTest::newRow("changed-duplicate-is-the-one-that-differs") << Table{leg10, leg20} << Table{leg25, leg10}
                                                               << QVector<int>{} << "C-";
    QTest::newRow("duplicate-beyond-the-previous-count-is-new") << Table{leg10, leg20} << Table{leg10, leg20, leg30}
                                                                << QVector<int>{} << "--N";
    QTest::newRow("removed-duplicate-leaves-the-other-unmarked") << Table{leg10, leg20} << Table{leg20}
                                                                 << QVector<int>{} << "-";
}

void tst_GridChanges::matchesRowsByIdentityAndAmounts()
{
    QFETCH(Table, before);
    QFETCH(Table, after);
    QFETCH(QVector<int>, groups);
    QFETCH(QString, marks);
    RowChangeMarks changes;
    take(changes, before, groups);
    QVERIFY(!changes.hasMarks());
    take(changes, after, groups);
    QCOMPARE(marksOf(changes, int(after.size())), marks);
    QCOMPARE(changes.markedRows(), int(marks.size() - marks.count(QLatin1Char('-'))));
}

void tst_GridChanges::marksNothingWithoutComparableRows_data()
{
    QTest::addColumn<QString>("between");
    QTest::newRow("previous-result-empty") << "empty";
    QTest::newRow("rows-forgotten") << "forget";
    QTest::newRow("other-group-columns") << "groups";
    QTest::newRow("other-number-of-columns") << "columns";
    QTest::newRow("result-too-large-to-compare") << "large";
}

void tst_GridChanges::marksNothingWithoutComparableRows()
{
    QFETCH(QString, between);
    RowChangeMarks changes;
    take(changes, threeDeals());
    QVector<int> groups;
    int columns = 6;
    if (between == QLatin1String("empty")) {
        take(changes, {});
    } else if (between == QLatin1String("forget")) {
        changes.forgetRows();
    } else if (between == QLatin1String("groups")) {
        groups = {0};
    } else if (between == QLatin1String("columns")) {
        columns = 7;
    } else if (between == QLatin1String("large")) {
        changes.takeRows(RowChangeMarks::MaxRows + 1, 6, {}, [](int row, QVector<QVariant> &cells) {
            cells = {1, qint64(row), QString(), QVariant(), money(row), 1.0};
        });
    }
    const Table changed = changedCell(1, 4, money(1));
    take(changes, changed, groups, columns);
    QCOMPARE(marksOf(changes, 3), QStringLiteral("---"));
    // The rows taken now are compared with the next ones.
    take(changes, changedCell(1, 4, money(2)), groups, columns);
    QCOMPARE(marksOf(changes, 3), QStringLiteral("-C-"));
}

void tst_GridChanges::refreshMarksExactlyTheChangedAndNewRows()
{
    Desk desk;
    QAbstractItemModelTester tester(desk.grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(desk.markedRows(), QString());

    desk.deal(102).amount = data::Currency::fromDouble(7777.77);   // pair 1: 102 and its summary change
    desk.deals.removeAt(desk.rowOfTicket(106));                     // pair 2 loses a deal: its summary changes
    desk.deals.insert(desk.rowOfTicket(110), {3, 150, QStringLiteral("Anna K."),
                                              data::Currency::fromDouble(0), 1.35});   // pair 3: a deal of 0
    desk.rebind();
    QCOMPARE(desk.markedRows(), QStringLiteral("102:C -1:C -1:C 150:N"));
    QCOMPARE(desk.grid.rowMark(desk.summaryOf(3)), RowMark::None);   // a deal of 0 leaves the net as it was
    QCOMPARE(desk.grid.rowMark(desk.indexOf(102, AmountColumn)), RowMark::Changed);   // every cell of the row
    QVERIFY(desk.grid.markStrength(desk.indexOf(150)) > 0);
    QCOMPARE(desk.grid.markStrength(desk.indexOf(101)), 0.0);
}

void tst_GridChanges::bindingsWithoutAPreviousResultMarkNothing_data()
{
    QTest::addColumn<QString>("before");
    QTest::newRow("first-binding") << "nothing";
    QTest::newRow("after-an-empty-result") << "empty";
    QTest::newRow("after-the-rows-are-forgotten") << "forget";
    QTest::newRow("marking-turned-off") << "off";
    QTest::newRow("marking-turned-back-on") << "off-on";
    QTest::newRow("after-new-columns") << "columns";
}

void tst_GridChanges::bindingsWithoutAPreviousResultMarkNothing()
{
    QFETCH(QString, before);
    Desk desk;
    if (before == QLatin1String("nothing")) {
        QCOMPARE(desk.markedRows(), QString());   // none taken for new
        return;
    }
    if (before == QLatin1String("empty"))
        desk.grid.setItemCount(0);
    else if (before == QLatin1String("forget"))
        desk.grid.forgetRowsForChangeMarks();
    else if (before == QLatin1String("off"))
        desk.grid.setChangeMarkDuration(0);
    else if (before == QLatin1String("off-on")) {
        desk.grid.setChangeMarkDuration(0);
        desk.grid.setChangeMarkDuration(500);
    } else if (before == QLatin1String("columns"))
        desk.grid.addColumn(QStringLiteral("Extra"), QStringLiteral("Extra"));
    desk.deal(101).amount = data::Currency::fromDouble(1);
    desk.deals.append({3, 150, QStringLiteral("Anna K."), data::Currency(), 1.3});
    desk.rebind();
    QCOMPARE(desk.markedRows(), QString());
}

void tst_GridChanges::rebindWithOtherGroupsMarksNothing()
{
    Desk desk;
    desk.deal(101).amount = data::Currency::fromDouble(1);
    desk.grid.clearGroups();
    desk.grid.addGroup(QStringLiteral("DealerName"));
    desk.rebind();
    QCOMPARE(desk.markedRows(), QString());
    // The next refresh in the new groups marks again (the summaries are the
    // dealer-less group, first).
    desk.deal(101).amount = data::Currency::fromDouble(2);
    desk.rebind();
    QCOMPARE(desk.markedRows(), QStringLiteral("-1:C 101:C"));
}

void tst_GridChanges::regroupingTheSameRowsKeepsTheirMarks()
{
    Desk desk;
    desk.deal(101).amount = data::Currency::fromDouble(1);
    desk.rebind();
    QCOMPARE(desk.markedRows(), QStringLiteral("101:C -1:C"));
    desk.grid.addSortKey(QStringLiteral("Amount"), false);
    desk.grid.clearGroups();
    QCOMPARE(desk.grid.rowMark(desk.indexOf(101)), RowMark::Changed);
    QCOMPARE(desk.grid.rowMark(desk.indexOf(102)), RowMark::None);
}

void tst_GridChanges::marksFadeOutAndTheNextRefreshReplacesThem()
{
    Desk desk;
    desk.grid.setChangeMarkDuration(1500);
    desk.deal(101).amount = data::Currency::fromDouble(1);
    desk.rebind();
    const QModelIndex first = desk.indexOf(101);
    const qreal start = desk.grid.markStrength(first);
    QVERIFY2(start > 0.5 && start <= 1, qPrintable(QString::number(start)));
    QTest::qWait(100);
    QVERIFY(desk.grid.markStrength(first) < start);

    // A refresh while the first marks fade: its own marks, at full strength.
    desk.deal(105).amount = data::Currency::fromDouble(5);
    desk.rebind();
    QCOMPARE(desk.markedRows(), QStringLiteral("105:C -1:C"));
    QCOMPARE(desk.grid.markStrength(desk.indexOf(101)), 0.0);
    QVERIFY(desk.grid.markStrength(desk.indexOf(105)) > start - 0.1);

    QTRY_COMPARE_WITH_TIMEOUT(desk.markedRows(), QString(), 10000);
    QCOMPARE(desk.grid.markStrength(desk.indexOf(105)), 0.0);
    // The rows stay remembered: the next refresh compares with them.
    desk.deal(105).amount = data::Currency::fromDouble(6);
    desk.rebind();
    QCOMPARE(desk.markedRows(), QStringLiteral("105:C -1:C"));
}

void tst_GridChanges::refreshKeepsExpansionCurrentRowScrollAndKeys()
{
    Desk desk(40, 6);
    desk.grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&desk.grid));
    GridModel *model = desk.grid.gridModel();
    const auto groupOf = [&](int pair) { return model->groupIndex(model->groupPath(desk.summaryOf(pair))); };
    desk.grid.expandAllGroups();
    desk.grid.collapse(groupOf(21));
    desk.grid.setCurrentIndex(desk.indexOf(215));
    desk.grid.scrollTo(desk.indexOf(215), QAbstractItemView::PositionAtCenter);
    const int scroll = desk.grid.verticalScrollBar()->value();
    QVERIFY(scroll > 0);

    desk.deal(215).amount = data::Currency::fromDouble(42);
    desk.rebind();
    QCOMPARE(desk.grid.rowMark(desk.grid.currentIndex()), RowMark::Changed);
    QCOMPARE(model->value(desk.grid.currentIndex(), TicketColumn).toLongLong(), 215);
    QCOMPARE(desk.grid.verticalScrollBar()->value(), scroll);
    QVERIFY(desk.grid.isExpanded(groupOf(20)));
    QVERIFY(!desk.grid.isExpanded(groupOf(21)));

    QTest::keyClick(&desk.grid, Qt::Key_Down);
    QCOMPARE(model->value(desk.grid.currentIndex(), TicketColumn).toLongLong(), 216);
}

void tst_GridChanges::tintsChangedAndNewRowsUntilTheyFade()
{
    Desk desk;
    desk.grid.setChangeMarkDuration(3000);
    desk.grid.expandAllGroups();
    desk.grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&desk.grid));
    desk.grid.setCurrentIndex(desk.indexOf(106));

    desk.deal(102).amount = data::Currency::fromDouble(123);   // pair 1's summary changes with it
    desk.deal(106).amount = data::Currency::fromDouble(456);   // the current row
    desk.deals.append({3, 150, QStringLiteral("Anna K."), data::Currency(), 1.3});
    desk.rebind();
    desk.grid.expandAllGroups();
    QCOMPARE(desk.markedRows(), QStringLiteral("102:C -1:C 106:C -1:C 150:N"));

    const QImage tinted = desk.grid.viewport()->grab().toImage();
    const QColor changed = backgroundOf(tinted, desk.grid, desk.indexOf(102, DealerColumn));
    const QColor added = backgroundOf(tinted, desk.grid, desk.indexOf(150, DealerColumn));
    const QColor unchanged = backgroundOf(tinted, desk.grid, desk.indexOf(101, DealerColumn));
    const QColor current = backgroundOf(tinted, desk.grid, desk.indexOf(106, DealerColumn));
    QVERIFY2(isAmber(changed), qPrintable(changed.name()));
    QVERIFY2(isGreen(added), qPrintable(added.name()));
    QVERIFY2(isPlain(unchanged), qPrintable(unchanged.name()));
    // The selection shows over the mark, as on any other row.
    const QColor highlight = desk.grid.palette().color(QPalette::Highlight);
    QVERIFY2(qAbs(current.red() - highlight.red()) + qAbs(current.green() - highlight.green())
                     + qAbs(current.blue() - highlight.blue()) < 12,
             qPrintable(current.name() + QStringLiteral(" for ") + highlight.name()));

    // A changed summary row keeps its bold red text on the tint.
    const QModelIndex summary = desk.summaryOf(1).siblingAtColumn(AmountColumn);
    QVERIFY(summary.data(Qt::FontRole).value<QFont>().bold());
    const QRect cell = desk.grid.visualRect(summary);
    bool redText = false;
    for (int x = cell.left(); x <= cell.right() && !redText; ++x)
        for (int y = cell.top(); y <= cell.bottom() && !redText; ++y) {
            const QColor c = tinted.pixelColor(x, y);
            redText = c.red() > 170 && c.green() < 90 && c.blue() < 90;
        }
    QVERIFY(redText);
    QVERIFY(isAmber(backgroundOf(tinted, desk.grid, summary)));

    QTRY_COMPARE_WITH_TIMEOUT(desk.markedRows(), QString(), 10000);
    const QImage faded = desk.grid.viewport()->grab().toImage();
    for (qint64 ticket : {102, 150}) {
        const QColor plain = backgroundOf(faded, desk.grid, desk.indexOf(ticket, DealerColumn));
        QVERIFY2(isPlain(plain), qPrintable(QString::number(ticket) + QLatin1Char(' ') + plain.name()));
    }
}

void tst_GridChanges::takesAComparisonMadeElsewhere_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<bool>("readsEveryRow");
    QTest::addColumn<QString>("marked");
    QTest::newRow("nothing") << "" << false << "102:C 150:N -1:C";
    // The rows it was compared with are gone: another query or view.
    QTest::newRow("rows-forgotten") << "forget" << false << "";
    // Made for other groups than the grid's now: the grid compares itself,
    // and rows grouped otherwise than before are not compared.
    QTest::newRow("regrouped") << "regroup" << true << "";
}

void tst_GridChanges::takesAComparisonMadeElsewhere()
{
    QFETCH(QString, meanwhile);
    QFETCH(bool, readsEveryRow);
    QFETCH(QString, marked);
    Desk desk(40, 50);
    const auto base = desk.grid.changeMarksBase();
    QVERIFY(base && *base);
    desk.deal(102).amount = data::Currency::fromDouble(7777.77);
    desk.deals.insert(desk.rowOfTicket(103), {1, 150, QStringLiteral("Anna K."), data::Currency::fromDouble(5), 1.1});
    desk.sumPairs();
    const int rows = int(desk.deals.size());
    const RowChangeMarks::Comparison comparison = RowChangeMarks::compare(
        *base, rows, 6, {PairColumn}, [&desk](int row, QVector<QVariant> &cells) { desk.readCells(row, cells); });
    if (meanwhile == QLatin1String("forget")) {
        desk.grid.forgetRowsForChangeMarks();
    } else if (meanwhile == QLatin1String("regroup")) {
        desk.grid.clearGroups();
        desk.grid.addGroup(QStringLiteral("Caption"));
        desk.grid.addGroup(QStringLiteral("DealerName"));
    }
    const RowArrangement arranged = RowArrangement::build(
        rows, desk.grid.ordering(), [&desk](int row, int column) {
            QVector<QVariant> cells;
            desk.readCells(row, cells);
            return cells.value(column);
        });
    desk.reads = 0;
    desk.grid.setItemCount(rows, arranged, &comparison);
    QCOMPARE(desk.reads >= rows, readsEveryRow);
    QCOMPARE(desk.markedRows(), marked);
    // A comparison taken is the next one's base, its marks used or not.
    QCOMPARE(*desk.grid.changeMarksBase() == comparison.rows, !readsEveryRow);
}

void tst_GridChanges::marksAHundredThousandRows()
{
    // A day of a busy desk: 100,000 deals in 50 pairs, read through a cell
    // reader as the control's; one deal changes, one comes in. One more row
    // is more than the grid compares. (bench_change_marks times this.)
    constexpr int Rows = RowChangeMarks::MaxRows;
    std::vector<qint64> tickets(Rows + 1);
    std::vector<qint64> amounts(Rows + 1);
    for (int i = 0; i <= Rows; ++i) {
        tickets[size_t(i)] = 500000 + i;
        amounts[size_t(i)] = qint64(i) * 7919 % 1000003 * 10000;
    }
    Grid grid;
    for (const char *key : {"Caption", "TicketNum", "BuyCcy1", "Summary"})
        grid.addColumn(QLatin1String(key), QLatin1String(key));
    grid.setCellReader([&](int row, int column) -> QVariant {
        switch (column) {
        case 0: return row / 2000;
        case 1: return tickets[size_t(row)];
        case 2: return QVariant::fromValue(data::Currency::fromRaw(amounts[size_t(row)]));
        default: return false;
        }
    });
    grid.addGroup(QStringLiteral("Caption"));
    grid.setItemCount(Rows);
    amounts[777] += 10000;
    tickets[Rows - 1] = 9999999;
    grid.setItemCount(Rows);
    const GridModel *model = grid.gridModel();
    QCOMPARE(grid.rowMark(model->indexOfBookmark(777)), RowMark::Changed);
    QCOMPARE(grid.rowMark(model->indexOfBookmark(Rows - 1)), RowMark::New);
    QCOMPARE(grid.rowMark(model->indexOfBookmark(778)), RowMark::None);

    grid.setItemCount(Rows + 1);
    QVERIFY(!grid.gridModel()->hasChangeMarks());
    QVERIFY(!*grid.changeMarksBase());   // nothing kept to compare the next result with
}

QTEST_MAIN(tst_GridChanges)
#include "tst_grid_changes.moc"
