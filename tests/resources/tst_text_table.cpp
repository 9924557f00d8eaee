#include "TextTable.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QStringList>
#include <QTest>

#include <algorithm>

using Language = TextTable::Language;

Q_DECLARE_METATYPE(TextTable::Language)

namespace {

constexpr Language kLanguages[] = {Language::English, Language::German, Language::Russian};

// Ids whose Russian text is the English one: two technical names, the report
// titles and the short captions of tools whose tool tip differs.
const QSet<int> kRussianInEnglish = {1024, 1025, 4001, 4002, 5001, 6001, 7001, 8001, 9001,
                                     10001, 11001, 11002, 12001, 13043, 13047, 13049, 13064,
                                     13067, 13079, 13085, 13091};

QList<int> allIds()
{
    QList<int> ids;
    for (int id = 0; id <= 0xFFFF; ++id) {
        if (TextTable::hasText(id))
            ids.append(id);
    }
    return ids;
}

bool hasCyrillic(const QString &text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x0400 && c.unicode() <= 0x04FF; });
}

// Collects warnings instead of printing them, for the span of one test.
class WarningCollector final
{
public:
    WarningCollector() { s_messages.clear(); m_previous = qInstallMessageHandler(&collect); }
    ~WarningCollector() { qInstallMessageHandler(m_previous); }
    const QStringList &messages() const { return s_messages; }

private:
    static void collect(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type == QtWarningMsg)
            s_messages.append(message);
    }
    static inline QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};

} // namespace

class TestTextTable final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { TextTable::setLanguage(Language::English); }

    void unknownIdGivesEmptyTextAndWarnsOnce_data();
    void unknownIdGivesEmptyTextAndWarnsOnce();

    void everyLanguageHasTheSameIdsInFourRanges_data();
    void everyLanguageHasTheSameIdsInFourRanges();
    void noIdOutsideTheFourRanges();
    void germanIsEnglishExceptEndDateHint();
    void russianTranslatesAllButTheEnglishNames();
    void translationsKeepBlanksAndListItems();

    void textsAreExact_data();
    void textsAreExact();

    void loadTextFollowsCurrentLanguage();
    void unknownLanguageValueIsIgnored();

    void languageFromLocale_data();
    void languageFromLocale();
    void languageFromCode_data();
    void languageFromCode();
    void startsInProcessLanguage_data();
    void startsInProcessLanguage();
};

void TestTextTable::unknownIdGivesEmptyTextAndWarnsOnce_data()
{
    QTest::addColumn<int>("id");
    // Ids no other test looks up, so that this test sees their first warning.
    QTest::newRow("negative") << -7;
    QTest::newRow("beyond-16-bit") << 0x10000;
    QTest::newRow("far-beyond") << 2000000;
}

void TestTextTable::unknownIdGivesEmptyTextAndWarnsOnce()
{
    QFETCH(int, id);
    WarningCollector warnings;
    for (int round = 0; round < 3; ++round) {
        QVERIFY(TextTable::LoadText(id).isEmpty());
        for (Language language : kLanguages)
            QVERIFY(TextTable::LoadText(id, language).isEmpty());
    }
    QCOMPARE(warnings.messages().size(), 1);
    QVERIFY2(warnings.messages().constFirst().contains(QString::number(id)),
             qPrintable(warnings.messages().constFirst()));
    QVERIFY(!TextTable::hasText(id));
}

void TestTextTable::everyLanguageHasTheSameIdsInFourRanges_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("count");
    QTest::newRow("messages-and-hints") << 1001 << 1046 << 45; // no 1026
    QTest::newRow("stored-filter-dialogs") << 3001 << 3019 << 19;
    QTest::newRow("report-titles") << 4001 << 12001 << 11;
    QTest::newRow("toolbar-tools") << 13001 << 13102 << 102;
}

