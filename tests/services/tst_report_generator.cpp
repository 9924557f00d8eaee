#include "ReportGenerator.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A position report as the control hands it over: pair groups with deals and a
// summary row each, and a total.
ReportDocument positionReport(int groups, int dealsPerGroup)
{
    ReportDocument doc;
    doc.title = QStringLiteral("Currency Pairs");
    const char *captions[] = {"Counterparty", "Category", "Deal Type", "Dealer", "Currency Pair", "Status",
                              "Netting", "Value Date", "End Date", "Admin Rate", "Recalculate", "LORO/NOSTRO"};
    for (const char *caption : captions)
        doc.parameters.append({QString::fromLatin1(caption), QStringLiteral("All")});
    doc.parameters[4].second = QStringLiteral("EUR/USD, GBP/USD, USD/JPY");
    doc.parameters[7].second = QStringLiteral("05.12.2026");
    doc.columnCaptions = {QStringLiteral("Pair"), QStringLiteral("Deal"), QStringLiteral("Counterparty"),
                          QStringLiteral("Amount 1"), QStringLiteral("Amount 2"), QStringLiteral("Rate")};
    doc.alignments = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight, Qt::AlignRight};
    const QStringList pairs = {QStringLiteral("EUR/USD"), QStringLiteral("GBP/USD"), QStringLiteral("USD/JPY"),
                               QStringLiteral("USD/CHF")};
    for (int g = 0; g < groups; ++g) {
        const QString pair = pairs.at(g % pairs.size());
        doc.rows.append({ReportRow::Group, 0, false, {QStringLiteral("Pair: %1 (%2 deals)").arg(pair).arg(dealsPerGroup)}});
        for (int d = 0; d < dealsPerGroup; ++d) {
            const int sign = d % 3 == 0 ? -1 : 1;
            doc.rows.append({ReportRow::Detail, 0, false,
                             {pair, QString::number(100200 + g * 100 + d), QStringLiteral("Deutsche Bank AG"),
                              QStringLiteral("%L1.00").arg(sign * (d + 1) * 1000000),
                              QStringLiteral("%L1.00").arg(-sign * (d + 1) * 1087450),
                              QStringLiteral("1.087450")}});
        }
        doc.rows.append({ReportRow::Summary, 0, g % 2 == 1,
                         {pair, QString(), QString(), QStringLiteral("1,000,000.00"),
                          g % 2 ? QStringLiteral("-1,087,450.00") : QStringLiteral("1,087,450.00"), QString()}});
    }
    return doc;
}

int pdfPageCount(const QByteArray &pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    return int(QString::fromLatin1(pdf).count(page));
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestReportGenerator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void writesPagedPdf_data();
    void writesPagedPdf();
    void neverOverwritesAReport();
    void unwritableFolderIsAnError();
    void missingFormStillPrints();
    void wideTableTurnsLandscape();
    void printsOnAPrinterWithTheFormLayout();

private:
    QTemporaryDir m_userData;   // the user's own data folder, where reports go when nowhere else
};

void TestReportGenerator::initTestCase()
{
    QVERIFY(m_userData.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_userData.path()));
}

void TestReportGenerator::writesPagedPdf_data()
{
    QTest::addColumn<int>("groups");
    QTest::addColumn<int>("deals");
    QTest::addColumn<bool>("manyPages");
    QTest::newRow("empty result") << 0 << 0 << false;
    QTest::newRow("one page") << 2 << 5 << false;
    QTest::newRow("many pages") << 12 << 40 << true;
}

void TestReportGenerator::writesPagedPdf()
{
    QFETCH(int, groups);
    QFETCH(int, deals);
    QTemporaryDir dir;
    ReportGenerator generator(dir.path());
    generator.setDocument(positionReport(groups, deals));
    generator.setPrintTime(QDateTime(QDate(2026, 12, 5), QTime(17, 45, 10)));
    QVERIFY2(generator.writePdf(), qPrintable(generator.lastError()));
    const QString path = generator.lastOutputPath();
    QCOMPARE(QFileInfo(path).dir().path(), QDir(dir.path()).filePath(QStringLiteral("Report")));
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("Currency Pairs_20261205_174510.pdf"));
    const QByteArray pdf = readAll(path);
    QVERIFY(pdf.startsWith("%PDF-"));
    QVERIFY(pdf.trimmed().endsWith("%%EOF"));
    QCOMPARE(pdfPageCount(pdf), generator.pageCount());
    QFETCH(bool, manyPages);
    if (manyPages) {
        // 12 x 42 rows at one row per line cannot fit on fewer pages.
        QVERIFY2(generator.pageCount() >= 6, qPrintable(QString::number(generator.pageCount())));
    } else {
        QCOMPARE(generator.pageCount(), 1);
    }
}

