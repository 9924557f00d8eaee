// The stored-filter manager and its new-filter window on a real settings
// store and a real report: the list and its buttons, saving over, deleting and
// adding filters, name conflicts, and a store that refuses to write.

#include "ManageStFilters.h"
#include "NewFilter.h"

#include "OpenPosition.h"

#include "Clock.h"
#include "QueryKey.h"
#include "QuerySettings.h"
#include "RegistryAccess.h"
#include "RegistrySettings.h"
#include "TextTable.h"

#include "ModalDialogs.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString App = QStringLiteral("Currency Pairs");

QPushButton *button(const QWidget &dialog, const char *name)
{
    return dialog.findChild<QPushButton *>(QLatin1String(name));
}

QListWidget *nameList(const QWidget &manager)
{
    return manager.findChild<QListWidget *>(QStringLiteral("ListName"));
}

QString descriptionShown(const QWidget &manager)
{
    return manager.findChild<QPlainTextEdit *>(QStringLiteral("Description"))->toPlainText();
}

QString listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts.join(u'|');
}

/// The stored filters as "name=description|...", in stored order.
QString storedFilters()
{
    QStringList texts;
    for (const RegistryValue &v : RegistrySettings::ListStoredFilters(App))
        texts << v.name + u'=' + v.data.toString();
    return texts.join(u'|');
}

QStringList storedDealers(const QString &filterName)
{
    return QueryKey(App, filterName).read().Dealer;
}

/// Enters a name and description into a NewFilter, as typed or pasted (key
/// events cannot carry Cyrillic letters), and presses OK.
void enterNewFilter(NewFilter *form, const QString &name, const QString &description)
{
    form->findChild<QLineEdit *>(QStringLiteral("txtName"))->insert(name);
    form->findChild<QLineEdit *>(QStringLiteral("txtDescription"))->insert(description);
    button(*form, "btnOk")->click();
}

} // namespace

class tst_StoredFilterDialogs final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void shouldOfferOnlyAddNewAndCancelWithoutFilters_data();
    void shouldOfferOnlyAddNewAndCancelWithoutFilters();
    void shouldListFiltersAndFollowSelection();
    void shouldSaveOverSelectedFilterKeepingDescription();
    void shouldDeleteSelectedFilterWithItsQuery();
    void shouldAddOnlyConfirmedNewNames_data();
    void shouldAddOnlyConfirmedNewNames();
    void shouldEnableNewFilterOkOnlyWithName();
    void shouldRefuseTakenNames_data();
    void shouldRefuseTakenNames();
    void shouldStayOpenWhenStoreRefusesToSave();

private:
    /// Stores a filter \a name with the report's query but Dealer = \a dealer.
    void seedFilter(const QString &name, const QString &description, const QString &dealer);
    std::unique_ptr<ManageStFilters> openManager();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<OpenPosition> m_report;
};

void tst_StoredFilterDialogs::initTestCase()
{
    TextTable::setLanguage(TextTable::Language::English);
}

void tst_StoredFilterDialogs::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    RegistryAccess::instance().setPath(m_dir->filePath(QStringLiteral("registry.sqlite")));
    Clock::setToday(QDate(2026, 12, 4));
    m_report = std::make_unique<OpenPosition>();
    m_report->setQueryField(QStringLiteral("Dealer"), QStringList{QStringLiteral("Current")});
}

void tst_StoredFilterDialogs::cleanup()
{
    m_report.reset();
    Clock::reset();
}

void tst_StoredFilterDialogs::seedFilter(const QString &name, const QString &description, const QString &dealer)
{
    OpenPosition report;
    report.setQueryField(QStringLiteral("Dealer"), QStringList{dealer});
    QVERIFY(RegistrySettings::SaveStoredFilter(name, description, App, [&](const QString &filterName) {
        report.WriteQueryPar(filterName);
        return true;
    }));
}

std::unique_ptr<ManageStFilters> tst_StoredFilterDialogs::openManager()
{
    auto manager = std::make_unique<ManageStFilters>();
    manager->setWindowTitle(TextTable::LoadText(3001));
    manager->InitName(m_report.get());
    manager->show();
    return manager;
}

void tst_StoredFilterDialogs::shouldOfferOnlyAddNewAndCancelWithoutFilters_data()
{
    QTest::addColumn<bool>("withReport");
    QTest::addColumn<bool>("addNewEnabled");
    QTest::newRow("report-without-filters") << true << true;
    QTest::newRow("no-report-nothing-to-store") << false << false;
}

