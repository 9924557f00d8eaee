#include "RegistryAccess.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <cstdio>

// The test re-runs its own executable as a second process ("--child ...") to
// check what another process sees in the store: the point of the store is that
// types and values survive between processes, not only inside one.

namespace {

const QString TypesKey = QStringLiteral("Software\\Quorvex, Ltd.\\Types");
const QString SharedKey = QStringLiteral("Software\\Quorvex, Ltd.\\Hammer\\Shared");
const QString LayoutKey = QStringLiteral("Software\\Quorvex, Ltd.\\Hammer\\Columns");

struct TypedRow
{
    const char *name;
    QVariant value;
};

QList<TypedRow> typedRows()
{
    return {
        {"bool-true", QVariant(true)},
        {"bool-false", QVariant(false)},
        {"int", QVariant(int(1200))},
        {"int-minimum", QVariant(std::numeric_limits<int>::min())},
        {"int64-beyond-32-bits", QVariant(qint64(1) << 40)},
        {"single-float", QVariant(float(12.75f))},
        {"double", QVariant(0.1 + 0.2)},
        {"string-empty", QVariant(QString())},
        {"string-looks-like-number", QVariant(QStringLiteral("2"))},
        {"string-looks-like-bool", QVariant(QStringLiteral("true"))},
        {"string-unicode-and-pipes", QVariant(QStringLiteral("Сделки|EUR/USD|\\"))},
        {"date", QVariant(QDate(2026, 12, 5))},
        {"datetime-utc", QVariant(QDateTime(QDate(2026, 12, 5), QTime(9, 30, 15, 250), Qt::UTC))},
        {"string-list", QVariant(QStringList{QStringLiteral("All"), QString(), QStringLiteral("a|b")})},
        {"byte-array", QVariant(QByteArray("\0\1\2", 3))},
        {"empty", QVariant()},
    };
}

// Child: prints every value of a key, serialised with their types, to stdout.
int childRead(const QString &path, const QString &key)
{
    RegistryAccess store(path);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    const RegistryValues values = store.ReadValues(key);
    out << qint32(values.size());
    for (const RegistryValue &v : values)
        out << v.name << v.data;
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    return 0;
}

// Child: for \a ms milliseconds, rewrites the shared key in batches (all three
// values carry the same round number), replaces a column layout wholesale,
// writes its own counter with single writes, and checks after each round that
// what it reads back is consistent. Prints its last round on success.
int childWrite(const QString &path, const QString &writer, int ms)
{
    RegistryAccess store(path);
    const QString ownKey = QStringLiteral("Software\\Quorvex, Ltd.\\Hammer\\") + writer;
    QElapsedTimer timer;
    timer.start();
    int round = 0;
    while (timer.elapsed() < ms) {
        ++round;
        {
            RegistryAccess::Batch batch(store);
            store.WriteValue(SharedKey, QStringLiteral("a"), round);
            store.WriteValue(SharedKey, QStringLiteral("b"), QString::number(round));
            store.WriteValue(SharedKey, QStringLiteral("writer"), writer);
            if (!batch.commit())
                return 10;
        }
        {
            RegistryAccess::Batch batch(store);
            store.DeleteKey(LayoutKey);
            RegistryValues layout;
            for (int i = 0; i < 8; ++i)
                layout.append({QStringLiteral("Col%1").arg(i), QStringLiteral("%1|%2|%3").arg(i + 1).arg(writer).arg(round)});
            store.WriteValues(LayoutKey, layout);
            if (!batch.commit())
                return 11;
        }
        if (!store.WriteValue(ownKey, QStringLiteral("last"), round))
            return 12;

        const RegistryValues shared = store.ReadValues(SharedKey);
        if (shared.size() != 3 || shared[1].data.toString() != QString::number(shared[0].data.toInt()))
            return 13;
        const RegistryValues layout = store.ReadValues(LayoutKey);
        if (layout.size() != 8)
            return 14;
        for (const RegistryValue &v : layout) {
            if (v.data.toString().section(QLatin1Char('|'), 1) != layout[0].data.toString().section(QLatin1Char('|'), 1))
                return 15;
        }
    }
    std::printf("%d\n", round);
    return 0;
}

/// Runs \a sql on a new or existing SQLite file; the failure message or empty.
QString runSql(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    QString problem;
    char *message = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        problem = QString::fromUtf8(sqlite3_errmsg(db));
    else if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK)
        problem = QString::fromUtf8(message);
    sqlite3_free(message);
    sqlite3_close(db);
    return problem;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray runChild(const QStringList &arguments, int *exitCode)
{
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--child")} + arguments);
    process.waitForFinished(60000);
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput();
}

RegistryValues decodeValues(const QByteArray &bytes)
{
    QDataStream in(bytes);
    qint32 count = 0;
    in >> count;
    RegistryValues values;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        RegistryValue v;
        in >> v.name >> v.data;
        values.append(v);
    }
    return values;
}

} // namespace

