#include "ColumnLayout.h"
#include "DetailsWindowSettings.h"
#include "RegistryAccess.h"
#include "RegistrySettings.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString App = QStringLiteral("Currency Pairs");

// "key:position:caption:width" per column, so a failing comparison shows all.
QString describe(const QList<ColumnLayoutEntry> &layout)
{
    QStringList parts;
    for (const ColumnLayoutEntry &c : layout)
        parts.append(QStringLiteral("%1:%2:%3:%4").arg(c.key).arg(c.position).arg(c.caption).arg(c.width));
    return parts.join(QStringLiteral(", "));
}

QString describe(const QList<DetailsGroup> &groups)
{
    QStringList parts;
    for (const DetailsGroup &g : groups)
        parts.append(QStringLiteral("%1/%2").arg(g.columnIndex).arg(g.sortOrder));
    return parts.join(QStringLiteral(", "));
}

} // namespace

class TstColumnLayout final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void shouldDecodeStoredColumnData_data();
    void shouldDecodeStoredColumnData();
    void shouldRoundTripCaptionsWithPipes_data();
    void shouldRoundTripCaptionsWithPipes();
    void shouldKeepOnlyTheLastSavedColumns();
    void shouldOrderByPositionAndSkipGapsAndBadValues();
    void shouldKeepDetailGroupsWhenSavingDetailColumns();
    void shouldKeepDetailModesApart();
    void shouldRememberDetailAndTicketWindowPlaces();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TstColumnLayout::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    RegistryAccess::instance().setPath(m_dir->filePath(QStringLiteral("registry.sqlite")));
}

void TstColumnLayout::shouldDecodeStoredColumnData_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("expected");   // empty: not decodable
    QTest::newRow("plain") << QStringLiteral("1|Ticket #|1200") << QStringLiteral("K:1:Ticket #:1200");
    QTest::newRow("empty-caption") << QStringLiteral("3||0") << QStringLiteral("K:3::0");
    QTest::newRow("caption-with-pipe") << QStringLiteral("2|Buy|Sell|900") << QStringLiteral("K:2:Buy|Sell:900");
    QTest::newRow("caption-only-pipes") << QStringLiteral("2|||900") << QStringLiteral("K:2:|:900");
    QTest::newRow("blanks-around-numbers") << QStringLiteral(" 4 |Rate| 800 ") << QStringLiteral("K:4:Rate:800");
    QTest::newRow("missing-width") << QStringLiteral("1|Ticket #") << QString();
    QTest::newRow("no-separator") << QStringLiteral("1200") << QString();
    QTest::newRow("position-not-a-number") << QStringLiteral("first|Ticket #|1200") << QString();
    QTest::newRow("width-not-a-number") << QStringLiteral("1|Ticket #|wide") << QString();
}

void TstColumnLayout::shouldDecodeStoredColumnData()
{
    QFETCH(QString, data);
    QFETCH(QString, expected);
    const std::optional<ColumnLayoutEntry> entry = ColumnLayout::decode(QStringLiteral("K"), data);
    QCOMPARE(entry ? describe({*entry}) : QString(), expected);
}

void TstColumnLayout::shouldRoundTripCaptionsWithPipes_data()
{
    QTest::addColumn<QString>("caption");
    QTest::newRow("leading-and-trailing-pipes") << QStringLiteral("|Amount|");
    QTest::newRow("numbers-between-pipes") << QStringLiteral("1|2|3");
}

void TstColumnLayout::shouldRoundTripCaptionsWithPipes()
{
    QFETCH(QString, caption);
    const QList<ColumnLayoutEntry> saved{{QStringLiteral("Volum"), 1, caption, 1500},
                                         {QStringLiteral("Rate"), 2, QStringLiteral("Rate"), 700}};
    QVERIFY(RegistrySettings::SaveColumnLayout(App, saved));
    QCOMPARE(describe(RegistrySettings::LoadColumnLayout(App)), describe(saved));
}

void TstColumnLayout::shouldKeepOnlyTheLastSavedColumns()
{
    QVERIFY(RegistrySettings::SaveColumnLayout(App, {{QStringLiteral("TicketNum"), 1, QStringLiteral("Ticket #"), 1200},
                                                     {QStringLiteral("Pair"), 2, QStringLiteral("Pair"), 800},
                                                     {QStringLiteral("Old"), 3, QStringLiteral("Old"), 500}}));
    QVERIFY(RegistrySettings::SaveColumnLayout(App, {{QStringLiteral("Pair"), 1, QStringLiteral("Currency pair"), 900},
                                                     {QStringLiteral("TicketNum"), 2, QStringLiteral("Ticket #"), 1000}}));
    QCOMPARE(describe(RegistrySettings::LoadColumnLayout(App)),
             QStringLiteral("Pair:1:Currency pair:900, TicketNum:2:Ticket #:1000"));
    QCOMPARE(RegistryAccess::instance().ReadValues(RegistrySettings::ColumnsKey(App)).size(), 2);
    // The data format stays the one other tools read.
    QCOMPARE(RegistryAccess::instance().ReadValue(RegistrySettings::ColumnsKey(App), QStringLiteral("Pair")),
             QVariant(QStringLiteral("1|Currency pair|900")));
}