void TestTextTable::everyLanguageHasTheSameIdsInFourRanges()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, count);
    WarningCollector warnings;
    for (Language language : kLanguages) {
        int found = 0;
        for (int id = first; id <= last; ++id) {
            const bool present = !TextTable::LoadText(id, language).isEmpty();
            QCOMPARE(present, TextTable::hasText(id));
            found += present;
        }
        QCOMPARE(found, count);
    }
}

void TestTextTable::noIdOutsideTheFourRanges()
{
    const QList<int> ids = allIds();
    QCOMPARE(ids.size(), 177);
    for (int id : ids) {
        const bool inRange = (id >= 1001 && id <= 1046) || (id >= 3001 && id <= 3019)
            || (id >= 4001 && id <= 12001) || (id >= 13001 && id <= 13102);
        QVERIFY2(inRange, qPrintable(QString::number(id)));
    }
}

void TestTextTable::germanIsEnglishExceptEndDateHint()
{
    QList<int> differing;
    for (int id : allIds()) {
        if (TextTable::LoadText(id, Language::German) != TextTable::LoadText(id, Language::English))
            differing.append(id);
    }
    QCOMPARE(differing, QList<int>{1030});
    QCOMPARE(TextTable::LoadText(1030, Language::German), QStringLiteral("Select Date of Report"));
    QCOMPARE(TextTable::LoadText(1030, Language::English), QStringLiteral("Select End Date of Report"));
}

void TestTextTable::russianTranslatesAllButTheEnglishNames()
{
    int translated = 0;
    for (int id : allIds()) {
        const QString english = TextTable::LoadText(id, Language::English);
        const QString russian = TextTable::LoadText(id, Language::Russian);
        const QString where = QString::number(id) + u": " + russian;
        if (kRussianInEnglish.contains(id)) {
            QVERIFY2(russian == english, qPrintable(where));
        } else {
            // A real translation, not an English text left behind or edited.
            QVERIFY2(hasCyrillic(russian), qPrintable(where));
            ++translated;
        }
    }
    QCOMPARE(translated, 156);
}

void TestTextTable::translationsKeepBlanksAndListItems()
{
    // Callers join texts with numbers and names and split "|" lists, so every
    // language must keep the English text's outer blanks and item count.
    for (int id : allIds()) {
        const QString english = TextTable::LoadText(id, Language::English);
        for (Language language : {Language::German, Language::Russian}) {
            const QString text = TextTable::LoadText(id, language);
            const QString where = QString::number(id) + u": \"" + text + u'"';
            QVERIFY2(text.startsWith(u' ') == english.startsWith(u' '), qPrintable(where));
            QVERIFY2(text.endsWith(u' ') == english.endsWith(u' '), qPrintable(where));
            QVERIFY2(text.count(u'|') == english.count(u'|'), qPrintable(where));
            QVERIFY2(text.trimmed() == text.trimmed().simplified(), qPrintable(where));
        }
    }
}

