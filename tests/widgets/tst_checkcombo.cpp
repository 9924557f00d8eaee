#include "CheckCombo.h"

#include <QAbstractItemView>
#include <QSignalSpy>
#include <QTest>

using widgets::CheckCombo;

namespace {

// The pair list as the directory hands it over: (0, i) text, (1, i) identifier.
QVariant pairTable()
{
    return QVariantList{QVariantList{QStringLiteral("EUR/USD"), QStringLiteral("GBP/USD"), QStringLiteral("USD/JPY")},
                        QVariantList{11, 12, 13}};
}

QPoint rowCenter(CheckCombo &box, int row)
{
    return box.view()->visualRect(box.view()->model()->index(row, 0)).center();
}

} // namespace

class tst_CheckCombo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsItemTables_data();
    void readsItemTables();
    void startsWithAll();
    void setsCheckedItemsFromCode_data();
    void setsCheckedItemsFromCode();
    void keepsCheckedTextsMissingFromTheList();
    void keepsChecksWhenItemsReload();
    void userClicksToggleAndRaiseChangeZero();
    void singleChoiceTypeChecksOneItem();
    void keyboardTogglesInTheOpenList();
    void showsSelectionWhenClosed();
};

void tst_CheckCombo::readsItemTables_data()
{
    QTest::addColumn<QVariant>("data");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QVariantList>("ids");

    QTest::newRow("two-row-table") << pairTable()
                                   << QStringList{"EUR/USD", "GBP/USD", "USD/JPY"} << QVariantList{11, 12, 13};
    QTest::newRow("plain-list") << QVariant(QStringList{"LORO", "NOSTRO", "NONE"})
                                << QStringList{"LORO", "NOSTRO", "NONE"} << QVariantList{"LORO", "NOSTRO", "NONE"};
    QTest::newRow("all-in-data-not-doubled") << QVariant(QStringList{"All", "Spot"})
                                             << QStringList{"Spot"} << QVariantList{"Spot"};
    QTest::newRow("short-id-row") << QVariant(QVariantList{QVariantList{"A", "B"}, QVariantList{1}})
                                  << QStringList{"A", "B"} << QVariantList{1, "B"};
    QTest::newRow("empty") << QVariant() << QStringList{} << QVariantList{};
}

void tst_CheckCombo::readsItemTables()
{
    QFETCH(QVariant, data);
    QFETCH(QStringList, texts);
    QFETCH(QVariantList, ids);
    CheckCombo box;
    box.setSArrayData(data);
    QCOMPARE(box.itemCountWithoutAll(), texts.size());
    for (int i = 0; i < texts.size(); ++i) {
        QCOMPARE(box.itemText(i), texts.at(i));
        QCOMPARE(box.itemId(i).toString(), ids.at(i).toString());
    }
}

void tst_CheckCombo::startsWithAll()
{
    CheckCombo box;
    box.setSArrayData(pairTable());
    QVERIFY(box.isAll());
    QCOMPARE(box.ArrayChecked(), QStringList{QStringLiteral("All")});
    QVERIFY(box.ArrayCheckedID().isEmpty());
    QCOMPARE(box.Titul(), QStringLiteral("All"));
    QCOMPARE(box.TypeData(), 2);
}

void tst_CheckCombo::setsCheckedItemsFromCode_data()
{
    QTest::addColumn<QVariant>("checked");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QVariantList>("ids");
    QTest::addColumn<QString>("titul");

    QTest::newRow("one") << QVariant(QStringList{"GBP/USD"}) << QStringList{"GBP/USD"} << QVariantList{12} << "GBP/USD";
    QTest::newRow("two-in-list-order") << QVariant(QStringList{"USD/JPY", "EUR/USD"})
                                       << QStringList{"EUR/USD", "USD/JPY"} << QVariantList{11, 13} << "List";
    QTest::newRow("single-text") << QVariant(QStringLiteral("USD/JPY")) << QStringList{"USD/JPY"} << QVariantList{13} << "USD/JPY";
    QTest::newRow("all-first") << QVariant(QStringList{"All", "EUR/USD"}) << QStringList{"All"} << QVariantList{} << "All";
    QTest::newRow("empty-list-is-all") << QVariant(QStringList{}) << QStringList{"All"} << QVariantList{} << "All";
    QTest::newRow("duplicates-once") << QVariant(QVariantList{"EUR/USD", "EUR/USD"}) << QStringList{"EUR/USD"}
                                     << QVariantList{11} << "EUR/USD";
}

void tst_CheckCombo::setsCheckedItemsFromCode()
{
    QFETCH(QVariant, checked);
    QFETCH(QStringList, texts);
    QFETCH(QVariantList, ids);
    QFETCH(QString, titul);
    CheckCombo box;
    box.setSArrayData(pairTable());
    box.setArrayChecked(checked);
    QCOMPARE(box.ArrayChecked(), texts);
    QCOMPARE(box.ArrayCheckedID(), ids);
    QCOMPARE(box.Titul(), titul);
    QCOMPARE(box.property("ArrayChecked").toStringList(), texts);
}