class TstRegistryAccess final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void shouldReadBackWithTheWrittenTypeInAnyProcess();
    void shouldReturnTheDefaultForAbsentValues();
    void shouldCompareKeysAndNamesWithoutCase();
    void shouldKeepSlashAndBackslashInNames_data();
    void shouldKeepSlashAndBackslashInNames();
    void shouldIgnoreEmptySegmentsInKeyPaths();
    void shouldListValuesInTheOrderFirstWritten();
    void shouldDeleteAKeyWithTheKeysBelowItOnly();
    void shouldSucceedDeletingWhatIsAbsent();
    void shouldRefuseUnsupportedTypes();
    void shouldRollBackAFailedBatch();
    void shouldSurviveTwoProcessesWritingAtOnce_data();
    void shouldSurviveTwoProcessesWritingAtOnce();
    void shouldGiveDefaultsForAGarbageStoreAndKeepItAside();
    void shouldSetAsideAStoreWhoseLayoutItCannotUse_data();
    void shouldSetAsideAStoreWhoseLayoutItCannotUse();
    void shouldGiveDefaultsWhenTheStoreCannotBeOpened();
    void shouldGiveTheDefaultForADamagedValue();

private:
    QString storePath() const { return m_dir->filePath(QStringLiteral("registry.sqlite")); }
    QStringList filesSetAside() const
    {
        return QDir(m_dir->path()).entryList({QStringLiteral("registry.sqlite.corrupt-*")}, QDir::Files);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TstRegistryAccess::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TstRegistryAccess::shouldReadBackWithTheWrittenTypeInAnyProcess()
{
    RegistryValues written;
    for (const TypedRow &row : typedRows())
        written.append({QString::fromLatin1(row.name), row.value});
    {
        RegistryAccess store(storePath());
        QVERIFY2(store.WriteValues(TypesKey, written), qPrintable(store.lastErrorText()));
        // One value at a time in this process ("empty" is stored, not the default)...
        for (const RegistryValue &v : written) {
            const QVariant read = store.ReadValue(TypesKey, v.name, QStringLiteral("default"));
            QVERIFY2(read.metaType() == v.data.metaType(), qPrintable(v.name));
            QVERIFY2(read == v.data, qPrintable(v.name));
        }
    }
    // ...and the whole key in another.
    int exitCode = 0;
    const RegistryValues read = decodeValues(runChild({QStringLiteral("read"), storePath(), TypesKey}, &exitCode));
    QCOMPARE(exitCode, 0);
    QCOMPARE(read.size(), written.size());
    for (qsizetype i = 0; i < read.size(); ++i) {
        QCOMPARE(read[i].name, written[i].name);
        QVERIFY2(read[i].data.metaType() == written[i].data.metaType(), qPrintable(read[i].name));
        QVERIFY2(read[i].data == written[i].data, qPrintable(read[i].name));
    }
}

void TstRegistryAccess::shouldReturnTheDefaultForAbsentValues()
{
    RegistryAccess store(storePath());
    QCOMPARE(store.ReadValue(TypesKey, QStringLiteral("missing"), 2), QVariant(2));
    QVERIFY(store.WriteValue(TypesKey, QStringLiteral("present"), false));
    QCOMPARE(store.ReadValue(TypesKey, QStringLiteral("missing"), true), QVariant(true));
    QCOMPARE(store.ReadValue(TypesKey + QStringLiteral("\\Sub"), QStringLiteral("present"), true), QVariant(true));
    QVERIFY(store.ReadValues(TypesKey + QStringLiteral("\\Sub")).isEmpty());
    QCOMPARE(store.lastError(), RegistryAccess::Error::NoError);
}

void TstRegistryAccess::shouldCompareKeysAndNamesWithoutCase()
{
    RegistryAccess store(storePath());
    QVERIFY(store.WriteValue(QStringLiteral("Software\\Quorvex, Ltd.\\Currency Pairs\\Property"),
                             QStringLiteral("AutoExpand"), true));
    QCOMPARE(store.ReadValue(QStringLiteral("SOFTWARE\\quorvex, ltd.\\currency pairs\\PROPERTY"),
                             QStringLiteral("autoexpand"), false),
             QVariant(true));

    // User-named filters are often Cyrillic: case must not be ASCII-only.
    QVERIFY(store.WriteValue(QStringLiteral("Software\\Stored Filters\\Мой Фильтр"), QStringLiteral("Дата"), 1));
    QVERIFY(store.WriteValue(QStringLiteral("software\\stored filters\\МОЙ фильтр"), QStringLiteral("ДАТА"), 2));
    const RegistryValues values = store.ReadValues(QStringLiteral("Software\\Stored Filters\\мой фильтр"));
    QCOMPARE(values.size(), 1);
    QCOMPARE(values[0].name, QStringLiteral("Дата"));   // keeps the first spelling
    QCOMPARE(values[0].data, QVariant(2));
}

void TstRegistryAccess::shouldKeepSlashAndBackslashInNames_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::newRow("slash-in-app-name") << QStringLiteral("Software\\Quorvex, Ltd.\\Profit/Loss\\Property")
                                       << QStringLiteral("Visible");
    QTest::newRow("slash-in-value-name") << QStringLiteral("Software\\Quorvex, Ltd.\\Profit/Loss USD/RUB\\Stored Filters")
                                         << QStringLiteral("EUR/USD");
    QTest::newRow("backslash-in-value-name") << QStringLiteral("Software\\Quorvex, Ltd.\\Cash Flow\\Stored Filters")
                                             << QStringLiteral("EUR\\USD");
    QTest::newRow("both-in-value-name") << QStringLiteral("Software\\Quorvex, Ltd.\\Cash Flow\\Stored Filters")
                                        << QStringLiteral("a/b\\c");
}