void TestTextTable::textsAreExact_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("expected");

    const Language en = Language::English;
    const Language de = Language::German;
    const Language ru = Language::Russian;

    QTest::newRow("error-prefix-ends-in-blank") << 1001 << en << "DataBase access Error # ";
    QTest::newRow("error-prefix-ends-in-blank-de") << 1001 << de << "DataBase access Error # ";
    QTest::newRow("error-prefix-ends-in-blank-ru") << 1001 << ru << "Ошибка доступа к базе данных № ";
    QTest::newRow("invalid-data-starts-with-blank") << 1007 << en << " contined invalid Data.";
    QTest::newRow("name-conflict-head") << 3011 << en << "Name ";
    QTest::newRow("name-conflict-tail") << 3012 << en << " reserved!";
    QTest::newRow("name-conflict-head-ru") << 3011 << ru << "Имя ";
    QTest::newRow("name-conflict-tail-ru") << 3012 << ru << " уже занято!";
    QTest::newRow("closed-by-ends-in-blank") << 3015 << en << "Current Position closed by ";
    QTest::newRow("confirm-edit-ends-in-blank") << 1040 << en << "Confirm Edit Interday Position. ";
    QTest::newRow("typo-tray") << 1002 << en << "Tray again?";
    QTest::newRow("typo-interdey") << 1042 << en << "Interdey Position on";
    QTest::newRow("typo-may-by") << 3018 << en
        << "Result may by incorrect with selected list of currency pair and recalculating position!";
    QTest::newRow("typo-taxe") << 13097 << en << "With Taxe";
    QTest::newRow("typo-save-as-two-dots") << 13031 << en << "Save Filter As..";
    QTest::newRow("band-names-ten-items") << 1025 << en
        << "Query|Columns|Group|Header|Legend|Sort|Writer|Option|Property|Srored Filters";
    QTest::newRow("band-names-ru-unchanged") << 1025 << ru
        << "Query|Columns|Group|Header|Legend|Sort|Writer|Option|Property|Srored Filters";
    QTest::newRow("toolbar-file-ru") << 1024 << ru << "Marvolt.tb";
    QTest::newRow("currency-hint") << 1035 << en << "Select Currency(s)";
    QTest::newRow("currency-hint-ru") << 1035 << ru << "Выберите валюты";
    QTest::newRow("refresh-ru") << 13028 << ru << "Обновить";
    QTest::newRow("deals-not-found-ru") << 1004 << ru << "Сделки не найдены!";
    QTest::newRow("report-title-ru") << 4001 << ru << "Open Position";
    QTest::newRow("profit-caption-ru") << 13064 << ru << "Profit/Loss";
    QTest::newRow("profit-tooltip-ru") << 13065 << ru << "Итоговая прибыль/убыток";
    QTest::newRow("group-box-hint") << 11002 << en << "Drag a column header here to group by that column";
    QTest::newRow("last-tool-text") << 13102 << en << "With Commission";
}

void TestTextTable::textsAreExact()
{
    QFETCH(int, id);
    QFETCH(Language, language);
    QFETCH(QString, expected);
    QCOMPARE(TextTable::LoadText(id, language), expected);
}

void TestTextTable::loadTextFollowsCurrentLanguage()
{
    TextTable::setLanguage(Language::Russian);
    QCOMPARE(TextTable::language(), Language::Russian);
    QCOMPARE(TextTable::LoadText(1035), TextTable::LoadText(1035, Language::Russian));
    QVERIFY(hasCyrillic(TextTable::LoadText(1035)));

    TextTable::setLanguage(Language::German);
    QCOMPARE(TextTable::LoadText(1030), QStringLiteral("Select Date of Report"));

    TextTable::setLanguage(Language::English);
    QCOMPARE(TextTable::LoadText(1030), QStringLiteral("Select End Date of Report"));
    QCOMPARE(TextTable::LoadText(1035), QStringLiteral("Select Currency(s)"));
}

void TestTextTable::unknownLanguageValueIsIgnored()
{
    TextTable::setLanguage(Language::Russian);
    WarningCollector warnings;
    TextTable::setLanguage(static_cast<Language>(1036)); // French: not in the table
    QCOMPARE(TextTable::language(), Language::Russian);
    QCOMPARE(warnings.messages().size(), 1);
}

void TestTextTable::languageFromLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Language>("expected");
    QTest::newRow("russian-russia") << QLocale(QLocale::Russian, QLocale::Russia) << Language::Russian;
    QTest::newRow("russian-ukraine") << QLocale(QLocale::Russian, QLocale::Ukraine) << Language::Russian;
    QTest::newRow("russian-kazakhstan") << QLocale(QLocale::Russian, QLocale::Kazakhstan) << Language::Russian;
    QTest::newRow("german-germany") << QLocale(QLocale::German, QLocale::Germany) << Language::German;
    QTest::newRow("german-switzerland") << QLocale(QLocale::German, QLocale::Switzerland) << Language::German;
    QTest::newRow("german-austria") << QLocale(QLocale::German, QLocale::Austria) << Language::German;
    QTest::newRow("english-us") << QLocale(QLocale::English, QLocale::UnitedStates) << Language::English;
    QTest::newRow("english-uk") << QLocale(QLocale::English, QLocale::UnitedKingdom) << Language::English;
    QTest::newRow("ukrainian-is-not-russian") << QLocale(QLocale::Ukrainian) << Language::English;
    QTest::newRow("french") << QLocale(QLocale::French, QLocale::France) << Language::English;
    QTest::newRow("c-locale") << QLocale::c() << Language::English;
}

