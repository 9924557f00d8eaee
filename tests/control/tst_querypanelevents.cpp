// The query panel's change handlers against real filter widgets and an open
// position report: what reaches the report, when the filter counts as edited,
// the date range corrections, the relative-mode switch and the two selection
// dialogs.

#include "QueryPanelEvents.h"

#include "MainMenuTools.h"
#include "Report.h"
#include "ReportFactory.h"

#include "SessionContext.h"
#include "SharedValues.h"

#include "CheckCombo.h"
#include "ElapsedBut.h"
#include "RelDate.h"
#include "Tool.h"
#include "ToolBar.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const QDate Today(2026, 12, 4);
const QString All = QStringLiteral("All");

/// The counterparty dialog as the control sees it: a dialog that may raise Quite.
class CounterpartyDialog final : public QDialog
{
    Q_OBJECT
public:
    using QDialog::QDialog;
Q_SIGNALS:
    void Quite(const QString &title);
};

QVariantList ids(std::initializer_list<int> values)
{
    QVariantList list;
    for (int v : values)
        list.append(v);
    return list;
}

} // namespace

class tst_QueryPanelEvents : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void checkComboChange_data();
    void checkComboChange();
    void dateRangeIsCorrectedWithBeep_data();
    void dateRangeIsCorrectedWithBeep();
    void dateEditsEnableUndoOnlyForReportDates_data();
    void dateEditsEnableUndoOnlyForReportDates();
    void dateChangesIgnoredWhileLoadingQuery();
    void relativeSwitch_data();
    void relativeSwitch();
    void nettingMarksEditedOnlyWhenChanged_data();
    void nettingMarksEditedOnlyWhenChanged();
    void categorySelection_data();
    void categorySelection();
    void counterpartyDialog_data();
    void counterpartyDialog();
    void shouldDoNothingWithoutReport();

private:
    bool undoEnabled() const { return m_bar->Tools(QStringLiteral("ID_undo"))->Enabled(); }
    int storedFilterIndex() const { return m_bar->Tools(QStringLiteral("ID_ListParams"))->ListIndex(); }
    widgets::CheckCombo *box(const QString &name) const { return m_panel->findChild<widgets::CheckCombo *>(name); }
    void userActivates(QComboBox *combo, const QString &text);

    std::unique_ptr<QWidget> m_panel;   // never shown: the panel may be hidden while in use
    widgets::ToolBar *m_bar = nullptr;
    QueryPanelControls m_controls;
    std::unique_ptr<Report> m_report;
    Report *m_current = nullptr;        // what the control would hand out
    std::unique_ptr<QueryPanelEvents> m_events;
};

void tst_QueryPanelEvents::initTestCase()
{
    widgets::RelDate::setTodayProvider([] { return Today; });
}

void tst_QueryPanelEvents::init()
{
    SharedValues::reset();
    SessionContext::resetInstance();
    m_panel = std::make_unique<QWidget>();
    m_bar = new widgets::ToolBar(m_panel.get());
    MainMenuTools::build(*m_bar);
    widgets::Tool *stored = m_bar->Tools(QStringLiteral("ID_ListParams"));
    stored->AddItem(QStringLiteral("Morning"));
    stored->setListIndex(0);
    m_bar->Tools(QStringLiteral("ID_undo"))->setEnabled(false);

    QueryPanelControls &c = m_controls;
    for (int i = 0; i < 4; ++i)
        c.DateReport[size_t(i)] = new widgets::RelDate(m_panel.get());
    c.Combo1 = new QComboBox(m_panel.get());
    c.Combo1->addItems({QStringLiteral("True"), QStringLiteral("False")});
    c.ComboNetting = new QComboBox(m_panel.get());
    c.ComboNetting->addItems({QStringLiteral("Gross"), QStringLiteral("Net")});
    c.TypeDate = new QComboBox(m_panel.get());
    c.TypeDate->addItems({QStringLiteral("Deal Date"), QStringLiteral("Value Date")});
    const auto makeBox = [this](const char *name, const QStringList &texts, const QVariantList &boxIds) {
        auto *b = new widgets::CheckCombo(m_panel.get());
        b->setObjectName(QLatin1String(name));
        b->setSArrayData(QVariantList{texts, boxIds});
        return b;
    };
    c.DealBox = makeBox("DealBox", {"Spot", "Swap"}, {"Spot", "Swap"});
    c.PairBox = makeBox("PairBox", {"EUR/USD", "USD/JPY"}, ids({101, 102}));
    c.CcyBox = makeBox("CcyBox", {"EUR", "USD"}, ids({1, 2}));
    c.DealerBox = makeBox("DealerBox", {"ANNA", "BORIS"}, {"ANNA", "BORIS"});
    c.StatusBox = makeBox("StatusBox", {"Desk A", "Desk B"}, ids({7, 8}));
    c.chLoroNostro = makeBox("chLoroNostro", {"LORO", "NOSTRO", "NONE"}, {"LORO", "NOSTRO", "NONE"});
    c.TCIDBox = makeBox("TCIDBox", {"T1", "T2"}, {"T1", "T2"});
    c.ListAttrib = makeBox("ListAttrib", {"Hedge", "Retail"}, ids({31, 32}));
    c.ClientBox = makeBox("ClientBox", {"Client", "Non Client"}, {"Client", "Non Client"});
    c.CptyBox = new widgets::ElapsedBut(m_panel.get());
    c.LegendBox = new widgets::ElapsedBut(m_panel.get());
    c.CptyBox->setTitul(All);
    c.LegendBox->setTitul(All);

    m_report = ReportFactory::createReport(ReportFactory::dmOpenPosition);
    m_current = m_report.get();
    m_events = std::make_unique<QueryPanelEvents>(m_controls, m_bar, [this] { return m_current; });
}

