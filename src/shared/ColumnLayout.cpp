#include "ColumnLayout.h"

#include "RegistryAccess.h"

#include <algorithm>

namespace ColumnLayout {

QString encode(const ColumnLayoutEntry &entry)
{
    return QString::number(entry.position) + QLatin1Char('|') + entry.caption + QLatin1Char('|')
           + QString::number(entry.width);
}

std::optional<ColumnLayoutEntry> decode(const QString &key, const QString &data)
{
    const qsizetype first = data.indexOf(QLatin1Char('|'));
    const qsizetype last = data.lastIndexOf(QLatin1Char('|'));
    if (first < 0 || first == last)
        return std::nullopt;
    bool positionOk = false;
    bool widthOk = false;
    ColumnLayoutEntry entry;
    entry.key = key;
    entry.position = data.left(first).trimmed().toInt(&positionOk);
    entry.caption = data.mid(first + 1, last - first - 1);
    entry.width = data.mid(last + 1).trimmed().toInt(&widthOk);
    if (!positionOk || !widthOk)
        return std::nullopt;
    return entry;
}

bool save(const QString &keyPath, const QList<ColumnLayoutEntry> &columns)
{
    RegistryAccess &store = RegistryAccess::instance();
    RegistryValues values;
    values.reserve(columns.size());
    for (const ColumnLayoutEntry &column : columns)
        values.append({column.key, encode(column)});

    RegistryAccess::Batch batch(store);
    if (!store.DeleteKey(keyPath))
        return false;
    if (!values.isEmpty() && !store.WriteValues(keyPath, values))
        return false;
    return batch.commit();
}

QList<ColumnLayoutEntry> load(const QString &keyPath)
{
    QList<ColumnLayoutEntry> layout;
    const RegistryValues values = RegistryAccess::instance().ReadValues(keyPath);
    for (const RegistryValue &value : values) {
        const std::optional<ColumnLayoutEntry> entry = decode(value.name, value.data.toString());
        if (!entry || entry->position < 1) {
            qCWarning(lcRegistry).noquote() << "Column layout" << keyPath << "has an unusable value"
                                            << value.name << "=" << value.data.toString()
                                            << "; that column keeps its built layout";
            continue;
        }
        layout.append(*entry);
    }
    std::stable_sort(layout.begin(), layout.end(),
                     [](const ColumnLayoutEntry &a, const ColumnLayoutEntry &b) {
                         return a.position < b.position;
                     });
    return layout;
}

} // namespace ColumnLayout
