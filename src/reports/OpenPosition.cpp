#include "OpenPosition.h"

#include "PairSummary.h"

#include "Clock.h"
#include "DatabaseLookups.h"
#include "DealVocabulary.h"
#include "FieldReader.h"
#include "Directories.h"
#include "NumberFormat.h"
#include "PairList.h"
#include "SessionContext.h"
#include "SharedValues.h"
#include "ValueListFillers.h"

#include "Grid.h"
#include "GridColumn.h"

#include <array>

namespace {

constexpr int Owner = 2;

struct ColumnSpec
{
    const char *caption;
    const char *key;
    const char *field;
    bool visible;
    widgets::GridColumn::Alignment alignment;
    int width;   ///< first-run width in pixels; a stored layout replaces it
};

using A = widgets::GridColumn::Alignment;

constexpr std::array<ColumnSpec, 19> Columns{{
    {"Ticket #", "TicketNum", "TicketNum", true, A::AlignRight, 70},
    {"Dealers Name", "DealerName", "DealerName", true, A::AlignLeft, 150},
    {"Banks Name", "BankName", "BankName", true, A::AlignLeft, 150},
    {"Buy Ccy1", "BuyCcy1", "BuyCcy1", true, A::AlignRight, 130},
    {"Sell Ccy1", "SellCcy1", "SellCcy1", true, A::AlignRight, 130},
    {"Sell Rate", "SellRate", "SellRate", false, A::AlignRight, 100},
    {"Value Date1", "DateVal1", "ValueDate1", true, A::AlignCenter, 150},
    {"Rate", "Rate", "Rate", true, A::AlignRight, 95},
    {"Buy Ccy2", "BuyCcy2", "BuyCcy2", true, A::AlignRight, 130},
    {"Sell Ccy2", "SellCcy2", "SellCcy2", true, A::AlignRight, 130},
    {"Value Date2", "DateVal2", "ValueDate2", true, A::AlignCenter, 150},
    {"Buy Rate", "BuyRate", "BuyRate", false, A::AlignRight, 100},
    {"Currency", "Caption", "Caption", false, A::AlignLeft, 100},
    {"Summary Ccy1", "SumCcy1", "DealerName", false, A::AlignRight, 130},
    {"Summary Ccy2", "SumCcy2", "BankName", false, A::AlignRight, 130},
    {"Summary", "Summary", "Summary", false, A::AlignLeft, 80},
    {"TCID", "TCID", "TCID", false, A::AlignRight, 80},
    {"ConfTime", "ConfTime", "ConfTime", false, A::AlignLeft, 130},
    {"Status", "Status", "Status", false, A::AlignRight, 70},
}};

const QString AllText = QStringLiteral("All");

bool isAll(const QVariant &value)
{
    return value.toString() == AllText;
}

bool isAllList(const QStringList &list)
{
    return list.isEmpty() || list.first() == AllText;
}

data::Value optionalRate(const std::optional<double> &rate)
{
    return rate ? data::Value(*rate) : data::Value::null(data::DataType::Double);
}

} // namespace

OpenPosition::OpenPosition(QObject *parent) : Report(QStringLiteral("Currency Pairs"), Owner, parent) {}

QStringList OpenPosition::dealTypes()
{
    return {QStringLiteral("Spot"), QStringLiteral("Outright"), QStringLiteral("Swap")};
}

// ---- filters -------------------------------------------------------------------

std::array<bool, FilterControlCount> OpenPosition::usedFilters() const
{
    std::array<bool, FilterControlCount> used{};
    for (int index : {fcDateReport0, fcDateReport1, fcCombo1, fcDealBox, fcPairBox, fcCptyBox,
                      fcDealerBox, fcLegendBox, fcStatusBox, fcTCIDBox, fcClientBox})
        used[size_t(index)] = true;
    used[fcListAttrib] = !Directories::current().Attributes.isEmpty();
    return used;
}

void OpenPosition::RefreshDirectory()
{
    Directories::LoadDirectories();
    const Directories::Lists &lists = Directories::current();
    const std::array<std::pair<int, const TwoRowTable *>, 4> typed{{
        {fcDealerBox, &lists.Dealers},
        {fcCcyBox, &lists.Currencies},
        {fcPairBox, &lists.Pairs},
        {fcTCIDBox, &lists.TCIDs},
    }};
    for (const auto &[index, table] : typed) {
        setFilterRole(index, "TypeData", 2);
        setFilterRole(index, "SArrayData", table->toArrayData());
    }
    setFilterRole(fcStatusBox, "SArrayData", lists.Statuses.toArrayData());
    setFilterRole(fcListAttrib, "SArrayData", lists.Attributes.toArrayData());
}

