#include "Directories.h"

#include "DatabaseLookups.h"

#include "DirectoryProvider.h"
#include "SessionContext.h"

namespace Directories {

namespace {

Lists &lists()
{
    static Lists instance;
    return instance;
}

} // namespace

void LoadDirectories()
{
    DirectoryProvider &provider = DirectoryProvider::instance();
    Lists &l = lists();
    l.Currencies = provider.CurrencyList(false);
    l.Pairs = provider.PairList(false);
    l.Dealers = provider.DealerList(true);
    l.TCIDs = provider.TCIDList();
    l.Attributes = SessionContext::instance().AttributeList();
    l.Brokers = DatabaseLookups::GetBrokerInfo();
    l.Traders = DatabaseLookups::GetTraderFromStaff();
    l.CategoryRecords = provider.CategoryList();
    bool allStatuses = true;
    l.Statuses = provider.StatusList(allStatuses);
}

const Lists &current()
{
    return lists();
}

void setTraders(const TwoRowTable &traders)
{
    lists().Traders = traders;
}

void clear()
{
    lists() = Lists();
}

} // namespace Directories
