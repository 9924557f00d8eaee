#include "DetailsWindowSettings.h"

#include "RegistryAccess.h"
#include "RegistrySettings.h"


namespace DetailsWindowSettings {

namespace {

QString detailsKey(const QString &appName)
{
    return RegistrySettings::ReportKey(appName) + QStringLiteral("\\Details Window");
}

QString positionKey(const QString &appName)
{
    return detailsKey(appName) + QStringLiteral("\\Position");
}

QString ticketKey(const QString &appName)
{
    return detailsKey(appName) + QStringLiteral("\\Ticket Window");
}

QString leftName() { return QStringLiteral("Left"); }
QString topName() { return QStringLiteral("Top"); }
QString heightName() { return QStringLiteral("Height"); }
QString widthName() { return QStringLiteral("Width"); }
QString expandName() { return QStringLiteral("Expand After Refresh"); }
QString groupBoxName() { return QStringLiteral("Group by Box Visible"); }
QString conversationName() { return QStringLiteral("Display Conversation"); }

std::optional<float> readFloat(const QString &key, const QString &name)
{
    const QVariant v = RegistryAccess::instance().ReadValue(key, name);
    bool ok = false;
    const float f = v.toFloat(&ok);
    if (!v.isValid() || !ok || !qIsFinite(f))
        return std::nullopt;
    return f;
}

} // namespace

QString WindowKey(const QString &appName, int detailView)
{
    const char *mode = nullptr;
    switch (detailView) {
    case 0: mode = "Single"; break;
    case 1: mode = "Pair"; break;
    case 2: mode = "New"; break;
    default: return {};
    }
    return detailsKey(appName) + QLatin1Char('\\') + QLatin1String(mode) + QLatin1Char('\\');
}

std::optional<WindowGeometry> LoadPosition(const QString &appName)
{
    if (appName.isEmpty())
        return std::nullopt;
    const QString key = positionKey(appName);
    const std::optional<float> left = readFloat(key, leftName());
    const std::optional<float> top = readFloat(key, topName());
    const std::optional<float> height = readFloat(key, heightName());
    const std::optional<float> width = readFloat(key, widthName());
    if (!left || !top || !height || !width)
        return std::nullopt;
    return WindowGeometry{*left, *top, *height, *width};
}

bool SavePosition(const QString &appName, const WindowGeometry &geometry)
{
    if (appName.isEmpty())
        return true;
    return RegistryAccess::instance().WriteValues(positionKey(appName), {{leftName(), geometry.Left},
                                                                         {topName(), geometry.Top},
                                                                         {heightName(), geometry.Height},
                                                                         {widthName(), geometry.Width}});
}

DetailsWindowOptions LoadOptions(const QString &appName, int detailView, const DetailsWindowOptions &defaults)
{
    const QString window = WindowKey(appName, detailView);
    if (appName.isEmpty() || window.isEmpty())
        return defaults;
    RegistryAccess &store = RegistryAccess::instance();
    const QString key = window + QStringLiteral("Options");
    DetailsWindowOptions options;
    options.ExpandAfterRefresh = store.ReadValue(key, expandName(), defaults.ExpandAfterRefresh).toBool();
    options.GroupByBoxVisible = store.ReadValue(key, groupBoxName(), defaults.GroupByBoxVisible).toBool();
    return options;
}

bool SaveOptions(const QString &appName, int detailView, const DetailsWindowOptions &options)
{
    const QString window = WindowKey(appName, detailView);
    if (appName.isEmpty() || window.isEmpty())
        return true;
    return RegistryAccess::instance().WriteValues(window + QStringLiteral("Options"),
                                                  {{expandName(), options.ExpandAfterRefresh},
                                                   {groupBoxName(), options.GroupByBoxVisible}});
}

QList<ColumnLayoutEntry> LoadColumnLayout(const QString &appName, int detailView)
{
    const QString window = WindowKey(appName, detailView);
    if (appName.isEmpty() || window.isEmpty())
        return {};
    return ColumnLayout::load(window + QStringLiteral("Columns"));
}

QList<DetailsGroup> LoadGroups(const QString &appName, int detailView)
{
    const QString window = WindowKey(appName, detailView);
    if (appName.isEmpty() || window.isEmpty())
        return {};
    const QString key = window + QStringLiteral("Columns\\Group");
    RegistryValues values = RegistryAccess::instance().ReadValues(key);
    RegistrySettings::SortByNumberedName(values);
    QList<DetailsGroup> groups;
    for (const RegistryValue &v : values) {
        const QStringList parts = v.data.toString().split(QLatin1Char('|'));
        bool columnOk = false;
        bool orderOk = false;
        const DetailsGroup group{parts.value(0).toInt(&columnOk), parts.value(1).toInt(&orderOk)};
        if (parts.size() != 2 || !columnOk || !orderOk) {
            qCWarning(lcRegistry).noquote() << "Group" << v.name << "of" << key << "is unusable:"
                                            << v.data.toString();
            continue;
        }
        groups.append(group);
    }
    return groups;
}

bool SaveLayout(const QString &appName, int detailView, const QList<ColumnLayoutEntry> &columns,
                const QList<DetailsGroup> &groups)
{
    const QString window = WindowKey(appName, detailView);
    if (appName.isEmpty() || window.isEmpty())
        return true;
    RegistryValues groupValues;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QString data = QString::number(groups.at(i).columnIndex) + QLatin1Char('|')
                             + QString::number(groups.at(i).sortOrder);
        groupValues.append({QString::number(i), data});
    }
    RegistryAccess &store = RegistryAccess::instance();
    RegistryAccess::Batch batch(store);
    // Saving the columns replaces the whole Columns key, Group below it
    // included, so the groups are written after it.
    if (!ColumnLayout::save(window + QStringLiteral("Columns"), columns))
        return false;
    const QString groupKey = window + QStringLiteral("Columns\\Group");
    if (!store.DeleteKey(groupKey))
        return false;
    if (!groupValues.isEmpty() && !store.WriteValues(groupKey, groupValues))
        return false;
    return batch.commit();
}

TicketWindowSettings LoadTicketWindow(const QString &appName)
{
    TicketWindowSettings settings;
    if (appName.isEmpty())
        return settings;
    const QString key = ticketKey(appName);
    settings.Left = readFloat(key, leftName());
    settings.Top = readFloat(key, topName());
    settings.DisplayConversation =
        RegistryAccess::instance().ReadValue(key, conversationName(), settings.DisplayConversation).toBool();
    return settings;
}

bool SaveTicketWindow(const QString &appName, const TicketWindowSettings &settings)
{
    if (appName.isEmpty())
        return true;
    RegistryValues values;
    if (settings.Left)
        values.append({leftName(), *settings.Left});
    if (settings.Top)
        values.append({topName(), *settings.Top});
    values.append({conversationName(), settings.DisplayConversation});
    return RegistryAccess::instance().WriteValues(ticketKey(appName), values);
}

} // namespace DetailsWindowSettings