void OpenPosition::showQueryInControls()
{
    setFilterRole(fcDateReport0, "Relative", Relative);
    setFilterRole(fcDateReport1, "Relative", Relative);
    setFilterRole(fcDateReport1, "AllowAll", true);
    setCaption(fcDateReport0, QStringLiteral("Deal Date"));
    setCaption(fcDateReport1, QStringLiteral("Value Date"));
    setFilterRole(fcDateReport0, "RetDate", Relative ? ValLong : ValDate);
    setFilterRole(fcDateReport1, "RetDate", Relative ? EndLong : EndDate);
    setFilterRole(fcCombo1, "currentText", Relative ? QStringLiteral("True") : QStringLiteral("False"));
    setFilterRole(fcDealBox, "TypeData", 2);
    setFilterRole(fcDealBox, "SArrayData", dealTypes());
    setFilterRole(fcDealBox, "ArrayChecked", Deal);
    setFilterRole(fcCptyBox, "Titul", DealVocabulary::ListTitle(Bank));
    setFilterRole(fcLegendBox, "Titul", DealVocabulary::KeyTitle(KeyArray));
    setFilterRole(fcPairBox, "ArrayChecked", Pair);
    setFilterRole(fcDealerBox, "ArrayChecked", Dealer);
    setFilterRole(fcStatusBox, "ArrayChecked", Status);
    setFilterRole(fcTCIDBox, "ArrayChecked", TCID);
    setFilterRole(fcListAttrib, "ArrayChecked", Attributes);
    setFilterRole(fcClientBox, "ArrayChecked", Client);
}

void OpenPosition::SetUtil(EventClass *Util)
{
    if (data::RecordsetPtr pairs = PairList::PairRecordset()) {
        setFilterRole(fcPairBox, "TypeData", 2);
        setFilterRole(fcPairBox, "SArrayData", PairList::BuildPairList(*pairs));
    }
    Report::SetUtil(Util);
    setToolEnabled(QStringLiteral("ID_ShowTicket"), false);
    setToolState(QStringLiteral("ID_WithArchive"), SharedValues::ArchiveAvailable() ? 1 : 0);
}

// ---- the query ---------------------------------------------------------------------

QDate OpenPosition::boundDate(const QVariant &date, const QVariant &offset) const
{
    if (isAll(date) || isAll(offset))
        return {};
    return Relative ? Clock::today().addDays(offset.toInt()) : date.toDate();
}

QString OpenPosition::dealerCondition() const
{
    if (Dealer.size() > 1)
        return QStringLiteral("DealerID IN ('") + Dealer.join(QStringLiteral("', '")) + QStringLiteral("')");
    if (Dealer.size() == 1 && Dealer.first() != AllText)
        return QStringLiteral("DealerID = '") + Dealer.first() + QLatin1Char('\'');
    return {};
}

QString OpenPosition::clientCondition() const
{
    if (isAllList(Client))
        return {};
    return Client.first() == QLatin1String("Client") ? QStringLiteral("ClDeal = 2")
                                                      : QStringLiteral("ClDeal <> 2");
}

void OpenPosition::PrepQuery()
{
    SessionContext &session = SessionContext::instance();

    const QDate reportDate = boundDate(ValDate, ValLong);
    const QDate valueDate = boundDate(EndDate, EndLong);
    if (reportDate.isValid() || valueDate.isValid()) {
        session.StoreDateRange(reportDate, reportDate, Owner, 1);
        session.StoreDateRange(valueDate, valueDate, Owner, 2);
    } else {
        session.StoreDateRange(Clock::today(), Clock::today(), Owner, 1);
    }

    session.StoreCondition(dealerCondition(), Owner, 1);

    QVariantList dealerIds;
    QStringList dealerNames;
    if (!isAllList(Dealer)) {
        dealerIds = filterRole(fcDealerBox, "ArrayCheckedID").toList();
        dealerNames = filterRole(fcDealerBox, "ArrayChecked").toStringList();
    }
    DatabaseLookups::StoreDealerF(dealerIds, Owner, dealerNames);

    session.StoreTCIDF(isAllList(TCID) ? QStringList() : TCID, Owner);
    session.StoreAttributeF(filterRole(fcListAttrib, "ArrayCheckedID").toList(), Owner);

    // Three selected types are every type the filter offers: no restriction.
    QList<int> dealCodes;
    if (!isAllList(Deal) && Deal.size() <= 2) {
        for (const QString &type : Deal)
            dealCodes.append(DealVocabulary::DealTypeCode(type));
    }
    session.StoreDealTypeF(dealCodes, Owner);

    session.StoreBankF(isAllList(Bank) ? QStringList() : Bank, Owner);
    session.StoreCategoryF(SessionContext::CategoryFilter(Category), Owner);

    TwoRowTable statuses;
    const QVariantList statusIds = filterRole(fcStatusBox, "ArrayCheckedID").toList();
    if (!statusIds.isEmpty()) {
        const QVariantList ids = DeskIDArray.size() == Status.size() ? DeskIDArray : statusIds;
        for (int i = 0; i < ids.size() && i < Status.size(); ++i)
            statuses.append(Status.at(i), ids.at(i));
    }
    session.StoreStatusF(statuses, Owner);

    session.StorePairF(filterRole(fcPairBox, "ArrayCheckedID").toList(), Owner);
    session.StoreCondition(clientCondition(), Owner, 5);
}

