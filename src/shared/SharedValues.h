#pragma once

#include <QString>
#include <QVariantList>

/// The display and identity values that the control publishes once per
/// process for every report and window: which deal table the host works on,
/// whether the archive can be added to it, the status-bar hint and the number
/// formats. Used from the user-interface thread only.
namespace SharedValues {

QString TableName();
void setTableName(const QString &name);

/// Whether the archive can be added to the current table.
bool ArchiveAvailable();
void setArchiveAvailable(bool available);

/// The hint the host shows in its status bar.
QString StatBarText();
void setStatBarText(const QString &text);

QString FormatRate();
void setFormatRate(const QString &format);
QString FormatValue();
void setFormatValue(const QString &format);

/// Raised while a report pushes its query into the filter controls, so that
/// the control ignores the change events that causes.
bool LoadingQuery();
void setLoadingQuery(bool loading);

/// The user's banks as the host gave them.
QVariantList BankArray();
void setBankArray(const QVariantList &banks);

/// Back to the start-up values (tests).
void reset();

} // namespace SharedValues