void TestReportGenerator::neverOverwritesAReport()
{
    QTemporaryDir dir;
    ReportGenerator generator(dir.path());
    generator.setDocument(positionReport(1, 3));
    generator.setPrintTime(QDateTime(QDate(2026, 12, 5), QTime(9, 0, 0)));
    QVERIFY(generator.writePdf());
    const QString first = generator.lastOutputPath();
    const QByteArray firstContent = readAll(first);
    generator.setDocument(positionReport(3, 3));
    QVERIFY(generator.writePdf());
    QVERIFY(generator.lastOutputPath() != first);
    QCOMPARE(readAll(first), firstContent);
}

void TestReportGenerator::unwritableFolderIsAnError()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("Report")));
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    ReportGenerator generator(dir.path());
    // A folder set on purpose is never exchanged for another.
    generator.setup().setOutputDirectory(blocker.fileName());
    generator.setDocument(positionReport(1, 3));
    QVERIFY(!generator.writePdf());
    QVERIFY(generator.lastOutputPath().isEmpty());
    QVERIFY2(generator.lastError().contains(QStringLiteral("Report")), qPrintable(generator.lastError()));
}

void TestReportGenerator::missingFormStillPrints()
{
    QTemporaryDir dir;
    ReportGenerator generator(dir.path());
    generator.setup().applyDefaults(QStringLiteral("Gone"), QString());
    generator.setDocument(positionReport(1, 3));
    QVERIFY(generator.writePdf());
    QVERIFY(generator.formWarning().contains(QStringLiteral("Gone")));
    // The choice survives for the next print, when the form may be back.
    QCOMPARE(generator.setup().form(), QStringLiteral("Gone"));
    QCOMPARE(generator.setup().templateDirectory(), QDir(dir.path()).filePath(QStringLiteral("Template")));
}

void TestReportGenerator::wideTableTurnsLandscape()
{
    QTemporaryDir dir;
    ReportDocument doc = positionReport(1, 2);
    for (int i = 0; i < 14; ++i) {
        doc.columnCaptions.append(QStringLiteral("Revaluation %1").arg(i));
        for (ReportRow &row : doc.rows)
            row.cells.append(QStringLiteral("-12,345,678.00"));
    }
    ReportGenerator generator(dir.path());
    generator.setDocument(doc);
    QVERIFY(generator.writePdf());
    const QByteArray pdf = readAll(generator.lastOutputPath());
    // A4 landscape: the media box is wider than high.
    static const QRegularExpression box(QStringLiteral("/MediaBox \\[0 0 ([\\d.]+) ([\\d.]+)\\]"));
    const QRegularExpressionMatch m = box.match(QString::fromLatin1(pdf));
    QVERIFY(m.hasMatch());
    QVERIFY2(m.captured(1).toDouble() > m.captured(2).toDouble(), qPrintable(m.captured(0)));
}

void TestReportGenerator::printsOnAPrinterWithTheFormLayout()
{
    QTemporaryDir dir;
    QFile form(dir.filePath(QStringLiteral("Positions.ini")));
    QVERIFY(form.open(QIODevice::WriteOnly));
    form.write("Orientation=Landscape\nMargins=\"10,12,10,14\"\n");
    form.close();
    ReportGenerator generator(QStringLiteral("/nonexistent"));
    generator.setup().applyDefaults(QStringLiteral("Positions"), dir.path());
    generator.setDocument(positionReport(4, 30));

    // What the host's print dialog hands over; a PDF printer needs no print system.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString out = dir.filePath(QStringLiteral("printed.pdf"));
    printer.setOutputFileName(out);
    QVERIFY2(generator.print(printer), qPrintable(generator.lastError()));
    QVERIFY(generator.formWarning().isEmpty());
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
    QCOMPARE(printer.pageLayout().margins(QPageLayout::Millimeter), QMarginsF(10, 12, 10, 14));
    QVERIFY(generator.pageCount() > 1);
    QCOMPARE(pdfPageCount(readAll(out)), generator.pageCount());
    // Nothing goes to the output folder when printing.
    QVERIFY(!QFileInfo::exists(generator.setup().outputDirectory()));
}

QTEST_MAIN(TestReportGenerator)
#include "tst_report_generator.moc"