void TstRegistryAccess::shouldKeepSlashAndBackslashInNames()
{
    QFETCH(QString, key);
    QFETCH(QString, name);
    RegistryAccess store(storePath());
    QVERIFY(store.WriteValue(key, name, QStringLiteral("data")));
    QCOMPARE(store.ReadValue(key, name), QVariant(QStringLiteral("data")));
    const RegistryValues values = store.ReadValues(key);
    QCOMPARE(values.size(), 1);
    QCOMPARE(values[0].name, name);

    // A "/" never splits a key, and a "\" in a value name never makes a key.
    QVERIFY(store.ReadValues(QStringLiteral("Software\\Quorvex, Ltd.\\Profit")).isEmpty());
    QVERIFY(store.ReadValues(key + QLatin1Char('\\') + name.section(QLatin1Char('\\'), 0, 0)).isEmpty());
    if (name.contains(QLatin1Char('\\')))
        QVERIFY(!store.ReadValue(key, name.section(QLatin1Char('\\'), -1)).isValid());
}

void TstRegistryAccess::shouldIgnoreEmptySegmentsInKeyPaths()
{
    RegistryAccess store(storePath());
    // Keys are built by joining segments, some of which start with "\".
    QVERIFY(store.WriteValue(QStringLiteral("Software\\Quorvex, Ltd.\\Cash Flow\\\\Details Window\\Single\\"),
                             QStringLiteral("X"), 1));
    QCOMPARE(store.ReadValue(QStringLiteral("\\Software\\Quorvex, Ltd.\\Cash Flow\\Details Window\\Single"),
                             QStringLiteral("X")),
             QVariant(1));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("empty key path")));
    QVERIFY(!store.WriteValue(QStringLiteral("\\\\"), QStringLiteral("X"), 1));
    QCOMPARE(store.lastError(), RegistryAccess::Error::InvalidKey);
    QVERIFY(!store.DeleteKey(QString()));
}