void TestTextTable::languageFromLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(Language, expected);
    QCOMPARE(TextTable::languageFromLocale(locale), expected);
}

void TestTextTable::languageFromCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<Language>("expected");
    QTest::newRow("en") << "en" << true << Language::English;
    QTest::newRow("de") << "de" << true << Language::German;
    QTest::newRow("ru") << "ru" << true << Language::Russian;
    QTest::newRow("upper-case") << "RU" << true << Language::Russian;
    QTest::newRow("mixed-case") << "De" << true << Language::German;
    QTest::newRow("empty") << "" << false << Language::English;
    QTest::newRow("other-language") << "fr" << false << Language::English;
    QTest::newRow("three-letters") << "rus" << false << Language::English;
    QTest::newRow("with-region") << "ru-RU" << false << Language::English;
    QTest::newRow("with-blank") << " ru" << false << Language::English;
    QTest::newRow("prefix-only") << "r" << false << Language::English;
    QTest::newRow("windows-id") << "1049" << false << Language::English;
}

void TestTextTable::languageFromCode()
{
    QFETCH(QString, code);
    QFETCH(bool, valid);
    QFETCH(Language, expected);
    const std::optional<Language> language = TextTable::languageFromCode(code);
    QCOMPARE(language.has_value(), valid);
    if (valid)
        QCOMPARE(*language, expected);
}

void TestTextTable::startsInProcessLanguage_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<Language>("expected");
    QTest::newRow("lang-russian") << QStringList{"LANG=ru_RU.UTF-8"} << Language::Russian;
    QTest::newRow("lang-german") << QStringList{"LANG=de_DE.UTF-8"} << Language::German;
    QTest::newRow("lang-english") << QStringList{"LANG=en_US.UTF-8"} << Language::English;
    QTest::newRow("lang-french") << QStringList{"LANG=fr_FR.UTF-8"} << Language::English;
    QTest::newRow("lang-c") << QStringList{"LANG=C"} << Language::English;
    QTest::newRow("nothing-set") << QStringList{} << Language::English;
    QTest::newRow("lc-all-overrides-lang")
        << QStringList{"LANG=en_US.UTF-8", "LC_ALL=ru_RU.UTF-8"} << Language::Russian;
    QTest::newRow("messages-category-decides")
        << QStringList{"LANG=en_US.UTF-8", "LC_MESSAGES=de_DE.UTF-8"} << Language::German;
    QTest::newRow("number-format-does-not-decide")
        << QStringList{"LANG=en_US.UTF-8", "LC_NUMERIC=ru_RU.UTF-8"} << Language::English;
    QTest::newRow("language-list-first-entry")
        << QStringList{"LANG=en_US.UTF-8", "LANGUAGE=ru:en"} << Language::Russian;
}

void TestTextTable::startsInProcessLanguage()
{
    QFETCH(QStringList, environment);
    QFETCH(Language, expected);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES", "LC_NUMERIC"})
        env.remove(QString::fromLatin1(name));
    for (const QString &assignment : environment)
        env.insert(assignment.section(u'=', 0, 0), assignment.section(u'=', 1));

    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(LANGUAGE_PROBE), {});
    QVERIFY2(probe.waitForFinished(30000), qPrintable(probe.errorString()));
    QCOMPARE(probe.exitCode(), 0);
    const QByteArray output = probe.readAllStandardOutput().trimmed();
    QCOMPARE(output.toInt(), static_cast<int>(expected));
}

QTEST_GUILESS_MAIN(TestTextTable)
#include "tst_text_table.moc"
