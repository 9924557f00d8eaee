#include "DemoDatabase.h"

#include "BusinessCalendar.h"
#include "Connection.h"
#include "DemoRandom.h"
#include "TradingDatabase.h"

#include <QCommandLineParser>
#include <QFile>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace db {
namespace {

// ---------------------------------------------------------------------------
// Directory data

struct CcyDef
{
    const char *code;
    const char *name;
    const char *parent;     // code of the parent currency, or null
    bool direct;            // quoted as USD per unit
    int depoBase;
    int decimals;
    double rate;            // starting market quote against USD
    double vol;             // annual volatility
    double drift;           // annual drift of the quote
    double irate;           // money-market rate, per cent a year
    double spread;          // relative half spread of market quotes
    double depoWeight;      // share of deposits in this currency
};

// Levels are close to the market of the time the data pretends to cover;
// the walk moves them from there.
const CcyDef kCurrencies[] = {
    {"USD", "US Dollar", nullptr, false, 360, 2, 1.0, 0.0, 0.0, 4.50, 0.0, 35},
    {"EUR", "Euro", nullptr, true, 360, 2, 1.0850, 0.07, 0.0, 3.00, 0.00005, 20},
    {"GBP", "Pound Sterling", nullptr, true, 365, 2, 1.2700, 0.08, 0.0, 5.00, 0.00006, 7},
    {"AUD", "Australian Dollar", nullptr, true, 365, 2, 0.6600, 0.10, 0.0, 4.30, 0.00008, 2},
    {"RUB", "Russian Ruble", nullptr, false, 365, 2, 92.50, 0.14, 0.05, 16.0, 0.0005, 18},
    {"JPY", "Japanese Yen", nullptr, false, 360, 0, 150.20, 0.09, 0.0, 0.10, 0.00005, 4},
    {"CHF", "Swiss Franc", nullptr, false, 360, 2, 0.8800, 0.07, 0.0, 1.50, 0.00006, 4},
    {"CAD", "Canadian Dollar", nullptr, false, 365, 2, 1.3600, 0.06, 0.0, 4.50, 0.00006, 2},
    {"NZD", "New Zealand Dollar", nullptr, true, 365, 2, 0.6100, 0.10, 0.0, 5.25, 0.0001, 0.5},
    {"SEK", "Swedish Krona", nullptr, false, 360, 2, 10.60, 0.10, 0.0, 3.75, 0.0002, 1},
    {"NOK", "Norwegian Krone", nullptr, false, 360, 2, 10.70, 0.11, 0.0, 4.50, 0.0002, 1},
    {"DKK", "Danish Krone", nullptr, false, 360, 2, 6.88, 0.07, 0.0, 3.40, 0.0001, 0.5},
    {"PLN", "Polish Zloty", nullptr, false, 365, 2, 4.00, 0.10, 0.0, 5.75, 0.0003, 1},
    {"CZK", "Czech Koruna", nullptr, false, 360, 2, 23.00, 0.09, 0.0, 4.50, 0.0003, 0.5},
    {"HUF", "Hungarian Forint", nullptr, false, 360, 2, 360.0, 0.12, 0.0, 6.50, 0.0004, 0.5},
    {"TRY", "Turkish Lira", nullptr, false, 360, 2, 32.00, 0.18, 0.30, 45.0, 0.001, 1},
    {"CNY", "Chinese Yuan Renminbi", nullptr, false, 365, 2, 7.2000, 0.04, 0.0, 2.00, 0.0002, 1},
    {"HKD", "Hong Kong Dollar", nullptr, false, 365, 2, 7.8200, 0.01, 0.0, 4.50, 0.0001, 0},
    {"SGD", "Singapore Dollar", nullptr, false, 365, 2, 1.3500, 0.05, 0.0, 3.50, 0.0001, 0},
    {"ZAR", "South African Rand", nullptr, false, 365, 2, 18.50, 0.15, 0.0, 8.25, 0.0008, 0},
    {"MXN", "Mexican Peso", nullptr, false, 360, 2, 17.50, 0.13, 0.0, 11.0, 0.0006, 0},
    {"RUR", "Russian Ruble (old code)", "RUB", false, 365, 2, 92.50, 0.14, 0.05, 16.0, 0.0005, 0},
    {"CNH", "Chinese Yuan Offshore", "CNY", false, 365, 2, 7.2150, 0.045, 0.0, 2.50, 0.0002, 0},
};
constexpr int kCcyCount = int(sizeof(kCurrencies) / sizeof(kCurrencies[0]));

// The rate paths the profit reports must handle, on every demo database: a
// currency the administrator keeps no rate for, one that no market source
// quotes, one whose trading is halted on the last day (its quote unusable),
// and one without a market quote on the last day (its latest is stale).
constexpr const char *kWithoutAdminRate = "ZAR";
constexpr const char *kWithoutMarketQuote = "MXN";
constexpr const char *kHaltedOnLastDay = "TRY";
constexpr const char *kUnquotedOnLastDay = "NOK";

struct PairDef
{
    const char *ccy1;
    const char *ccy2;
    double weight;          // share of FX deals
};

const PairDef kPairs[] = {
    {"EUR", "USD", 22}, {"USD", "JPY", 11}, {"GBP", "USD", 8}, {"USD", "RUB", 10},
    {"EUR", "RUB", 4}, {"USD", "CHF", 4}, {"AUD", "USD", 4}, {"USD", "CAD", 3},
    {"NZD", "USD", 1.5}, {"EUR", "GBP", 3}, {"EUR", "JPY", 3}, {"EUR", "CHF", 2},
    {"GBP", "JPY", 1.5}, {"USD", "SEK", 1}, {"USD", "NOK", 1}, {"USD", "DKK", 0.5},
    {"EUR", "SEK", 1}, {"EUR", "NOK", 1}, {"USD", "PLN", 0.8}, {"EUR", "PLN", 1},
    {"USD", "CZK", 0.5}, {"EUR", "CZK", 0.7}, {"USD", "HUF", 0.5}, {"EUR", "HUF", 0.7},
    {"USD", "TRY", 1}, {"USD", "CNY", 1}, {"USD", "CNH", 0.8}, {"USD", "HKD", 0.7},
    {"USD", "SGD", 0.7}, {"USD", "ZAR", 0.6}, {"USD", "MXN", 0.6}, {"AUD", "JPY", 0.7},
    {"EUR", "AUD", 0.5}, {"CHF", "JPY", 0.4}, {"USD", "RUR", 0.3},
};
constexpr int kPairCount = int(sizeof(kPairs) / sizeof(kPairs[0]));

enum Desk { DeskSpot = 1, DeskForwards = 2, DeskMoneyMarket = 3, DeskSales = 4 };
const char *const kDeskNames[] = {"FX Spot", "FX Forwards", "Money Market", "Sales"};

struct StaffDef
{
    const char *code;
    const char *name;
    int desk;               // 0: back office (confirmers)
};

const StaffDef kStaff[] = {
    {"PETROVA", "Anna Petrova", DeskSpot}, {"HOLLOWAY", "Mark Holloway", DeskSpot},
    {"O'BRIEN", "Sean O'Brien", DeskSpot}, {"BRENNER", "Lukas Brenner", DeskSpot},
    {"TANAKA", "Yuki Tanaka", DeskSpot}, {"SOKOLOV", "Dmitry Sokolov", DeskSpot},
    {"DUBOIS", "Claire Dubois", DeskSpot}, {"NOWAK", "Piotr Nowak", DeskSpot},
    {"MARSH", "Elena Marsh", DeskSpot}, {"REYES", "Tom Reyes", DeskSpot},
    {"LARSEN", "Ingrid Larsen", DeskForwards}, {"GRANT", "Oliver Grant", DeskForwards},
    {"KUZNETSOVA", "Maria Kuznetsova", DeskForwards}, {"WEBER", "Hugo Weber", DeskForwards},
    {"NAIR", "Priya Nair", DeskForwards}, {"BERG", "Jonas Berg", DeskForwards},
    {"ROMANO", "Sofia Romano", DeskForwards},
    {"VOLKOV", "Alexei Volkov", DeskMoneyMarket}, {"CARTER", "Helen Carter", DeskMoneyMarket},
    {"MORI", "Kenji Mori", DeskMoneyMarket}, {"FISCHER", "Laura Fischer", DeskMoneyMarket},
    {"OKAFOR", "Daniel Okafor", DeskMoneyMarket}, {"BELOVA", "Irina Belova", DeskMoneyMarket},
    {"WHITFIELD", "James Whitfield", DeskSales}, {"ORLOVA", "Natalia Orlova", DeskSales},
    {"ADLER", "Ben Adler", DeskSales}, {"MARTIN", "Chloe Martin", DeskSales},
    {"HALE", "Victor Hale", DeskSales}, {"LINDQVIST", "Emma Lindqvist", DeskSales},
    {"SHAH", "Ravi Shah", DeskSales},
    {"SMIRNOVA", "Olga Smirnova", 0}, {"KENT", "Paul Kent", 0},
    {"HADDAD", "Nadia Haddad", 0}, {"ELLIS", "George Ellis", 0},
};
constexpr int kStaffCount = int(sizeof(kStaff) / sizeof(kStaff[0]));

struct BrokerDef
{
    const char *code;
    const char *name;
    double ratePerMillion;
    const char *ccy;
    bool active;
};

// The last broker no longer works with the desk: it appears in the archive only.
const BrokerDef kBrokers[] = {
    {"TULLB", "Tullbridge Brokers Ltd", 10, "USD", true},
    {"HARCT", "Harcourt FX Ltd", 8, "USD", true},
    {"MERID", "Meridian Money Brokers", 12, "USD", true},
    {"VANTG", "Vantage Voice GmbH", 7, "EUR", true},
    {"PARKW", "Parkway Money Brokers", 15, "GBP", true},
    {"EASTG", "Eastgate Capital Markets", 9, "USD", false},
};
constexpr int kBrokerCount = int(sizeof(kBrokers) / sizeof(kBrokers[0]));
constexpr int kActiveBrokers = 5;

struct TcidDef
{
    const char *tcid;
    const char *name;
    int desk;
};

enum Tcid { TcReuters1, TcReuters2, TcEbs, TcVoice, TcWeb, TcPhone, TcMoneyMarket };
const TcidDef kTcids[] = {
    {"RD01", "Reuters Dealing 1", DeskSpot},   {"RD02", "Reuters Dealing 2", DeskForwards},
    {"EB01", "EBS Spot", DeskSpot},            {"VC01", "Voice Brokers", 0},
    {"WB01", "Client Web Portal", DeskSales},  {"TL01", "Sales Telephone", DeskSales},
    {"MM01", "Money Market Dealing", DeskMoneyMarket},
};
constexpr int kTcidCount = int(sizeof(kTcids) / sizeof(kTcids[0]));

enum Attribute { AttrProprietary = 1, AttrHedge, AttrClientFlow, AttrTreasury, AttrArbitrage };
const char *const kAttributeNames[] = {"Proprietary", "Hedge", "Client Flow", "Treasury", "Arbitrage"};

enum Category { CatBanks = 1, CatCorporates, CatFunds, CatPrivate, CatCentralBanks };
struct CategoryDef
{
    const char *name;
    int count;              // counterparties generated
    double netting;         // share with a netting agreement
    bool client;            // deals with them are client deals
};
const CategoryDef kCategories[] = {
    {"Banks", 240, 0.40, false},
    {"Corporates", 110, 0.15, true},
    {"Funds", 40, 0.30, true},
    {"Private Clients", 25, 0.0, true},
    {"Central Banks", 5, 0.0, false},
};
constexpr int kCategoryCount = int(sizeof(kCategories) / sizeof(kCategories[0]));

struct CategoryAttributeDef
{
    int category;
    const char *attribute;
    std::vector<const char *> values;
};
const std::vector<CategoryAttributeDef> &categoryAttributes()
{
    static const std::vector<CategoryAttributeDef> defs = {
        {CatBanks, "Rating", {"AAA", "AA", "A", "BBB"}},
        {CatBanks, "Region", {"Domestic", "Europe", "Americas", "Asia"}},
        {CatCorporates, "Sector", {"Energy", "Metals", "Retail", "Telecom", "Transport"}},
        {CatCorporates, "Region", {"Domestic", "Europe", "Americas", "Asia"}},
        {CatFunds, "Type", {"Hedge Fund", "Pension Fund", "Asset Manager"}},
        {CatFunds, "Region", {"Domestic", "Europe", "Americas", "Asia"}},
        {CatPrivate, "Segment", {"Premium", "Private Banking"}},
        {CatCentralBanks, "Region", {"Domestic", "Europe", "Americas", "Asia"}},
    };
    return defs;
}

const char *const kNamePrefixes[] = {
    "Nordhaven", "Alpenrose", "Baltica", "Caldera", "Crownfield", "Deltamar", "Eastmere",
    "Fjordline", "Granitra", "Harbourne", "Iberon", "Jadewell", "Kestrel", "Lakemont",
    "Meridian", "Northgate", "Oakridge", "Pacifica", "Quayside", "Riverton", "Summitra",
    "Tasmar", "Unionvale", "Valmont", "Westmark", "Yorkfield", "Zephyra", "Ashford",
    "Bellmont", "Corvina", "Danubia", "Elmstead", "Glenrock", "Halvard", "Istria",
    "Juniper", "Kingsbury", "Lindholm", "Marlowe", "Novastra"};
const char *const kBankWords[] = {"Commercial", "Savings", "Merchant", "Trust", "Investment",
                                  "Cooperative", "Mutual", "Industrial", "Agricultural",
                                  "Private", "Universal", "Regional"};
const char *const kBankForms[] = {"plc", "AG", "SA", "NV", "AB", "ASA", "JSC", "Ltd", "SpA", "AS"};
const char *const kSectorWords[] = {"Energy", "Metals", "Retail", "Telecom", "Logistics",
                                    "Chemicals", "Shipping", "Foods", "Motors", "Mining"};
const char *const kCompanyForms[] = {"Group", "Holding", "Ltd", "GmbH", "SA", "plc"};
const char *const kFundWords[] = {"Capital Partners", "Asset Management", "Pension Fund",
                                  "Global Macro Fund", "Investors"};
const char *const kSurnames[] = {"Lebedev", "Hartmann", "Rossi", "Novak", "Svensson", "Costa",
                                 "Kowalski", "Moreau", "Becker", "Ivanova", "Jansen", "Horvat"};
const char *const kCentralBanks[] = {"National Bank of Valoria", "Central Bank of Ostmark",
                                     "Reserve Bank of Karesia", "National Bank of Lunaria",
                                     "Central Bank of Terravia"};
const char *const kCountries[] = {"RU", "DE", "GB", "FR", "CH", "US", "JP", "NL",
                                  "SE", "AT", "IT", "PL", "CZ", "TR", "CN", "SG"};
const double kCountryWeights[] = {30, 10, 10, 6, 6, 8, 4, 3, 3, 3, 3, 3, 2, 3, 3, 3};

const char *regionOf(const char *country)
{
    const std::string c(country);
    if (c == "RU")
        return "Domestic";
    if (c == "US")
        return "Americas";
    if (c == "JP" || c == "CN" || c == "SG")
        return "Asia";
    return "Europe";
}

template<typename T, std::size_t N>
constexpr int count(const T (&)[N])
{
    return int(N);
}

// ---------------------------------------------------------------------------
// Small helpers

/// Picks an index with fixed weights in O(log n).
class WeightedPicker final
{
public:
    explicit WeightedPicker(const std::vector<double> &weights)
    {
        double total = 0;
        for (double w : weights)
            m_cumulative.push_back(total += w);
    }
    int pick(DemoRandom &rng) const
    {
        const double u = rng.uniform() * m_cumulative.back();
        const auto it = std::upper_bound(m_cumulative.begin(), m_cumulative.end(), u);
        return std::min(int(it - m_cumulative.begin()), int(m_cumulative.size()) - 1);
    }
    bool empty() const { return m_cumulative.empty(); }

private:
    std::vector<double> m_cumulative;
};

double pow10(int n)
{
    double p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

double roundTo(double value, int decimals)
{
    const double p = pow10(decimals);
    return std::round(value * p) / p;
}

/// An amount rounded to the currency's minor unit, as raw ten-thousandths.
std::int64_t moneyRaw(double amount, int decimals)
{
    const double p = pow10(decimals);
    return std::int64_t(std::llround(amount * p)) * std::int64_t(pow10(4 - decimals));
}

std::string dateText(QDate d)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year() % 10000, d.month(), d.day());
    return buf;
}

