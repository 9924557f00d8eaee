// Exports of a report result: CSV of what the grid shows and the XLSX
// workbook, read back from the file (the workbook through unzip) and checked
// cell by cell: kinds of rows, quoting, numbers kept as numbers with the
// grid's formats, dates as dates, styles and outline levels, and that a
// failed write leaves nothing behind.

#include "GridCsv.h"
#include "ReportXlsx.h"

#include "Currency.h"
#include "DateTime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

ReportDocument positions()
{
    ReportDocument doc;
    doc.title = QStringLiteral("Currency Pairs");
    doc.context.filters = {QStringLiteral("Dealer ID: JSM")};
    doc.context.runTime = QDateTime(QDate(2026, 12, 4), QTime(17, 30));
    doc.columnCaptions = {QStringLiteral("Counterparty"), QStringLiteral("Amount"), QStringLiteral("Value Date"),
                          QStringLiteral("Rate")};
    doc.numberFormats = {QString(), QStringLiteral("#,##0.00"), QString(), QStringLiteral("Fixed")};
    doc.widths = {120, 90, 0, 70};
    doc.dateFormat = QStringLiteral("dd.MM.yyyy");
    const auto row = [](ReportRow::Kind kind, int level, bool negative, QStringList cells, QList<QVariant> values) {
        ReportRow r{kind, level, negative, std::move(cells)};
        r.values = std::move(values);
        return r;
    };
    doc.rows = {
        row(ReportRow::Group, 0, false, {QStringLiteral("EUR/USD (2)")}, {}),
        row(ReportRow::Summary, 0, true, {QStringLiteral("Net, \"all\""), QStringLiteral("-1,250,000.50"), QString(), QString()},
            {QVariant(), QVariant::fromValue(data::Currency::fromRaw(-12500005000)), QVariant(), QVariant()}),
        row(ReportRow::Detail, 0, false,
            {QStringLiteral(" BANK A"), QStringLiteral("1,000.00"), QStringLiteral("08.12.2026"), QStringLiteral("1.10")},
            {QVariant(), QVariant::fromValue(data::Currency::fromRaw(10000000)),
             QVariant(QDateTime(QDate(2026, 12, 8), QTime(0, 0), Qt::UTC)), QVariant(1.1)}),
        row(ReportRow::Group, 1, false, {QStringLiteral("Spot (1)")}, {}),
        row(ReportRow::Detail, 0, false, {QStringLiteral("Zürich AG"), QStringLiteral("0.00"), QString(), QString()},
            {QVariant(), QVariant(qint64(0)), QVariant(), QVariant()}),
    };
    return doc;
}

/// One cell of the sheet as a spreadsheet reads it.
struct SheetCell
{
    QString text;     ///< inline text, or the number as written
    bool number = false;
    int style = 0;
};

struct Sheet
{
    QHash<QString, SheetCell> cells;   ///< by reference ("B7")
    QHash<int, int> outlineLevels;     ///< by row number, rows with a level only
    QString frozenAt;                  ///< the pane's top-left cell
    QList<QString> numberFormats;      ///< of each cell style, by index
    QList<QString> fontColours;        ///< of each cell style, "" for the theme's
    QList<bool> bold;                  ///< of each cell style
};

QByteArray unzipped(const QString &workbook, const QString &member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), workbook, member});
    unzip.waitForFinished(30000);
    return unzip.readAllStandardOutput();
}

