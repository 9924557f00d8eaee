#include "DateTime.h"

namespace data {

namespace {

constexpr qint64 SecsPerDay = 86400;

// Days from 1970-01-01 to the civil date y-m-d (proleptic Gregorian), after
// H. Hinnant's days_from_civil; exact for every year QDate supports and much
// cheaper than QDate when a driver converts a million values.
constexpr qint64 daysFromCivil(qint64 y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

constexpr bool isLeap(qint64 y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

constexpr unsigned daysInMonth(qint64 y, unsigned m)
{
    constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

constexpr qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// A small cursor over the text for the hand-written parsers below: these run
// once per value when a driver loads a date column, so no regular expressions.
struct Scanner
{
    QStringView text;
    qsizetype pos = 0;

    bool atEnd() const { return pos >= text.size(); }
    QChar peek() const { return atEnd() ? QChar() : text[pos]; }
    bool accept(QChar c)
    {
        if (peek() != c)
            return false;
        ++pos;
        return true;
    }
    void skipSpaces()
    {
        while (!atEnd() && text[pos].isSpace())
            ++pos;
    }
    /// Reads minDigits..maxDigits decimal digits.
    std::optional<int> number(int minDigits, int maxDigits)
    {
        int value = 0;
        int digits = 0;
        while (digits < maxDigits && !atEnd() && text[pos] >= QLatin1Char('0')
               && text[pos] <= QLatin1Char('9')) {
            value = value * 10 + (text[pos].unicode() - '0');
            ++pos;
            ++digits;
        }
        if (digits < minDigits)
            return std::nullopt;
        return value;
    }
};

std::optional<DateTime> makeDateTime(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > int(daysInMonth(y, unsigned(m))))
        return std::nullopt;
    if (hh < 0 || hh > 23 || mm < 0 || mm > 59 || ss < 0 || ss > 59)
        return std::nullopt;
    return DateTime::fromSecs(daysFromCivil(y, unsigned(m), unsigned(d)) * SecsPerDay
                              + hh * 3600 + mm * 60 + ss);
}

/// Reads "h:mm[:ss]" after the first hour digit position.
bool readTime(Scanner &s, int &hh, int &mm, int &ss, int minHourDigits)
{
    const auto h = s.number(minHourDigits, 2);
    if (!h || !s.accept(QLatin1Char(':')))
        return false;
    const auto m = s.number(2, 2);
    if (!m)
        return false;
    hh = *h;
    mm = *m;
    ss = 0;
    if (s.accept(QLatin1Char(':'))) {
        const auto sec = s.number(2, 2);
        if (!sec)
            return false;
        ss = *sec;
    }
    return true;
}

} // namespace

DateTime DateTime::fromDate(QDate date)
{
    if (!date.isValid())
        return DateTime();
    return fromSecs(daysFromCivil(date.year(), unsigned(date.month()), unsigned(date.day()))
                    * SecsPerDay);
}

DateTime DateTime::fromQDateTime(const QDateTime &dt)
{
    if (!dt.isValid())
        return DateTime();
    const QTime t = dt.time();
    return fromSecs(fromDate(dt.date()).secs() + t.hour() * 3600 + t.minute() * 60 + t.second());
}

std::optional<DateTime> DateTime::fromIsoString(QStringView text)
{
    Scanner s{text.trimmed()};
    const auto y = s.number(4, 4);
    if (!y || !s.accept(QLatin1Char('-')))
        return std::nullopt;
    const auto m = s.number(2, 2);
    if (!m || !s.accept(QLatin1Char('-')))
        return std::nullopt;
    const auto d = s.number(2, 2);
    if (!d)
        return std::nullopt;
    if (s.atEnd())
        return makeDateTime(*y, *m, *d);
    if (!s.accept(QLatin1Char(' ')) && !s.accept(QLatin1Char('T')))
        return std::nullopt;
    int hh = 0, mm = 0, ss = 0;
    if (!readTime(s, hh, mm, ss, 2))
        return std::nullopt;
    // Servers often append milliseconds ("10:00:00.000"); the value is kept
    // to the whole second, so the fraction is read and dropped.
    if (s.accept(QLatin1Char('.')) && !s.number(1, 9))
        return std::nullopt;
    if (!s.atEnd())
        return std::nullopt;
    return makeDateTime(*y, *m, *d, hh, mm, ss);
}

std::optional<DateTime> DateTime::fromUsString(QStringView text)
{
    Scanner s{text.trimmed()};
    const auto m = s.number(1, 2);
    if (!m || !s.accept(QLatin1Char('/')))
        return std::nullopt;
    const auto d = s.number(1, 2);
    if (!d || !s.accept(QLatin1Char('/')))
        return std::nullopt;
    const auto y = s.number(4, 4);
    if (!y)
        return std::nullopt;
    s.skipSpaces();
    if (s.atEnd())
        return makeDateTime(*y, *m, *d);
    int hh = 0, mm = 0, ss = 0;
    if (!readTime(s, hh, mm, ss, 1))
        return std::nullopt;
    s.skipSpaces();
    if (!s.atEnd()) {
        const QStringView rest = s.text.mid(s.pos);
        const bool am = rest.compare(u"AM", Qt::CaseInsensitive) == 0;
        const bool pm = rest.compare(u"PM", Qt::CaseInsensitive) == 0;
        if ((!am && !pm) || hh < 1 || hh > 12)
            return std::nullopt;
        hh = hh % 12 + (pm ? 12 : 0);
    }
    return makeDateTime(*y, *m, *d, hh, mm, ss);
}

QDate DateTime::date() const
{
    return QDate(1970, 1, 1).addDays(floorDiv(m_secs, SecsPerDay));
}

QDateTime DateTime::toQDateTime() const
{
    const qint64 secOfDay = floorMod(m_secs, SecsPerDay);
    return QDateTime(date(), QTime(int(secOfDay / 3600), int(secOfDay / 60 % 60), int(secOfDay % 60)),
                     Qt::UTC);
}

QString DateTime::toIsoString() const
{
    const QDate d = date();
    const qint64 secOfDay = floorMod(m_secs, SecsPerDay);
    QString text = QString::asprintf("%04d-%02d-%02d", d.year(), d.month(), d.day());
    if (secOfDay != 0)
        text += QString::asprintf(" %02d:%02d:%02d", int(secOfDay / 3600), int(secOfDay / 60 % 60),
                                  int(secOfDay % 60));
    return text;
}

QString DateTime::toUsString() const
{
    const QDate d = date();
    const qint64 secOfDay = floorMod(m_secs, SecsPerDay);
    QString text = QString::asprintf("%d/%d/%d", d.month(), d.day(), d.year());
    if (secOfDay != 0)
        text += QString::asprintf(" %d:%02d:%02d", int(secOfDay / 3600), int(secOfDay / 60 % 60),
                                  int(secOfDay % 60));
    return text;
}

} // namespace data
