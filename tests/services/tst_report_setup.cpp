#include "ReportSetup.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestReportSetup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void defaultsResolveFolders_data();
    void defaultsResolveFolders();
    void foldersOfAnInstalledLibrary();
    void formPath_data();
    void formPath();
    void loadForm_data();
    void loadForm();
    void reportPathFromTitle_data();
    void reportPathFromTitle();
    void reportPathNeverTakesAnExistingFile();
    void outputFolderIsCreated();
    void outputFolderThatCannotExist();

private:
    QTemporaryDir m_data;   // the user's and the system's data folders
};

void TestReportSetup::initTestCase()
{
    QVERIFY(m_data.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.filePath(QStringLiteral("home"))));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(m_data.filePath(QStringLiteral("system"))));
}

void TestReportSetup::defaultsResolveFolders_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("expectedForm");
    QTest::newRow("nothing stored: templates beside the library") << QString() << QString() << QString();
    QTest::newRow("stored directory is kept") << QStringLiteral("Positions") << QStringLiteral("/srv/forms")
                                              << QStringLiteral("Positions");
    QTest::newRow("blanks around the form") << QStringLiteral("  Positions ") << QString() << QStringLiteral("Positions");
}

void TestReportSetup::defaultsResolveFolders()
{
    QFETCH(QString, form);
    QFETCH(QString, dir);
    QTemporaryDir library;
    ReportSetup setup(library.path());
    setup.setOutputDirectory(QStringLiteral("/elsewhere"));
    setup.applyDefaults(form, dir);
    QTEST(setup.form(), "expectedForm");
    const QString templates = QTest::currentDataTag() == QLatin1String("stored directory is kept")
                                  ? QStringLiteral("/srv/forms")
                                  : QDir(library.path()).filePath(QStringLiteral("Template"));
    QCOMPARE(setup.templateDirectory(), templates);
    QCOMPARE(setup.outputDirectory(), QDir(library.path()).filePath(QStringLiteral("Report")));
}

void TestReportSetup::foldersOfAnInstalledLibrary()
{
    // A folder the user cannot write, without forms: reports go to the user's
    // own data folder, forms come from the installed share folder.
    const QString installed = m_data.filePath(QStringLiteral("system/marvolt/Template"));
    QVERIFY(QDir().mkpath(installed));
    ReportSetup setup(QStringLiteral("/proc/marvolt"));
    QCOMPARE(setup.templateDirectory(), installed);
    QCOMPARE(setup.outputDirectory(),
             QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)).filePath(QStringLiteral("Report")));
    QVERIFY(setup.outputDirectory().startsWith(m_data.filePath(QStringLiteral("home"))));
    QVERIFY2(setup.prepareOutputDirectory(), qPrintable(setup.lastError()));
    // Forms beside the library win over the installed ones.
    QTemporaryDir library;
    QVERIFY(QDir(library.path()).mkdir(QStringLiteral("Template")));
    QCOMPARE(ReportSetup::defaultTemplateDirectory(library.path()), QDir(library.path()).filePath(QStringLiteral("Template")));
    QVERIFY(QDir(installed).removeRecursively());
}

void TestReportSetup::formPath_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no form") << QString() << QString();
    QTest::newRow("plain name gets .ini") << QStringLiteral("Pairs") << QStringLiteral("/t/Pairs.ini");
    QTest::newRow("name with suffix kept") << QStringLiteral("Pairs.frm") << QStringLiteral("/t/Pairs.frm");
}

void TestReportSetup::formPath()
{
    QFETCH(QString, form);
    ReportSetup setup(QStringLiteral("/lib"));
    setup.applyDefaults(form, QStringLiteral("/t"));
    QTEST(setup.formPath(), "expected");
}

