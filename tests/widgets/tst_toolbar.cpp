#include "ToolBar.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using widgets::Tool;
using widgets::ToolBar;

namespace {

struct Fixture
{
    ToolBar bar;

    Fixture()
    {
        bar.addTool(QStringLiteral("ID_refresh"), Tool::Button, QStringLiteral("Refresh"));
        bar.addTool(QStringLiteral("ID_undo"), Tool::Button, QStringLiteral("Undo"));
        bar.addTool(QStringLiteral("ID_DetailWIndow"), Tool::CheckButton, QStringLiteral("List Deals"));
        bar.addTool(QStringLiteral("ID_ListParams"), Tool::ComboBox, QStringLiteral("Stored Filters"));
        bar.addTool(QStringLiteral("ID_expand"), Tool::Button, QStringLiteral("Expand All"));
        bar.addTool(QStringLiteral("ID_PopUp"), Tool::PopupMenu, QStringLiteral("PopUpGrid"));
        bar.addTool(QStringLiteral("ID_Print"), Tool::Menu, QStringLiteral("Print"));
        bar.addTool(QStringLiteral("ID_PrintAll"), Tool::Button, QStringLiteral("Print All"));
        for (const char *id : {"ID_refresh", "ID_undo", "ID_DetailWIndow", "ID_ListParams", "ID_Print"})
            bar.addToBand(QLatin1String(id));
        bar.addToMenu(QStringLiteral("ID_Print"), QStringLiteral("ID_PrintAll"));
        bar.addToMenu(QStringLiteral("ID_PopUp"), QStringLiteral("ID_expand"));
        bar.addToMenu(QStringLiteral("ID_PopUp"), QStringLiteral("-"));
        bar.addToMenu(QStringLiteral("ID_PopUp"), QStringLiteral("ID_Print"));
        bar.show();
    }

    QToolButton *button(const QString &id) const
    {
        return qobject_cast<QToolButton *>(bar.widgetForAction(bar.Tools(id)->action()));
    }
};

} // namespace

class tst_ToolBar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsToolsWithoutRegardToCase_data();
    void findsToolsWithoutRegardToCase();
    void refusesDuplicateAndEmptyIds();
    void checkButtonStateFollowsClicksNotCode();
    void disabledOrHiddenToolsFollowFlags();
    void comboToolRaisesChoiceOnlyForTheUser();
    void textToolRaisesChoiceWhenTheUserConfirms();
    void menusHoldTheSameTools();
    void keepsTextsForLocalisation();
};

void tst_ToolBar::findsToolsWithoutRegardToCase_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("found");
    QTest::newRow("exact") << "ID_undo" << "ID_undo";
    QTest::newRow("detail-window-spelling") << "ID_DetailWindow" << "ID_DetailWIndow";
    QTest::newRow("unknown") << "ID_NoSuchTool" << "";
    QTest::newRow("empty") << "" << "";
}

void tst_ToolBar::findsToolsWithoutRegardToCase()
{
    QFETCH(QString, asked);
    QFETCH(QString, found);
    Fixture f;
    Tool *tool = f.bar.Tools(asked);
    QCOMPARE(tool ? tool->Id() : QString(), found);
}

void tst_ToolBar::refusesDuplicateAndEmptyIds()
{
    Fixture f;
    QVERIFY(!f.bar.addTool(QStringLiteral("id_REFRESH"), Tool::Button));
    QVERIFY(!f.bar.addTool(QString(), Tool::Button));
    QCOMPARE(f.bar.tools().size(), 8);
    QVERIFY(!f.bar.addToBand(QStringLiteral("ID_PopUp")));   // pop-ups never sit on the band
    QVERIFY(!f.bar.addToMenu(QStringLiteral("ID_refresh"), QStringLiteral("ID_undo")));
    QVERIFY(!f.bar.PopupMenu(QStringLiteral("ID_refresh")));
}

void tst_ToolBar::checkButtonStateFollowsClicksNotCode()
{
    Fixture f;
    Tool *detail = f.bar.Tools(QStringLiteral("ID_DetailWindow"));
    QCOMPARE(detail->State(), 0);
    QSignalSpy click(&f.bar, &ToolBar::ToolClick);
    QTest::mouseClick(f.button(QStringLiteral("ID_DetailWIndow")), Qt::LeftButton);
    QCOMPARE(click.count(), 1);
    QCOMPARE(click.at(0).at(0).value<Tool *>(), detail);
    QCOMPARE(detail->State(), 1);   // already the state after the click
    detail->setState(0);
    QCOMPARE(detail->State(), 0);
    QCOMPARE(click.count(), 1);     // code raises no click
    detail->setState(5);            // any non-zero state checks
    QCOMPARE(detail->State(), 1);
    Tool *refresh = f.bar.Tools(QStringLiteral("ID_refresh"));
    refresh->setState(1);
    QCOMPARE(refresh->State(), 0);
}

