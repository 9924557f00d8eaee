#include "Netting.h"

#include "NettingLogic.h"
#include "ReportGrid.h"
#include "ReportToolbar.h"

#include "ValueListFillers.h"

namespace {

const NettingLogic CurrencyLogic(NettingLogic::View::Currency);
const NettingLogic PairLogic(NettingLogic::View::Pair);

constexpr quint32 NegativeColor = 0x0000FF;      // red
constexpr quint32 WindowTextColor = 0x80000008;  // the system's window-text colour

/// Hands a value list to the grid's column and keeps its texts by value.
class KeptValueList final : public ValueListSink
{
public:
    KeptValueList(ValueListSink *column, QHash<QString, QString> &names) : m_column(column), m_names(names) {}

    void clearValueList() override
    {
        m_names.clear();
        if (m_column)
            m_column->clearValueList();
    }
    void addValueListEntry(const QVariant &value, const QString &text) override
    {
        m_names.insert(value.toString(), text);
        if (m_column)
            m_column->addValueListEntry(value, text);
    }

private:
    ValueListSink *m_column;
    QHash<QString, QString> &m_names;
};

const NettingLogic &viewLogic(const ReportLogic &logic)
{
    return static_cast<const NettingLogic &>(logic);
}

} // namespace

Netting::Netting(QObject *parent) : Report(QStringLiteral("Counterparty Position"), CurrencyLogic, parent) {}

int Netting::pairView() const
{
    return viewLogic(logic()).view() == NettingLogic::View::Pair ? 1 : 0;
}

void Netting::SetUtil(EventClass *Util)
{
    Report::SetUtil(Util);
    if (Main_Menu) {
        Main_Menu->setToolVisible(QStringLiteral("ID_DetailWIndow"), true);
        Main_Menu->setToolVisible(QStringLiteral("ID_CurrencyPair"), true);
        Main_Menu->setToolVisible(QStringLiteral("ID_ShowSummary"), false);
        Main_Menu->setToolVisible(QStringLiteral("ID_ShowDetails"), false);
    }
    setToolEnabled(QStringLiteral("ID_DetailWIndow"), true);
    setToolState(QStringLiteral("ID_CurrencyPair"), pairView());
    offerArchiveSwitch();
    if (Main_Table)
        Main_Table->addNegativeHighlight(QStringLiteral("Negative"), QStringLiteral("Volume"), negativeColor());
    enableViewControls();
}

void Netting::SetNewPair(int NewView)
{
    if (NewView != 0 && NewView != 1)
        return;
    setLogic(NewView == 1 ? PairLogic : CurrencyLogic);
    enableViewControls();
    if (Main_Table) {
        createColumns(Main_Table->columnLayout());
        RebindTable();
    }
}

quint32 Netting::negativeColor() const
{
    return pairView() == 1 ? WindowTextColor : NegativeColor;
}

void Netting::enableViewControls()
{
    const bool pairs = pairView() == 1;
    const auto enable = [this](int index, bool on) {
        const FilterControl control = QPControl(index);
        for (QObject *part : {control.Common.data(), control.lbCaption.data()}) {
            if (part)
                part->setProperty("enabled", on);
        }
    };
    enable(fcPairBox, pairs);
    enable(fcCcyBox, !pairs);
    enable(fcComboNetting, !pairs);
}

void Netting::completeRunQuery(RunQuery &run)
{
    if (pairView() == 1)
        m_nettingCondition.clear();
    else if (const std::optional<QString> condition = NettingLogic::conditionOf(query().Netting))
        m_nettingCondition = *condition;
    run.switches.insert(QString::fromLatin1(NettingLogic::ConditionSwitch), m_nettingCondition);
}

void Netting::RebindTable()
{
    Report::RebindTable();
    if (!Main_Table)
        return;
    fillNameLists();
    const bool pairs = pairView() == 1;
    Main_Table->setColumnVisible(QStringLiteral("Volume2"), pairs);
    Main_Table->setHighlightColor(QStringLiteral("Negative"), negativeColor());
}

void Netting::fillNameLists()
{
    KeptValueList counterparties(Main_Table->valueList(QStringLiteral("Caption")), m_counterpartyNames);
    counterparties.clearValueList();
    ValueListFillers::FillCounterpartyValueList(&counterparties);
    KeptValueList keys(Main_Table->valueList(QStringLiteral("Ccy")), m_keyNames);
    keys.clearValueList();
    if (pairView() == 1)
        ValueListFillers::FillPairValueList(&keys);
    else
        ValueListFillers::FillCurrencyValueList(&keys);
}

QString Netting::detailCaption(data::Recordset &display) const
{
    if (display.Eof() || display.Bof())
        return {};
    const auto shown = [&display](const char *field, const QHash<QString, QString> &names) {
        const QString value = display.Fields(QString::fromLatin1(field)).value().toString();
        return names.value(value, value);
    };
    return shown("Caption", m_counterpartyNames) + QStringLiteral(" (") + shown("Ccy", m_keyNames) + QLatin1Char(')');
}
