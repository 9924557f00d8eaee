#include "GridModel.h"
#include "Value.h"
#include "WindowsColor.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QFont>
#include <QSignalSpy>
#include <QTest>

using widgets::FormatCondition;
using widgets::GridModel;

namespace {

// A small open-position display: pair id, ticket, amount, summary flag, dealer.
struct Row
{
    int pair;
    qint64 ticket;
    double amount;
    bool summary;
    QString dealer;
};

QVector<Row> sampleRows()
{
    return {
        {2, 105, 1500.0, false, QStringLiteral("Anna")},
        {1, 101, -250.5, false, QStringLiteral("Boris")},
        {2, 103, 99.99, false, QStringLiteral("anna")},
        {1, -1, -250.5, true, QString()},
        {3, 110, 0.0, false, QStringLiteral("Boris")},
        {2, -1, 1599.99, true, QString()},
        {1, 102, 10.0, false, QStringLiteral("Anna")},
    };
}

struct Fixture
{
    GridModel model;
    QVector<Row> rows = sampleRows();
    int reads = 0;

    Fixture()
    {
        model.addColumn(QStringLiteral("Caption"), QStringLiteral("Currency"));
        model.addColumn(QStringLiteral("TicketNum"), QStringLiteral("Ticket #"));
        model.addColumn(QStringLiteral("Amount"), QStringLiteral("Amount"))->setFormat(QStringLiteral("#,##0.00"));
        model.addColumn(QStringLiteral("Summary"), QStringLiteral("Summary"));
        model.addColumn(QStringLiteral("Dealer"), QStringLiteral("Dealer"));
        model.setCellReader([this](int row, int column) -> QVariant {
            ++reads;
            const Row &r = rows.at(row);
            switch (column) {
            case 0: return r.pair;
            case 1: return r.ticket;
            case 2: return r.amount;
            case 3: return r.summary;
            case 4: return r.dealer.isNull() ? QVariant() : QVariant(r.dealer);
            default: return {};
            }
        });
        model.setItemCount(int(rows.size()));
    }

    // Texts of the rows in display order: groups as "[text]", data rows as their tickets.
    QString layout(const QModelIndex &parent = {}) const
    {
        QStringList parts;
        for (int r = 0; r < model.rowCount(parent); ++r) {
            const QModelIndex i = model.index(r, 0, parent);
            if (model.isGroup(i))
                parts.append(QLatin1Char('[') + model.groupText(i) + QStringLiteral("] ") + layout(i));
            else
                parts.append(model.index(r, 1, parent).data().toString());
        }
        return parts.join(QLatin1Char(' '));
    }
};

} // namespace

class tst_GridModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void staysConsistentUnderTheModelTester();
    void showsRowsInReaderOrderWithoutGroupsOrSortKeys();
    void groupsRowsByColumnValueWithCounts();
    void groupCountsLeaveOutUncountedRows_data();
    void groupCountsLeaveOutUncountedRows();
    void ordersGroupsByTheTextTheUserReads();
    void sortsInsideGroupsBySortKeys();
    void sortsSummaryRowLastWithTwoSortKeys();
    void nestsGroupsOfSeveralColumns();
    void readsOnlyGroupAndSortColumnsWhenBuilding();
    void takesRowsArrangedElsewhereOnlyForItsOwnOrder_data();
    void takesRowsArrangedElsewhereOnlyForItsOwnOrder();
    void groupRowCarriesGroupValues();
    void findsGroupsAndRowsAgainByPathAndBookmark();
    void treatsMissingReaderAndZeroRowsAsEmpty();
    void formatsCellsByValueListFormatAndDate();
    void appliesFormatConditionsToTheRow_data();
    void appliesFormatConditionsToTheRow();
    void laterConditionOverridesEarlier();
    void conditionWithTargetColumnStylesOneCell();
    void conditionChangeTakesEffectAtOnce();
    void rowReaderChangesShownValuesOnly();
    void readsReportValuesAsTheyAre();
    void matchesConditionOperators_data();
    void matchesConditionOperators();
    void comparesValuesAcrossTypes_data();
    void comparesValuesAcrossTypes();
    void convertsWindowsColours_data();
    void convertsWindowsColours();
};