std::string timeText(QDate d, int seconds)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year() % 10000, d.month(),
                  d.day(), seconds / 3600, seconds / 60 % 60, seconds % 60);
    return buf;
}

/// An amount as dealers write it: "25 MIO", "350 K".
std::string amountText(double amount)
{
    if (amount >= 1e6)
        return std::to_string(std::llround(amount / 1e6)) + " MIO";
    return std::to_string(std::max<long long>(1, std::llround(amount / 1e3))) + " K";
}

std::string upperLetters(const std::string &text, int n)
{
    std::string out;
    for (char c : text) {
        if (int(out.size()) == n)
            break;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            out += char(c >= 'a' ? c - 'a' + 'A' : c);
    }
    return out;
}

// ---------------------------------------------------------------------------
// The database side: statements with error capture

class Database final
{
public:
    ~Database()
    {
        for (sqlite3_stmt *s : m_statements)
            sqlite3_finalize(s);
        if (m_db)
            sqlite3_close(m_db);
    }

    bool open(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr)
            != SQLITE_OK) {
            m_error = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "out of memory");
            return false;
        }
        return true;
    }

    bool exec(const QString &sql)
    {
        char *message = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            m_error = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
            sqlite3_free(message);
            return false;
        }
        return true;
    }

    sqlite3_stmt *prepare(const std::string &sql)
    {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
            return nullptr;
        }
        m_statements.push_back(stmt);
        return stmt;
    }

    /// Runs the bound statement and resets it with its bindings cleared.
    bool step(sqlite3_stmt *stmt)
    {
        const int rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        if (rc != SQLITE_DONE) {
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
            return false;
        }
        return true;
    }

    QString error() const { return m_error; }