void tst_StoredFilterDialogs::shouldOfferOnlyAddNewAndCancelWithoutFilters()
{
    QFETCH(bool, withReport);
    QFETCH(bool, addNewEnabled);
    ManageStFilters manager;
    manager.InitName(withReport ? m_report.get() : nullptr);
    manager.show();
    QCOMPARE(nameList(manager)->count(), 0);
    QVERIFY(!button(manager, "btnSave")->isEnabled());
    QVERIFY(!button(manager, "btnDelete")->isEnabled());
    QCOMPARE(button(manager, "btnAddNew")->isEnabled(), addNewEnabled);
}

void tst_StoredFilterDialogs::shouldListFiltersAndFollowSelection()
{
    seedFilter(QStringLiteral("Weekly"), QStringLiteral("Friday book"), QStringLiteral("A"));
    seedFilter(QStringLiteral("Daily"), QStringLiteral("Morning book"), QStringLiteral("B"));
    auto manager = openManager();
    QListWidget *list = nameList(*manager);
    QCOMPARE(listTexts(list), QStringLiteral("Weekly|Daily"));

    list->setCurrentRow(1);
    QCOMPARE(descriptionShown(*manager), QStringLiteral("Morning book"));
    QVERIFY(button(*manager, "btnSave")->isEnabled());
    QVERIFY(button(*manager, "btnDelete")->isEnabled());

    list->clearSelection();
    QCOMPARE(descriptionShown(*manager), QString());
    QVERIFY(!button(*manager, "btnSave")->isEnabled());
    QVERIFY(!button(*manager, "btnDelete")->isEnabled());
}

void tst_StoredFilterDialogs::shouldSaveOverSelectedFilterKeepingDescription()
{
    seedFilter(QStringLiteral("Daily"), QStringLiteral("Morning book"), QStringLiteral("Old dealer"));
    seedFilter(QStringLiteral("Weekly"), QStringLiteral("Friday book"), QStringLiteral("Weekly dealer"));
    auto manager = openManager();
    nameList(*manager)->setCurrentRow(0);
    button(*manager, "btnSave")->click();

    QCOMPARE(manager->result(), int(QDialog::Accepted));
    QVERIFY(!manager->isVisible());
    QCOMPARE(storedFilters(), QStringLiteral("Daily=Morning book|Weekly=Friday book"));
    QCOMPARE(storedDealers(QStringLiteral("Daily")), QStringList{QStringLiteral("Current")});
    QCOMPARE(storedDealers(QStringLiteral("Weekly")), QStringList{QStringLiteral("Weekly dealer")});
}

void tst_StoredFilterDialogs::shouldDeleteSelectedFilterWithItsQuery()
{
    seedFilter(QStringLiteral("Daily"), QStringLiteral("Morning book"), QStringLiteral("B"));
    seedFilter(QStringLiteral("Weekly"), QStringLiteral("Friday book"), QStringLiteral("A"));
    auto manager = openManager();
    manager->setWindowTitle(TextTable::LoadText(3002));
    manager->setSaveButtonVisible(false);
    nameList(*manager)->setCurrentRow(0);
    button(*manager, "btnDelete")->click();

    QCOMPARE(manager->result(), int(QDialog::Accepted));
    QCOMPARE(storedFilters(), QStringLiteral("Weekly=Friday book"));
    QVERIFY(RegistryAccess::instance().ReadValues(QueryKey(App, QStringLiteral("Daily")).path()).isEmpty());
    QCOMPARE(storedDealers(QStringLiteral("Weekly")), QStringList{QStringLiteral("A")});
}

void tst_StoredFilterDialogs::shouldAddOnlyConfirmedNewNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("added");
    QTest::addColumn<QString>("stored");
    const QString onlyDaily = QStringLiteral("Daily=Morning book");
    QTest::newRow("new-name-added") << QStringLiteral("Evening") << true << true
                                    << QStringLiteral("Daily=Morning book|Evening=Late book");
    QTest::newRow("new-filter-cancelled") << QStringLiteral("Evening") << false << false << onlyDaily;
    // The store compares names without regard to case: accepting "daily"
    // would overwrite the query and the description of "Daily".
    QTest::newRow("case-variant-refused") << QStringLiteral("daily") << true << false << onlyDaily;
}

