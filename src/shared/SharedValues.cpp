#include "SharedValues.h"

namespace SharedValues {

namespace {

struct Values
{
    QString tableName;
    bool archiveAvailable = false;
    QString statBarText;
    QString formatRate;
    QString formatValue;
    QVariantList bankArray;
    bool loadingQuery = false;
};

Values &values()
{
    static Values v;
    return v;
}

} // namespace

QString TableName() { return values().tableName; }
void setTableName(const QString &name) { values().tableName = name; }
bool ArchiveAvailable() { return values().archiveAvailable; }
void setArchiveAvailable(bool available) { values().archiveAvailable = available; }
QString StatBarText() { return values().statBarText; }
void setStatBarText(const QString &text) { values().statBarText = text; }
QString FormatRate() { return values().formatRate; }
void setFormatRate(const QString &format) { values().formatRate = format; }
QString FormatValue() { return values().formatValue; }
void setFormatValue(const QString &format) { values().formatValue = format; }
bool LoadingQuery() { return values().loadingQuery; }
void setLoadingQuery(bool loading) { values().loadingQuery = loading; }
QVariantList BankArray() { return values().bankArray; }
void setBankArray(const QVariantList &banks) { values().bankArray = banks; }
void reset() { values() = Values(); }

} // namespace SharedValues