void tst_GridModel::staysConsistentUnderTheModelTester()
{
    Fixture f;
    QAbstractItemModelTester tester(&f.model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    f.model.addGroup(QStringLiteral("Caption"));
    f.model.addSortKey(QStringLiteral("TicketNum"));
    f.model.addGroup(QStringLiteral("Dealer"));
    f.model.setItemCount(3);
    f.model.setItemCount(0);
    f.model.setItemCount(int(f.rows.size()));
    f.model.clearGroups();
    f.model.addCondition(QStringLiteral("Summ"), QStringLiteral("Summary"), FormatCondition::Equal, true);
    f.model.clearColumns();
}

void tst_GridModel::groupCountsLeaveOutUncountedRows_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("summariesOnly");
    QTest::addColumn<QString>("layout");
    QTest::newRow("summary-rows-are-not-deals") << "Summary" << false
                                                << "[1 (2)] 101 -1 102 [2 (2)] 105 103 -1 [3 (1)] 110";
    QTest::newRow("summary-rows-alone-give-no-count") << "Summary" << true << "[1] -1 [2] -1";
    QTest::newRow("no-key-counts-every-row") << "" << false << "[1 (3)] 101 -1 102 [2 (3)] 105 103 -1 [3 (1)] 110";
}

void tst_GridModel::groupCountsLeaveOutUncountedRows()
{
    QFETCH(QString, key);
    QFETCH(bool, summariesOnly);
    QFETCH(QString, layout);
    Fixture f;
    if (summariesOnly)
        f.rows = {sampleRows().at(3), sampleRows().at(5)};
    f.model.setItemCount(int(f.rows.size()));
    f.model.setUncountedRows(key, true);
    f.model.addGroup(QStringLiteral("Caption"));
    QCOMPARE(f.layout(), layout);
    const int expected = summariesOnly ? -1 : key.isEmpty() ? 3 : 2;
    QCOMPARE(f.model.index(0, 0).data(GridModel::GroupCountRole).toInt(), expected);
}

void tst_GridModel::showsRowsInReaderOrderWithoutGroupsOrSortKeys()
{
    Fixture f;
    QCOMPARE(f.layout(), QStringLiteral("105 101 103 -1 110 -1 102"));
    QCOMPARE(f.model.bookmark(f.model.index(4, 0)), 4);
}

void tst_GridModel::groupsRowsByColumnValueWithCounts()
{
    Fixture f;
    f.model.addGroup(QStringLiteral("caption"));   // keys are found without regard to case
    QCOMPARE(f.model.rowCount(), 3);
    QCOMPARE(f.layout(), QStringLiteral("[1 (3)] 101 -1 102 [2 (3)] 105 103 -1 [3 (1)] 110"));
    const QModelIndex first = f.model.index(0, 0);
    QVERIFY(f.model.isGroup(first));
    QCOMPARE(first.data(GridModel::GroupCountRole).toInt(), 3);
    QCOMPARE(f.model.bookmark(first), -1);
    QCOMPARE(f.model.bookmark(f.model.index(1, 0, first)), 3);
}

void tst_GridModel::ordersGroupsByTheTextTheUserReads()
{
    Fixture f;
    widgets::ValueList *pairs = f.model.column(QStringLiteral("Caption"))->valueList();
    pairs->Add(1, QStringLiteral("USD/JPY"));
    pairs->Add(QStringLiteral("2"), QStringLiteral("AUD/USD"));   // an identifier given as text
    // 3 is not in the list: its group shows the value itself.
    f.model.addGroup(QStringLiteral("Caption"));
    QCOMPARE(f.layout(), QStringLiteral("[3 (1)] 110 [AUD/USD (3)] 105 103 -1 [USD/JPY (3)] 101 -1 102"));
    QCOMPARE(f.model.index(0, 0, f.model.index(2, 0)).data().toString(), QStringLiteral("USD/JPY"));
    f.model.clearGroups();
    f.model.addGroup(QStringLiteral("Caption"), false);
    QCOMPARE(f.layout(), QStringLiteral("[USD/JPY (3)] 101 -1 102 [AUD/USD (3)] 105 103 -1 [3 (1)] 110"));
}