void tst_StoredFilterDialogs::shouldAddOnlyConfirmedNewNames()
{
    QFETCH(QString, name);
    QFETCH(bool, confirm);
    QFETCH(bool, added);
    QFETCH(QString, stored);
    seedFilter(QStringLiteral("Daily"), QStringLiteral("Morning book"), QStringLiteral("Morning dealer"));
    auto manager = openManager();
    const auto watch = whenModal<NewFilter>([&](NewFilter *form) {
        QCOMPARE(form->windowTitle(), QStringLiteral("New Stored Filter"));
        if (!confirm) {
            form->findChild<QLineEdit *>(QStringLiteral("txtName"))->insert(name);
            button(*form, "btnCancel")->click();
            return;
        }
        const auto conflict = whenModal<QMessageBox>([](QMessageBox *box) { box->close(); }, 300);
        enterNewFilter(form, name, QStringLiteral("Late book"));
        QCOMPARE(conflict->ran(), !added);
        if (form->isVisible())
            button(*form, "btnCancel")->click();
    });
    button(*manager, "btnAddNew")->click();

    QVERIFY(watch->ran());
    QCOMPARE(manager->filterAdded(), added);
    QCOMPARE(manager->isVisible(), !added);
    QCOMPARE(storedFilters(), stored);
    QCOMPARE(storedDealers(QStringLiteral("Daily")), QStringList{QStringLiteral("Morning dealer")});
    if (added)
        QCOMPARE(storedDealers(name), QStringList{QStringLiteral("Current")});
}

void tst_StoredFilterDialogs::shouldEnableNewFilterOkOnlyWithName()
{
    NewFilter form({});
    form.show();
    auto *name = form.findChild<QLineEdit *>(QStringLiteral("txtName"));
    QPushButton *ok = button(form, "btnOk");
    QVERIFY(!ok->isEnabled());
    QTest::keyClicks(form.findChild<QLineEdit *>(QStringLiteral("txtDescription")), QStringLiteral("text"));
    QVERIFY2(!ok->isEnabled(), "a description alone does not make a filter");
    QTest::keyClicks(name, QStringLiteral("D"));
    QVERIFY(ok->isEnabled());
    QTest::keyClick(name, Qt::Key_Backspace);
    QVERIFY(!ok->isEnabled());
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY2(form.isVisible(), "Enter must not confirm an empty name");
}

void tst_StoredFilterDialogs::shouldRefuseTakenNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("taken");
    QTest::newRow("free-name") << QStringLiteral("Evening") << false;
    QTest::newRow("prefix-of-existing") << QStringLiteral("Dail") << false;
    QTest::newRow("same-name") << QStringLiteral("Daily") << true;
    QTest::newRow("differs-only-in-case") << QStringLiteral("DAILY") << true;
    QTest::newRow("cyrillic-case-only") << QStringLiteral("ДНЕВНОЙ") << true;
    QTest::newRow("current-query-key") << QStringLiteral("Query") << true;
    QTest::newRow("key-separator") << QStringLiteral("Daily\\Category") << true;
}

void tst_StoredFilterDialogs::shouldRefuseTakenNames()
{
    QFETCH(QString, name);
    QFETCH(bool, taken);
    NewFilter form({QStringLiteral("Daily"), QStringLiteral("дневной")});
    form.show();
    QSignalSpy raised(&form, &NewFilter::UnlodNew);
    QString title, text;
    const auto ran = whenModal<QMessageBox>([&](QMessageBox *box) {
        title = box->windowTitle();
        text = box->text();
        QCOMPARE(box->icon(), QMessageBox::Critical);
        box->close();
    });
    enterNewFilter(&form, name, QStringLiteral("notes"));

    QCOMPARE(ran->ran(), taken);
    QCOMPARE(form.isVisible(), taken);
    if (taken) {
        QCOMPARE(raised.count(), 0);
        QCOMPARE(title, QStringLiteral("Stored Filter name conflict"));
        QCOMPARE(text, QStringLiteral("Name %1 reserved!\nInput a different name.").arg(name));
    } else {
        QCOMPARE(raised.count(), 1);
        QCOMPARE(raised.at(0).at(0).toString(), name);
        QCOMPARE(raised.at(0).at(1).toString(), QStringLiteral("notes"));
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }
}

void tst_StoredFilterDialogs::shouldStayOpenWhenStoreRefusesToSave()
{
    seedFilter(QStringLiteral("Daily"), QStringLiteral("Morning book"), QStringLiteral("B"));
    auto manager = openManager();
    nameList(*manager)->setCurrentRow(0);

    // A store below a regular file cannot be opened: every write fails.
    QFile blocker(m_dir->filePath(QStringLiteral("not-a-folder")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RegistryAccess::instance().setPath(blocker.fileName() + QStringLiteral("/registry.sqlite"));

    const auto warned = whenModal<QMessageBox>([](QMessageBox *box) { box->close(); });
    button(*manager, "btnSave")->click();
    QVERIFY(warned->ran());
    QVERIFY2(manager->isVisible(), "a refused save must not look like a finished one");
    QVERIFY(manager->result() != int(QDialog::Accepted));
}

QTEST_MAIN(tst_StoredFilterDialogs)
#include "tst_storedfilterdialogs.moc"