// ---- the display ------------------------------------------------------------------------

void OpenPosition::buildColumns()
{
    for (const ColumnSpec &entry : Columns) {
        widgets::GridColumn *col = Main_Table->addColumn(QString::fromLatin1(entry.key),
                                                        QString::fromLatin1(entry.caption),
                                                        QString::fromLatin1(entry.field));
        col->setVisible(entry.visible);
        col->setTextAlignment(entry.alignment);
        col->setWidth(entry.width);
    }
    Main_Table->addGroup(QStringLiteral("Caption"), true);
    Main_Table->addSortKey(QStringLiteral("TicketNum"), true);
    ValueListFillers::FillPairValueList(column(QStringLiteral("Caption")));
}

void OpenPosition::refreshValueLists()
{
    ValueListFillers::FillPairValueList(column(QStringLiteral("Caption")));
}

void OpenPosition::appendDisplayFields(data::Recordset &rs)
{
    using T = data::DataType;
    auto fields = rs.Fields();
    fields.Append(QStringLiteral("TicketNum"), T::BigInt, 8);
    fields.Append(QStringLiteral("DealerName"), T::Variant);
    fields.Append(QStringLiteral("BankName"), T::Variant);
    fields.Append(QStringLiteral("ValueDate1"), T::Date);
    fields.Append(QStringLiteral("ValueDate2"), T::Date);
    fields.Append(QStringLiteral("SellRate"), T::Double, 8);
    fields.Append(QStringLiteral("BuyRate"), T::Double, 8);
    fields.Append(QStringLiteral("BuyCcy1"), T::Currency, 8);
    fields.Append(QStringLiteral("SellCcy1"), T::Currency, 8);
    fields.Append(QStringLiteral("Rate"), T::Double, 8);
    fields.Append(QStringLiteral("BuyCcy2"), T::Currency, 8);
    fields.Append(QStringLiteral("SellCcy2"), T::Currency, 8);
    fields.Append(QStringLiteral("Caption"), T::Variant);
    fields.Append(QStringLiteral("Summary"), T::Boolean);
    fields.Append(QStringLiteral("TCID"), T::Variant);
    fields.Append(QStringLiteral("ConfTime"), T::Date);
    fields.Append(QStringLiteral("Status"), T::BigInt, 8);
}