Sheet readSheet(const QString &workbook)
{
    Sheet sheet;
    QXmlStreamReader xml(unzipped(workbook, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("row") && a.hasAttribute(QLatin1String("outlineLevel"))) {
            sheet.outlineLevels.insert(a.value(QLatin1String("r")).toInt(), a.value(QLatin1String("outlineLevel")).toInt());
        } else if (xml.name() == QLatin1String("pane")) {
            sheet.frozenAt = a.value(QLatin1String("topLeftCell")).toString();
        } else if (xml.name() == QLatin1String("c")) {
            ref = a.value(QLatin1String("r")).toString();
            sheet.cells[ref].style = a.value(QLatin1String("s")).toInt();
        } else if (xml.name() == QLatin1String("t")) {
            sheet.cells[ref].text = xml.readElementText();
        } else if (xml.name() == QLatin1String("v")) {
            sheet.cells[ref].text = xml.readElementText();
            sheet.cells[ref].number = true;
        }
    }
    // The styles: number formats by id, fonts, then the cell formats naming them.
    QXmlStreamReader styles(unzipped(workbook, QStringLiteral("xl/styles.xml")));
    QHash<int, QString> formats;
    QList<QString> fontColours;
    QList<bool> fontBold;
    QString section;
    while (!styles.atEnd()) {
        styles.readNext();
        if (styles.isStartElement()) {
            const auto a = styles.attributes();
            const auto name = styles.name();
            if (name == QLatin1String("fonts") || name == QLatin1String("fills") || name == QLatin1String("borders")
                || name == QLatin1String("cellXfs") || name == QLatin1String("cellStyleXfs"))
                section = name.toString();
            if (name == QLatin1String("numFmt"))
                formats.insert(a.value(QLatin1String("numFmtId")).toInt(), a.value(QLatin1String("formatCode")).toString());
            else if (name == QLatin1String("font")) {
                fontColours.append(QString());
                fontBold.append(false);
            } else if (name == QLatin1String("b") && section == QLatin1String("fonts"))
                fontBold.last() = true;
            else if (name == QLatin1String("color") && section == QLatin1String("fonts"))
                fontColours.last() = a.value(QLatin1String("rgb")).toString();
            else if (name == QLatin1String("xf") && section == QLatin1String("cellXfs")) {
                const int font = a.value(QLatin1String("fontId")).toInt();
                sheet.numberFormats.append(formats.value(a.value(QLatin1String("numFmtId")).toInt()));
                sheet.fontColours.append(fontColours.value(font));
                sheet.bold.append(fontBold.value(font));
            }
        }
    }
    return sheet;
}

} // namespace

