#include "RegistrySettings.h"

#include "QueryKey.h"

#include <algorithm>
#include <limits>

namespace RegistrySettings {

namespace {

QString autoExpandName() { return QStringLiteral("AutoExpand"); }
QString displaySettingName() { return QStringLiteral("DisplaySetting"); }
QString visibleName() { return QStringLiteral("Visible"); }
// The stored name is misspelt; users' stores hold it that way.
QString alignmentName() { return QStringLiteral("Aligment"); }
QString xName() { return QStringLiteral("X"); }
QString yName() { return QStringLiteral("Y"); }
QString defaultDirName() { return QStringLiteral("Default Dir"); }
QString defaultFormName() { return QStringLiteral("Default Form"); }

// A stored number as an int, or nullopt when it is not a whole number.
std::optional<int> storedInt(const QVariant &v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || d != double(int(d)))
        return std::nullopt;
    return int(d);
}

std::optional<float> storedFloat(const QVariant &v)
{
    bool ok = false;
    const float f = v.toFloat(&ok);
    if (!ok || !qIsFinite(f))
        return std::nullopt;
    return f;
}

void warnUnusable(const QString &key, const QString &name, const QVariant &v)
{
    qCWarning(lcRegistry).noquote() << "Setting" << name << "of" << key << "holds the unusable value"
                                    << v.toString() << "; its default is used";
}

} // namespace

QString ReportKey(const QString &appName)
{
    return QStringLiteral("Software\\Quorvex, Ltd.\\") + appName;
}

QString PropertyKey(const QString &appName)
{
    return ReportKey(appName) + QStringLiteral("\\Property");
}

QString PositionKey(const QString &appName)
{
    return PropertyKey(appName) + QStringLiteral("\\Position");
}

QString ColumnsKey(const QString &appName)
{
    return PropertyKey(appName) + QStringLiteral("\\Columns");
}

QString StoredFiltersKey(const QString &appName)
{
    return ReportKey(appName) + QStringLiteral("\\Stored Filters");
}

bool SaveViewSetting(const QString &appName, const AllSettings &settings)
{
    if (appName.isEmpty())
        return true;
    const RegistryValues property{{autoExpandName(), settings.AutoExpand},
                                  {displaySettingName(), int(settings.DisplaySetting)},
                                  {visibleName(), settings.QPVisible},
                                  {alignmentName(), int(settings.QPAlign)}};
    const RegistryValues position{{xName(), settings.QPPosition[0]}, {yName(), settings.QPPosition[1]}};
    RegistryAccess &store = RegistryAccess::instance();
    RegistryAccess::Batch batch(store);
    if (!store.WriteValues(PropertyKey(appName), property) || !store.WriteValues(PositionKey(appName), position))
        return false;
    return batch.commit();
}

AllSettings LoadViewSetting(const QString &appName)
{
    AllSettings settings;
    if (appName.isEmpty())
        return settings;
    RegistryAccess &store = RegistryAccess::instance();
    const QString property = PropertyKey(appName);
    const QString position = PositionKey(appName);

    const QVariant display = store.ReadValue(property, displaySettingName(), int(settings.DisplaySetting));
    const std::optional<int> displayValue = storedInt(display);
    if (displayValue && *displayValue >= vwDetail && *displayValue <= vwAll)
        settings.DisplaySetting = View(*displayValue);
    else
        warnUnusable(property, displaySettingName(), display);

    settings.QPVisible = store.ReadValue(property, visibleName(), settings.QPVisible).toBool();
    settings.AutoExpand = store.ReadValue(property, autoExpandName(), settings.AutoExpand).toBool();

    const QVariant align = store.ReadValue(property, alignmentName(), int(settings.QPAlign));
    const std::optional<int> alignValue = storedInt(align);
    if (alignValue && *alignValue >= drNone && *alignValue <= drRight)
        settings.QPAlign = AlignQEnum(*alignValue);
    else
        warnUnusable(property, alignmentName(), align);

    const QString names[2] = {xName(), yName()};
    for (int i = 0; i < 2; ++i) {
        const QVariant v = store.ReadValue(position, names[i], settings.QPPosition[i]);
        if (const std::optional<float> f = storedFloat(v))
            settings.QPPosition[i] = *f;
        else
            warnUnusable(position, names[i], v);
    }
    return settings;
}

