// The column caption dialog: when OK may be pressed, and what the modal
// ChangeColumn call hands back for OK, Enter, Cancel, Escape and closing.

#include "CaptionDialog.h"

#include "TextTable.h"

#include "ModalDialogs.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString Old = QStringLiteral("Amount");

QLineEdit *captionBox(const QWidget &dialog)
{
    return dialog.findChild<QLineEdit *>(QStringLiteral("txtCaption"));
}

QPushButton *button(const QWidget &dialog, const char *name)
{
    return dialog.findChild<QPushButton *>(QLatin1String(name));
}

/// Replaces the caption as a user would: select all, then type (or delete).
void retype(QLineEdit *box, const QString &text)
{
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    else
        QTest::keyClicks(box, text);
}

} // namespace

class tst_CaptionDialog final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void shouldEnableOkOnlyForChangedNonEmptyText_data();
    void shouldEnableOkOnlyForChangedNonEmptyText();
    void shouldReturnOnlyConfirmedCaption_data();
    void shouldReturnOnlyConfirmedCaption();
};

void tst_CaptionDialog::initTestCase()
{
    TextTable::setLanguage(TextTable::Language::English);
}

void tst_CaptionDialog::shouldEnableOkOnlyForChangedNonEmptyText_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("okEnabled");
    QTest::newRow("as-opened") << false << Old << false;
    QTest::newRow("new-caption") << true << QStringLiteral("Volume") << true;
    QTest::newRow("letter-case-only") << true << QStringLiteral("AMOUNT") << true;
    QTest::newRow("trailing-blank") << true << QStringLiteral("Amount ") << true;
    QTest::newRow("retyped-unchanged") << true << Old << false;
    QTest::newRow("cleared") << true << QString() << false;
}

void tst_CaptionDialog::shouldEnableOkOnlyForChangedNonEmptyText()
{
    QFETCH(bool, edit);
    QFETCH(QString, typed);
    QFETCH(bool, okEnabled);
    CaptionDialog dialog(Old);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Change Columns Caption"));
    if (edit)
        retype(captionBox(dialog), typed);
    QCOMPARE(captionBox(dialog)->text(), typed);
    QCOMPARE(button(dialog, "btnOk")->isEnabled(), okEnabled);
}

void tst_CaptionDialog::shouldReturnOnlyConfirmedCaption_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("closeBy");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("caption");
    // The caller's variable starts as "unchanged": only a confirmation may
    // overwrite it.
    const QString unchanged = QStringLiteral("unchanged");
    QTest::newRow("ok") << QStringLiteral("Volume") << QStringLiteral("ok") << true << QStringLiteral("Volume");
    QTest::newRow("enter") << QStringLiteral("Volume") << QStringLiteral("enter") << true << QStringLiteral("Volume");
    QTest::newRow("cancel") << QStringLiteral("Volume") << QStringLiteral("cancel") << false << unchanged;
    QTest::newRow("escape") << QStringLiteral("Volume") << QStringLiteral("escape") << false << unchanged;
    QTest::newRow("window-closed") << QStringLiteral("Volume") << QStringLiteral("close") << false << unchanged;
    // Enter with OK disabled must not confirm: the dialog stays open until
    // the window is closed, which counts as cancelled.
    QTest::newRow("enter-while-unchanged") << Old << QStringLiteral("enter-then-close") << false << unchanged;
}

void tst_CaptionDialog::shouldReturnOnlyConfirmedCaption()
{
    QFETCH(QString, typed);
    QFETCH(QString, closeBy);
    QFETCH(bool, confirmed);
    QFETCH(QString, caption);

    QWidget grid;
    grid.show();
    const auto watch = whenModal<CaptionDialog>(
        [&](CaptionDialog *dialog) {
            QLineEdit *box = captionBox(*dialog);
            retype(box, typed);
            if (closeBy == QLatin1String("ok"))
                button(*dialog, "btnOk")->click();
            else if (closeBy.startsWith(QLatin1String("enter")))
                QTest::keyClick(box, Qt::Key_Return);
            else if (closeBy == QLatin1String("cancel"))
                button(*dialog, "btnCancel")->click();
            else if (closeBy == QLatin1String("escape"))
                QTest::keyClick(box, Qt::Key_Escape);
            if (closeBy.endsWith(QLatin1String("close")))
                dialog->close();
        });
    QString newCaption = QStringLiteral("unchanged");
    QCOMPARE(CaptionDialog::ChangeColumn(Old, newCaption, &grid), confirmed);
    QVERIFY(watch->ran());
    QCOMPARE(newCaption, caption);
}

QTEST_MAIN(tst_CaptionDialog)
#include "tst_captiondialog.moc"