void TstColumnLayout::shouldOrderByPositionAndSkipGapsAndBadValues()
{
    RegistryAccess &store = RegistryAccess::instance();
    QVERIFY(store.WriteValues(RegistrySettings::ColumnsKey(App), {{QStringLiteral("C5"), QStringLiteral("5|Five|50")},
                                                                   {QStringLiteral("C1"), QStringLiteral("1|One|10")},
                                                                   {QStringLiteral("Bad"), QStringLiteral("x|Bad|1")},
                                                                   {QStringLiteral("Zero"), QStringLiteral("0|Zero|1")},
                                                                   {QStringLiteral("C3"), QStringLiteral("3|Three|30")},
                                                                   {QStringLiteral("C3b"), QStringLiteral("3|Three b|31")}}));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unusable value Bad")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unusable value Zero")));
    QCOMPARE(describe(RegistrySettings::LoadColumnLayout(App)),
             QStringLiteral("C1:1:One:10, C3:3:Three:30, C3b:3:Three b:31, C5:5:Five:50"));
}

void TstColumnLayout::shouldKeepDetailGroupsWhenSavingDetailColumns()
{
    const QList<ColumnLayoutEntry> columns{{QStringLiteral("TicketNum"), 1, QStringLiteral("Ticket Number"), 1000},
                                           {QStringLiteral("Ccy1"), 2, QStringLiteral("Ccy1"), 500}};
    QList<DetailsGroup> groups;
    for (int i = 0; i < 12; ++i)
        groups.append({12 - i, i % 2});
    QVERIFY(DetailsWindowSettings::SaveLayout(App, 2, columns, groups));
    QCOMPARE(describe(DetailsWindowSettings::LoadColumnLayout(App, 2)), describe(columns));
    // Twelve groups: "10" and "11" must follow "9", not "1".
    QCOMPARE(describe(DetailsWindowSettings::LoadGroups(App, 2)), describe(groups));

    QVERIFY(DetailsWindowSettings::SaveLayout(App, 2, columns.mid(1), {{4, 1}}));
    QCOMPARE(describe(DetailsWindowSettings::LoadColumnLayout(App, 2)), describe(columns.mid(1)));
    QCOMPARE(describe(DetailsWindowSettings::LoadGroups(App, 2)), QStringLiteral("4/1"));
    QCOMPARE(RegistryAccess::instance().ReadValue(
                 QStringLiteral("Software\\Quorvex, Ltd.\\Currency Pairs\\Details Window\\New\\Columns\\Group"),
                 QStringLiteral("0")),
             QVariant(QStringLiteral("4|1")));
}

void TstColumnLayout::shouldKeepDetailModesApart()
{
    QVERIFY(DetailsWindowSettings::SaveOptions(App, 0, {true, false}));
    QVERIFY(DetailsWindowSettings::SaveOptions(App, 1, {false, true}));
    QCOMPARE(DetailsWindowSettings::LoadOptions(App, 0), (DetailsWindowOptions{true, false}));
    QCOMPARE(DetailsWindowSettings::LoadOptions(App, 1), (DetailsWindowOptions{false, true}));
    QCOMPARE(DetailsWindowSettings::LoadOptions(App, 2, {false, true}), (DetailsWindowOptions{false, true}));
    QCOMPARE(RegistryAccess::instance().ReadValue(
                 QStringLiteral("Software\\Quorvex, Ltd.\\Currency Pairs\\Details Window\\Single\\Options"),
                 QStringLiteral("Expand After Refresh")),
             QVariant(true));

    // The deposit-only mode has no key of its own: it must not land in another
    // mode's key or in the report's key.
    QVERIFY(DetailsWindowSettings::WindowKey(App, 3).isEmpty());
    QVERIFY(DetailsWindowSettings::SaveOptions(App, 3, {true, true}));
    QVERIFY(DetailsWindowSettings::SaveLayout(App, 3, {{QStringLiteral("Tax"), 1, QStringLiteral("Tax"), 1}}, {}));
    QCOMPARE(DetailsWindowSettings::LoadOptions(App, 3), DetailsWindowOptions());
    QVERIFY(DetailsWindowSettings::LoadColumnLayout(App, 3).isEmpty());
    QVERIFY(RegistryAccess::instance().ReadValues(RegistrySettings::ReportKey(App)).isEmpty());
    QVERIFY(RegistryAccess::instance().ReadValues(RegistrySettings::ReportKey(App) + QStringLiteral("Options")).isEmpty());
}

void TstColumnLayout::shouldRememberDetailAndTicketWindowPlaces()
{
    QCOMPARE(DetailsWindowSettings::LoadPosition(App), std::nullopt);
    const WindowGeometry geometry{120.5f, 80, 4000, 9000};
    QVERIFY(DetailsWindowSettings::SavePosition(App, geometry));
    QCOMPARE(DetailsWindowSettings::LoadPosition(App), std::optional<WindowGeometry>(geometry));

    QCOMPARE(DetailsWindowSettings::LoadTicketWindow(App), TicketWindowSettings());
    TicketWindowSettings ticket;
    ticket.Left = 300;
    ticket.Top = 200;
    ticket.DisplayConversation = true;
    QVERIFY(DetailsWindowSettings::SaveTicketWindow(App, ticket));
    QCOMPARE(DetailsWindowSettings::LoadTicketWindow(App), ticket);
    QCOMPARE(RegistryAccess::instance()
                 .ReadValue(QStringLiteral("Software\\Quorvex, Ltd.\\Currency Pairs\\Details Window\\Ticket Window"),
                            QStringLiteral("Display Conversation"))
                 .metaType()
                 .id(),
             int(QMetaType::Bool));
}

QTEST_GUILESS_MAIN(TstColumnLayout)
#include "tst_column_layout.moc"