void tst_QueryPanelEvents::cleanup()
{
    m_events.reset();
    m_report.reset();
    m_panel.reset();
    SharedValues::reset();
    SessionContext::resetInstance();
}

void tst_QueryPanelEvents::userActivates(QComboBox *combo, const QString &text)
{
    combo->setCurrentIndex(combo->findText(text));
    Q_EMIT combo->activated(combo->currentIndex());
}

// ---- checked combos ----------------------------------------------------------------

void tst_QueryPanelEvents::checkComboChange_data()
{
    QTest::addColumn<QString>("boxName");
    QTest::addColumn<int>("argument");   // 0: the user's change; otherwise code's
    QTest::addColumn<bool>("currencyBoxShown");
    QTest::addColumn<QString>("checkedText");
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("idMember");
    QTest::addColumn<QVariantList>("expectedIds");

    QTest::newRow("deal type") << "DealBox" << 0 << true << "Swap" << "Deal" << "" << QVariantList();
    QTest::newRow("dealer") << "DealerBox" << 0 << true << "BORIS" << "Dealer" << "" << QVariantList();
    QTest::newRow("loro nostro") << "chLoroNostro" << 0 << true << "NONE" << "LoroNostro" << "" << QVariantList();
    QTest::newRow("client") << "ClientBox" << 0 << true << "Non Client" << "Client" << "" << QVariantList();
    QTest::newRow("local tcid") << "TCIDBox" << 0 << true << "T2" << "TCID" << "" << QVariantList();
    QTest::newRow("desk with its ids") << "StatusBox" << 0 << true << "Desk B" << "Status" << "DeskIDArray" << ids({8});
    QTest::newRow("attributes with ids") << "ListAttrib" << 0 << true << "Retail" << "Attributes" << "AttributesID"
                                         << ids({32});
    QTest::newRow("pair alone goes to Pair") << "PairBox" << 0 << false << "USD/JPY" << "Pair" << "PairIDArray"
                                             << ids({102});
    // The panel is hidden here: what counts is that the box is shown in it.
    QTest::newRow("pair beside currencies goes to Pair2") << "PairBox" << 0 << true << "USD/JPY" << "Pair2"
                                                          << "PairIDArray" << ids({102});
    QTest::newRow("currency ids from the currency box") << "CcyBox" << 0 << true << "USD" << "Pair" << "CcyIDArray"
                                                        << ids({2});
    QTest::newRow("dealer set by code is no edit") << "DealerBox" << 1 << true << "ANNA" << "Dealer" << ""
                                                   << QVariantList();
    QTest::newRow("unknown argument is no edit") << "DealerBox" << -1 << true << "ANNA" << "Dealer" << ""
                                                 << QVariantList();
}