class tst_Exports : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void gridCsvMarksEveryRowAndQuotes()
    {
        const QStringList lines = GridCsv::text(positions()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines, QStringList({
                            QStringLiteral("Row,Counterparty,Amount,Value Date,Rate"),
                            QStringLiteral("Context,Currency Pairs"),
                            QStringLiteral("Context,Dealer ID: JSM"),
                            QStringLiteral("Context,Run: 04.12.2026 17:30:00"),
                            QStringLiteral("Group 1,EUR/USD (2)"),
                            QStringLiteral("Summary,\"Net, \"\"all\"\"\",\"-1,250,000.50\",,"),
                            QStringLiteral("Detail,\" BANK A\",\"1,000.00\",08.12.2026,1.10"),
                            QStringLiteral("Group 2,Spot (1)"),
                            QStringLiteral("Detail,Zürich AG,0.00,,"),
                            QString(),
                        }));
    }

    void spreadsheetFormatsFollowTheGrid_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QString>("sheet");
        QTest::newRow("general") << QString() << QString();
        QTest::newRow("general-by-name") << "General Number" << QString();
        QTest::newRow("fixed") << "Fixed" << "0.00";
        QTest::newRow("standard") << "standard" << "#,##0.00";
        QTest::newRow("percent") << "Percent" << "0.00%";
        QTest::newRow("own-pattern-kept") << "#,##0.0000;(#,##0.0000)" << "#,##0.0000;(#,##0.0000)";
    }
    void spreadsheetFormatsFollowTheGrid()
    {
        QFETCH(QString, grid);
        QFETCH(QString, sheet);
        QCOMPARE(ReportXlsx::spreadsheetFormat(grid), sheet);
    }

    void spreadsheetDateFormatsFollowTheGrid_data()
    {
        QTest::addColumn<QString>("qt");
        QTest::addColumn<QString>("sheet");
        QTest::newRow("iso-date") << "yyyy-MM-dd" << "yyyy-mm-dd";
        QTest::newRow("german-date-time") << "dd.MM.yyyy HH:mm:ss" << "dd.mm.yyyy hh:mm:ss";
        QTest::newRow("quoted-text") << "d 'of' MMMM" << "d \"of\" mmmm";
        QTest::newRow("other-letters-literal") << "dd.MM.yy t" << "dd.mm.yy \\t";
    }
    void spreadsheetDateFormatsFollowTheGrid()
    {
        QFETCH(QString, qt);
        QFETCH(QString, sheet);
        QCOMPARE(ReportXlsx::spreadsheetDateFormat(qt), sheet);
    }

    void workbookKeepsNumbersDatesStylesAndGroups()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("positions.xlsx"));
        QString error;
        QVERIFY2(ReportXlsx::write(positions(), path, &error), qPrintable(error));
        const Sheet sheet = readSheet(path);

        // The header block, a blank line, the captions frozen below.
        QCOMPARE(sheet.cells.value(QStringLiteral("A1")).text, QStringLiteral("Currency Pairs"));
        QCOMPARE(sheet.cells.value(QStringLiteral("A3")).text, QStringLiteral("Run: 04.12.2026 17:30:00"));
        QCOMPARE(sheet.cells.value(QStringLiteral("B5")).text, QStringLiteral("Amount"));
        QVERIFY(sheet.bold.value(sheet.cells.value(QStringLiteral("B5")).style));
        QCOMPARE(sheet.frozenAt, QStringLiteral("A6"));

        // Amounts are numbers, exact to the cent and beyond, in the grid's format.
        const SheetCell summary = sheet.cells.value(QStringLiteral("B7"));
        QVERIFY(summary.number);
        QCOMPARE(summary.text.toDouble(), -1250000.5);
        QCOMPARE(sheet.numberFormats.value(summary.style), QStringLiteral("#,##0.00"));
        // A negative summary is bold red, as on screen; a group band bold.
        QVERIFY(sheet.bold.value(summary.style));
        QCOMPARE(sheet.fontColours.value(summary.style), QStringLiteral("FFFF0000"));
        QVERIFY(sheet.bold.value(sheet.cells.value(QStringLiteral("A6")).style));
        QCOMPARE(sheet.cells.value(QStringLiteral("A6")).text, QStringLiteral("EUR/USD (2)"));

        // A date is the spreadsheet's day number with the grid's date format;
        // a rate keeps every digit under a two-decimal format.
        const SheetCell date = sheet.cells.value(QStringLiteral("C8"));
        QVERIFY(date.number);
        QCOMPARE(date.text, QStringLiteral("46364"));   // 2026-12-08
        QCOMPARE(sheet.numberFormats.value(date.style), QStringLiteral("dd.mm.yyyy"));
        QCOMPARE(sheet.cells.value(QStringLiteral("D8")).text, QStringLiteral("1.1"));
        QCOMPARE(sheet.numberFormats.value(sheet.cells.value(QStringLiteral("D8")).style), QStringLiteral("0.00"));
        // Text stays text, leading blank and all.
        QVERIFY(!sheet.cells.value(QStringLiteral("A8")).number);
        QCOMPARE(sheet.cells.value(QStringLiteral("A8")).text, QStringLiteral(" BANK A"));
        QCOMPARE(sheet.cells.value(QStringLiteral("A10")).text, QStringLiteral("Zürich AG"));

        // Rows under a heading sit one outline level below it.
        QCOMPARE(sheet.outlineLevels.value(6, 0), 0);
        QCOMPARE(sheet.outlineLevels.value(7), 1);
        QCOMPARE(sheet.outlineLevels.value(8), 1);
        QCOMPARE(sheet.outlineLevels.value(9), 1);   // the inner heading
        QCOMPARE(sheet.outlineLevels.value(10), 2);
    }

    void failedWriteLeavesNothingAndKeepsTheOldFile()
    {
        QTemporaryDir dir;
        QString error;
        // No such folder: a failure naming the file, and no file.
        const QString missing = dir.filePath(QStringLiteral("no/such/folder/out.xlsx"));
        QVERIFY(!ReportXlsx::write(positions(), missing, &error));
        QVERIFY2(error.contains(missing), qPrintable(error));
        QVERIFY(!QFile::exists(missing));

        // A name taken by a folder: the folder stays, no partial file is left.
        const QString taken = dir.filePath(QStringLiteral("taken.xlsx"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.xlsx")));
        QVERIFY(!ReportXlsx::write(positions(), taken, &error));
        QVERIFY2(error.contains(taken), qPrintable(error));
        QVERIFY(QFileInfo(taken).isDir());
        QVERIFY(QDir(dir.path()).rmdir(QStringLiteral("taken.xlsx")));

        // A good workbook is replaced whole by the next one.
        const QString path = dir.filePath(QStringLiteral("out.xlsx"));
        QVERIFY(ReportXlsx::write(positions(), path, &error));
        ReportDocument other = positions();
        other.title = QStringLiteral("Brokers Position");
        QVERIFY(ReportXlsx::write(other, path, &error));
        QCOMPARE(readSheet(path).cells.value(QStringLiteral("A1")).text, QStringLiteral("Brokers Position"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.xlsx")});
    }
};

QTEST_GUILESS_MAIN(tst_Exports)
#include "tst_exports.moc"
