#include "AllSettings.h"
#include "RegistryAccess.h"
#include "RegistrySettings.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(AllSettings)

namespace {

const QString App = QStringLiteral("Profit/Loss");

QString describe(const AllSettings &s)
{
    return QStringLiteral("DisplaySetting=%1 QPVisible=%2 AutoExpand=%3 QPAlign=%4 QPPosition=%5,%6")
        .arg(int(s.DisplaySetting))
        .arg(s.QPVisible)
        .arg(s.AutoExpand)
        .arg(int(s.QPAlign))
        .arg(double(s.QPPosition[0]))
        .arg(double(s.QPPosition[1]));
}

} // namespace

class TstViewSettings final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void shouldGiveTheDefaultsOnFirstRun();
    void shouldReadBackSavedViewSettingsWithTheirTypes();
    void shouldFallBackPerValueOnUnusableData_data();
    void shouldFallBackPerValueOnUnusableData();
    void shouldWriteNothingWithoutAppName();
    void shouldKeepDefaultFormAndDir();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TstViewSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    RegistryAccess::instance().setPath(m_dir->filePath(QStringLiteral("registry.sqlite")));
}

void TstViewSettings::shouldGiveTheDefaultsOnFirstRun()
{
    const AllSettings s = RegistrySettings::LoadViewSetting(App);
    QCOMPARE(describe(s), QStringLiteral("DisplaySetting=2 QPVisible=1 AutoExpand=0 QPAlign=1 QPPosition=0,0"));
    QString form = QStringLiteral("stale");
    QCOMPARE(RegistrySettings::LoadDefaults(App, &form), QString());
    QCOMPARE(form, QString());
    QVERIFY(RegistrySettings::LoadColumnLayout(App).isEmpty());
    QVERIFY(RegistrySettings::ListStoredFilters(App).isEmpty());
}

void TstViewSettings::shouldReadBackSavedViewSettingsWithTheirTypes()
{
    AllSettings saved;
    saved.DisplaySetting = vwSummary;
    saved.QPVisible = false;
    saved.AutoExpand = true;
    saved.QPAlign = drRight;
    saved.QPPosition = {12.5f, -3.25f};
    QVERIFY(RegistrySettings::SaveViewSetting(App, saved));
    QCOMPARE(describe(RegistrySettings::LoadViewSetting(App)), describe(saved));

    // The stored types are those other tools reading the store expect.
    RegistryAccess &store = RegistryAccess::instance();
    const QString property = QStringLiteral("Software\\Quorvex, Ltd.\\Profit/Loss\\Property");
    QCOMPARE(store.ReadValue(property, QStringLiteral("AutoExpand")).metaType().id(), int(QMetaType::Bool));
    QCOMPARE(store.ReadValue(property, QStringLiteral("DisplaySetting")).metaType().id(), int(QMetaType::Int));
    QCOMPARE(store.ReadValue(property, QStringLiteral("Visible")).metaType().id(), int(QMetaType::Bool));
    QCOMPARE(store.ReadValue(property, QStringLiteral("Aligment")).metaType().id(), int(QMetaType::Int));
    QCOMPARE(store.ReadValue(property + QStringLiteral("\\Position"), QStringLiteral("Y")), QVariant(-3.25f));
    // Other reports keep their own settings.
    QCOMPARE(RegistrySettings::LoadViewSetting(QStringLiteral("Profit/Loss Depo")), AllSettings());
}

void TstViewSettings::shouldFallBackPerValueOnUnusableData_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("warns");
    QTest::newRow("display-setting-out-of-range") << QStringLiteral("DisplaySetting") << QVariant(7)
                                                  << QStringLiteral("DisplaySetting=2 QPVisible=1 AutoExpand=0 QPAlign=1 QPPosition=0,0") << true;
    QTest::newRow("display-setting-as-text-number") << QStringLiteral("DisplaySetting") << QVariant(QStringLiteral("0"))
                                                    << QStringLiteral("DisplaySetting=0 QPVisible=1 AutoExpand=0 QPAlign=1 QPPosition=0,0") << false;
    QTest::newRow("alignment-not-a-number") << QStringLiteral("Aligment") << QVariant(QStringLiteral("left"))
                                            << QStringLiteral("DisplaySetting=2 QPVisible=1 AutoExpand=0 QPAlign=1 QPPosition=0,0") << true;
    QTest::newRow("alignment-negative") << QStringLiteral("Aligment") << QVariant(-1)
                                        << QStringLiteral("DisplaySetting=2 QPVisible=1 AutoExpand=0 QPAlign=1 QPPosition=0,0") << true;
    QTest::newRow("alignment-fraction") << QStringLiteral("Aligment") << QVariant(2.5)
                                        << QStringLiteral("DisplaySetting=2 QPVisible=1 AutoExpand=0 QPAlign=1 QPPosition=0,0") << true;
}

void TstViewSettings::shouldFallBackPerValueOnUnusableData()
{
    QFETCH(QString, name);
    QFETCH(QVariant, stored);
    QFETCH(QString, expected);
    QFETCH(bool, warns);
    QVERIFY(RegistryAccess::instance().WriteValue(RegistrySettings::PropertyKey(App), name, stored));
    if (warns)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(name + QStringLiteral(".*unusable value")));
    QCOMPARE(describe(RegistrySettings::LoadViewSetting(App)), expected);
}

void TstViewSettings::shouldWriteNothingWithoutAppName()
{
    AllSettings changed;
    changed.DisplaySetting = vwDetail;
    QVERIFY(RegistrySettings::SaveViewSetting(QString(), changed));
    QVERIFY(RegistrySettings::SaveDefaults(QString(), QStringLiteral("form"), QStringLiteral("dir")));
    QVERIFY(RegistrySettings::SaveColumnLayout(QString(), {{QStringLiteral("Col"), 1, QStringLiteral("C"), 100}}));
    RegistryAccess &store = RegistryAccess::instance();
    for (const char *key : {"Software\\Quorvex, Ltd.", "Software\\Quorvex, Ltd.\\Property",
                            "Software\\Quorvex, Ltd.\\Property\\Position", "Software\\Quorvex, Ltd.\\Property\\Columns"})
        QVERIFY2(store.ReadValues(QString::fromLatin1(key)).isEmpty(), key);
    QCOMPARE(RegistrySettings::LoadViewSetting(QString()), AllSettings());
}

void TstViewSettings::shouldKeepDefaultFormAndDir()
{
    QVERIFY(RegistrySettings::SaveDefaults(App, QStringLiteral("Monthly P&L"), QStringLiteral("/srv/reports/P|L")));
    QString form;
    QCOMPARE(RegistrySettings::LoadDefaults(App, &form), QStringLiteral("/srv/reports/P|L"));
    QCOMPARE(form, QStringLiteral("Monthly P&L"));
    // Saving view settings leaves the defaults alone (same key).
    QVERIFY(RegistrySettings::SaveViewSetting(App, AllSettings()));
    QCOMPARE(RegistrySettings::LoadDefaults(App), QStringLiteral("/srv/reports/P|L"));
}

QTEST_GUILESS_MAIN(TstViewSettings)
#include "tst_view_settings.moc"