void TstRegistryAccess::shouldListValuesInTheOrderFirstWritten()
{
    RegistryAccess store(storePath());
    QVERIFY(store.WriteValue(TypesKey, QStringLiteral("Zulu"), 1));
    QVERIFY(store.WriteValue(TypesKey, QStringLiteral("Alpha"), 2));
    QVERIFY(store.WriteValue(TypesKey, QStringLiteral("Mike"), 3));
    QVERIFY(store.WriteValue(TypesKey, QStringLiteral("ZULU"), QStringLiteral("rewritten")));
    const RegistryValues values = store.ReadValues(TypesKey);
    const RegistryValues expected{{QStringLiteral("Zulu"), QStringLiteral("rewritten")},
                                  {QStringLiteral("Alpha"), 2},
                                  {QStringLiteral("Mike"), 3}};
    QCOMPARE(values, expected);
}

void TstRegistryAccess::shouldDeleteAKeyWithTheKeysBelowItOnly()
{
    RegistryAccess store(storePath());
    const QString base = QStringLiteral("Software\\Quorvex, Ltd.\\Currency Pairs\\Stored Filters\\");
    QVERIFY(store.WriteValue(base + QStringLiteral("A"), QStringLiteral("Relative"), true));
    QVERIFY(store.WriteValue(base + QStringLiteral("A\\Category"), QStringLiteral("0"), QStringLiteral("c")));
    QVERIFY(store.WriteValue(base + QStringLiteral("AB"), QStringLiteral("Relative"), true));
    QVERIFY(store.WriteValue(base + QStringLiteral("A]"), QStringLiteral("Relative"), true));
    QVERIFY(store.WriteValue(base, QStringLiteral("A"), QStringLiteral("description")));

    QVERIFY(store.DeleteKey(base + QStringLiteral("a")));
    QVERIFY(store.ReadValues(base + QStringLiteral("A")).isEmpty());
    QVERIFY(store.ReadValues(base + QStringLiteral("A\\Category")).isEmpty());
    QCOMPARE(store.ReadValues(base + QStringLiteral("AB")).size(), 1);
    QCOMPARE(store.ReadValues(base + QStringLiteral("A]")).size(), 1);
    QCOMPARE(store.ReadValues(base).size(), 1);
}

void TstRegistryAccess::shouldSucceedDeletingWhatIsAbsent()
{
    RegistryAccess store(storePath());
    QVERIFY(store.DeleteKey(TypesKey));
    QVERIFY(store.DeleteValue(TypesKey, QStringLiteral("none")));
    QVERIFY(store.WriteValue(TypesKey, QStringLiteral("v"), 1));
    QVERIFY(store.DeleteValue(TypesKey, QStringLiteral("V")));
    QVERIFY(store.ReadValues(TypesKey).isEmpty());
}