void tst_QueryPanelEvents::checkComboChange()
{
    QFETCH(QString, boxName);
    QFETCH(int, argument);
    QFETCH(bool, currencyBoxShown);
    QFETCH(QString, checkedText);
    QFETCH(QString, member);
    QFETCH(QString, idMember);
    QFETCH(QVariantList, expectedIds);

    m_controls.CcyBox->setVisible(currencyBoxShown);
    const char *otherPair = member == "Pair2" ? "Pair" : "Pair2";
    const QVariant otherBefore = m_report->property(otherPair);
    widgets::CheckCombo *b = box(boxName);
    b->setArrayChecked(QStringList{checkedText});   // raises Change(1) itself
    Q_EMIT b->Change(argument);

    if (argument != 0) {
        QCOMPARE(m_report->property(member.toLatin1()).toStringList(), QStringList{All});
        QVERIFY(!undoEnabled());
        QCOMPARE(storedFilterIndex(), 0);
        return;
    }
    QCOMPARE(m_report->property(member.toLatin1()).toStringList(), QStringList{checkedText});
    if (!idMember.isEmpty())
        QCOMPARE(m_report->property(idMember.toLatin1()).toList(), expectedIds);
    if (boxName == "PairBox")   // the other pair member is left alone
        QCOMPARE(m_report->property(otherPair), otherBefore);
    QVERIFY(undoEnabled());
    QCOMPARE(storedFilterIndex(), -1);
}

// ---- dates -------------------------------------------------------------------------

void tst_QueryPanelEvents::dateRangeIsCorrectedWithBeep_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QVariant>("start");
    QTest::addColumn<QVariant>("end");
    QTest::addColumn<bool>("otherEndShown");
    QTest::addColumn<bool>("beeps");
    QTest::addColumn<QVariant>("value");      // the changed picker's value afterwards
    QTest::addColumn<QVariant>("dayCount");

    const QVariant d1 = QDate(2026, 12, 1), d3 = QDate(2026, 12, 3), d5 = QDate(2026, 12, 5);
    const QVariant all = All;
    QTest::newRow("start before end kept") << 0 << d1 << d3 << true << false << d1 << QVariant(-3);
    QTest::newRow("start after end takes end") << 0 << d5 << d3 << true << true << d3 << QVariant(-1);
    QTest::newRow("end before start takes start") << 1 << d3 << d1 << true << true << d3 << QVariant(-1);
    QTest::newRow("equal ends kept") << 1 << d3 << d3 << true << false << d3 << QVariant(-1);
    QTest::newRow("start after hidden end kept") << 0 << d5 << d3 << false << false << d5 << QVariant(1);
    QTest::newRow("relative start after end") << 0 << QVariant(1) << QVariant(-2) << true << true
                                              << QVariant(QDate(2026, 12, 2)) << QVariant(-2);
    QTest::newRow("start All gives day count All") << 0 << all << d1 << true << false << all << all;
    QTest::newRow("end All gives day count All") << 1 << d5 << all << true << false << all << all;
    QTest::newRow("value start after end takes end") << 2 << d5 << d3 << true << true << d3 << QVariant(-1);
    QTest::newRow("value end before start takes start") << 3 << d3 << d1 << true << true << d3 << QVariant(-1);
    // An open bound is never reversed: the user's date must not become All.
    QTest::newRow("value start with open end kept") << 2 << d5 << all << true << false << d5 << QVariant(1);
    QTest::newRow("value end with open start kept") << 3 << all << d1 << true << false << d1 << QVariant(-3);
}

void tst_QueryPanelEvents::dateRangeIsCorrectedWithBeep()
{
    QFETCH(int, index);
    QFETCH(QVariant, start);
    QFETCH(QVariant, end);
    QFETCH(bool, otherEndShown);
    QFETCH(bool, beeps);
    QFETCH(QVariant, value);
    QFETCH(QVariant, dayCount);

    const int first = index < 2 ? 0 : 2;
    widgets::RelDate *startPicker = m_controls.DateReport[size_t(first)];
    widgets::RelDate *endPicker = m_controls.DateReport[size_t(first + 1)];
    startPicker->setRelative(start.typeId() == QMetaType::Int);
    endPicker->setRelative(end.typeId() == QMetaType::Int);
    QVERIFY(startPicker->setRetDate(start));
    QVERIFY(endPicker->setRetDate(end));
    widgets::RelDate *changed = m_controls.DateReport[size_t(index)];
    m_controls.DateReport[size_t(index % 2 == 0 ? index + 1 : index - 1)]->setVisible(otherEndShown);

    QSignalSpy beeped(m_events.get(), &QueryPanelEvents::beeped);
    Q_EMIT changed->Change();

    QCOMPARE(beeped.count(), beeps ? 1 : 0);
    QCOMPARE(changed->Value(), value);
    static const char *const Members[4][2] = {
        {"ValDate", "ValLong"}, {"EndDate", "EndLong"}, {"ValDate1", "ValLong1"}, {"EndDate1", "EndLong1"}};
    QCOMPARE(m_report->property(Members[index][0]), value);
    QCOMPARE(m_report->property(Members[index][1]), dayCount);
}