void tst_GridModel::sortsInsideGroupsBySortKeys()
{
    Fixture f;
    f.model.addGroup(QStringLiteral("Caption"));
    f.model.addSortKey(QStringLiteral("TicketNum"));
    QCOMPARE(f.layout(), QStringLiteral("[1 (3)] -1 101 102 [2 (3)] -1 103 105 [3 (1)] 110"));
    f.model.clearSortKeys();
    f.model.addSortKey(QStringLiteral("TicketNum"), false);
    QCOMPARE(f.layout(), QStringLiteral("[1 (3)] 102 101 -1 [2 (3)] 105 103 -1 [3 (1)] 110"));
}

void tst_GridModel::sortsSummaryRowLastWithTwoSortKeys()
{
    Fixture f;
    f.model.addGroup(QStringLiteral("Caption"));
    f.model.addSortKey(QStringLiteral("Summary"));
    f.model.addSortKey(QStringLiteral("Amount"));
    // Within a pair: detail rows by amount, then the summary row (false < true).
    QCOMPARE(f.layout(), QStringLiteral("[1 (3)] 101 102 -1 [2 (3)] 103 105 -1 [3 (1)] 110"));
}

void tst_GridModel::nestsGroupsOfSeveralColumns()
{
    Fixture f;
    f.model.addGroup(QStringLiteral("Caption"));
    f.model.addGroup(QStringLiteral("Dealer"));
    // "Anna" and "anna" are one group; an empty dealer is a group of its own, shown first.
    QCOMPARE(f.layout(), QStringLiteral("[1 (3)] [(empty) (1)] -1 [Anna (1)] 102 [Boris (1)] 101 "
                                        "[2 (3)] [(empty) (1)] -1 [Anna (2)] 105 103 "
                                        "[3 (1)] [Boris (1)] 110"));
    QCOMPARE(f.model.allGroupIndexes().size(), 3 + 3 + 2 + 1);
}

void tst_GridModel::readsOnlyGroupAndSortColumnsWhenBuilding()
{
    Fixture f;
    f.reads = 0;
    f.model.addGroup(QStringLiteral("Caption"));
    // One read per row for the group column, one per group for its value.
    QCOMPARE(f.reads, int(f.rows.size()) + 3);
}

void tst_GridModel::takesRowsArrangedElsewhereOnlyForItsOwnOrder_data()
{
    QTest::addColumn<QString>("changeAfterArranging");
    QTest::addColumn<bool>("taken");
    QTest::newRow("same-order-is-taken-without-reading") << "" << true;
    QTest::newRow("other-group-column-is-rebuilt") << "group" << false;
    QTest::newRow("other-sort-direction-is-rebuilt") << "sort" << false;
    QTest::newRow("value-list-text-changed-is-rebuilt") << "texts" << false;
    QTest::newRow("other-uncounted-rows-is-rebuilt") << "uncounted" << false;
    QTest::newRow("other-row-count-is-rebuilt") << "count" << false;
}

void tst_GridModel::takesRowsArrangedElsewhereOnlyForItsOwnOrder()
{
    QFETCH(QString, changeAfterArranging);
    QFETCH(bool, taken);
    Fixture f;
    f.model.column(QStringLiteral("Caption"))->valueList()->Add(1, QStringLiteral("USD/JPY"));
    f.model.setUncountedRows(QStringLiteral("Summary"), true);
    f.model.addGroup(QStringLiteral("Caption"));
    f.model.addSortKey(QStringLiteral("TicketNum"));
    const QString ownBuild = f.layout();
    // What a report's worker makes: the rows arranged and counted off the grid.
    const RowArrangement fromRows = RowArrangement::build(
        int(f.rows.size()), f.model.ordering(),
        [&f](int row, int column) -> QVariant {
            const Row &r = f.rows.at(row);
            switch (column) {
            case 0: return r.pair;
            case 1: return r.ticket;
            case 3: return r.summary;
            default: return {};
            }
        },
        true);
    int count = int(f.rows.size());
    if (changeAfterArranging == QLatin1String("group")) {
        f.model.clearGroups();
        f.model.addGroup(QStringLiteral("Dealer"));
    } else if (changeAfterArranging == QLatin1String("sort")) {
        f.model.clearSortKeys();
        f.model.addSortKey(QStringLiteral("TicketNum"), false);
    } else if (changeAfterArranging == QLatin1String("texts")) {
        f.model.column(QStringLiteral("Caption"))->valueList()->Add(2, QStringLiteral("AUD/USD"));
    } else if (changeAfterArranging == QLatin1String("uncounted")) {
        f.model.setUncountedRows(QString(), QVariant());
    } else if (changeAfterArranging == QLatin1String("count")) {
        f.rows.removeLast();
        count = int(f.rows.size());
    }
    f.model.setItemCount(count);
    const QString rebuilt = f.layout();
    f.reads = 0;
    f.model.setItemCount(count, fromRows);
    // Taken: no row is read to order or count; the grid is the one it builds itself.
    QCOMPARE(f.reads == 0, taken);
    QCOMPARE(f.layout(), rebuilt);
    if (taken)
        QCOMPARE(f.layout(), ownBuild);
}