void tst_ToolBar::disabledOrHiddenToolsFollowFlags()
{
    Fixture f;
    QSignalSpy click(&f.bar, &ToolBar::ToolClick);
    Tool *undo = f.bar.Tools(QStringLiteral("ID_undo"));
    undo->setEnabled(false);
    QVERIFY(!undo->Enabled());
    QVERIFY(!f.button(QStringLiteral("ID_undo"))->isEnabled());
    QTest::mouseClick(f.button(QStringLiteral("ID_undo")), Qt::LeftButton);
    undo->action()->trigger();
    QCOMPARE(click.count(), 0);
    undo->setVisible(false);
    QVERIFY(!undo->Visible());
    QTRY_VERIFY(!f.button(QStringLiteral("ID_undo"))->isVisible());

    Tool *list = f.bar.Tools(QStringLiteral("ID_ListParams"));
    list->setVisible(false);
    QTRY_VERIFY(!list->editor()->isVisible());
    list->setVisible(true);
    list->setEnabled(false);
    QVERIFY(!list->editor()->isEnabled());
}

void tst_ToolBar::comboToolRaisesChoiceOnlyForTheUser()
{
    Fixture f;
    Tool *list = f.bar.Tools(QStringLiteral("ID_ListParams"));
    QSignalSpy choice(&f.bar, &ToolBar::ComboSelChange);
    list->AddItem(QStringLiteral("Morning"));
    list->AddItem(QStringLiteral("Evening"));
    QCOMPARE(list->ListCount(), 2);
    QCOMPARE(list->ListIndex(), -1);
    list->setListIndex(1);
    QCOMPARE(list->Text(), QStringLiteral("Evening"));
    list->setListIndex(-1);
    QCOMPARE(list->Text(), QString());
    list->setListIndex(7);   // out of range: ignored
    QCOMPARE(list->ListIndex(), -1);
    QCOMPARE(choice.count(), 0);

    auto *combo = qobject_cast<QComboBox *>(list->editor());
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);   // the user picks the first entry
    QCOMPARE(choice.count(), 1);
    QCOMPARE(list->ListIndex(), 0);
    QCOMPARE(list->List(0), QStringLiteral("Morning"));
    list->Clear();
    QCOMPARE(list->ListCount(), 0);
    QCOMPARE(choice.count(), 1);
}

void tst_ToolBar::textToolRaisesChoiceWhenTheUserConfirms()
{
    Fixture f;
    Tool *find = f.bar.addTool(QStringLiteral("ID_Find"), Tool::TextBox, QStringLiteral("Find"));
    QVERIFY(f.bar.addToBand(QStringLiteral("id_find")));
    QSignalSpy choice(&f.bar, &ToolBar::ComboSelChange);
    find->setText(QStringLiteral("EUR"));
    QCOMPARE(find->Text(), QStringLiteral("EUR"));
    QCOMPARE(choice.count(), 0);
    auto *edit = qobject_cast<QLineEdit *>(find->editor());
    QVERIFY(edit);
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("/USD"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(choice.count(), 1);
    QCOMPARE(choice.at(0).at(0).value<Tool *>()->Text(), QStringLiteral("EUR/USD"));
    QCOMPARE(find->State(), 0);
    QCOMPARE(find->Caption(), QStringLiteral("Find"));
}

void tst_ToolBar::menusHoldTheSameTools()
{
    Fixture f;
    Tool *popup = f.bar.Tools(QStringLiteral("ID_PopUp"));
    QCOMPARE(popup->menuItems(), QStringList({QStringLiteral("ID_expand"), QStringLiteral("-"), QStringLiteral("ID_Print")}));
    QVERIFY(popup->menu()->actions().contains(f.bar.Tools(QStringLiteral("ID_expand"))->action()));
    // A tool disabled once is disabled in every menu that holds it.
    f.bar.Tools(QStringLiteral("ID_expand"))->setEnabled(false);
    QVERIFY(!popup->menu()->actions().first()->isEnabled());
    QSignalSpy click(&f.bar, &ToolBar::ToolClick);
    f.bar.Tools(QStringLiteral("ID_PrintAll"))->action()->trigger();   // chosen from the Print menu
    QCOMPARE(click.count(), 1);
    QVERIFY(f.bar.PopupMenu(QStringLiteral("id_popup"), QPoint(10, 10)));
    QTRY_VERIFY(popup->menu()->isVisible());
    popup->menu()->hide();
}

void tst_ToolBar::keepsTextsForLocalisation()
{
    // A translated caption must reach the widget the user reads, not only the tool.
    Fixture f;
    Tool *list = f.bar.Tools(QStringLiteral("ID_ListParams"));
    list->setCaption(QStringLiteral("Gespeicherte Filter"));
    QCOMPARE(qobject_cast<QComboBox *>(list->editor())->placeholderText(), QStringLiteral("Gespeicherte Filter"));
}

QTEST_MAIN(tst_ToolBar)
#include "tst_toolbar.moc"
