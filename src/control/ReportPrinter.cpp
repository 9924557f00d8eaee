#include "ReportPrinter.h"

#include "Report.h"

#include "Grid.h"
#include "ReportChart.h"

#include <QPrinter>

namespace {

// The four layout settings: page margins in millimetres (left, top, right, bottom).
constexpr double LayoutLeft = 15;
constexpr double LayoutTop = 25;
constexpr double LayoutRight = 15;
constexpr double LayoutBottom = 15;

QString joined(const QStringList &list)
{
    return list.join(QStringLiteral(", "));
}

QString valueText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    return value.toString();
}

// A report's field by name; empty when this report does not have it.
QString fieldText(const Report &report, const char *name)
{
    const QVariant value = report.property(name);
    if (!value.isValid())
        return {};
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return valueText(value);
}

/// The filters of a query as the print names them, in its order.
QList<QPair<QString, QString>> queryFilters(const QueryValues &q)
{
    return {
        {QStringLiteral("Cpty ID"), joined(q.Bank)},
        {QStringLiteral("Category"), joined(q.Category)},
        {QStringLiteral("Deal Type"), joined(q.Deal)},
        {QStringLiteral("Dealer ID"), joined(q.Dealer)},
        {QStringLiteral("Cur Pair"), joined(q.Pair)},
        {QStringLiteral("Desk"), joined(q.Status)},
        {QStringLiteral("Netting"), q.Netting},
        {QStringLiteral("Start Date"), valueText(q.ValDate)},
        {QStringLiteral("End Date"), valueText(q.EndDate)},
        {QStringLiteral("Account"), joined(q.LoroNostro)},
    };
}

} // namespace

ReportPrinter::ReportPrinter(const QString &libraryDirectory)
    : m_generator(libraryDirectory)
{
}

void ReportPrinter::setChart(const widgets::ReportChart *chart)
{
    m_chart = chart;
}

ReportContext ReportPrinter::context(const Report &report)
{
    ReportContext context;
    // A filter left open (empty, or "All" as the panel shows it) is not one.
    for (const auto &[caption, value] : queryFilters(report.committedQuery())) {
        if (!value.isEmpty() && value.compare(QLatin1String("All"), Qt::CaseInsensitive) != 0)
            context.filters.append(caption + QStringLiteral(": ") + value);
    }
    context.rateSource = report.resultRateSource();
    context.runTime = report.resultTime();
    return context;
}

ReportDocument ReportPrinter::document(const Report &report, const widgets::Grid &grid, bool selectedOnly,
                                       widgets::Grid::DocumentCells cells)
{
    ReportDocument doc = grid.reportDocument(selectedOnly, cells);
    describe(report, doc);
    return doc;
}

ReportDocument ReportPrinter::documentWithoutRows(const Report &report, const widgets::Grid &grid)
{
    ReportDocument doc = grid.documentColumns();
    describe(report, doc);
    return doc;
}

void ReportPrinter::describe(const Report &report, ReportDocument &doc)
{
    doc.title = report.App_Name;
    doc.context = context(report);
    // The committed query (the one that produced the rows printed), with the
    // two switches before the account, where the print has them.
    doc.parameters = queryFilters(report.committedQuery());
    const qsizetype account = doc.parameters.size() - 1;
    doc.parameters.insert(account, {QStringLiteral("Recalculated Position"), fieldText(report, "WithRecalc")});
    doc.parameters.insert(account, {QStringLiteral("Administrative Rate"), fieldText(report, "WithAdminRate")});
    // The header block also says where the rates came from and when the result was read.
    if (!doc.context.rateSource.isEmpty())
        doc.parameters.append({QStringLiteral("Rates"), doc.context.rateSource});
    if (doc.context.runTime.isValid())
        doc.parameters.append({QStringLiteral("Run"), doc.context.runTime.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))});
}

void ReportPrinter::prepare(const Report &report, const widgets::Grid &grid, const QString &defaultForm,
                            const QString &defaultDirectory)
{
    ReportSetup &setup = m_generator.setup();
    setup.setLayout(LayoutLeft, LayoutTop, LayoutRight, LayoutBottom);
    // An empty default form keeps the form the generator already has.
    setup.applyDefaults(defaultForm.isEmpty() ? setup.form() : defaultForm, defaultDirectory);
    ReportDocument doc = document(report, grid);
    if (m_chart)
        doc.chart = [chart = m_chart](QPainter *painter, const QRectF &area) {
            if (chart)
                chart->render(painter, area);
        };
    m_generator.setDocument(doc);
}

void ReportPrinter::readBack(QString &defaultForm, QString &defaultDirectory) const
{
    defaultForm = m_generator.setup().form();
    defaultDirectory = m_generator.setup().templateDirectory();
}

bool ReportPrinter::writePdf(const Report &report, const widgets::Grid &grid, QString &defaultForm,
                             QString &defaultDirectory)
{
    prepare(report, grid, defaultForm, defaultDirectory);
    if (!m_generator.writePdf())
        return false;
    readBack(defaultForm, defaultDirectory);
    return true;
}

bool ReportPrinter::print(const Report &report, const widgets::Grid &grid, QPrinter &printer, QString &defaultForm,
                          QString &defaultDirectory)
{
    prepare(report, grid, defaultForm, defaultDirectory);
    if (!m_generator.print(printer))
        return false;
    readBack(defaultForm, defaultDirectory);
    return true;
}