private:
    sqlite3 *m_db = nullptr;
    std::vector<sqlite3_stmt *> m_statements;
    QString m_error;
};

void bindText(sqlite3_stmt *s, int i, const std::string &v)
{
    sqlite3_bind_text(s, i, v.data(), int(v.size()), SQLITE_TRANSIENT);
}
void bindText(sqlite3_stmt *s, int i, const char *v)
{
    if (v)
        sqlite3_bind_text(s, i, v, -1, SQLITE_STATIC);
}
void bindInt(sqlite3_stmt *s, int i, std::int64_t v)
{
    sqlite3_bind_int64(s, i, v);
}
void bindReal(sqlite3_stmt *s, int i, double v)
{
    sqlite3_bind_double(s, i, v);
}

// The deal columns in insert order; the enum gives each its parameter number.
const char *const kDealColumns[] = {
    "TradeID", "TCID", "TicketNum", "Status", "DealTime", "ConfTime", "Conversation",
    "Commission", "CommissionCcy", "BrokerID", "BrokerName", "Flag_Nal", "DealerID",
    "DealerName", "StaffID", "ConfID", "ConfName", "Bank1ID", "Bank1Name", "CPID",
    "PureDealType", "DealType", "SwiftDate", "Period1", "Period2", "PairID", "Ccy1", "Ccy2",
    "Volume1", "VolumeP1C2", "VolumeP2C1", "VolumeP2C2", "ExchRate1", "ExchRate2", "SwapRate",
    "OutrPremRate", "ValDateP1C1", "ValDateP1C2", "ValDateP2C1", "ValDateP2C2", "YearLength",
    "DepoRate", "FRASetDate", "FRAFixDate", "FRAMatDate", "ClDeal", "LoroNostro", "DeskID",
    "AttributeID"};
enum DealColumn {
    cTradeID = 1, cTCID, cTicketNum, cStatus, cDealTime, cConfTime, cConversation,
    cCommission, cCommissionCcy, cBrokerID, cBrokerName, cFlag_Nal, cDealerID,
    cDealerName, cStaffID, cConfID, cConfName, cBank1ID, cBank1Name, cCPID,
    cPureDealType, cDealType, cSwiftDate, cPeriod1, cPeriod2, cPairID, cCcy1, cCcy2,
    cVolume1, cVolumeP1C2, cVolumeP2C1, cVolumeP2C2, cExchRate1, cExchRate2, cSwapRate,
    cOutrPremRate, cValDateP1C1, cValDateP1C2, cValDateP2C1, cValDateP2C2, cYearLength,
    cDepoRate, cFRASetDate, cFRAFixDate, cFRAMatDate, cClDeal, cLoroNostro, cDeskID,
    cAttributeID, cDealColumnEnd
};
static_assert(cDealColumnEnd - 1 == int(sizeof(kDealColumns) / sizeof(kDealColumns[0])),
              "every deal column has a parameter number");

std::string dealInsertSql(const char *table)
{
    std::string sql = std::string("INSERT INTO ") + table + " (";
    std::string values;
    for (int i = 0; i < count(kDealColumns); ++i) {
        sql += (i ? ", " : "") + std::string(kDealColumns[i]);
        values += (i ? ", ?" : "?") + std::to_string(i + 1);
    }
    return sql + ") VALUES (" + values + ")";
}

// ---------------------------------------------------------------------------
// The generator

struct Counterparty
{
    int cpid;
    std::string shortName;
    std::string fullName;
    int category;
    int netting;
};

enum DealKind { Spot, Outright, Swap, Deposit, Fra };

struct Tenor
{
    int code;       // period code
    int weeks;
    int months;
    double weight;
};
const Tenor kTenors[] = {
    {11, 1, 0, 8}, {12, 2, 0, 5}, {13, 3, 0, 2}, {21, 0, 1, 20}, {22, 0, 2, 10},
    {23, 0, 3, 15}, {26, 0, 6, 10}, {29, 0, 9, 3}, {101, 0, 12, 6}, {0, 0, 0, 6},
};

class Generator final
{
public:
    Generator(const DemoDatabase::Options &options, Database &db)
        : m_options(options), m_db(db), m_rng(options.seed), m_rateRng(options.seed ^ 0x5241544553ull),
          m_bookingRng(options.seed ^ 0x424F4F4Bull), m_confirmRng(options.seed ^ 0x434F4E46ull),
          m_shortDepoRng(options.seed ^ 0x53484F52ull)
    {
    }

    bool run(DemoDatabase::Summary *summary);

private:
    bool writeDirectories();
    void buildCounterparties();
    void walkRates();
    bool writeRates();
    /// The status of currency c's market quote on rate day `day`.
    int marketStatus(int c, std::size_t day, bool exotic);
    /// Whether currency c has a market quote on rate day `day`.
    bool marketQuoted(int c, std::size_t day);
    bool writeDeals(sqlite3_stmt *stmt, const std::vector<QDate> &days, std::int64_t deals,
                    QDate settleBefore, bool archive);
    bool writeDeal(sqlite3_stmt *stmt, QDate day, int seconds, int rateDay, QDate settleBefore,
                   bool archive, int ageDays);
    /// Gives some current deals the counterparty of another deal, so that
    /// the data holds what netting and rollover settle.
    bool linkCounterparties();

    int ccyIndex(const char *code) const
    {
        for (int i = 0; i < kCcyCount; ++i) {
            if (std::string(kCurrencies[i].code) == code)
                return i;
        }
        return -1;
    }
    /// US dollars per unit of currency c on rate day d.
    double usdValue(int c, int d) const
    {
        const double q = m_rates[std::size_t(c)][std::size_t(d)];
        return kCurrencies[c].direct || c == 0 ? q : 1.0 / q;
    }
    double pairMid(int p, int d) const
    {
        return usdValue(m_pairCcy1[std::size_t(p)], d) / usdValue(m_pairCcy2[std::size_t(p)], d);
    }
    int rateDayOf(QDate d) const
    {
        return m_rateDayIndex[std::size_t(m_rateDays.front().daysTo(d))];
    }
    int statusFor(int ageDays, bool archive);
    QDate tenorDate(QDate start, const Tenor &tenor, int brokenDays) const;

    const DemoDatabase::Options &m_options;
    Database &m_db;
    DemoRandom m_rng;
    /// The rate gaps' own stream: drawing from it leaves the deals unchanged.
    DemoRandom m_rateRng;
    // Whether a broker's commission is booked on the deal: a stream of its
    // own, so that the deals of a seed stay what they were.
    DemoRandom m_bookingRng;
    // When a deal is confirmed, and which deposits are booked for no time at
    // all: streams of their own too.
    DemoRandom m_confirmRng;
    DemoRandom m_shortDepoRng;

    std::vector<QDate> m_ticketDays;
    std::vector<QDate> m_archiveDays;
    std::vector<QDate> m_rateDays;              // every business day with rates
    std::vector<int> m_rateDayIndex;            // calendar offset -> rate day (or -1)
    std::vector<std::vector<double>> m_rates;   // [ccy][rate day] market quote

    std::vector<int> m_pairCcy1, m_pairCcy2, m_pairDecimals, m_pairSpotDays;
    std::vector<Counterparty> m_counterparties;
    std::vector<int> m_interbank, m_clients;    // indexes into m_counterparties
    WeightedPicker m_bankPicker{{}};            // big banks trade more often than small ones
    std::vector<std::vector<int>> m_deskStaff;  // desk -> staff indexes
    std::vector<int> m_confirmers;

    std::int64_t m_nextTradeID = 1;
    std::int64_t m_ticketCounter[kTcidCount] = {};
    std::int64_t m_rateRows = 0;
};

