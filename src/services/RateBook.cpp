#include "RateBook.h"

#include "Connection.h"
#include "Recordset.h"

#include <QLoggingCategory>

#include <algorithm>

namespace services {

Q_LOGGING_CATEGORY(lcRateProgram, "marvolt.rates")

namespace {

const QString CurrencySql = QStringLiteral("SELECT CcyID, Ccy, DirectQuote FROM Currencies");
// The key's order, so SQLite reads the rows along the primary key without a sort.
const QString QuoteSql =
    QStringLiteral("SELECT CcyID, RateDate, Bid, Ask, Status FROM MarketRates ORDER BY CcyID, RateDate");

/// A value of a text column read as a date and time; TEXT is the stored form,
/// the other storage classes convert as the data layer converts dates.
std::optional<data::DateTime> quoteTime(const data::Value &value)
{
    if (value.isNull())
        return std::nullopt;
    if (data::isStringType(value.type()))
        return data::DateTime::fromIsoString(value.toString().trimmed());
    const data::Value converted = value.convertedTo(data::DataType::Date);
    if (converted.isNull())
        return std::nullopt;
    return converted.toDate();
}

} // namespace

RateBook::RateBook(std::vector<Currency> currencies)
{
    m_currencies.reserve(currencies.size());
    for (Currency &c : currencies) {
        const QString key = c.code.trimmed().toUpper();
        if (key.isEmpty() || m_byCode.contains(key))
            continue;
        // Stable, so two quotes at the same time keep the table's order.
        std::stable_sort(c.quotes.begin(), c.quotes.end(),
                         [](const Quote &a, const Quote &b) { return a.time < b.time; });
        std::vector<int> usable(c.quotes.size(), -1);
        int last = -1;
        for (std::size_t i = 0; i < c.quotes.size(); ++i) {
            if (isUsable(c.quotes[i].status))
                last = int(i);
            usable[i] = last;
        }
        m_quoteCount += qsizetype(c.quotes.size());
        m_byCode.insert(key, int(m_currencies.size()));
        m_currencies.push_back(std::move(c));
        m_usableAt.push_back(std::move(usable));
    }
}

std::shared_ptr<const RateBook> RateBook::read(data::Connection &connection, data::ErrorPtr *error)
{
    const auto failed = [&connection, error]() -> std::shared_ptr<const RateBook> {
        if (error) {
            *error = connection.lastError()
                         ? connection.lastError()
                         : data::makeError(data::Error::Unspecified, QStringLiteral("The rates cannot be read"),
                                           QStringLiteral("RateBook"));
        }
        return nullptr;
    };

    std::vector<Currency> currencies;
    QHash<int, std::size_t> byId;
    data::RecordsetPtr rs = connection.Execute(CurrencySql);
    if (!rs || connection.lastError())
        return failed();
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        Currency c;
        c.id = rs->Fields(0).value().toInt();
        c.code = rs->Fields(1).value().toString();
        c.direct = rs->Fields(2).value().toInt() == 1;
        if (byId.contains(c.id))
            continue;
        byId.insert(c.id, currencies.size());
        currencies.push_back(std::move(c));
    }

    rs = connection.Execute(QuoteSql);
    if (connection.lastError())
        return failed();
    qsizetype skipped = 0;
    if (rs) {
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const auto owner = byId.constFind(rs->Fields(0).value().toInt());
            const std::optional<data::DateTime> time = quoteTime(rs->Fields(1).value());
            if (owner == byId.constEnd() || !time) {
                ++skipped;
                continue;
            }
            currencies[*owner].quotes.push_back(
                {*time, rs->Fields(2).value().toDouble(), rs->Fields(3).value().toDouble(),
                 rs->Fields(4).value().toInt()});
        }
    }
    if (skipped > 0)
        qCWarning(lcRateProgram) << skipped << "market quotes skipped: unknown currency or unreadable date";
    if (error)
        error->reset();
    return std::make_shared<const RateBook>(std::move(currencies));
}

int RateBook::indexOf(QStringView code) const
{
    // Codes come upper case from the reports: look the text up as it is first
    // and only fold the case when that fails.
    auto found = m_byCode.constFind(code.toString());
    if (found == m_byCode.constEnd())
        found = m_byCode.constFind(code.trimmed().toString().toUpper());
    return found == m_byCode.constEnd() ? -1 : *found;
}

const RateBook::Currency *RateBook::currency(QStringView code) const
{
    const int i = indexOf(code);
    return i < 0 ? nullptr : &m_currencies[std::size_t(i)];
}

int RateBook::lastIndexOn(const Currency &currency, QDate date)
{
    const data::DateTime end = data::DateTime::fromDate(date.addDays(1));
    const auto after = std::lower_bound(currency.quotes.begin(), currency.quotes.end(), end,
                                        [](const Quote &q, const data::DateTime &t) { return q.time < t; });
    return int(after - currency.quotes.begin()) - 1;
}

std::optional<RateQuote> RateBook::quote(QStringView code, QDate date) const
{
    const int c = indexOf(code);
    if (c < 0 || !date.isValid())
        return std::nullopt;
    const Currency &currency = m_currencies[std::size_t(c)];
    const int last = lastIndexOn(currency, date);
    if (last < 0)
        return std::nullopt;
    const int usable = m_usableAt[std::size_t(c)][std::size_t(last)];
    const Quote &q = currency.quotes[std::size_t(usable >= 0 ? usable : last)];
    return RateQuote{q.status, q.bid, q.ask};
}

const RateBook::Quote *RateBook::latestQuote(const Currency &currency, QDate date) const
{
    if (!date.isValid())
        return nullptr;
    const int last = lastIndexOn(currency, date);
    return last < 0 ? nullptr : &currency.quotes[std::size_t(last)];
}

} // namespace services