void TstRegistryAccess::shouldRefuseUnsupportedTypes()
{
    RegistryAccess store(storePath());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unsupported type QPoint")));
    QVERIFY(!store.WriteValues(TypesKey, {{QStringLiteral("ok"), 1}, {QStringLiteral("point"), QPoint(1, 2)}}));
    QCOMPARE(store.lastError(), RegistryAccess::Error::UnsupportedType);
    QVERIFY(store.ReadValues(TypesKey).isEmpty());
}

void TstRegistryAccess::shouldRollBackAFailedBatch()
{
    RegistryAccess store(storePath());
    QVERIFY(store.WriteValue(TypesKey, QStringLiteral("kept"), 1));
    {
        RegistryAccess::Batch batch(store);
        QVERIFY(store.DeleteKey(TypesKey));
        QVERIFY(store.WriteValue(TypesKey, QStringLiteral("new"), 2));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unsupported type")));
        QVERIFY(!store.WriteValue(TypesKey, QStringLiteral("bad"), QPoint()));
        // Later writes of a failed batch must not reach the store on their own.
        QVERIFY(!store.WriteValue(TypesKey, QStringLiteral("after"), 3));
        QVERIFY(!batch.commit());
    }
    const RegistryValues expected{{QStringLiteral("kept"), 1}};
    QCOMPARE(store.ReadValues(TypesKey), expected);

    {
        RegistryAccess::Batch outer(store);
        {
            RegistryAccess::Batch inner(store);
            QVERIFY(store.WriteValue(TypesKey, QStringLiteral("inner"), 4));
            // left without commit: the outer batch must roll back
        }
        QVERIFY(!outer.commit());
    }
    QCOMPARE(store.ReadValues(TypesKey), expected);
}

// An older or foreign table layout: the file is a sound SQLite database that
// the store's statements cannot work on.
constexpr const char *OlderLayoutSql =
    "CREATE TABLE registry_values (key TEXT NOT NULL, name TEXT NOT NULL, value, PRIMARY KEY (key, name));"
    "INSERT INTO registry_values VALUES ('Software\\Quorvex, Ltd.\\Types', 'DisplaySetting', 1)";

void TstRegistryAccess::shouldSurviveTwoProcessesWritingAtOnce_data()
{
    QTest::addColumn<bool>("unreadableAtStart");
    QTest::newRow("on-a-sound-store") << false;
    // Both find the layout they cannot use: one sets it aside, both share the fresh store.
    QTest::newRow("both-starting-on-an-unreadable-layout") << true;
}

void TstRegistryAccess::shouldSurviveTwoProcessesWritingAtOnce()
{
    QFETCH(bool, unreadableAtStart);
    if (unreadableAtStart) {
        QCOMPARE(runSql(storePath(), OlderLayoutSql), QString());
    } else {
        RegistryAccess store(storePath());   // create the file before the race
        QVERIFY(store.WriteValue(SharedKey, QStringLiteral("a"), 0));
    }
    const QString program = QCoreApplication::applicationFilePath();
    QProcess first;
    QProcess second;
    first.start(program, {QStringLiteral("--child"), QStringLiteral("write"), storePath(), QStringLiteral("W1"), QStringLiteral("1500")});
    second.start(program, {QStringLiteral("--child"), QStringLiteral("write"), storePath(), QStringLiteral("W2"), QStringLiteral("1500")});
    QVERIFY(first.waitForFinished(60000));
    QVERIFY(second.waitForFinished(60000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);
    const int rounds1 = first.readAllStandardOutput().trimmed().toInt();
    const int rounds2 = second.readAllStandardOutput().trimmed().toInt();
    QVERIFY(rounds1 > 0);
    QVERIFY(rounds2 > 0);

    RegistryAccess store(storePath());
    // Every writer's last single write is there: nothing was lost.
    QCOMPARE(store.ReadValue(QStringLiteral("Software\\Quorvex, Ltd.\\Hammer\\W1"), QStringLiteral("last")), QVariant(rounds1));
    QCOMPARE(store.ReadValue(QStringLiteral("Software\\Quorvex, Ltd.\\Hammer\\W2"), QStringLiteral("last")), QVariant(rounds2));
    // The shared key holds one writer's whole last batch.
    const RegistryValues shared = store.ReadValues(SharedKey);
    QCOMPARE(shared.size(), 3);
    const QString writer = shared[2].data.toString();
    QVERIFY(writer == QLatin1String("W1") || writer == QLatin1String("W2"));
    QCOMPARE(shared[0].data, QVariant(writer == QLatin1String("W1") ? rounds1 : rounds2));
    QCOMPARE(shared[1].data, QVariant(QString::number(shared[0].data.toInt())));
    const RegistryValues layout = store.ReadValues(LayoutKey);
    QCOMPARE(layout.size(), 8);

    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(storePath()).constData(), &db), SQLITE_OK);
    sqlite3_stmt *st = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_step(st), SQLITE_ROW);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))), QByteArray("ok"));
    sqlite3_finalize(st);
    sqlite3_close(db);
    QCOMPARE(filesSetAside().size(), unreadableAtStart ? 1 : 0);
}

