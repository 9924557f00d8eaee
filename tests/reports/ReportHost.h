#pragma once

// What a host hands to a report, without any widget: a grid and a toolbar
// that record what the report asks of them, and 18 filter slots made of plain
// objects whose roles are their properties. Report logic runs on it in a
// guiless test.

#include "../db/ReportProcedureFixture.h"

#include "Clock.h"
#include "DemoDatabase.h"
#include "EventClass.h"
#include "FilterControl.h"
#include "MessageService.h"
#include "QueryKey.h"
#include "RegistryAccess.h"
#include "Report.h"
#include "ReportGrid.h"
#include "ReportToolbar.h"
#include "SessionContext.h"
#include "SharedValues.h"
#include "ValueListSink.h"

#include "Connection.h"
#include "Command.h"
#include "Recordset.h"

#include <QHash>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <memory>

namespace reporttest {

class RecordingGrid : public ReportGrid
{
public:
    struct Column
    {
        int index = 0;
        bool visible = true;
        QString format;
    };
    struct ValueList final : ValueListSink
    {
        int entries = 0;
        void clearValueList() override { entries = 0; }
        void addValueListEntry(const QVariant &, const QString &) override { ++entries; }
    };

    void setColumns(const DisplayLayout &layout) override
    {
        columns.clear();
        for (const ReportColumn &c : layout.columns)
            columns.insert(QString::fromLatin1(c.key), {int(columns.size()), c.visible, {}});
    }
    QList<ColumnLayoutEntry> columnLayout() const override { return {}; }
    void applyColumnLayout(const ColumnLayoutEntry &) override {}
    void setColumnVisible(const QString &key, bool visible) override { columns[key].visible = visible; }
    void setColumnFormat(const QString &key, const QString &format) override { columns[key].format = format; }
    ValueListSink *valueList(const QString &key) override { return &valueLists[key]; }
    void addHighlight(const QString &name, const QString &, const QVariant &, quint32, bool) override
    {
        highlights.append(name);
    }
    void setHighlightBold(const QString &name, bool bold) override { boldHighlights[name] = bold; }
    void addNegativeHighlight(const QString &name, const QString &, quint32 foreColor) override
    {
        highlights.append(name);
        highlightColors[name] = foreColor;
    }
    void setHighlightColor(const QString &name, quint32 foreColor) override { highlightColors[name] = foreColor; }
    void setUncountedRows(const QString &columnKey, const QVariant &) override { uncountedKey = columnKey; }
    void fitColumnsToContents() override { ++fits; }
    void setItemCount(int rows) override { itemCount = rows; }

    QHash<QString, Column> columns;
    QHash<QString, ValueList> valueLists;
    QStringList highlights;
    QHash<QString, bool> boldHighlights;
    QHash<QString, quint32> highlightColors;
    int itemCount = -1;
    QString uncountedKey;
    int fits = 0;
};

class RecordingToolbar final : public ReportToolbar
{
public:
    void setToolEnabled(const QString &id, bool enabled) override { enabled_[id] = enabled; }
    void setToolState(const QString &id, int state) override { states[id] = state; }
    int toolState(const QString &id) const override { return states.value(id); }
    void setToolVisible(const QString &id, bool visible) override { visible_[id] = visible; }
    void setToolText(const QString &id, const QString &text, quint32 color, int) override
    {
        texts[id] = text;
        colors[id] = color;
    }
    bool enabled(const QString &id) const { return enabled_.value(id); }

