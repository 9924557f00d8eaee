// The legend selection dialog against a real trading database: restoring
// legend keys, the bold-parent rule, the commands, and the selection through
// SessionContext::SelectCategories once the dialog is installed.

#include "CategoryDialog.h"

#include "CheckTreeTestSupport.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace treetest;

namespace {

const QStringList AllKeys = {
    "Banks", "Banks|Country", "Banks|Country|DE", "Banks|Country|RU", "Banks|Rating",
    "Banks|Rating|A", "Empty", "Funds", "Funds|Country", "Funds|Country|US",
};

} // namespace

class tst_CategoryDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void shouldRestoreKeys_data();
    void shouldRestoreKeys();
    void commandsAndChecks_data();
    void commandsAndChecks();
    void selectCategoriesThroughInstalledDialog_data();
    void selectCategoriesThroughInstalledDialog();
    void selectCategoriesWithoutDialogAsksNothing();
    void unreadableCategoriesShouldOfferOnlyCancel();

private:
    std::unique_ptr<TestTradingDatabase> m_db;
};

void tst_CategoryDialog::init()
{
    m_db = std::make_unique<TestTradingDatabase>();
    QVERIFY2(openDirectory(*m_db), qPrintable(m_db->error()));
}

void tst_CategoryDialog::cleanup()
{
    m_db.reset();
}

void tst_CategoryDialog::shouldRestoreKeys_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QStringList>("bold");
    QTest::addColumn<QString>("title");

    QTest::newRow("empty-selection-checks-nothing")
        << QStringList() << QStringList() << QStringList() << "All";
    QTest::newRow("all-means-no-restriction")
        << QStringList{"All"} << QStringList() << QStringList() << "All";
    // Only the direct parent is bold: the category has no checked attribute.
    QTest::newRow("one-value-bolds-its-attribute")
        << QStringList{"Banks|Country|RU"} << QStringList{"Banks|Country|RU"}
        << QStringList{"Banks|Country"} << "RU";
    QTest::newRow("keys-come-back-in-tree-order")
        << QStringList{"Funds", "Banks|Rating"} << QStringList{"Banks|Rating", "Funds"}
        << QStringList{"Banks"} << "List";
    QTest::newRow("key-no-longer-in-directory-dropped")
        << QStringList{"Gone|Country", "Funds|Country"} << QStringList{"Funds|Country"}
        << QStringList{"Funds"} << "Country";
}

void tst_CategoryDialog::shouldRestoreKeys()
{
    QFETCH(QStringList, keys);
    QFETCH(QStringList, checked);
    QFETCH(QStringList, bold);
    QFETCH(QString, title);

    CategoryDialog dialog(keys);
    QCOMPARE(nodesWhere(dialog.tree(), [](const QTreeWidgetItem *) { return true; }), AllKeys);
    QCOMPARE(checkedNodes(dialog.tree()), checked);
    QCOMPARE(boldNodes(dialog.tree()), bold);
    QCOMPARE(dialog.keys(), checked);
    QCOMPARE(dialog.title(), title);
}

