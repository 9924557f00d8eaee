#include "Grid.h"
#include "../support/ReportRowTexts.h"

#include <QTest>
#include <QThread>

using widgets::FormatCondition;
using widgets::Grid;
using widgets::GridColumn;

namespace {

// Two pairs with two deals and a summary row each; the second pair's summary is
// negative. Columns: pair (grouped, hidden), deal, amount, summary flag (hidden).
struct Rows
{
    struct Row
    {
        int pair;
        QVariant deal;
        double amount;
        bool summary;
    };
    QList<Row> rows{{1, 101, 1000.5, false}, {1, 102, -250, false}, {1, QVariant(), 750.5, true},
                    {2, 201, -300, false},   {2, 202, 100, false},  {2, QVariant(), -200, true}};

    QVariant cell(int row, int column) const
    {
        const Row &r = rows.at(row);
        switch (column) {
        case 0: return r.pair;
        case 1: return r.deal;
        case 2: return r.amount;
        case 3: return r.summary;
        case 4: return r.summary && r.amount < 0;
        default: return {};
        }
    }
};

struct Fixture
{
    Rows data;
    Grid grid;

    Fixture()
    {
        grid.resize(600, 300);
        GridColumn *pair = grid.addColumn(QStringLiteral("Pair"), QStringLiteral("Pair"));
        pair->valueList()->Add(1, QStringLiteral("EUR/USD"));
        pair->valueList()->Add(2, QStringLiteral("USD/JPY"));
        grid.addColumn(QStringLiteral("Deal"), QStringLiteral("Deal #"))->setTextAlignment(GridColumn::AlignRight);
        GridColumn *amount = grid.addColumn(QStringLiteral("Amount"), QStringLiteral("Amount"));
        amount->setTextAlignment(GridColumn::AlignRight);
        amount->setFormat(QStringLiteral("#,##0.00"));
        grid.addColumn(QStringLiteral("Summary"), QStringLiteral("Summary"))->setVisible(false);
        grid.addColumn(QStringLiteral("NegSumm"), QStringLiteral("NegSumm"))->setVisible(false);
        grid.Columns(QStringLiteral("Pair"))->setVisible(false);
        FormatCondition *summ = grid.addFormatCondition(QStringLiteral("Summ"), QStringLiteral("Summary"),
                                                        FormatCondition::Equal, true);
        summ->setFontBold(true);
        summ->setForeColor(0xFF0000);
        FormatCondition *neg = grid.addFormatCondition(QStringLiteral("NegSumm"), QStringLiteral("NegSumm"),
                                                       FormatCondition::Equal, true);
        neg->setFontBold(true);
        neg->setForeColor(0x0000FF);
        // Red but not bold: a negative detail stays a detail row.
        grid.addFormatCondition(QStringLiteral("Negative"), QStringLiteral("Amount"), FormatCondition::LessThan, 0)
            ->setForeColor(0x0000FF);
        grid.setCellReader([this](int row, int column) { return data.cell(row, column); });
        grid.setItemCount(int(data.rows.size()));
        grid.addGroup(QStringLiteral("Pair"));
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
    }
};

} // namespace

class tst_GridReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsKeepTheirKinds();
    void collapsedGroupsStillGiveEveryRow();
    void selectedRowsOnly();
    void rowsCopyGivesTheRowsOfItsTimeOnAnotherThread();
};

void tst_GridReport::rowsKeepTheirKinds()
{
    Fixture f;
    f.grid.expandAllGroups();
    const ReportDocument doc = f.grid.reportDocument(false);
    QCOMPARE(doc.columnCaptions, (QStringList{QStringLiteral("Deal #"), QStringLiteral("Amount")}));
    QCOMPARE(doc.alignments.size(), 2);
    QVERIFY(doc.alignments.at(1) & Qt::AlignRight);
    QCOMPARE(doc.rows.size(), 8);
    const ReportRow::Kind kinds[] = {ReportRow::Group,  ReportRow::Detail, ReportRow::Detail, ReportRow::Summary,
                                     ReportRow::Group,  ReportRow::Detail, ReportRow::Detail, ReportRow::Summary};
    for (int r = 0; r < 8; ++r)
        QCOMPARE(int(doc.rows.at(r).kind), int(kinds[r]));
    QVERIFY(doc.rows.at(0).cells.at(0).startsWith(QStringLiteral("EUR/USD")));
    QCOMPARE(doc.rows.at(0).level, 0);
    QCOMPARE(doc.rows.at(1).cells, (QStringList{QStringLiteral("101"), QStringLiteral("1,000.50")}));
    QVERIFY(!doc.rows.at(2).negative); // red amount only
    QVERIFY(!doc.rows.at(3).negative);
    QVERIFY(doc.rows.at(7).negative);
    QCOMPARE(doc.rows.at(7).cells.at(1), QStringLiteral("-200.00"));
}

void tst_GridReport::collapsedGroupsStillGiveEveryRow()
{
    // A print of the whole result must not depend on what is expanded.
    Fixture f;
    f.grid.collapseAllGroups();
    const ReportDocument doc = f.grid.reportDocument(false);
    QCOMPARE(doc.rows.size(), 8);
    QCOMPARE(int(doc.rows.at(4).kind), int(ReportRow::Group));
    QCOMPARE(doc.rows.at(1).cells, (QStringList{QStringLiteral("101"), QStringLiteral("1,000.50")}));
}

void tst_GridReport::selectedRowsOnly()
{
    Fixture f;
    f.grid.expandAllGroups();
    f.grid.setRow(3);
    const ReportDocument doc = f.grid.reportDocument(true);
    QCOMPARE(doc.rows.size(), 1);
    QCOMPARE(int(doc.rows.at(0).kind), int(ReportRow::Summary));
    // The same rows as the text copy.
    QCOMPARE(f.grid.copyText(true).split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 2);
}

void tst_GridReport::rowsCopyGivesTheRowsOfItsTimeOnAnotherThread()
{
    Fixture f;
    f.grid.collapseAllGroups();
    for (const Grid::DocumentCells cells : {Grid::DocumentCells::Texts, Grid::DocumentCells::Workbook}) {
        const QStringList expected = testsupport::rowTexts(f.grid.reportDocument(false, cells).rows);
        // The copy reads its own rows, as an export's worker does from its own
        // handle on the result; the grid's are about to go.
        const Rows kept = f.data;
        const widgets::GridRowsCopy copy =
            f.grid.rowsCopy([kept](int row, int column) { return kept.cell(row, column); }, {}, cells);
        const QList<Rows::Row> before = f.data.rows;
        f.data.rows = {{3, 301, 1, false}};
        f.grid.Columns(QStringLiteral("Amount"))->setFormat(QStringLiteral("0"));
        f.grid.setItemCount(1);

        QList<ReportRow> rows;
        QThread *worker = QThread::create([&] { rows = copy.rows(); });
        worker->start();
        QVERIFY(worker->wait(5000));
        delete worker;
        QCOMPARE(testsupport::rowTexts(rows), expected);
        QCOMPARE(rows.size(), 8);

        f.data.rows = before;
        f.grid.Columns(QStringLiteral("Amount"))->setFormat(QStringLiteral("#,##0.00"));
        f.grid.setItemCount(int(before.size()));
    }
}

QTEST_MAIN(tst_GridReport)
#include "tst_grid_report.moc"