void tst_QueryPanelEvents::dateEditsEnableUndoOnlyForReportDates_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("undo");
    QTest::newRow("start date") << 0 << true;
    QTest::newRow("end date") << 1 << true;
    QTest::newRow("start value date") << 2 << false;
    QTest::newRow("end value date") << 3 << false;
}

void tst_QueryPanelEvents::dateEditsEnableUndoOnlyForReportDates()
{
    QFETCH(int, index);
    QFETCH(bool, undo);
    Q_EMIT m_controls.DateReport[size_t(index)]->Change();
    QCOMPARE(undoEnabled(), undo);
    QCOMPARE(storedFilterIndex(), -1);
}

void tst_QueryPanelEvents::dateChangesIgnoredWhileLoadingQuery()
{
    const QVariant before = m_report->query().ValDate;
    SharedValues::setLoadingQuery(true);
    QSignalSpy beeped(m_events.get(), &QueryPanelEvents::beeped);
    m_controls.DateReport[0]->setRetDate(QDate(2026, 12, 5));
    m_controls.DateReport[1]->setRetDate(QDate(2026, 12, 1));
    Q_EMIT m_controls.DateReport[0]->Change();

    QCOMPARE(m_report->query().ValDate, before);
    QCOMPARE(beeped.count(), 0);
    QCOMPARE(m_controls.DateReport[0]->date(), QDate(2026, 12, 5));
    QVERIFY(!undoEnabled());
    QCOMPARE(storedFilterIndex(), 0);
}

// ---- lists -------------------------------------------------------------------------

void tst_QueryPanelEvents::relativeSwitch_data()
{
    QTest::addColumn<bool>("startRelative");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<bool>("reportBefore");
    QTest::addColumn<bool>("reportAfter");
    QTest::addColumn<QList<bool>>("pickersRelative");

    // Picker 1 starts relative and picker 2 is hidden; picker 3 starts as picker 0.
    QTest::newRow("False while absolute touches nothing") << false << "False" << true << true
                                                          << QList<bool>{false, true, true, false};
    QTest::newRow("True switches the shown pickers") << false << "True" << false << true
                                                     << QList<bool>{true, true, true, true};
    QTest::newRow("False switches back, hidden picker stays") << true << "False" << true << false
                                                              << QList<bool>{false, false, true, false};
}

void tst_QueryPanelEvents::relativeSwitch()
{
    QFETCH(bool, startRelative);
    QFETCH(QString, choice);
    QFETCH(bool, reportBefore);
    QFETCH(bool, reportAfter);
    QFETCH(QList<bool>, pickersRelative);

    m_report->setQueryField(QStringLiteral("Relative"), reportBefore);
    m_controls.DateReport[0]->setRelative(startRelative);
    m_controls.DateReport[1]->setRelative(true);
    m_controls.DateReport[2]->setRelative(true);
    m_controls.DateReport[2]->hide();
    m_controls.DateReport[3]->setRelative(startRelative);
    userActivates(m_controls.Combo1, choice);

    QCOMPARE(m_report->query().Relative, reportAfter);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(m_controls.DateReport[size_t(i)]->Relative(), pickersRelative[i]);
    // The mode alone is no edit.
    QVERIFY(!undoEnabled());
    QCOMPARE(storedFilterIndex(), 0);
}

void tst_QueryPanelEvents::nettingMarksEditedOnlyWhenChanged_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<bool>("edited");
    QTest::newRow("same text") << "Gross" << false;
    QTest::newRow("other text") << "Net" << true;
}

void tst_QueryPanelEvents::nettingMarksEditedOnlyWhenChanged()
{
    QFETCH(QString, choice);
    QFETCH(bool, edited);
    m_report->setQueryField(QStringLiteral("Netting"), QStringLiteral("Gross"));
    userActivates(m_controls.ComboNetting, choice);
    QCOMPARE(m_report->query().Netting, choice);
    QCOMPARE(undoEnabled(), edited);
    QCOMPARE(storedFilterIndex(), edited ? -1 : 0);

    // Type Date counts as an edit even when re-chosen.
    m_bar->Tools(QStringLiteral("ID_undo"))->setEnabled(false);
    userActivates(m_controls.TypeDate, QStringLiteral("Value Date"));
    QCOMPARE(m_report->query().TypeDate, QStringLiteral("Value Date"));
    QVERIFY(undoEnabled());
}

// ---- selection dialogs -------------------------------------------------------------

void tst_QueryPanelEvents::categorySelection_data()
{
    QTest::addColumn<bool>("accepted");
    QTest::newRow("accepted") << true;
    QTest::newRow("cancelled") << false;
}