void tst_CategoryDialog::commandsAndChecks_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QStringList>("bold");

    const QStringList mixed = {"Banks", "Banks|Country", "Banks|Country|DE", "Funds|Country|US"};
    QTest::newRow("clear-all")
        << mixed << QStringList{"ID_ClearAll"} << QStringList() << QStringList();
    QTest::newRow("clear-categories")
        << mixed << QStringList{"ID_ClearCategory"}
        << QStringList{"Banks|Country", "Banks|Country|DE", "Funds|Country|US"}
        << QStringList{"Banks", "Banks|Country", "Funds|Country"};
    QTest::newRow("clear-attributes")
        << mixed << QStringList{"ID_ClearAttributes"}
        << QStringList{"Banks", "Banks|Country|DE", "Funds|Country|US"}
        << QStringList{"Banks|Country", "Funds|Country"};
    QTest::newRow("clear-values")
        << mixed << QStringList{"ID_ClearValues"} << QStringList{"Banks", "Banks|Country"}
        << QStringList{"Banks"};
    QTest::newRow("attributes-of-current-category")
        << QStringList() << QStringList{"current:Banks", "ID_AttributesChild"}
        << QStringList{"Banks|Country", "Banks|Rating"} << QStringList{"Banks"};
    QTest::newRow("attributes-command-ignores-an-attribute")
        << QStringList() << QStringList{"current:Banks|Country", "ID_AttributesChild"}
        << QStringList() << QStringList();
    QTest::newRow("values-of-current-attribute")
        << QStringList() << QStringList{"current:Banks|Country", "ID_ValuesChild"}
        << QStringList{"Banks|Country|DE", "Banks|Country|RU"} << QStringList{"Banks|Country"};
    QTest::newRow("unselect-children-keeps-the-node")
        << mixed << QStringList{"current:Banks|Country", "ID_UnselectChildValues"}
        << QStringList{"Banks", "Banks|Country", "Funds|Country|US"}
        << QStringList{"Banks", "Funds|Country"};
    QTest::newRow("invert")
        << QStringList{"Banks|Country|DE", "Banks|Rating", "Banks|Rating|A", "Empty", "Funds",
                       "Funds|Country"}
        << QStringList{"ID_InvertSelection"}
        << QStringList{"Banks", "Banks|Country", "Banks|Country|RU", "Funds|Country|US"}
        << QStringList{"Banks", "Banks|Country", "Funds|Country"};
    // User checks: the parent follows, checks never spread to other levels.
    QTest::newRow("checked-category-does-not-check-children")
        << QStringList() << QStringList{"check:Funds"} << QStringList{"Funds"} << QStringList();
    QTest::newRow("first-value-bolds-attribute")
        << QStringList() << QStringList{"check:Banks|Rating|A"} << QStringList{"Banks|Rating|A"}
        << QStringList{"Banks|Rating"};
    QTest::newRow("last-value-unchecked-plain-attribute")
        << QStringList{"Banks|Country|DE", "Banks|Country|RU"}
        << QStringList{"uncheck:Banks|Country|DE", "uncheck:Banks|Country|RU"}
        << QStringList() << QStringList();
}

void tst_CategoryDialog::commandsAndChecks()
{
    QFETCH(QStringList, keys);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, checked);
    QFETCH(QStringList, bold);

    CategoryDialog dialog(keys);
    QString failed;
    QVERIFY2(play(dialog, steps, &failed), qPrintable(failed));
    QCOMPARE(checkedNodes(dialog.tree()), checked);
    QCOMPARE(boldNodes(dialog.tree()), bold);
}

void tst_CategoryDialog::selectCategoriesThroughInstalledDialog_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("title");

    QTest::newRow("enter-accepts-one-key")
        << QStringList{"uncheck:Funds"} << int(Qt::Key_Return) << true
        << QStringList{"Banks|Country|DE"} << "DE";
    QTest::newRow("ok-with-nothing-checked-gives-empty-selection")
        << QStringList{"ID_ClearAll"} << int(Qt::Key_Return) << true << QStringList() << "All";
    QTest::newRow("escape-changes-nothing")
        << QStringList{"ID_ClearAll"} << int(Qt::Key_Escape) << false
        << QStringList{"Funds", "Banks|Country|DE"} << "List";
}

void tst_CategoryDialog::selectCategoriesThroughInstalledDialog()
{
    QFETCH(QStringList, steps);
    QFETCH(int, key);
    QFETCH(bool, accepted);
    QFETCH(QStringList, keys);
    QFETCH(QString, title);

    CategoryDialog::install();
    QString failed = QStringLiteral("no modal dialog");
    // The dialog runs its own event loop; play the user's part from inside it.
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<CategoryDialog *>(QApplication::activeModalWidget());
        if (!dialog || !play(*dialog, steps, &failed))
            return;   // the loop stays open and the test times out with failed
        failed.clear();
        QWidget *target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        QTest::keyClick(target, Qt::Key(key));
    });
    QTimer::singleShot(10000, this, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });

    QStringList selection{"Funds", "Banks|Country|DE"};
    QString caption = QStringLiteral("List");
    QCOMPARE(SessionContext::instance().SelectCategories(selection, caption), accepted);
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    QCOMPARE(selection, keys);
    QCOMPARE(caption, title);
}

void tst_CategoryDialog::selectCategoriesWithoutDialogAsksNothing()
{
    QStringList selection{"Funds"};
    QString caption = QStringLiteral("Funds");
    QVERIFY(!SessionContext::instance().SelectCategories(selection, caption));
    QCOMPARE(selection, QStringList{"Funds"});
    QCOMPARE(caption, QStringLiteral("Funds"));
}

void tst_CategoryDialog::unreadableCategoriesShouldOfferOnlyCancel()
{
    SessionContext::resetInstance();
    DirectoryProvider::resetInstance();
    CategoryDialog dialog({"Funds"});
    QCOMPARE(dialog.tree()->topLevelItemCount(), 0);
    QVERIFY(!dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled());
}

QTEST_MAIN(tst_CategoryDialog)
#include "tst_categorydialog.moc"