void TstRegistryAccess::shouldGiveDefaultsForAGarbageStoreAndKeepItAside()
{
    const QByteArray garbage(4096, 'x');
    {
        QFile file(storePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    RegistryAccess store(storePath());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("was unreadable.*kept as")));
    QCOMPARE(store.ReadValue(TypesKey, QStringLiteral("DisplaySetting"), 2), QVariant(2));

    const QStringList aside = QDir(m_dir->path()).entryList({QStringLiteral("registry.sqlite.corrupt-*")}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QFile kept(m_dir->filePath(aside.first()));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), garbage);

    QVERIFY(store.WriteValue(TypesKey, QStringLiteral("DisplaySetting"), 1));
    QCOMPARE(store.ReadValue(TypesKey, QStringLiteral("DisplaySetting"), 2), QVariant(1));
}

void TstRegistryAccess::shouldSetAsideAStoreWhoseLayoutItCannotUse_data()
{
    // usable: the SQL runs on a store this code wrote (holding Width = 1200),
    // which must stay in place; otherwise it builds the whole file, which must
    // be set aside.
    QTest::addColumn<QByteArray>("sql");
    QTest::addColumn<bool>("usable");
    QTest::newRow("older-layout-without-folded-names") << QByteArray(OlderLayoutSql) << false;
    QTest::newRow("no-unique-key-on-key-and-name")
        << QByteArray("CREATE TABLE registry_values (key_fold TEXT, name_fold TEXT, key TEXT, name TEXT,"
                      " type INTEGER, value)")
        << false;
    QTest::newRow("required-column-the-store-does-not-fill")
        << QByteArray("CREATE TABLE registry_values (key_fold TEXT NOT NULL, name_fold TEXT NOT NULL,"
                      " key TEXT NOT NULL, name TEXT NOT NULL, type INTEGER NOT NULL, value,"
                      " owner TEXT NOT NULL, PRIMARY KEY (key_fold, name_fold))")
        << false;
    QTest::newRow("another-programs-database")
        << QByteArray("CREATE TABLE Tickets (TicketNum INTEGER PRIMARY KEY, Volume1 INTEGER);"
                      "INSERT INTO Tickets VALUES (1, 10000000)")
        << false;
    QTest::newRow("usable-with-a-table-of-its-own-beside") << QByteArray("CREATE TABLE notes (text TEXT)") << true;
    QTest::newRow("usable-with-an-added-column")
        << QByteArray("ALTER TABLE registry_values ADD COLUMN note TEXT NOT NULL DEFAULT ''") << true;
}

