#include "RateWindow.h"

#include "RateBook.h"

#include "Clock.h"

#include <QBrush>
#include <QCloseEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

/// The role the sorting reads: numbers sort as numbers, times as times.
constexpr int SortRole = Qt::UserRole + 1;

/// As many decimals as the quote tables keep for a rate of this size.
QString rateText(double rate)
{
    return QString::number(rate, 'f', rate < 10 ? 5 : rate < 100 ? 4 : 3);
}

QString statusText(int status)
{
    switch (status) {
    case 0:
        return QStringLiteral("Firm");
    case 1:
        return QStringLiteral("Indicative");
    default:
        return QStringLiteral("Unusable (%1)").arg(status);
    }
}

QStandardItem *cell(const QString &text, const QVariant &sortKey)
{
    auto *item = new QStandardItem(text);
    item->setData(sortKey, SortRole);
    item->setEditable(false);
    return item;
}

QStandardItem *numberCell(std::optional<double> value)
{
    QStandardItem *item = value ? cell(rateText(*value), *value) : cell(QString(), QVariant());
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

/// One currency's row: its latest quote on or before day, marked when the
/// reports cannot use it or when it is older than day.
QList<QStandardItem *> currencyRow(const services::RateBook &book, const services::RateBook::Currency &currency,
                                   QDate day)
{
    const services::RateBook::Quote *quote = book.latestQuote(currency, day);
    QList<QStandardItem *> row;
    row << cell(currency.code, currency.code);
    if (!quote) {
        row << numberCell({}) << numberCell({}) << numberCell({}) << cell(QString(), QVariant())
            << cell(QStringLiteral("No quote"), -1);
    } else {
        const bool usable = services::RateBook::isUsable(quote->status);
        const QDate quoted = quote->time.date();
        QString status = statusText(quote->status);
        if (quoted < day)
            status += QStringLiteral(", stale");
        row << numberCell(quote->bid) << numberCell(quote->ask)
            << numberCell(usable ? std::optional<double>((quote->bid + quote->ask) / 2) : std::nullopt)
            << cell(quote->time.toIsoString(), quote->time.secs()) << cell(status, quote->status);
        if (quoted < day) {
            for (QStandardItem *item : row) {
                QFont font = item->font();
                font.setItalic(true);
                item->setFont(font);
            }
        }
        if (usable)
            return row;
    }
    for (QStandardItem *item : row)
        item->setForeground(QBrush(Qt::red));
    return row;
}

} // namespace

RateWindow::RateWindow(services::MarketRateProgram &program)
    : QWidget(nullptr, Qt::Window), m_program(program), m_day(Clock::today())
{
    setWindowTitle(QStringLiteral("Market Rates"));
    m_state = new QLabel(this);
    m_refresh = new QPushButton(QStringLiteral("Refresh"), this);
    m_refresh->setShortcut(QKeySequence(Qt::Key_F5));
    m_refresh->setToolTip(QStringLiteral("Read the quotes again (F5)"));

    m_model = new QStandardItemModel(0, ColumnCount, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Currency"), QStringLiteral("Bid"), QStringLiteral("Ask"),
                                        QStringLiteral("Mid"), QStringLiteral("Quote time"),
                                        QStringLiteral("Status")});
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(SortRole);
    m_table = new QTableView(this);
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(CurrencyColumn, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);

    auto *top = new QHBoxLayout;
    top->addWidget(m_state, 1);
    top->addWidget(m_refresh);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table);
    resize(560, 640);

    connect(m_refresh, &QPushButton::clicked, this, &RateWindow::refresh);
    connect(&m_program, &services::MarketRateProgram::loadFinished, this, &RateWindow::reload);
    reload();
}

RateWindow::~RateWindow() = default;

void RateWindow::install()
{
    services::MarketRateProgram::setViewFactory(
        [](services::MarketRateProgram &program) { return std::make_unique<RateWindow>(program); });
}

QAbstractItemModel *RateWindow::rows() const
{
    return m_sorted;
}

void RateWindow::setDay(QDate day)
{
    m_day = day;
    reload();
}

void RateWindow::showView()
{
    show();
    raise();
    activateWindow();
}

void RateWindow::hideView()
{
    hide();
}

void RateWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        m_program.viewClosedByUser();
}

void RateWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void RateWindow::refresh()
{
    if (m_program.refresh()) {
        m_refresh->setEnabled(false);
        m_state->setText(QStringLiteral("Reading the quotes..."));
    }
}

void RateWindow::reload()
{
    m_refresh->setEnabled(!m_program.isLoading() && !m_program.isClosed());
    m_model->removeRows(0, m_model->rowCount());
    const std::shared_ptr<const services::RateBook> book = m_program.book();
    if (book) {
        for (const services::RateBook::Currency &currency : book->currencies()) {
            if (currency.code.compare(QLatin1String("USD"), Qt::CaseInsensitive) != 0)
                m_model->appendRow(currencyRow(*book, currency, m_day));
        }
        m_table->resizeColumnsToContents();
    }
    const data::ErrorPtr error = m_program.loadError();
    if (error)
        m_state->setText(QStringLiteral("The quotes cannot be read: ") + error->Description);
    else if (book)
        m_state->setText(QStringLiteral("Quotes on %1, read at %2")
                             .arg(m_day.toString(Qt::ISODate),
                                  m_program.loadedAt().time().toString(QStringLiteral("HH:mm:ss"))));
    else
        m_state->setText(QStringLiteral("Reading the quotes..."));
}