void tst_GridModel::groupRowCarriesGroupValues()
{
    Fixture f;
    f.model.addGroup(QStringLiteral("Caption"));
    f.model.addGroup(QStringLiteral("Dealer"));
    const QModelIndex pair = f.model.index(1, 0);
    const QModelIndex dealer = f.model.index(1, 0, pair);
    QCOMPARE(f.model.value(dealer, 0).toInt(), 2);
    QCOMPARE(f.model.value(dealer, 4).toString(), QStringLiteral("Anna"));
    QVERIFY(!f.model.value(dealer, 1).isValid());
    QCOMPARE(f.model.value(f.model.index(0, 0, dealer), 1).toLongLong(), qint64(105));
}

void tst_GridModel::findsGroupsAndRowsAgainByPathAndBookmark()
{
    Fixture f;
    f.model.addGroup(QStringLiteral("Caption"));
    f.model.addGroup(QStringLiteral("Dealer"));
    const QModelIndex anna = f.model.index(1, 0, f.model.index(1, 0));
    const QStringList path = f.model.groupPath(anna);
    QCOMPARE(path.size(), 2);
    f.rows.removeFirst();   // ticket 105 leaves pair 2; Anna keeps ticket 103
    f.model.setItemCount(int(f.rows.size()));
    const QModelIndex again = f.model.groupIndex(path);
    QVERIFY(again.isValid());
    QCOMPARE(again.data(GridModel::GroupCountRole).toInt(), 1);
    const QModelIndex row = f.model.indexOfBookmark(1);   // ticket 103 is now bookmark 1
    QCOMPARE(row.parent(), again);
    QVERIFY(!f.model.groupIndex({QStringLiteral("n:99")}).isValid());
    QVERIFY(!f.model.indexOfBookmark(int(f.rows.size())).isValid());
}

void tst_GridModel::treatsMissingReaderAndZeroRowsAsEmpty()
{
    GridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.addColumn(QStringLiteral("A"), QStringLiteral("A"));
    model.setItemCount(10);
    model.addGroup(QStringLiteral("A"));
    QCOMPARE(model.rowCount(), 0);
    model.setItemCount(-5);
    QCOMPARE(model.ItemCount(), 0);
    QVERIFY(!model.addGroup(QStringLiteral("NoSuchColumn")));
}

