#include "GridCopy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct HtmlCell
{
    QString tag, text, style, colspan;
    bool bold = false;
};

// Reads the table back the way a spreadsheet would: rows of cells.
QList<QList<HtmlCell>> parseTable(const QString &html, QString *error)
{
    QList<QList<HtmlCell>> rows;
    QXmlStreamReader xml(html);
    HtmlCell *cell = nullptr;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString name = xml.name().toString();
            if (name == QLatin1String("tr")) {
                rows.append(QList<HtmlCell>());
            } else if (name == QLatin1String("th") || name == QLatin1String("td")) {
                rows.last().append({name, QString(), xml.attributes().value(QLatin1String("style")).toString(),
                                    xml.attributes().value(QLatin1String("colspan")).toString()});
                cell = &rows.last().last();
            } else if (name == QLatin1String("b") && cell) {
                cell->bold = true;
            }
        } else if (xml.isCharacters() && cell) {
            cell->text += xml.text();
        } else if (xml.isEndElement() && (xml.name() == QLatin1String("td") || xml.name() == QLatin1String("th"))) {
            cell = nullptr;
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return rows;
}

ReportDocument sample()
{
    ReportDocument doc;
    doc.columnCaptions = {QStringLiteral("Counterparty"), QStringLiteral("Amount"), QStringLiteral("Note")};
    doc.alignments = {Qt::AlignLeft, Qt::AlignRight | Qt::AlignVCenter};
    doc.rows.append({ReportRow::Group, 0, false, {QStringLiteral("Pair: EUR/USD")}});
    doc.rows.append({ReportRow::Detail, 0, false,
                     {QStringLiteral("Smith & Sons <Ltd>"), QStringLiteral("-1,250,000.00"), QStringLiteral("a\tb\nc")}});
    doc.rows.append({ReportRow::Detail, 0, false, {QStringLiteral("Short row")}});
    doc.rows.append({ReportRow::Summary, 0, false, {QStringLiteral("EUR/USD"), QStringLiteral("-1,250,000.00")}});
    return doc;
}

} // namespace

class TestGridCopy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void plainTextKeepsColumns();
    void htmlTableReadsBack();
    void emptyResultStillHasHeader();
    void clipboardHoldsBothForms();
    void contextComesFirstInBothForms();
};

void TestGridCopy::plainTextKeepsColumns()
{
    const QString text = GridCopy::plainText(sample());
    const QStringList lines = text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 6); // header, 4 rows, the empty rest after the final line break
    QCOMPARE(lines.at(0), QStringLiteral("Counterparty\tAmount\tNote"));
    QCOMPARE(lines.at(1), QStringLiteral("Pair: EUR/USD"));
    // A tab or line break inside a cell must not shift columns or split the row.
    QCOMPARE(lines.at(2), QStringLiteral("Smith & Sons <Ltd>\t-1,250,000.00\ta b c"));
    QCOMPARE(lines.at(3), QStringLiteral("Short row\t\t"));
    QCOMPARE(lines.at(4), QStringLiteral("EUR/USD\t-1,250,000.00\t"));
    QCOMPARE(lines.at(5), QString());
}

void TestGridCopy::htmlTableReadsBack()
{
    QString error;
    const auto rows = parseTable(GridCopy::html(sample()), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.at(0).size(), 3);
    for (const HtmlCell &c : rows.at(0))
        QCOMPARE(c.tag, QStringLiteral("th"));
    QCOMPARE(rows.at(0).at(1).style, QStringLiteral("text-align:right"));
    // The group heading spans the table.
    QCOMPARE(rows.at(1).size(), 1);
    QCOMPARE(rows.at(1).at(0).colspan, QStringLiteral("3"));
    QCOMPARE(rows.at(1).at(0).text, QStringLiteral("Pair: EUR/USD"));
    // Escaped text reads back unchanged; numbers stay right-aligned.
    QCOMPARE(rows.at(2).at(0).text, QStringLiteral("Smith & Sons <Ltd>"));
    QCOMPARE(rows.at(2).at(1).text, QStringLiteral("-1,250,000.00"));
    QCOMPARE(rows.at(2).at(1).style, QStringLiteral("text-align:right"));
    QVERIFY(rows.at(2).at(0).style.isEmpty());
    QVERIFY(!rows.at(2).at(1).bold);
    QCOMPARE(rows.at(3).size(), 3);
    QVERIFY(rows.at(4).at(1).bold);
}

void TestGridCopy::emptyResultStillHasHeader()
{
    ReportDocument doc;
    doc.columnCaptions = {QStringLiteral("Pair"), QStringLiteral("Amount")};
    QCOMPARE(GridCopy::plainText(doc), QStringLiteral("Pair\tAmount\n"));
    QString error;
    const auto rows = parseTable(GridCopy::html(doc), &error);
    QVERIFY(error.isEmpty());
    QCOMPARE(rows.size(), 1);
}

void TestGridCopy::clipboardHoldsBothForms()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    QVERIFY(clipboard);
    QVERIFY(GridCopy::copy(sample(), clipboard));
    const QMimeData *data = clipboard->mimeData();
    QVERIFY(data);
    QVERIFY(data->hasText());
    QVERIFY(data->hasHtml());
    QCOMPARE(data->text(), GridCopy::plainText(sample()));
    QCOMPARE(data->html(), GridCopy::html(sample()));
    QVERIFY(!GridCopy::copy(sample(), nullptr));
}

void TestGridCopy::contextComesFirstInBothForms()
{
    ReportDocument doc = sample();
    doc.title = QStringLiteral("Open <Position>");
    doc.context.filters = {QStringLiteral("Dealer ID: JSM, KLT"), QStringLiteral("Cur Pair: EUR/USD")};
    doc.context.rateSource = QStringLiteral("rate program (market rates)");
    doc.context.runTime = QDateTime(QDate(2026, 12, 4), QTime(17, 5, 9));
    const QStringList lines = GridCopy::plainText(doc).split(QLatin1Char('\n'));
    QCOMPARE(lines.at(0), QStringLiteral("Open <Position> | Dealer ID: JSM, KLT; Cur Pair: EUR/USD | "
                                         "Rates: rate program (market rates) | Run: 04.12.2026 17:05:09"));
    QCOMPARE(lines.at(1), QStringLiteral("Counterparty\tAmount\tNote"));

    // In HTML a header row across the table, its text escaped.
    QString error;
    const auto rows = parseTable(GridCopy::html(doc), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(rows.size(), 6);
    QCOMPARE(rows.at(0).size(), 1);
    QCOMPARE(rows.at(0).at(0).colspan, QStringLiteral("3"));
    QVERIFY(rows.at(0).at(0).text.startsWith(QStringLiteral("Open <Position>Dealer ID: JSM, KLT")));
    QCOMPARE(rows.at(1).at(0).text, QStringLiteral("Counterparty"));

    // A result of no filter says so.
    doc.context = ReportContext{};
    doc.context.runTime = QDateTime(QDate(2026, 12, 4), QTime(9, 0));
    QCOMPARE(GridCopy::plainText(doc).section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("Open <Position> | All deals | Run: 04.12.2026 09:00:00"));
}

QTEST_MAIN(TestGridCopy)
#include "tst_grid_copy.moc"