void tst_CheckCombo::keepsCheckedTextsMissingFromTheList()
{
    CheckCombo box;
    box.setSArrayData(pairTable());
    box.setArrayChecked(QStringList{"AUD/NZD", "EUR/USD"});
    QCOMPARE(box.ArrayChecked(), (QStringList{"EUR/USD", "AUD/NZD"}));
    QCOMPARE(box.ArrayCheckedID(), QVariantList{11});
}

void tst_CheckCombo::keepsChecksWhenItemsReload()
{
    CheckCombo box;
    box.setSArrayData(pairTable());
    box.setArrayChecked(QStringList{"GBP/USD"});
    QSignalSpy change(&box, &CheckCombo::Change);
    box.setSArrayData(QVariantList{QVariantList{"GBP/USD", "EUR/CHF"}, QVariantList{22, 23}});
    QCOMPARE(box.ArrayChecked(), QStringList{"GBP/USD"});
    QCOMPARE(box.ArrayCheckedID(), QVariantList{22});   // the identifier of the new list
    QCOMPARE(change.count(), 0);
}

void tst_CheckCombo::userClicksToggleAndRaiseChangeZero()
{
    CheckCombo box;
    box.setSArrayData(pairTable());
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QSignalSpy change(&box, &CheckCombo::Change);
    box.setArrayChecked(QStringList{"EUR/USD"});
    QCOMPARE(change.count(), 1);
    QCOMPARE(change.at(0).at(0).toInt(), 1);   // code, not the user
    box.setArrayChecked(QStringList{"EUR/USD"});
    QCOMPARE(change.count(), 1);               // no change, no event

    box.showPopup();
    QTRY_VERIFY(box.view()->isVisible());
    QTest::mouseClick(box.view()->viewport(), Qt::LeftButton, {}, rowCenter(box, 3));   // USD/JPY
    QVERIFY(box.view()->isVisible());          // the list stays open for the next click
    QCOMPARE(change.count(), 2);
    QCOMPARE(change.at(1).at(0).toInt(), 0);
    QCOMPARE(box.ArrayChecked(), (QStringList{"EUR/USD", "USD/JPY"}));
    QTest::mouseClick(box.view()->viewport(), Qt::LeftButton, {}, rowCenter(box, 1));   // EUR/USD off
    QCOMPARE(box.ArrayChecked(), QStringList{"USD/JPY"});
    QTest::mouseClick(box.view()->viewport(), Qt::LeftButton, {}, rowCenter(box, 3));   // last one off: All
    QVERIFY(box.isAll());
    QTest::mouseClick(box.view()->viewport(), Qt::LeftButton, {}, rowCenter(box, 2));
    QTest::mouseClick(box.view()->viewport(), Qt::LeftButton, {}, rowCenter(box, 0));   // "All" clears the rest
    QVERIFY(box.isAll());
    QCOMPARE(change.count(), 6);
    box.hidePopup();
}

void tst_CheckCombo::singleChoiceTypeChecksOneItem()
{
    CheckCombo box;
    box.setTypeData(1);
    box.setSArrayData(pairTable());
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.showPopup();
    QTRY_VERIFY(box.view()->isVisible());
    QTest::mouseClick(box.view()->viewport(), Qt::LeftButton, {}, rowCenter(box, 1));
    QTRY_VERIFY(!box.view()->isVisible());     // a single choice closes the list
    box.showPopup();
    QTRY_VERIFY(box.view()->isVisible());
    QTest::mouseClick(box.view()->viewport(), Qt::LeftButton, {}, rowCenter(box, 2));
    QCOMPARE(box.ArrayChecked(), QStringList{"GBP/USD"});
}

void tst_CheckCombo::keyboardTogglesInTheOpenList()
{
    CheckCombo box;
    box.setSArrayData(pairTable());
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setFocus();
    QSignalSpy change(&box, &CheckCombo::Change);
    QTest::keyClick(&box, Qt::Key_Down);      // opens the list on "All"
    QTRY_VERIFY(box.view()->isVisible());
    QTest::keyClick(box.view(), Qt::Key_Down);
    QTest::keyClick(box.view(), Qt::Key_Space);
    QTest::keyClick(box.view(), Qt::Key_Down);
    QTest::keyClick(box.view(), Qt::Key_Space);
    QCOMPARE(box.ArrayChecked(), (QStringList{"EUR/USD", "GBP/USD"}));
    QTest::keyClick(box.view(), Qt::Key_Return);
    QTRY_VERIFY(!box.view()->isVisible());
    QCOMPARE(change.count(), 2);
    QCOMPARE(box.ArrayChecked(), (QStringList{"EUR/USD", "GBP/USD"}));
}

void tst_CheckCombo::showsSelectionWhenClosed()
{
    CheckCombo box;
    box.setSArrayData(pairTable());
    QCOMPARE(box.displayText(), QStringLiteral("All"));
    box.setArrayChecked(QStringList{"EUR/USD", "USD/JPY"});
    QCOMPARE(box.displayText(), QStringLiteral("EUR/USD, USD/JPY"));
    QCOMPARE(box.toolTip(), QStringLiteral("EUR/USD, USD/JPY"));
}

QTEST_MAIN(tst_CheckCombo)
#include "tst_checkcombo.moc"