void tst_GridModel::formatsCellsByValueListFormatAndDate()
{
    Fixture f;
    QCOMPARE(f.model.index(0, 2).data().toString(), QStringLiteral("1,500.00"));
    QCOMPARE(f.model.index(1, 2).data().toString(), QStringLiteral("-250.50"));
    QCOMPARE(f.model.index(3, 4).data().toString(), QString());   // null shows nothing
    QCOMPARE(f.model.displayText(QDate(2026, 12, 5), 0), QStringLiteral("2026-12-05"));
    QCOMPARE(f.model.displayText(QDateTime(QDate(2026, 12, 5), QTime(9, 30)), 0),
             QStringLiteral("2026-12-05 09:30:00"));
    QCOMPARE(f.model.displayText(QVariant::fromValue(data::Currency::fromRaw(-12345678)), 2),
             QStringLiteral("-1,234.57"));
    f.model.column(0)->valueList()->Add(2, QStringLiteral("GBP/USD"));
    QCOMPARE(f.model.index(0, 0).data().toString(), QStringLiteral("GBP/USD"));
    QCOMPARE(f.model.index(1, 0).data().toString(), QStringLiteral("1"));   // not in the list
    QCOMPARE(f.model.index(0, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
             int(Qt::AlignLeft));
    f.model.column(2)->setTextAlignment(widgets::GridColumn::AlignRight);
    QCOMPARE(f.model.index(0, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
             int(Qt::AlignRight));
}

void tst_GridModel::appliesFormatConditionsToTheRow_data()
{
    QTest::addColumn<int>("bookmark");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QColor>("fore");

    QTest::newRow("summary-row-bold-blue") << 5 << true << QColor(Qt::blue);
    QTest::newRow("negative-summary-row-bold-red") << 3 << true << QColor(Qt::red);
    QTest::newRow("negative-detail-red-not-bold") << 1 << false << QColor(Qt::red);
    QTest::newRow("plain-row-default") << 0 << false << QColor();
}

void tst_GridModel::appliesFormatConditionsToTheRow()
{
    QFETCH(int, bookmark);
    QFETCH(bool, bold);
    QFETCH(QColor, fore);

    Fixture f;
    FormatCondition *summ = f.model.addCondition(QStringLiteral("Summ"), QStringLiteral("Summary"),
                                                 FormatCondition::Equal, true);
    summ->setFontBold(true);
    summ->setForeColor(0xFF0000);
    FormatCondition *negative = f.model.addCondition(QStringLiteral("Negative"), QStringLiteral("Amount"),
                                                     FormatCondition::LessThan, 0);
    negative->setForeColor(0x0000FF);

    for (int column = 0; column < f.model.columnCount(); ++column) {
        const QModelIndex cell = f.model.index(bookmark, column);
        QCOMPARE(cell.data(Qt::FontRole).value<QFont>().bold(), bold);
        QCOMPARE(cell.data(Qt::ForegroundRole).value<QColor>(), fore);
    }
}

void tst_GridModel::laterConditionOverridesEarlier()
{
    Fixture f;
    f.model.addCondition(QStringLiteral("Negative"), QStringLiteral("Amount"), FormatCondition::LessThan, 0)
        ->setForeColor(0x0000FF);
    f.model.addCondition(QStringLiteral("Summ"), QStringLiteral("Summary"), FormatCondition::Equal, true)
        ->setForeColor(0xFF0000);
    QCOMPARE(f.model.index(3, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::blue));
    // Re-adding a key replaces the condition (and moves it last).
    f.model.addCondition(QStringLiteral("NEGATIVE"), QStringLiteral("Amount"), FormatCondition::LessThan, 0)
        ->setForeColor(0x00FF00);
    QCOMPARE(f.model.conditions().size(), 2);
    QCOMPARE(f.model.index(3, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::green));
}

void tst_GridModel::conditionWithTargetColumnStylesOneCell()
{
    Fixture f;
    FormatCondition *c = f.model.addCondition(QStringLiteral("Negative"), QStringLiteral("Amount"),
                                              FormatCondition::LessThan, 0);
    c->setForeColor(0x0000FF);
    c->setTargetColumnKey(QStringLiteral("Amount"));
    QCOMPARE(f.model.index(1, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QVERIFY(!f.model.index(1, 1).data(Qt::ForegroundRole).isValid());
}

void tst_GridModel::conditionChangeTakesEffectAtOnce()
{
    Fixture f;
    FormatCondition *c = f.model.addCondition(QStringLiteral("Negative"), QStringLiteral("Amount"),
                                              FormatCondition::LessThan, 0);
    c->setForeColor(0x0000FF);
    QCOMPARE(f.model.index(1, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
    // The netting report's pair view turns negatives back to the normal text colour.
    c->setForeColor(0x80000008);
    QVERIFY(changed.count() > 0);
    QCOMPARE(f.model.index(1, 2).data(Qt::ForegroundRole).value<QColor>(),
             QGuiApplication::palette().color(QPalette::Text));
    c->setEnabled(false);
    QVERIFY(!f.model.index(1, 2).data(Qt::ForegroundRole).isValid());
}

void tst_GridModel::rowReaderChangesShownValuesOnly()
{
    Fixture f;
    f.model.setRowReader([](int, QVector<QVariant> &values) {
        if (values.at(3).toBool())
            values[4] = QString(QStringLiteral("Ccy1: ") + values.at(2).toString());
    });
    f.model.addGroup(QStringLiteral("Dealer"));
    // Grouping reads the raw values: the summary rows stay in the empty-dealer group.
    QCOMPARE(f.model.groupText(f.model.index(0, 0)), QStringLiteral("(empty) (2)"));
    const QModelIndex summary = f.model.index(0, 4, f.model.index(0, 0));
    QCOMPARE(summary.data().toString(), QStringLiteral("Ccy1: -250.5"));
    QVERIFY(!summary.data(GridModel::RawValueRole).isValid());
}

void tst_GridModel::readsReportValuesAsTheyAre()
{
    // Report values arrive as data::Value: money stays exact, null stays empty.
    GridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.addColumn(QStringLiteral("Ccy"), QStringLiteral("Ccy"))->valueList()->Add(QVariant::fromValue(data::Value(5)), QStringLiteral("EUR"));
    model.addColumn(QStringLiteral("Volume"), QStringLiteral("Volume"))->setFormat(QStringLiteral("#,##0.0000"));
    const qint64 huge = 9000000000000000001;   // beyond a double's 53 bits
    model.setCellReader([huge](int row, int column) -> QVariant {
        if (column == 0)
            return QVariant::fromValue(data::Value(qint64(5), data::DataType::Integer));
        return QVariant::fromValue(row == 0 ? data::Value(data::Currency::fromRaw(-huge))
                                            : data::Value::null(data::DataType::Currency));
    });
    model.addCondition(QStringLiteral("Negative"), QStringLiteral("Volume"), FormatCondition::LessThan, 0)
        ->setForeColor(0x0000FF);
    model.setItemCount(2);
    model.addGroup(QStringLiteral("Ccy"));
    const QModelIndex group = model.index(0, 0);
    QCOMPARE(model.groupText(group), QStringLiteral("EUR (2)"));
    QCOMPARE(model.index(0, 1, group).data().toString(), QStringLiteral("-900,000,000,000,000.0001"));
    QCOMPARE(model.index(0, 1, group).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QCOMPARE(model.index(1, 1, group).data().toString(), QString());
    QVERIFY(!model.index(1, 1, group).data(Qt::ForegroundRole).isValid());
}

void tst_GridModel::matchesConditionOperators_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<QVariant>("value1");
    QTest::addColumn<QVariant>("value2");
    QTest::addColumn<QVariant>("cell");
    QTest::addColumn<bool>("expected");

    const QVariant none;
    QTest::newRow("equal-true-bool") << 0 << QVariant(true) << none << QVariant(true) << true;
    QTest::newRow("equal-true-minus-one") << 0 << QVariant(true) << none << QVariant(-1) << true;
    QTest::newRow("equal-false-zero") << 0 << QVariant(false) << none << QVariant(0) << true;
    QTest::newRow("equal-true-false") << 0 << QVariant(true) << none << QVariant(false) << false;
    QTest::newRow("less-than-zero-currency") << 3 << QVariant(0) << none
                                             << QVariant::fromValue(data::Currency::fromRaw(-1)) << true;
    QTest::newRow("less-than-zero-zero") << 3 << QVariant(0) << none << QVariant(0.0) << false;
    QTest::newRow("less-than-zero-null-cell") << 3 << QVariant(0) << none << QVariant() << false;
    QTest::newRow("less-than-zero-text") << 3 << QVariant(0) << none << QVariant(QStringLiteral("abc")) << false;
    QTest::newRow("greater-or-equal") << 4 << QVariant(5) << none << QVariant(5.0) << true;
    QTest::newRow("not-equal-text-case") << 1 << QVariant(QStringLiteral("EUR")) << none
                                         << QVariant(QStringLiteral("eur")) << false;
    QTest::newRow("between-inclusive") << 6 << QVariant(1) << QVariant(3) << QVariant(3) << true;
    QTest::newRow("not-between") << 7 << QVariant(1) << QVariant(3) << QVariant(4) << true;
    QTest::newRow("contains") << 8 << QVariant(QStringLiteral("usd")) << none << QVariant(QStringLiteral("EUR/USD")) << true;
    QTest::newRow("begins-with") << 10 << QVariant(QStringLiteral("EUR")) << none << QVariant(QStringLiteral("EUR/USD")) << true;
    QTest::newRow("is-empty-text") << 12 << none << none << QVariant(QString()) << true;
    QTest::newRow("not-is-empty") << 13 << none << none << QVariant(0) << true;
    QTest::newRow("dates") << 2 << QVariant(QDate(2026, 1, 1)) << none
                           << QVariant(QDateTime(QDate(2026, 1, 1), QTime(0, 0, 1))) << true;
}

void tst_GridModel::matchesConditionOperators()
{
    QFETCH(int, op);
    QFETCH(QVariant, value1);
    QFETCH(QVariant, value2);
    QFETCH(QVariant, cell);
    QFETCH(bool, expected);
    const FormatCondition c(QStringLiteral("k"), QStringLiteral("c"), FormatCondition::Operator(op), value1, value2);
    QCOMPARE(c.match(cell), expected);
}

void tst_GridModel::comparesValuesAcrossTypes_data()
{
    QTest::addColumn<QVariant>("a");
    QTest::addColumn<QVariant>("b");
    QTest::addColumn<int>("expected");

    QTest::newRow("int-double-equal") << QVariant(5) << QVariant(5.0) << 0;
    QTest::newRow("currency-int-equal") << QVariant::fromValue(data::Currency::fromUnits(5)) << QVariant(5) << 0;
    QTest::newRow("numeric-text-equal") << QVariant(QStringLiteral("5")) << QVariant(qint64(5)) << 0;
    QTest::newRow("big-integers-exact") << QVariant(qint64(9007199254740993)) << QVariant(qint64(9007199254740992)) << 1;
    QTest::newRow("null-first") << QVariant() << QVariant(-1e300) << -1;
    QTest::newRow("text-case-insensitive") << QVariant(QStringLiteral("anna")) << QVariant(QStringLiteral("Anna")) << 0;
    QTest::newRow("number-before-text") << QVariant(99) << QVariant(QStringLiteral("a")) << -1;
}

void tst_GridModel::comparesValuesAcrossTypes()
{
    QFETCH(QVariant, a);
    QFETCH(QVariant, b);
    QFETCH(int, expected);
    const int c = CellValue::compare(a, b);
    QCOMPARE((c > 0) - (c < 0), expected);
    QCOMPARE(CellValue::hashKey(a) == CellValue::hashKey(b), expected == 0);
}

void tst_GridModel::convertsWindowsColours_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QColor>("expected");

    const QPalette pal = QGuiApplication::palette();
    QTest::newRow("red") << quint32(0x0000FF) << QColor(255, 0, 0);
    QTest::newRow("bgr-order") << quint32(0x336699) << QColor(0x99, 0x66, 0x33);
    QTest::newRow("window-text") << quint32(0x80000008) << pal.color(QPalette::Text);
    QTest::newRow("grey-text") << quint32(0x80000011) << pal.color(QPalette::Disabled, QPalette::Text);
    QTest::newRow("unknown-system-index") << quint32(0x800000FF) << QColor();
    QTest::newRow("garbage-high-byte") << quint32(0x12345678) << QColor();
}

void tst_GridModel::convertsWindowsColours()
{
    QFETCH(quint32, value);
    QFETCH(QColor, expected);
    QCOMPARE(widgets::WindowsColor::toQColor(value), expected);
    if (!widgets::WindowsColor::isSystemColor(value) && expected.isValid())
        QCOMPARE(widgets::WindowsColor::fromQColor(expected), value);
}

QTEST_MAIN(tst_GridModel)
#include "tst_gridmodel.moc"