bool Generator::writeDirectories()
{
    sqlite3_stmt *s = m_db.prepare("INSERT INTO Currencies (CcyID, Ccy, Name, ParentCcyID, DirectQuote, "
                                   "DepoBase, Decimals, SortOrder) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    if (!s)
        return false;
    for (int i = 0; i < kCcyCount; ++i) {
        const CcyDef &c = kCurrencies[i];
        bindInt(s, 1, i + 1);
        bindText(s, 2, c.code);
        bindText(s, 3, c.name);
        if (c.parent)
            bindInt(s, 4, ccyIndex(c.parent) + 1);
        bindInt(s, 5, c.direct ? 1 : 0);
        bindInt(s, 6, c.depoBase);
        bindInt(s, 7, c.decimals);
        bindInt(s, 8, (i + 1) * 10);
        if (!m_db.step(s))
            return false;
    }

    s = m_db.prepare("INSERT INTO Pairs (PairID, Ccy1, Ccy2, Name, SpotDays, RateDecimals, SortOrder) "
                     "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    if (!s)
        return false;
    for (int p = 0; p < kPairCount; ++p) {
        const std::string name = std::string(kPairs[p].ccy1) + "/" + kPairs[p].ccy2;
        bindInt(s, 1, p + 1);
        bindInt(s, 2, m_pairCcy1[std::size_t(p)] + 1);
        bindInt(s, 3, m_pairCcy2[std::size_t(p)] + 1);
        bindText(s, 4, name);
        bindInt(s, 5, m_pairSpotDays[std::size_t(p)]);
        bindInt(s, 6, m_pairDecimals[std::size_t(p)]);
        bindInt(s, 7, (p + 1) * 10);
        if (!m_db.step(s))
            return false;
    }

    s = m_db.prepare("INSERT INTO Desks (DeskID, Name) VALUES (?1, ?2)");
    if (!s)
        return false;
    for (int d = 0; d < count(kDeskNames); ++d) {
        bindInt(s, 1, d + 1);
        bindText(s, 2, kDeskNames[d]);
        if (!m_db.step(s))
            return false;
    }

    s = m_db.prepare("INSERT INTO Staff (StaffID, ShortName, FullName, IsDealer, IsTrader, IsConfirmer, "
                     "DeskID, Active) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, 1)");
    if (!s)
        return false;
    for (int i = 0; i < kStaffCount; ++i) {
        const bool dealer = kStaff[i].desk != 0;
        bindInt(s, 1, i + 1);
        bindText(s, 2, kStaff[i].code);
        bindText(s, 3, kStaff[i].name);
        bindInt(s, 4, dealer ? 1 : 0);
        bindInt(s, 5, dealer ? 1 : 0);
        bindInt(s, 6, dealer ? 0 : 1);
        if (dealer)
            bindInt(s, 7, kStaff[i].desk);
        if (!m_db.step(s))
            return false;
    }

    s = m_db.prepare("INSERT INTO TCIDs (TCID, Name, DeskID) VALUES (?1, ?2, ?3)");
    if (!s)
        return false;
    for (const TcidDef &t : kTcids) {
        bindText(s, 1, t.tcid);
        bindText(s, 2, t.name);
        if (t.desk)
            bindInt(s, 3, t.desk);
        if (!m_db.step(s))
            return false;
    }

    s = m_db.prepare("INSERT INTO Attributes (AttributeID, Name) VALUES (?1, ?2)");
    if (!s)
        return false;
    for (int a = 0; a < count(kAttributeNames); ++a) {
        bindInt(s, 1, a + 1);
        bindText(s, 2, kAttributeNames[a]);
        if (!m_db.step(s))
            return false;
    }

    s = m_db.prepare("INSERT INTO Brokers (BrID, ShortName, FullName, CommissionRate, CommissionCcy, Active) "
                     "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    if (!s)
        return false;
    for (int b = 0; b < kBrokerCount; ++b) {
        bindInt(s, 1, b + 1);
        bindText(s, 2, kBrokers[b].code);
        bindText(s, 3, kBrokers[b].name);
        bindReal(s, 4, kBrokers[b].ratePerMillion);
        bindText(s, 5, kBrokers[b].ccy);
        bindInt(s, 6, kBrokers[b].active ? 1 : 0);
        if (!m_db.step(s))
            return false;
    }

    if (!m_db.exec(QStringLiteral("INSERT INTO CustomSettings (CustomID, Name, CustomValue) "
                                  "VALUES (1010, 'Allow All start date', 2)")))
        return false;
    // The tax on deposit interest (per cent), and the deposit carry result's
    // tax terms of the rouble and the euro: the share of interest earned that
    // goes in tax, the tax on interest paid above the highest untaxed rate.
    if (!m_db.exec(QStringLiteral(
            "INSERT INTO CustomSettings (CustomID, Name, CustomValue) VALUES (1020, 'Deposit interest tax', 15);"
            "INSERT INTO DepoTaxes (CcyID, GiveTax, TakeTax, MaxTakeRate, FixedRate)"
            " SELECT CcyID, 0.2, 0.35, 0.16, 0.16 FROM Currencies WHERE Ccy = 'RUB'"
            " UNION ALL SELECT CcyID, 0.1, 0.25, 0.03, 0.03 FROM Currencies WHERE Ccy = 'EUR'")))
        return false;

    s = m_db.prepare("INSERT INTO Categories (CategoryID, Name) VALUES (?1, ?2)");
    if (!s)
        return false;
    for (int k = 0; k < kCategoryCount; ++k) {
        bindInt(s, 1, k + 1);
        bindText(s, 2, kCategories[k].name);
        if (!m_db.step(s))
            return false;
    }
    s = m_db.prepare("INSERT INTO CategoryAttributes (CategoryID, Attribute, Value) VALUES (?1, ?2, ?3)");
    if (!s)
        return false;
    for (const CategoryAttributeDef &a : categoryAttributes()) {
        for (const char *value : a.values) {
            bindInt(s, 1, a.category);
            bindText(s, 2, a.attribute);
            bindText(s, 3, value);
            if (!m_db.step(s))
                return false;
        }
    }

    sqlite3_stmt *cp = m_db.prepare("INSERT INTO Counterparties (CPID, ShortName, FullBankName, CategoryID, "
                                    "Netting, Country, SwiftCode) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    sqlite3_stmt *ca = m_db.prepare("INSERT INTO CounterpartyAttributes (CPID, Attribute, Value) "
                                    "VALUES (?1, ?2, ?3)");
    if (!cp || !ca)
        return false;
    const WeightedPicker countryPicker(std::vector<double>(std::begin(kCountryWeights), std::end(kCountryWeights)));
    for (const Counterparty &c : m_counterparties) {
        const char *country = c.category == CatPrivate ? "RU" : kCountries[countryPicker.pick(m_rng)];
        bindInt(cp, 1, c.cpid);
        bindText(cp, 2, c.shortName);
        bindText(cp, 3, c.fullName);
        bindInt(cp, 4, c.category);
        bindInt(cp, 5, c.netting);
        bindText(cp, 6, country);
        bindText(cp, 7, c.category == CatPrivate ? std::string() : upperLetters(c.shortName, 4) + country + "XX");
        if (!m_db.step(cp))
            return false;
        for (const CategoryAttributeDef &a : categoryAttributes()) {
            if (a.category != c.category)
                continue;
            const char *value = std::string(a.attribute) == "Region"
                                    ? regionOf(country)
                                    : a.values[std::size_t(m_rng.below(int(a.values.size())))];
            bindInt(ca, 1, c.cpid);
            bindText(ca, 2, a.attribute);
            bindText(ca, 3, value);
            if (!m_db.step(ca))
                return false;
        }
    }
    return true;
}

void Generator::buildCounterparties()
{
    QSet<QString> fullNames;
    QSet<QString> shortNames;
    int cpid = 1000;
    for (int k = 0; k < kCategoryCount; ++k) {
        const int category = k + 1;
        for (int i = 0; i < kCategories[k].count; ++i) {
            std::string name;
            for (int attempt = 0; name.empty() || fullNames.contains(QString::fromStdString(name)); ++attempt) {
                const std::string prefix = kNamePrefixes[m_rng.below(count(kNamePrefixes))];
                switch (category) {
                case CatBanks:
                    name = prefix + " " + kBankWords[m_rng.below(count(kBankWords))] + " Bank "
                           + kBankForms[m_rng.below(count(kBankForms))];
                    break;
                case CatCorporates:
                    name = prefix + " " + kSectorWords[m_rng.below(count(kSectorWords))] + " "
                           + kCompanyForms[m_rng.below(count(kCompanyForms))];
                    break;
                case CatFunds:
                    name = prefix + " " + kFundWords[m_rng.below(count(kFundWords))];
                    break;
                case CatPrivate:
                    name = std::string(1, char('A' + m_rng.below(26))) + ". "
                           + kSurnames[m_rng.below(count(kSurnames))] + " (private client)";
                    break;
                default:
                    name = kCentralBanks[i % count(kCentralBanks)];
                    break;
                }
                if (attempt > 50)
                    name += " " + std::to_string(i + 1);
            }
            // A name with an apostrophe, as real directories have them.
            if (category == CatBanks && i == 7)
                name = "Banque d'Orsay SA";
            fullNames.insert(QString::fromStdString(name));

            std::string code = upperLetters(name, 4);
            const std::size_t space = name.find(' ');
            if (space != std::string::npos)
                code += upperLetters(name.substr(space + 1), 2);
            std::string unique = code;
            for (int n = 2; shortNames.contains(QString::fromStdString(unique)); ++n)
                unique = code + std::to_string(n);
            shortNames.insert(QString::fromStdString(unique));

            const int netting = m_rng.chance(kCategories[k].netting) ? 2 : 0;
            m_counterparties.push_back({cpid++, unique, name, category, netting});
            (kCategories[k].client ? m_clients : m_interbank).push_back(int(m_counterparties.size()) - 1);
        }
    }
}

void Generator::walkRates()
{
    const std::size_t n = m_rateDays.size();
    m_rates.assign(kCcyCount, std::vector<double>(n, 1.0));
    for (int c = 1; c < kCcyCount; ++c) {
        const CcyDef &def = kCurrencies[c];
        if (def.parent)
            continue;
        const double dailyVol = def.vol / 15.8;     // sqrt(250)
        const double dailyDrift = def.drift / 250.0;
        // A walk pulled gently towards the drifting starting level, so that
        // two years of data stay near real quotes.
        double q = def.rate;
        double level = def.rate;
        for (std::size_t d = 0; d < n; ++d) {
            m_rates[std::size_t(c)][d] = q;
            level *= 1.0 + dailyDrift;
            q = q * (1.0 + dailyDrift + dailyVol * m_rng.normal()) + 0.01 * (level - q);
        }
    }
    // Child currencies follow their parent: RUR is the same money as RUB,
    // CNH trades a little away from CNY.
    for (int c = 1; c < kCcyCount; ++c) {
        const CcyDef &def = kCurrencies[c];
        if (!def.parent)
            continue;
        const int parent = ccyIndex(def.parent);
        const double basis = def.rate / kCurrencies[parent].rate;
        for (std::size_t d = 0; d < n; ++d) {
            const double noise = basis == 1.0 ? 0.0 : 0.0008 * m_rng.normal();
            m_rates[std::size_t(c)][d] = m_rates[std::size_t(parent)][d] * (basis + noise);
        }
    }
}

int Generator::marketStatus(int c, std::size_t day, bool exotic)
{
    // Drawn from the deals' stream exactly as before the rate gaps existed,
    // so that the deals of a seed stay what they were.
    const bool indicative = exotic && m_rng.chance(0.1);
    if (day + 1 == m_rateDays.size() && std::string(kCurrencies[c].code) == kHaltedOnLastDay)
        return 3;
    if (kCurrencies[c].spread >= 0.0002) {
        const double u = m_rateRng.uniform();
        if (u < 0.03)
            return 2;   // the feed went stale
        if (u < 0.04)
            return 3;   // trading halted
    }
    return indicative ? 1 : 0;
}

bool Generator::marketQuoted(int c, std::size_t day)
{
    const std::string code = kCurrencies[c].code;
    if (code == kWithoutMarketQuote)
        return false;
    if (day + 1 == m_rateDays.size() && code == kUnquotedOnLastDay)
        return false;
    return kCurrencies[c].spread < 0.0002 || !m_rateRng.chance(0.02);
}

bool Generator::writeRates()
{
    sqlite3_stmt *admin = m_db.prepare("INSERT INTO AdminRates (CcyID, RateDate, Rate) VALUES (?1, ?2, ?3)");
    sqlite3_stmt *market = m_db.prepare("INSERT INTO MarketRates (CcyID, RateDate, Bid, Ask, Status) "
                                        "VALUES (?1, ?2, ?3, ?4, ?5)");
    sqlite3_stmt *central = m_db.prepare("INSERT INTO CBRates (CcyID, RateDate, Rate) VALUES (?1, ?2, ?3)");
    if (!admin || !market || !central)
        return false;
    for (std::size_t d = 0; d < m_rateDays.size(); ++d) {
        const std::string date = dateText(m_rateDays[d]);
        for (int c = 1; c < kCcyCount; ++c) {
            const CcyDef &def = kCurrencies[c];
            const double q = m_rates[std::size_t(c)][d];
            const int decimals = q < 10 ? 5 : q < 100 ? 4 : 3;
            if (def.code != std::string(kWithoutAdminRate)) {
                bindInt(admin, 1, c + 1);
                bindText(admin, 2, date);
                bindReal(admin, 3, roundTo(q, decimals));
                if (!m_db.step(admin))
                    return false;
                ++m_rateRows;
            }
            // Exotic currencies are now and then quoted indicatively only;
            // the less traded ones miss a quote or have an unusable one on
            // some days.
            const int status = marketStatus(c, d, def.spread >= 0.0004);
            if (marketQuoted(c, d)) {
                bindInt(market, 1, c + 1);
                bindText(market, 2, date);
                bindReal(market, 3, roundTo(q * (1 - def.spread), decimals));
                bindReal(market, 4, roundTo(q * (1 + def.spread), decimals));
                bindInt(market, 5, status);
                if (!m_db.step(market))
                    return false;
                ++m_rateRows;
            }
            // The central bank fixes a day's rate from the evening before, to
            // four decimals; it fixes no child currency (RUR, CNH).
            if (!def.parent) {
                bindInt(central, 1, c + 1);
                bindText(central, 2, date);
                bindReal(central, 3, roundTo(m_rates[std::size_t(c)][d > 0 ? d - 1 : 0], 4));
                if (!m_db.step(central))
                    return false;
                ++m_rateRows;
            }
        }
    }
    return true;
}

int Generator::statusFor(int ageDays, bool archive)
{
    const double u = m_rng.uniform();
    if (archive)
        return u < 0.97 ? 3 : u < 0.99 ? -1 : 1;
    if (ageDays == 0) // today's deals are still being checked
        return u < 0.45 ? 0 : u < 0.90 ? 3 : u < 0.96 ? 2 : u < 0.98 ? -2 : 4;
    return u < 0.84 ? 3 : u < 0.89 ? 2 : u < 0.91 ? 1 : u < 0.92 ? 4 : u < 0.94 ? 0
         : u < 0.97 ? -1 : u < 0.98 ? -2 : -4;
}

QDate Generator::tenorDate(QDate start, const Tenor &tenor, int brokenDays) const
{
    QDate d = tenor.code == 0 ? start.addDays(brokenDays)
              : tenor.weeks   ? start.addDays(7 * tenor.weeks)
                              : start.addMonths(tenor.months);
    return BusinessCalendar::rollForward(d);
}

bool Generator::writeDeal(sqlite3_stmt *s, QDate day, int seconds, int rateDay, QDate settleBefore,
                          bool archive, int ageDays)
{
    static const WeightedPicker kindPicker({55, 12, 20, 12.5, 0.5});
    static const WeightedPicker clientKindPicker({60, 25, 10, 5, 0});
    static const WeightedPicker tenorPicker([] {
        std::vector<double> w;
        for (const Tenor &t : kTenors)
            w.push_back(t.weight);
        return w;
    }());
    static const WeightedPicker pairPicker([] {
        std::vector<double> w;
        for (const PairDef &p : kPairs)
            w.push_back(p.weight);
        return w;
    }());
    static const WeightedPicker depoCcyPicker([] {
        std::vector<double> w;
        for (const CcyDef &c : kCurrencies)
            w.push_back(c.depoWeight);
        return w;
    }());

    const bool client = m_rng.chance(0.2);
    DealKind kind = DealKind((client ? clientKindPicker : kindPicker).pick(m_rng));
    const Counterparty &cpty = m_counterparties[std::size_t(
        client ? m_clients[std::size_t(m_rng.below(int(m_clients.size())))]
               : m_interbank[std::size_t(m_bankPicker.pick(m_rng))])];

    // Choose the instrument; an archived deal must have settled before the
    // current deals begin, so a long one that would not have is made a spot.
    const Tenor &tenor = kTenors[tenorPicker.pick(m_rng)];
    const int brokenDays = m_rng.range(3, 400);
    static const int kFraStarts[] = {1, 2, 3, 6};
    const int fraStart = kind == Fra ? kFraStarts[m_rng.below(count(kFraStarts))] : 0;
    const int fraLength = m_rng.chance(0.6) ? 3 : 6;

    const int pair = pairPicker.pick(m_rng);
    const int c1 = m_pairCcy1[std::size_t(pair)];
    const int c2 = m_pairCcy2[std::size_t(pair)];
    const QDate spotDate = BusinessCalendar::addBusinessDays(day, m_pairSpotDays[std::size_t(pair)]);
    const QDate spot2 = BusinessCalendar::addBusinessDays(day, 2);
    if (settleBefore.isValid()) {
        QDate last = spotDate;
        if (kind == Outright || kind == Swap)
            last = tenorDate(spotDate, tenor, brokenDays);
        else if (kind == Deposit)
            last = tenorDate(spot2, tenor, brokenDays);
        else if (kind == Fra)
            last = BusinessCalendar::rollForward(spot2.addMonths(fraStart + fraLength));
        if (last >= settleBefore)
            kind = Spot;
    }

    const int desk = client ? DeskSales
                     : kind == Spot ? DeskSpot
                     : (kind == Outright || kind == Swap) ? DeskForwards
                                                          : DeskMoneyMarket;
    const std::vector<int> &deskStaff = m_deskStaff[std::size_t(desk)];
    const StaffDef &dealer = kStaff[deskStaff[std::size_t(m_rng.below(int(deskStaff.size())))]];
    const int dealerIndex = int(&dealer - kStaff);
    const StaffDef &confirmer = kStaff[m_confirmers[std::size_t(m_rng.below(int(m_confirmers.size())))]];

    // Channel, broker.
    int tcid;
    int broker = -1;
    if (client) {
        tcid = m_rng.chance(0.6) ? TcWeb : TcPhone;
    } else if (m_rng.chance(0.15)) {
        tcid = TcVoice;
        broker = archive ? m_rng.below(kBrokerCount) : m_rng.below(kActiveBrokers);
    } else if (kind == Deposit || kind == Fra) {
        tcid = TcMoneyMarket;
    } else if (kind == Spot) {
        tcid = m_rng.chance(0.5) ? TcEbs : TcReuters1;
    } else {
        tcid = TcReuters2;
    }

    const std::int64_t tradeID = m_nextTradeID++;
    const int status = statusFor(ageDays, archive);
    int confSeconds = std::min(seconds + m_rng.range(20, 1800), 86399);

    bindInt(s, cTradeID, tradeID);
    bindText(s, cTCID, kTcids[tcid].tcid);
    bindInt(s, cTicketNum, ++m_ticketCounter[tcid]);
    bindInt(s, cStatus, status);
    bindText(s, cDealTime, timeText(day, seconds));
    // Half the deals still to be checked are not confirmed yet; a few of the
    // others were confirmed the next morning.
    const bool confirmed = status != 0 || m_confirmRng.chance(0.5);
    if (confirmed && ageDays > 0 && m_confirmRng.chance(0.04))
        bindText(s, cConfTime, timeText(BusinessCalendar::addBusinessDays(day, 1), m_confirmRng.range(30600, 39600)));
    else if (confirmed)
        bindText(s, cConfTime, timeText(day, confSeconds));
    bindText(s, cDealerID, dealer.code);
    bindText(s, cDealerName, dealer.name);
    bindInt(s, cStaffID, dealerIndex + 1);
    bindText(s, cConfID, confirmer.code);
    bindText(s, cConfName, confirmer.name);
    bindText(s, cBank1ID, cpty.shortName);
    bindText(s, cBank1Name, cpty.fullName);
    bindInt(s, cCPID, cpty.cpid);
    bindInt(s, cClDeal, client ? 2 : 0);
    bindInt(s, cFlag_Nal, cpty.netting == 2 && m_rng.chance(0.5) ? 1 : 0);
    {
        const double u = m_rng.uniform();
        const int loroNostro = client ? (u < 0.75 ? 2 : 0) : (u < 0.55 ? 1 : u < 0.80 ? 2 : 0);
        bindInt(s, cLoroNostro, loroNostro);
    }
    bindInt(s, cDeskID, desk);
    {
        int attribute = 0;
        if (client)
            attribute = AttrClientFlow;
        else if (kind == Deposit || kind == Fra)
            attribute = AttrTreasury;
        else {
            const double u = m_rng.uniform();
            attribute = u < 0.60 ? AttrProprietary : u < 0.85 ? AttrHedge : u < 0.90 ? AttrArbitrage : 0;
        }
        if (attribute)
            bindInt(s, cAttributeID, attribute);
    }

    const bool buy = m_rng.chance(0.5);
    double usdAmount = 0;   // size of the deal in US dollars, for the commission
    std::string conversationAmount;

    if (kind == Deposit || kind == Fra) {
        static const int kFraCurrencies[] = {0, 1, 2, 4}; // USD, EUR, GBP, RUB
        const int c = kind == Deposit ? depoCcyPicker.pick(m_rng)
                                      : kFraCurrencies[m_rng.below(count(kFraCurrencies))];
        const CcyDef &def = kCurrencies[c];
        const double unitsPerUsd = 1.0 / usdValue(c, rateDay);
        const double scale = unitsPerUsd < 5 ? 1 : unitsPerUsd < 50 ? 10 : unitsPerUsd < 500 ? 100 : 1000;
        static const double kMillions[] = {1, 2, 3, 5, 5, 10, 10, 15, 20, 25, 50, 100};
        const double principal = (client ? roundTo(std::pow(10.0, 4.5 + 2.0 * m_rng.uniform()), 0)
                                         : kMillions[m_rng.below(count(kMillions))] * 1e6)
                                 * scale;
        usdAmount = principal * usdValue(c, rateDay);
        const bool give = !buy;
        const std::int64_t p = moneyRaw(principal, def.decimals);
        bindInt(s, cCcy1, c + 1);
        bindInt(s, cYearLength, def.depoBase);
        bindInt(s, cDealType, give ? 2 : 1);
        bindInt(s, cVolume1, give ? -p : p);
        conversationAmount = amountText(principal) + " " + def.code;
        if (kind == Deposit) {
            const double u = m_rng.uniform();
            const QDate start = u < 0.3 ? day : u < 0.6 ? BusinessCalendar::addBusinessDays(day, 1) : spot2;
            const bool overnight = m_rng.chance(0.15);
            // A few deposits are booked to mature on their start day (a
            // deal entered to be cancelled): they earn nothing.
            const bool sameDay = m_shortDepoRng.chance(0.01);
            const QDate maturity = sameDay     ? start
                                   : overnight ? BusinessCalendar::addBusinessDays(start, 1)
                                               : tenorDate(start, tenor, brokenDays);
            const double rate = roundTo(std::max(0.01, def.irate + 0.15 * m_rng.normal() + (give ? 0.05 : -0.05)), 3);
            const double interest = principal * rate / 100.0 * double(start.daysTo(maturity)) / def.depoBase;
            const std::int64_t back = moneyRaw(principal + interest, def.decimals);
            bindInt(s, cPureDealType, 16);
            bindInt(s, cPeriod1, u < 0.3 ? 1 : u < 0.6 ? 2 : 4);
            bindInt(s, cPeriod2, overnight || sameDay ? 0 : tenor.code);
            bindInt(s, cVolumeP2C1, give ? back : -back);
            bindText(s, cValDateP1C1, dateText(start));
            bindText(s, cValDateP2C1, dateText(maturity));
            bindReal(s, cDepoRate, rate);
        } else {
            const QDate set = BusinessCalendar::rollForward(spot2.addMonths(fraStart));
            const QDate mat = BusinessCalendar::rollForward(spot2.addMonths(fraStart + fraLength));
            const double rate = roundTo(std::max(0.01, def.irate + 0.1 * fraStart + 0.2 * m_rng.normal()), 3);
            bindInt(s, cPureDealType, 32);
            bindInt(s, cVolumeP2C1, give ? p : -p);     // the notional; no principal changes hands
            bindInt(s, cPeriod1, 20 + fraStart);
            bindInt(s, cPeriod2, 20 + fraStart + fraLength);
            bindText(s, cValDateP1C1, dateText(set));
            bindText(s, cValDateP2C1, dateText(mat));
            bindText(s, cFRASetDate, dateText(set));
            bindText(s, cFRAFixDate, dateText(BusinessCalendar::addBusinessDays(set, -2)));
            bindText(s, cFRAMatDate, dateText(mat));
            bindReal(s, cDepoRate, rate);
        }
    } else {
        const CcyDef &d1 = kCurrencies[c1];
        const CcyDef &d2 = kCurrencies[c2];
        const int decimals = m_pairDecimals[std::size_t(pair)];
        const double mid = pairMid(pair, rateDay) * (1.0 + 0.0012 * m_rng.normal());
        const double halfSpread = mid * (client ? 0.0008 : 0.00003);
        const double spotRate = roundTo(mid + (buy ? halfSpread : -halfSpread), decimals);
        static const double kMillions[] = {1, 1, 2, 2, 3, 5, 5, 5, 10, 10, 15, 20, 25, 50};
        const double amount1 = client ? roundTo(std::pow(10.0, 4.0 + 2.5 * m_rng.uniform()), 2)
                                      : kMillions[m_rng.below(count(kMillions))] * 1e6;
        usdAmount = amount1 * usdValue(c1, rateDay);
        const std::int64_t raw1 = moneyRaw(amount1, d1.decimals);
        bindInt(s, cPairID, pair + 1);
        bindInt(s, cCcy1, c1 + 1);
        bindInt(s, cCcy2, c2 + 1);
        bindInt(s, cDealType, buy ? 1 : 2);
        bindInt(s, cVolume1, buy ? raw1 : -raw1);
        conversationAmount = amountText(amount1);

        // Forward rate by interest parity from the spot date.
        auto forward = [&](double s0, QDate valueDate) {
            const double days = double(spotDate.daysTo(valueDate));
            return s0 * (1.0 + d2.irate / 100.0 * days / d2.depoBase)
                   / (1.0 + d1.irate / 100.0 * days / d1.depoBase);
        };

        if (kind == Spot) {
            const double u = m_rng.uniform();
            const QDate valueDate = u < 0.08 ? day : u < 0.18 ? BusinessCalendar::addBusinessDays(day, 1) : spotDate;
            const int period = valueDate == spotDate ? 4 : valueDate == day ? 1 : 2;
            const std::int64_t raw2 = moneyRaw(amount1 * spotRate, d2.decimals);
            bindInt(s, cPureDealType, 2);
            bindInt(s, cPeriod1, period);
            bindInt(s, cVolumeP1C2, buy ? -raw2 : raw2);
            bindReal(s, cExchRate1, spotRate);
            bindText(s, cValDateP1C1, dateText(valueDate));
            bindText(s, cValDateP1C2, dateText(valueDate));
        } else if (kind == Outright) {
            const QDate valueDate = tenorDate(spotDate, tenor, brokenDays);
            const double rate = roundTo(forward(spotRate, valueDate), decimals);
            const std::int64_t raw2 = moneyRaw(amount1 * rate, d2.decimals);
            bindInt(s, cPureDealType, 4);
            bindInt(s, cPeriod1, tenor.code);
            bindInt(s, cVolumeP1C2, buy ? -raw2 : raw2);
            bindReal(s, cExchRate1, rate);
            bindReal(s, cOutrPremRate, roundTo(rate - spotRate, decimals));
            bindText(s, cValDateP1C1, dateText(valueDate));
            bindText(s, cValDateP1C2, dateText(valueDate));
        } else {
            const QDate farDate = tenorDate(spotDate, tenor, brokenDays);
            const double nearRate = roundTo(mid, decimals);
            const double points = roundTo(forward(mid, farDate) - mid + (buy ? 1 : -1) * mid * 0.00002, decimals);
            const double farRate = roundTo(nearRate + points, decimals);
            const std::int64_t near2 = moneyRaw(amount1 * nearRate, d2.decimals);
            const std::int64_t far2 = moneyRaw(amount1 * farRate, d2.decimals);
            bindInt(s, cPureDealType, 8);
            bindInt(s, cPeriod1, 4);
            bindInt(s, cPeriod2, tenor.code);
            bindInt(s, cVolumeP1C2, buy ? -near2 : near2);
            bindInt(s, cVolumeP2C1, buy ? -raw1 : raw1);
            bindInt(s, cVolumeP2C2, buy ? far2 : -far2);
            bindReal(s, cExchRate1, nearRate);
            bindReal(s, cExchRate2, farRate);
            bindReal(s, cSwapRate, points);
            bindText(s, cValDateP1C1, dateText(spotDate));
            bindText(s, cValDateP1C2, dateText(spotDate));
            bindText(s, cValDateP2C1, dateText(farDate));
            bindText(s, cValDateP2C2, dateText(farDate));
        }
        // Confirmations go out for checked spot and outright deals.
        if ((kind == Spot || kind == Outright) && (status == 3 || status == 2 || status == 1))
            bindText(s, cSwiftDate, dateText(m_rng.chance(0.8) ? day : BusinessCalendar::addBusinessDays(day, 1)));
    }

    if (broker >= 0) {
        const BrokerDef &b = kBrokers[broker];
        bindInt(s, cBrokerID, broker + 1);
        bindText(s, cBrokerName, b.code);
        // A broker's statement books the commission on its deals; about a
        // quarter of them are not booked yet, and the broker's tariff gives
        // their commission.
        if (m_bookingRng.chance(0.75)) {
            const int commCcy = ccyIndex(b.ccy);
            const double commission = usdAmount / 1e6 * b.ratePerMillion / usdValue(commCcy, rateDay);
            bindInt(s, cCommission, moneyRaw(commission, 2));
            bindText(s, cCommissionCcy, b.ccy);
        }
    }

    if (tcid == TcReuters1 || tcid == TcReuters2 || tcid == TcMoneyMarket) {
        const char *product = kind == Deposit ? "DEPO" : kind == Fra ? "FRA" : kind == Swap ? "SWAP"
                              : kind == Outright ? "FWD" : "SPOT";
        const std::string instrument = (kind == Deposit || kind == Fra)
                                           ? std::string()
                                           : std::string(kPairs[pair].ccy1) + "/" + kPairs[pair].ccy2 + " ";
        std::string text = "HI " + cpty.shortName + " " + dealer.code + " HERE\n";
        text += "PRICE " + instrument + product + " " + conversationAmount + " PLS\n";
        text += std::string(buy ? "I BUY" : "I SELL") + "\n";
        text += "AGREED. TO CONFIRM " + conversationAmount + " " + product + "\n";
        text += "THANKS AND BIBI";
        bindText(s, cConversation, text);
    }

    return m_db.step(s);
}

bool Generator::writeDeals(sqlite3_stmt *stmt, const std::vector<QDate> &days, std::int64_t deals,
                           QDate settleBefore, bool archive)
{
    // Spread the deals over the days with some day-to-day variation, the
    // counts adding up exactly.
    std::vector<double> weights;
    double total = 0;
    for (std::size_t i = 0; i < days.size(); ++i)
        total += weights.emplace_back(0.75 + 0.5 * m_rng.uniform());
    double cumulative = 0;
    std::int64_t written = 0;
    const QDate lastDay = days.back();
    for (std::size_t i = 0; i < days.size(); ++i) {
        cumulative += weights[i];
        const std::int64_t upTo = i + 1 == days.size() ? deals : std::int64_t(std::llround(deals * cumulative / total));
        const std::int64_t n = upTo - written;
        written = upTo;
        std::fill(std::begin(m_ticketCounter), std::end(m_ticketCounter), 0);
        const int rateDay = rateDayOf(days[i]);
        const int ageDays = int(days[i].daysTo(lastDay));
        // Deals run from 08:00 to 19:00, in time order.
        const double slot = 11.0 * 3600.0 / double(std::max<std::int64_t>(n, 1));
        for (std::int64_t k = 0; k < n; ++k) {
            const int seconds = 8 * 3600 + int((double(k) + m_rng.uniform()) * slot);
            if (!writeDeal(stmt, days[i], seconds, rateDay, settleBefore, archive, ageDays))
                return false;
        }
    }
    return true;
}

bool Generator::run(DemoDatabase::Summary *summary)
{
    m_ticketDays = BusinessCalendar::daysEndingAt(m_options.today, DemoDatabase::kTradingDays);
    // The archive ends a week before the current deals begin, so that even
    // its spot deals have settled by then.
    m_archiveDays = BusinessCalendar::daysEndingAt(
        BusinessCalendar::addBusinessDays(m_ticketDays.front(), -5), DemoDatabase::kTradingDays);
    for (QDate d = m_archiveDays.front(); d <= m_ticketDays.back(); d = d.addDays(1)) {
        const bool business = BusinessCalendar::isBusinessDay(d);
        m_rateDayIndex.push_back(business ? int(m_rateDays.size()) : -1);
        if (business)
            m_rateDays.push_back(d);
    }

    for (const PairDef &p : kPairs) {
        const int c1 = ccyIndex(p.ccy1);
        const int c2 = ccyIndex(p.ccy2);
        const std::string name = std::string(p.ccy1) + "/" + p.ccy2;
        m_pairCcy1.push_back(c1);
        m_pairCcy2.push_back(c2);
        m_pairSpotDays.push_back(name == "USD/CAD" || name == "USD/TRY" || name == "USD/RUB" || name == "USD/RUR"
                                     ? 1 : 2);
    }
    m_deskStaff.assign(5, {});
    for (int i = 0; i < kStaffCount; ++i) {
        if (kStaff[i].desk)
            m_deskStaff[std::size_t(kStaff[i].desk)].push_back(i);
        else
            m_confirmers.push_back(i);
    }

    walkRates();
    for (int p = 0; p < kPairCount; ++p) {
        const double q = pairMid(p, 0);
        m_pairDecimals.push_back(q < 10 ? 5 : q < 100 ? 4 : q < 1000 ? 3 : 2);
    }
    buildCounterparties();
    std::vector<double> bankWeights;
    for (std::size_t i = 0; i < m_interbank.size(); ++i)
        bankWeights.push_back(1.0 / std::sqrt(double(i + 1)));
    m_bankPicker = WeightedPicker(bankWeights);

    if (!writeDirectories() || !writeRates())
        return false;

    sqlite3_stmt *archive = m_db.prepare(dealInsertSql("Archive"));
    sqlite3_stmt *tickets = m_db.prepare(dealInsertSql("Tickets"));
    if (!archive || !tickets)
        return false;
    const std::int64_t archived = m_options.deals / 5;
    if (!writeDeals(archive, m_archiveDays, archived, m_ticketDays.front(), true)
        || !writeDeals(tickets, m_ticketDays, m_options.deals, QDate(), false) || !linkCounterparties())
        return false;

    if (summary) {
        summary->deals = m_options.deals;
        summary->archived = archived;
        summary->currencies = kCcyCount;
        summary->pairs = kPairCount;
        summary->counterparties = int(m_counterparties.size());
        summary->dealers = kStaffCount - int(m_confirmers.size());
        summary->rates = m_rateRows;
        summary->firstDay = m_ticketDays.front();
        summary->lastDay = m_ticketDays.back();
    }
    return true;
}

bool Generator::linkCounterparties()
{
    // A counterparty with a netting agreement pays and receives the same
    // currency on the same day (an FX deal with it and an opposite one with
    // another bank, which becomes its), and deposits roll over: a deposit in
    // the currency and direction of one that matures starts on its maturity
    // with the same counterparty. Only deals of the days before the last
    // week change, so that today's positions stay as they were; each deal
    // changes once, and the choice follows the deals, not the random stream.
    const std::size_t days = m_ticketDays.size();
    const QString cutoff = QString::fromStdString(dateText(m_ticketDays[days > 6 ? days - 6 : 0]));
    const QString sql = QStringLiteral(R"(
CREATE TEMP TABLE Linked AS
WITH netting AS (
    SELECT a.TradeID AS A, MIN(b.TradeID) AS B
    FROM Tickets a JOIN Counterparties c ON c.CPID = a.CPID AND c.Netting = 2
    JOIN Tickets b ON b.Ccy1 = a.Ccy1 AND b.ValDateP1C1 = a.ValDateP1C1 AND b.CPID <> a.CPID
         AND b.ClDeal = a.ClDeal AND (a.Volume1 > 0) <> (b.Volume1 > 0) AND b.PureDealType IN (2, 4)
         AND b.Status >= 0 AND b.DealTime < '%1' AND b.TradeID > a.TradeID
         AND (SELECT n.Netting FROM Counterparties n WHERE n.CPID = b.CPID) <> 2
    WHERE a.PureDealType IN (2, 4) AND a.Status >= 0 AND a.DealTime < '%1'
    GROUP BY a.TradeID),
rollover AS (
    SELECT a.TradeID AS A, MIN(b.TradeID) AS B
    FROM Tickets a
    JOIN Tickets b ON b.PureDealType = 16 AND b.Ccy1 = a.Ccy1 AND b.ValDateP1C1 = a.ValDateP2C1
         AND b.CPID <> a.CPID AND b.ClDeal = a.ClDeal AND (a.Volume1 > 0) = (b.Volume1 > 0)
         AND b.Status >= 0 AND b.DealTime < '%1'
    WHERE a.PureDealType = 16 AND a.Status >= 0
    GROUP BY a.TradeID),
picked AS (
    SELECT * FROM (SELECT n.A, n.B FROM netting n
                   WHERE n.A = (SELECT MIN(m.A) FROM netting m WHERE m.B = n.B)
                     AND n.B NOT IN (SELECT A FROM netting)
                   ORDER BY (SELECT ValDateP1C1 FROM Tickets WHERE TradeID = n.A) DESC, n.A LIMIT 12)
    UNION ALL
    SELECT * FROM (SELECT r.A, r.B FROM rollover r
                   WHERE r.A = (SELECT MIN(m.A) FROM rollover m WHERE m.B = r.B)
                     AND r.B NOT IN (SELECT A FROM rollover)
                   ORDER BY (SELECT ValDateP2C1 FROM Tickets WHERE TradeID = r.A) DESC, r.A LIMIT 8))
SELECT B, MIN(A) AS A FROM picked GROUP BY B;
UPDATE Tickets SET
    CPID = (SELECT a.CPID FROM Linked l JOIN Tickets a ON a.TradeID = l.A WHERE l.B = Tickets.TradeID),
    Bank1ID = (SELECT a.Bank1ID FROM Linked l JOIN Tickets a ON a.TradeID = l.A WHERE l.B = Tickets.TradeID),
    Bank1Name = (SELECT a.Bank1Name FROM Linked l JOIN Tickets a ON a.TradeID = l.A WHERE l.B = Tickets.TradeID)
WHERE TradeID IN (SELECT B FROM Linked);
DROP TABLE temp.Linked;
)");
    return m_db.exec(sql.arg(cutoff));
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QString DemoDatabase::usage()
{
    return QStringLiteral("usage: marvolt-demo-db --out FILE | --connect \"Provider=PostgreSQL;...\" [--deals N] "
                          "[--seed S] [--today YYYY-MM-DD] [--no-procedures]");
}

std::optional<DemoDatabase::Options> DemoDatabase::parseArguments(const QStringList &arguments,
                                                                  QString *error, bool *help)
{
    if (help)
        *help = false;
    QCommandLineParser parser;
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("database file to write"),
                                 QStringLiteral("FILE"));
    const QCommandLineOption connect(QStringLiteral("connect"),
                                     QStringLiteral("empty PostgreSQL database to write as well"),
                                     QStringLiteral("STRING"));
    const QCommandLineOption deals(QStringLiteral("deals"), QStringLiteral("deals in Tickets"),
                                   QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("random seed"), QStringLiteral("S"));
    const QCommandLineOption today(QStringLiteral("today"), QStringLiteral("last trading day"),
                                   QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption noProcedures(QStringLiteral("no-procedures"),
                                          QStringLiteral("write the tables only"));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("show the usage"));
    parser.addOptions({out, connect, deals, seed, today, noProcedures, helpOption});
    if (!parser.parse(QStringList{QStringLiteral("marvolt-demo-db")} + arguments)) {
        setError(error, parser.errorText());
        return std::nullopt;
    }
    if (parser.isSet(helpOption)) {
        if (help)
            *help = true;
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        setError(error, QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
        return std::nullopt;
    }

    Options options;
    options.out = parser.value(out);
    options.connect = parser.value(connect);
    options.withProcedures = !parser.isSet(noProcedures);
    if (options.out.isEmpty() && options.connect.isEmpty()) {
        setError(error, QStringLiteral("--out FILE or --connect STRING is required"));
        return std::nullopt;
    }
    if (parser.isSet(deals)) {
        bool ok = false;
        options.deals = parser.value(deals).toLongLong(&ok);
        if (!ok || options.deals < 1 || options.deals > kMaxDeals) {
            setError(error, QStringLiteral("--deals must be a whole number from 1 to %1, not '%2'")
                                .arg(kMaxDeals)
                                .arg(parser.value(deals)));
            return std::nullopt;
        }
    }
    if (parser.isSet(seed)) {
        bool ok = false;
        options.seed = parser.value(seed).toULongLong(&ok);
        if (!ok) {
            setError(error, QStringLiteral("--seed must be a whole number from 0 to 18446744073709551615, not '%1'")
                                .arg(parser.value(seed)));
            return std::nullopt;
        }
    }
    if (parser.isSet(today)) {
        options.today = QDate::fromString(parser.value(today), QStringLiteral("yyyy-MM-dd"));
        if (!options.today.isValid() || options.today.year() < 1900 || options.today.year() > 9000) {
            setError(error, QStringLiteral("--today must be a date YYYY-MM-DD, not '%1'").arg(parser.value(today)));
            return std::nullopt;
        }
    } else {
        options.today = QDate::currentDate();
    }
    return options;
}

bool DemoDatabase::build(const Options &options, Summary *summary, QString *error)
{
    if (options.out.isEmpty() || !options.today.isValid() || options.deals < 1 || options.deals > kMaxDeals) {
        setError(error, QStringLiteral("invalid options"));
        return false;
    }
    if (QFile::exists(options.out) && !QFile::remove(options.out)) {
        setError(error, QStringLiteral("cannot replace %1").arg(options.out));
        return false;
    }

    QString failure;
    {
        Database db;
        // The file is new and is either finished or removed, so a rollback
        // journal and syncing buy nothing here; a second thread sorts while
        // the indexes are built.
        if (!db.open(options.out)
            || !db.exec(QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
                                       "PRAGMA cache_size = -262144; PRAGMA temp_store = MEMORY; "
                                       "PRAGMA threads = 2; BEGIN"))) {
            failure = db.error();
        }
        for (const TradingDatabase::Script &script : TradingDatabase::schemaScripts(false)) {
            if (failure.isEmpty() && !db.exec(script.text))
                failure = script.name + QStringLiteral(": ") + db.error();
        }
        if (failure.isEmpty()) {
            Generator generator(options, db);
            if (!generator.run(summary) || !db.exec(TradingDatabase::indexScript().text)
                || !db.exec(QStringLiteral("COMMIT; PRAGMA journal_mode = WAL")))
                failure = db.error();
        }
    }

    if (failure.isEmpty() && options.withProcedures) {
        data::Connection connection;
        if (!connection.Open(TradingDatabase::connectionString(options.out))) {
            failure = connection.lastError() ? connection.lastError()->Description : QStringLiteral("cannot open");
        } else {
            TradingDatabase::installProcedures(connection, &failure);
            connection.Close();
        }
    }
    const bool ok = failure.isEmpty();
    if (!ok) {
        setError(error, failure);
        QFile::remove(options.out);
    }
    return ok;
}

} // namespace db