int OpenPosition::BuildDisplay()
{
    data::Recordset &in = *MainRecordset;
    data::Recordset &out = *DisplayRecordset();
    const auto field = [&in](const char *name) { return in.Fields(QString::fromLatin1(name)); };
    const data::Field pairField = field("PairCcy"), ticket = field("TicketNum"),
                      conf = field("ConfName"), bank = field("Bank1ID"), rateField = field("Rate"),
                      tcid = field("TCID"), dealTime = field("DealTime"), status = field("Status"),
                      volumeField = field("Volume"), volume2Field = field("Volume2"),
                      valDate = field("ValDate"), valDate2 = field("ValDate2");
    // Output fields are looked up once: a Field handle follows the current record.
    const auto outField = [&out](const char *name) { return out.Fields(QString::fromLatin1(name)); };
    const data::Field oTicketNum = outField("TicketNum"),
                      oDealerName = outField("DealerName"),
                      oBankName = outField("BankName"),
                      oValueDate1 = outField("ValueDate1"),
                      oValueDate2 = outField("ValueDate2"),
                      oSellRate = outField("SellRate"),
                      oBuyRate = outField("BuyRate"),
                      oBuyCcy1 = outField("BuyCcy1"),
                      oSellCcy1 = outField("SellCcy1"),
                      oRate = outField("Rate"),
                      oBuyCcy2 = outField("BuyCcy2"),
                      oSellCcy2 = outField("SellCcy2"),
                      oCaption = outField("Caption"),
                      oSummary = outField("Summary"),
                      oTCID = outField("TCID"),
                      oConfTime = outField("ConfTime"),
                      oStatus = outField("Status");

    int groups = 0;
    NumDeal = 0;
    in.MoveFirst();
    while (!in.Eof()) {
        const int pair = pairField.value().toInt();
        PairSummary sums;
        while (!in.Eof() && pairField.value().toInt() == pair) {
            const data::Currency volume = volumeField.value().toCurrency();
            const data::Currency volume2 = volume2Field.value().toCurrency();
            const data::Value rate = rateField.value();
            const bool sell = volume < data::Currency();
            out.AddNew();
            oTicketNum.setValue(ticket.value());
            oDealerName.setValue(conf.value().toString().trimmed());
            oBankName.setValue(bank.value().toString().trimmed());
            oValueDate1.setValue(valDate.value());
            oValueDate2.setValue(valDate2.value());
            (sell ? oSellCcy1 : oBuyCcy1).setValue(volume);
            oRate.setValue(rate);
            (sell ? oBuyCcy2 : oSellCcy2).setValue(volume2);
            oCaption.setValue(pair);
            oSummary.setValue(false);
            oTCID.setValue(tcid.value());
            oConfTime.setValue(dealTime.value());
            oStatus.setValue(status.value());
            out.UpdateBatch();
            sums.addDeal(volume, volume2, rate.toDouble());
            ++NumDeal;
            in.MoveNext();
        }
        out.AddNew();
        oTicketNum.setValue(qint64(-1));
        oDealerName.setValue(sums.netCcy1());
        oBankName.setValue(sums.netCcy2());
        oSellRate.setValue(optionalRate(sums.sellRate()));
        oBuyRate.setValue(optionalRate(sums.buyRate()));
        oBuyCcy1.setValue(sums.buyCcy1());
        oSellCcy1.setValue(sums.sellCcy1());
        oRate.setValue(optionalRate(sums.positionRate()));
        oBuyCcy2.setValue(sums.sellsCcy2());
        oSellCcy2.setValue(sums.buysCcy2());
        oCaption.setValue(pair);
        oSummary.setValue(true);
        out.Update();
        ++groups;
    }
    NumTable = groups;
    return groups;
}

void OpenPosition::UnboundChangeData(QVector<QVariant> &Values)
{
    data::RecordsetPtr rs = DisplayRecordset();
    if (!rs || !Main_Table || !rs->Fields(QStringLiteral("Summary")).value().toBool())
        return;
    const QString valueFormat = SessionContext::instance().ValueFormat();
    const QString rateFormat = SessionContext::instance().RateFormat();
    const auto text = [&rs](const char *field, const QString &format) {
        const data::Value value = rs->Fields(QString::fromLatin1(field)).value();
        return value.isNull() ? QString()
                              : widgets::NumberFormat::format(FieldReader::cellValue(value), format);
    };
    // A summary row carries ticket -1 only to sort first in its pair; it is no ticket.
    const std::array<std::pair<const char *, QString>, 5> texts{{
        {"TicketNum", QString()},
        {"DealerName", QStringLiteral("Ccy1: ") + text("DealerName", valueFormat)},
        {"BankName", QStringLiteral("Ccy2: ") + text("BankName", valueFormat)},
        {"DateVal1", QStringLiteral("Sell Rate: ") + text("SellRate", rateFormat)},
        {"DateVal2", QStringLiteral("Buy Rate: ") + text("BuyRate", rateFormat)},
    }};
    for (const auto &[key, value] : texts) {
        const widgets::GridColumn *col = column(QString::fromLatin1(key));
        if (col && col->Index() < Values.size())
            Values[col->Index()] = value;
    }
}

void OpenPosition::applyViewColumns(View mode)
{
    const bool summary = mode == vwSummary;
    for (const char *key : {"Caption", "SumCcy1", "SumCcy2", "BuyRate"}) {
        if (widgets::GridColumn *col = column(QString::fromLatin1(key)))
            col->setVisible(summary);
    }
    if (!summary) {
        if (widgets::GridColumn *col = column(QStringLiteral("SellRate")))
            col->setVisible(false);
    }
    for (const char *key : {"TicketNum", "DealerName", "BankName", "DateVal1", "DateVal2"}) {
        if (widgets::GridColumn *col = column(QString::fromLatin1(key)))
            col->setVisible(!summary);
    }
}

QStringList OpenPosition::valueColumns() const
{
    return {QStringLiteral("SellCcy1"), QStringLiteral("SellCcy2"), QStringLiteral("BuyCcy1"),
            QStringLiteral("BuyCcy2"),  QStringLiteral("SumCcy1"),  QStringLiteral("SumCcy2")};
}

QStringList OpenPosition::rateColumns() const
{
    return {QStringLiteral("Rate"), QStringLiteral("SellRate"), QStringLiteral("BuyRate")};
}