    QHash<QString, bool> enabled_;
    QHash<QString, int> states;
    QHash<QString, bool> visible_;
    QHash<QString, QString> texts;
    QHash<QString, quint32> colors;
};

/// The tools a report enables with data and disables without.
inline const QStringList &resultTools()
{
    static const QStringList tools = {"ID_expand",      "ID_collapse",    "ID_Expand_Selection",
                                      "ID_ShowSummary", "ID_ShowDetails", "ID_PrintSelection",
                                      "ID_PrintAll"};
    return tools;
}

/// Once per test program: a settings store of its own in `dir`, the day
/// 2026-12-04 as today and a fresh message service.
inline void startReportTests(const QTemporaryDir &dir)
{
    RegistryAccess::instance().setPath(dir.filePath(QStringLiteral("registry.sqlite")));
    Clock::setToday(QDate(2026, 12, 4));
    MessageService::setInstance(std::make_unique<MessageService>());
}

/// Before each test: a session on the database for `user`, no messages, and
/// the report's last query gone, so that it starts from its first-run query.
/// Builds dir/demo.db, a demo database of `deals` deals from seed 6 with
/// `today` as its last day, and returns its connection string; empty, with
/// the reason in *error, when the build fails.
inline QString buildDemoDatabase(const QTemporaryDir &dir, int deals, QDate today, QString *error)
{
    db::DemoDatabase::Options options;
    options.out = dir.filePath(QStringLiteral("demo.db"));
    options.deals = deals;
    options.seed = 6;
    options.today = today;
    if (!db::DemoDatabase::build(options, nullptr, error))
        return {};
    return QStringLiteral("Provider=SQLite;Data Source=") + options.out;
}

/// Runs `sql` with text parameters on a connection of its own to the
/// database; null (with the reason as a warning) when it fails. The test's
/// own computation of what a report must show.
inline data::RecordsetPtr query(const QString &connectionString, const QString &sql,
                                const QList<QPair<QString, QString>> &params = {})
{
    data::Connection connection;
    if (!connection.Open(connectionString))
        return nullptr;
    data::Command command;
    command.setActiveConnection(&connection);
    command.setCommandText(sql);
    for (const auto &[name, value] : params)
        command.Parameters().Append(
            data::Parameter(name, data::DataType::VarWChar, data::adParamInput, 100, data::Value(value)));
    data::RecordsetPtr rs = command.Execute();
    if (!rs)
        qWarning() << (command.lastError() ? command.lastError()->Description : QString());
    return rs;
}

inline bool openReportSession(const QString &connectionString, const QString &user, const QString &appName);

/// Once per test program of a report on a demo database: startReportTests,
/// then dir/demo.db of `deals` deals (buildDemoDatabase) and a session on it
/// for the user "demo" with the report's last query gone. Returns the
/// database's connection string; empty, with the reason in *error, on failure.
inline QString startDemoReportTests(const QTemporaryDir &dir, int deals, QDate today, const QString &appName,
                                    QString *error)
{
    startReportTests(dir);
    const QString connectionString = buildDemoDatabase(dir, deals, today, error);
    if (connectionString.isEmpty())
        return {};
    if (!openReportSession(connectionString, QStringLiteral("demo"), appName)) {
        *error = QStringLiteral("no session on the demo database");
        return {};
    }
    return connectionString;
}

inline bool openReportSession(const QString &connectionString, const QString &user, const QString &appName)
{
    if (!SessionContext::instance().OpenSession(connectionString))
        return false;
    SessionContext::instance().setCurrentUserName(user);
    MessageService::instance().clearMessages();
    RegistryAccess::instance().DeleteKey(QueryKey(appName, QStringLiteral("Query")).path());
    return true;
}

/// A deal of the fixture's report day that has settled: moved from Tickets
/// to Archive, with the archive offered to the reports or not, for the life
/// of the object; at the end the deal goes and no archive is offered.
class ArchivedDeal final
{
public:
    ArchivedDeal(Fixture &db, qint64 ticket, bool available) : m_db(db), m_ticket(ticket)
    {
        Deal settled;
        settled.ticket = ticket;
        m_ok = db.add(settled)
               && db.exec(QStringLiteral("INSERT INTO Archive SELECT * FROM Tickets WHERE TicketNum = %1").arg(ticket))
               && db.exec(QStringLiteral("DELETE FROM Tickets WHERE TicketNum = %1").arg(ticket));
        SharedValues::setArchiveAvailable(available);
    }
    ~ArchivedDeal()
    {
        m_db.exec(QStringLiteral("DELETE FROM Archive WHERE TicketNum = %1").arg(m_ticket));
        SharedValues::setArchiveAvailable(false);
    }
    Q_DISABLE_COPY_MOVE(ArchivedDeal)
    bool ok() const { return m_ok; }

private:
    Fixture &m_db;
    qint64 m_ticket;
    bool m_ok = false;
};

struct Host
{
    RecordingGrid grid;
    RecordingToolbar toolbar;
    std::array<std::unique_ptr<QObject>, FilterControlCount> captions;
    std::array<std::unique_ptr<QObject>, FilterControlCount> filters;
    EventClass events;

    Host()
    {
        for (int i = 0; i < FilterControlCount; ++i) {
            captions[size_t(i)] = std::make_unique<QObject>();
            filters[size_t(i)] = std::make_unique<QObject>();
        }
    }

    FilterControl control(int index) const
    {
        return {captions[size_t(index)].get(), filters[size_t(index)].get(), false};
    }
    QVariant role(int index, const char *name) const { return filters[size_t(index)]->property(name); }

    void wire(Report &report, View view = vwAll)
    {
        report.Main_Menu = &toolbar;
        report.Main_Table = &grid;
        for (int i = 0; i < FilterControlCount; ++i)
            report.setQPControl(i, control(i));
        AllSettings settings;
        settings.DisplaySetting = view;
        report.setViewSetting(settings);
        report.SetUtil(&events);
    }

    /// Runs the report's query and waits for its end.
    bool run(Report &report)
    {
        QSignalSpy done(&events, &EventClass::UnActivProgress);
        report.StartAnalyser();
        return done.wait(20000);
    }
};

} // namespace reporttest