void TstRegistryAccess::shouldSetAsideAStoreWhoseLayoutItCannotUse()
{
    QFETCH(QByteArray, sql);
    QFETCH(bool, usable);
    if (usable) {
        RegistryAccess store(storePath());
        QVERIFY(store.WriteValue(TypesKey, QStringLiteral("Width"), 1200));
    }
    QCOMPARE(runSql(storePath(), sql.constData()), QString());
    const QByteArray original = fileBytes(storePath());

    RegistryAccess store(storePath());
    if (!usable)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("was unreadable.*kept as")));
    // The host reads dozens of values at start-up: one warning at most, not one each.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    QCOMPARE(store.ReadValue(TypesKey, QStringLiteral("DisplaySetting"), 2), QVariant(2));
    QCOMPARE(store.ReadValue(TypesKey, QStringLiteral("Width"), 900), QVariant(usable ? 1200 : 900));
    QCOMPARE(store.ReadValues(TypesKey + QStringLiteral("\\Columns")), RegistryValues());
    QVERIFY2(store.WriteValue(TypesKey, QStringLiteral("Visible"), false), qPrintable(store.lastErrorText()));
    QVERIFY(store.WriteValues(TypesKey, {{QStringLiteral("X"), 1.5f}, {QStringLiteral("Y"), QVariant()}}));

    const QStringList aside = filesSetAside();
    QCOMPARE(aside.size(), usable ? 0 : 1);
    if (!usable)
        QCOMPARE(fileBytes(m_dir->filePath(aside.first())), original);

    // What was saved is in the file itself, for the next process.
    int exitCode = 0;
    const RegistryValues read = decodeValues(runChild({QStringLiteral("read"), storePath(), TypesKey}, &exitCode));
    QCOMPARE(exitCode, 0);
    RegistryValues expected{{QStringLiteral("Visible"), false}, {QStringLiteral("X"), 1.5f}, {QStringLiteral("Y"), QVariant()}};
    if (usable)
        expected.prepend({QStringLiteral("Width"), 1200});
    QCOMPARE(read, expected);
}

void TstRegistryAccess::shouldGiveDefaultsWhenTheStoreCannotBeOpened()
{
    // A directory where the file should be: nothing can be opened or moved.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("registry.sqlite")));
    RegistryAccess store(storePath());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot be used; defaults apply")));
    QCOMPARE(store.ReadValue(TypesKey, QStringLiteral("Visible"), true), QVariant(true));
    // Warned once, not once per read.
    QCOMPARE(store.ReadValue(TypesKey, QStringLiteral("AutoExpand"), false), QVariant(false));
    QVERIFY(store.ReadValues(TypesKey).isEmpty());
    QVERIFY(!store.WriteValue(TypesKey, QStringLiteral("Visible"), false));
    QCOMPARE(store.lastError(), RegistryAccess::Error::StoreUnavailable);
}

void TstRegistryAccess::shouldGiveTheDefaultForADamagedValue()
{
    {
        RegistryAccess store(storePath());
        QVERIFY(store.WriteValue(TypesKey, QStringLiteral("Width"), 1200));
        QVERIFY(store.WriteValue(TypesKey, QStringLiteral("Other"), 5));
    }
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(storePath()).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "UPDATE registry_values SET value = 'wide' WHERE name = 'Width'", nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(db);

    RegistryAccess store(storePath());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot be decoded; its default")));
    QCOMPARE(store.ReadValue(TypesKey, QStringLiteral("Width"), 900), QVariant(900));
    QCOMPARE(store.lastError(), RegistryAccess::Error::CorruptValue);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot be decoded and is left out")));
    const RegistryValues expected{{QStringLiteral("Other"), 5}};
    QCOMPARE(store.ReadValues(TypesKey), expected);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 2 && args[1] == QLatin1String("--child")) {
        if (args.size() == 5 && args[2] == QLatin1String("read"))
            return childRead(args[3], args[4]);
        if (args.size() == 6 && args[2] == QLatin1String("write"))
            return childWrite(args[3], args[4], args[5].toInt());
        return 100;
    }
    TstRegistryAccess test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_registry_access.moc"