QString LoadDefaults(const QString &appName, QString *defaultForm)
{
    if (appName.isEmpty()) {
        if (defaultForm)
            defaultForm->clear();
        return {};
    }
    RegistryAccess &store = RegistryAccess::instance();
    const QString property = PropertyKey(appName);
    const QString dir = store.ReadValue(property, defaultDirName(), QString()).toString();
    if (defaultForm)
        *defaultForm = store.ReadValue(property, defaultFormName(), QString()).toString();
    return dir;
}

bool SaveDefaults(const QString &appName, const QString &defaultForm, const QString &defaultDir)
{
    if (appName.isEmpty())
        return true;
    return RegistryAccess::instance().WriteValues(
        PropertyKey(appName), {{defaultFormName(), defaultForm}, {defaultDirName(), defaultDir}});
}

bool SaveColumnLayout(const QString &appName, const QList<ColumnLayoutEntry> &columns)
{
    if (appName.isEmpty())
        return true;
    return ColumnLayout::save(ColumnsKey(appName), columns);
}

QList<ColumnLayoutEntry> LoadColumnLayout(const QString &appName)
{
    if (appName.isEmpty())
        return {};
    return ColumnLayout::load(ColumnsKey(appName));
}

RegistryValues ListStoredFilters(const QString &appName)
{
    if (appName.isEmpty())
        return {};
    return RegistryAccess::instance().ReadValues(StoredFiltersKey(appName));
}

bool IsValidStoredFilterName(const QString &filterName)
{
    return !filterName.isEmpty() && filterName != QueryKey::currentQueryName()
           && !filterName.contains(QLatin1Char('\\'));
}

bool SaveStoredFilter(const QString &filterName, const QString &description, const QString &appName,
                      const std::function<bool(const QString &)> &writeQueryPar)
{
    if (appName.isEmpty())
        return true;
    if (!IsValidStoredFilterName(filterName)) {
        qCWarning(lcRegistry).noquote() << "A stored filter cannot be named" << filterName;
        return false;
    }
    RegistryAccess &store = RegistryAccess::instance();
    RegistryAccess::Batch batch(store);
    if (!store.WriteValue(StoredFiltersKey(appName), filterName, description))
        return false;
    if (writeQueryPar && !writeQueryPar(filterName))
        return false;
    return batch.commit();
}

bool DeleteStoredFilter(const QString &filterName, const QString &appName)
{
    if (appName.isEmpty() || filterName.isEmpty())
        return true;
    // The filter's own key, even for the name "Query": a stored filter of that
    // name (saved before such names were refused) must not take the current
    // query with it. Deleting the key also deletes its Category key below it.
    const QString filterKey = StoredFiltersKey(appName) + QLatin1Char('\\') + filterName;
    RegistryAccess &store = RegistryAccess::instance();
    RegistryAccess::Batch batch(store);
    const bool deleted = store.DeleteKey(filterKey) && store.DeleteValue(StoredFiltersKey(appName), filterName);
    return deleted && batch.commit();
}

void SortByNumberedName(RegistryValues &values)
{
    const auto index = [](const RegistryValue &v) {
        bool ok = false;
        const int i = v.name.toInt(&ok);
        return ok ? i : std::numeric_limits<int>::max();
    };
    std::stable_sort(values.begin(), values.end(),
                     [&](const RegistryValue &a, const RegistryValue &b) { return index(a) < index(b); });
}

} // namespace RegistrySettings
