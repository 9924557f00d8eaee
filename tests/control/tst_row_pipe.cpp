// Rows handed from the thread that takes an export's cells to the thread that
// writes the workbook: order and count kept across blocks, a full pipe holding
// the taker back, and a writer that stops (a failed write) releasing it.

#include "ReportExporter.h"
#include "RowPipe.h"

#include "Grid.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

namespace {

ReportRow numbered(int n)
{
    ReportRow row;
    row.cells = {QString::number(n)};
    return row;
}

} // namespace

class tst_RowPipe : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsArriveInOrderAcrossBlocks_data();
    void rowsArriveInOrderAcrossBlocks();
    void aStoppedConsumerReleasesAWaitingProducer();
    void aFailedWorkbookWriteEndsAndTellsWhy();
};

void tst_RowPipe::rowsArriveInOrderAcrossBlocks_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("none") << 0;
    QTest::newRow("less-than-a-block") << 7;
    QTest::newRow("exactly-one-block") << int(RowPipe::BlockRows);
    QTest::newRow("many-blocks-through-a-pipe-of-two") << int(RowPipe::BlockRows) * 9 + 3;
}

void tst_RowPipe::rowsArriveInOrderAcrossBlocks()
{
    QFETCH(int, rows);
    RowPipe pipe(2);
    std::thread producer([&] {
        for (int n = 0; n < rows; ++n)
            if (!pipe.push(numbered(n)))
                return;
        pipe.finish();
    });
    int received = 0;
    bool inOrder = true;
    ReportRow row;
    while (pipe.next(&row)) {
        inOrder = inOrder && row.cells.value(0) == QString::number(received);
        ++received;
    }
    producer.join();
    QVERIFY(inOrder);
    QCOMPARE(received, rows);
    QVERIFY(!pipe.next(&row));   // the end stays the end
}

void tst_RowPipe::aStoppedConsumerReleasesAWaitingProducer()
{
    RowPipe pipe(1);
    std::atomic<int> pushed = 0;
    std::atomic<bool> refused = false;
    std::thread producer([&] {
        for (int n = 0; n < 100 * int(RowPipe::BlockRows); ++n) {
            if (!pipe.push(numbered(n))) {
                refused = true;
                return;
            }
            ++pushed;
        }
        pipe.finish();
    });
    ReportRow row;
    QVERIFY(pipe.next(&row));
    // The producer fills the pipe and waits: it cannot run ahead of the writer.
    QTRY_VERIFY(pushed >= 3 * int(RowPipe::BlockRows) - 1);
    QTest::qWait(50);
    QVERIFY(pushed < 4 * int(RowPipe::BlockRows));
    pipe.stop();
    producer.join();
    QVERIFY(refused);
    QVERIFY(!pipe.next(&row));   // not even the rest of the block it was taking
}

void tst_RowPipe::aFailedWorkbookWriteEndsAndTellsWhy()
{
    // Whether the write fails at the first row or at the end, the thread
    // taking the rows ends with it and nothing is left under the name.
    constexpr int Rows = 20000;
    widgets::Grid grid;
    grid.addColumn(QStringLiteral("Ticket"), QStringLiteral("Ticket"));
    grid.setItemCount(Rows);
    const widgets::GridRowsCopy rows =
        grid.rowsCopy([](int row, int) { return QVariant(row); }, {}, widgets::Grid::DocumentCells::Workbook);

    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("taken"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QString error;
    const QString path = blocker + QStringLiteral("/report.xlsx");   // its folder is a file
    QVERIFY(!ReportExporter::write(grid.documentColumns(), rows, path, ReportExporter::Format::Xlsx, &error));
    QVERIFY2(error.contains(path), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("taken")});

    // The same rows go through once the name can be written.
    qsizetype written = 0;
    const QString good = dir.filePath(QStringLiteral("report.xlsx"));
    QVERIFY2(ReportExporter::write(grid.documentColumns(), rows, good, ReportExporter::Format::Xlsx, &error,
                                   &written),
             qPrintable(error));
    QCOMPARE(written, Rows);
}

QTEST_MAIN(tst_RowPipe)
#include "tst_row_pipe.moc"