void TestReportSetup::loadForm_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no form file at all
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QMarginsF>("margins");
    const QMarginsF layout(15, 25, 15, 15);
    QTest::newRow("landscape with margins") << QByteArray("Orientation=Landscape\nMargins=10, 12, 10, 20\n") << true
                                            << int(ReportForm::Landscape) << QMarginsF(10, 12, 10, 20);
    QTest::newRow("portrait, margins from the layout")
        << QByteArray("Orientation=portrait\n") << true << int(ReportForm::Portrait) << layout;
    QTest::newRow("missing form falls back") << QByteArray() << false << int(ReportForm::Automatic) << layout;
    QTest::newRow("three margins fall back") << QByteArray("Margins=\"1,2,3\"\n") << false
                                             << int(ReportForm::Automatic) << layout;
    QTest::newRow("negative margin falls back") << QByteArray("Margins=\"1,-2,3,4\"\n") << false
                                                << int(ReportForm::Automatic) << layout;
}

void TestReportSetup::loadForm()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (!content.isEmpty()) {
        QFile file(dir.filePath(QStringLiteral("Pairs.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    ReportSetup setup(dir.path());
    setup.setLayout(15, 25, 15, 15);
    setup.applyDefaults(QStringLiteral("Pairs"), dir.path());
    ReportForm form;
    QFETCH(bool, ok);
    QCOMPARE(setup.loadForm(&form), ok);
    QTEST(int(form.orientation), "orientation");
    QTEST(form.margins, "margins");
    if (!ok)
        QVERIFY(setup.lastError().contains(QStringLiteral("Pairs")));
}

void TestReportSetup::reportPathFromTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("plain") << QStringLiteral("Currency Pairs") << QStringLiteral("Currency Pairs_20261205_143000.pdf");
    QTest::newRow("path escape") << QStringLiteral("../../etc/x") << QStringLiteral("_.._etc_x_20261205_143000.pdf");
    QTest::newRow("empty title") << QString() << QStringLiteral("Report_20261205_143000.pdf");
    QTest::newRow("reserved characters") << QStringLiteral("a:b*c?\"d\"<e>|f\\g")
                                         << QStringLiteral("a_b_c__d__e__f_g_20261205_143000.pdf");
}

void TestReportSetup::reportPathFromTitle()
{
    QFETCH(QString, title);
    ReportSetup setup(QStringLiteral("/lib"));
    const QString path = setup.newReportPath(title, QDateTime(QDate(2026, 12, 5), QTime(14, 30, 0)));
    QCOMPARE(QFileInfo(path).path(), QStringLiteral("/lib/Report"));
    QTEST(QFileInfo(path).fileName(), "fileName");
}

void TestReportSetup::reportPathNeverTakesAnExistingFile()
{
    QTemporaryDir dir;
    ReportSetup setup(dir.path());
    setup.setOutputDirectory(dir.path());
    const QDateTime stamp(QDate(2026, 12, 5), QTime(9, 0, 0));
    QStringList taken;
    for (int i = 0; i < 3; ++i) {
        const QString path = setup.newReportPath(QStringLiteral("Cash Flow"), stamp);
        QVERIFY2(!taken.contains(path), qPrintable(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::NewOnly));
        taken.append(path);
    }
    QCOMPARE(QFileInfo(taken.at(2)).fileName(), QStringLiteral("Cash Flow_20261205_090000_3.pdf"));
}

void TestReportSetup::outputFolderIsCreated()
{
    QTemporaryDir dir;
    ReportSetup setup(dir.path());
    QVERIFY(!QFileInfo::exists(setup.outputDirectory()));
    QVERIFY2(setup.prepareOutputDirectory(), qPrintable(setup.lastError()));
    QVERIFY(QFileInfo(setup.outputDirectory()).isDir());
    // The probe file leaves nothing behind.
    QCOMPARE(QDir(setup.outputDirectory()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 0);
}

void TestReportSetup::outputFolderThatCannotExist()
{
    // A folder below a plain file cannot be created by anyone, not even root.
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ReportSetup setup(dir.path());
    setup.setOutputDirectory(dir.filePath(QStringLiteral("file/Report")));
    QVERIFY(!setup.prepareOutputDirectory());
    QVERIFY2(setup.lastError().contains(QStringLiteral("file/Report")), qPrintable(setup.lastError()));
    setup.setOutputDirectory(QString());
    QVERIFY(!setup.prepareOutputDirectory());
}

QTEST_GUILESS_MAIN(TestReportSetup)
#include "tst_report_setup.moc"