void tst_QueryPanelEvents::categorySelection()
{
    QFETCH(bool, accepted);
    const QStringList oldKeys{QStringLiteral("Bank|Region|EU")};
    const QStringList newKeys{QStringLiteral("Bank|Region|US"), QStringLiteral("Bank|Tier|1")};
    m_report->setQueryField(QStringLiteral("KeyArray"), oldKeys);
    m_controls.LegendBox->setTitul(QStringLiteral("EU"));
    QStringList askedKeys;
    QString askedTitle;
    SessionContext::instance().setCategorySelector([&](QStringList &keys, QString &title) {
        askedKeys = keys;
        askedTitle = title;
        keys = newKeys;
        title = QStringLiteral("List");
        return accepted;
    });
    Q_EMIT m_controls.LegendBox->Click();

    QCOMPARE(askedKeys, oldKeys);
    QCOMPARE(askedTitle, QStringLiteral("EU"));
    QCOMPARE(m_report->query().KeyArray, accepted ? newKeys : oldKeys);
    QCOMPARE(m_controls.LegendBox->Titul(), accepted ? QStringLiteral("List") : QStringLiteral("EU"));
    QCOMPARE(undoEnabled(), accepted);
}

void tst_QueryPanelEvents::counterpartyDialog_data()
{
    QTest::addColumn<bool>("raisesQuite");
    QTest::addColumn<bool>("accept");
    QTest::newRow("selection with title, accepted") << true << true;
    QTest::newRow("plain dialog, cancelled") << false << false;
}

void tst_QueryPanelEvents::counterpartyDialog()
{
    QFETCH(bool, raisesQuite);
    QFETCH(bool, accept);
    QPointer<QDialog> opened;
    Report *given = nullptr;
    m_events->setCounterpartyDialogFactory([&](Report &report, QWidget *parent) -> QDialog * {
        given = &report;
        auto *dialog = raisesQuite ? new CounterpartyDialog(parent) : new QDialog(parent);
        opened = dialog;
        QTimer::singleShot(0, dialog, [&report, dialog, raisesQuite, accept] {
            if (raisesQuite) {
                report.setQueryField(QStringLiteral("Bank"), QStringList{QStringLiteral("BNK1")});
                Q_EMIT static_cast<CounterpartyDialog *>(dialog)->Quite(QStringLiteral("BNK1"));
            }
            accept ? dialog->accept() : dialog->reject();
        });
        return dialog;
    });
    Q_EMIT m_controls.CptyBox->Click();

    QCOMPARE(given, m_report.get());
    QVERIFY(opened.isNull());   // deleted after it closed
    QCOMPARE(m_report->query().Bank, raisesQuite ? QStringList{QStringLiteral("BNK1")} : QStringList{All});
    QCOMPARE(m_controls.CptyBox->Titul(), raisesQuite ? QStringLiteral("BNK1") : All);
    // Closing the dialog counts as an edit either way.
    QVERIFY(undoEnabled());
    QCOMPARE(storedFilterIndex(), -1);
}

void tst_QueryPanelEvents::shouldDoNothingWithoutReport()
{
    m_current = nullptr;
    bool asked = false;
    SessionContext::instance().setCategorySelector([&](QStringList &, QString &) { return asked = true; });
    m_events->setCounterpartyDialogFactory([&](Report &, QWidget *) -> QDialog * {
        asked = true;
        return nullptr;
    });
    QSignalSpy beeped(m_events.get(), &QueryPanelEvents::beeped);
    m_controls.DateReport[0]->setRetDate(QDate(2026, 12, 5));
    m_controls.DateReport[1]->setRetDate(QDate(2026, 12, 1));
    m_controls.DateReport[0]->setRelative(true);

    for (widgets::CheckCombo *b : m_panel->findChildren<widgets::CheckCombo *>())
        Q_EMIT b->Change(0);
    for (widgets::RelDate *picker : m_controls.DateReport)
        Q_EMIT picker->Change();
    userActivates(m_controls.Combo1, QStringLiteral("False"));
    userActivates(m_controls.ComboNetting, QStringLiteral("Net"));
    userActivates(m_controls.TypeDate, QStringLiteral("Value Date"));
    Q_EMIT m_controls.LegendBox->Click();
    Q_EMIT m_controls.CptyBox->Click();

    QVERIFY(!asked);
    QCOMPARE(beeped.count(), 0);
    QCOMPARE(m_controls.DateReport[0]->date(), QDate(2026, 12, 5));
    QVERIFY(m_controls.DateReport[0]->Relative());
    QVERIFY(!undoEnabled());
    QCOMPARE(storedFilterIndex(), 0);
}

QTEST_MAIN(tst_QueryPanelEvents)
#include "tst_querypanelevents.moc"
