// The column caption dialog: when OK may be pressed, what OK, Enter, Escape
// and Cancel hand back, and the modal ChangeColumn call a grid makes.

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

/// Replaces the text of the caption box as a user would: select all, type.
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

    void shouldOpenWithOldCaptionAndOkDisabled();
    void shouldEnableOkOnlyForChangedNonEmptyText_data();
    void shouldEnableOkOnlyForChangedNonEmptyText();
    void shouldConfirmWithEnterOnlyWhileOkEnabled();
    void shouldCancelWithEscapeAndCancel_data();
    void shouldCancelWithEscapeAndCancel();
    void shouldReturnConfirmedCaptionFromChangeColumn_data();
    void shouldReturnConfirmedCaptionFromChangeColumn();
};

void tst_CaptionDialog::initTestCase()
{
    TextTable::setLanguage(TextTable::Language::English);
}

void tst_CaptionDialog::shouldOpenWithOldCaptionAndOkDisabled()
{
    CaptionDialog dialog(Old);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Change Columns Caption"));
    QCOMPARE(captionBox(dialog)->text(), Old);
    QVERIFY(!button(dialog, "btnOk")->isEnabled());
    QVERIFY(button(dialog, "btnCancel")->isEnabled());
}

void tst_CaptionDialog::shouldEnableOkOnlyForChangedNonEmptyText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("okEnabled");
    QTest::newRow("new-caption") << QStringLiteral("Volume") << true;
    QTest::newRow("letter-case-only") << QStringLiteral("AMOUNT") << true;
    QTest::newRow("trailing-blank") << QStringLiteral("Amount ") << true;
    QTest::newRow("retyped-unchanged") << Old << false;
    QTest::newRow("cleared") << QString() << false;
}

void tst_CaptionDialog::shouldEnableOkOnlyForChangedNonEmptyText()
{
    QFETCH(QString, typed);
    QFETCH(bool, okEnabled);
    CaptionDialog dialog(Old);
    dialog.show();
    retype(captionBox(dialog), typed);
    QCOMPARE(captionBox(dialog)->text(), typed);
    QCOMPARE(button(dialog, "btnOk")->isEnabled(), okEnabled);
}

void tst_CaptionDialog::shouldConfirmWithEnterOnlyWhileOkEnabled()
{
    CaptionDialog dialog(Old);
    dialog.show();
    QLineEdit *box = captionBox(dialog);
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY2(dialog.isVisible(), "Enter with OK disabled must not close the dialog");
    QVERIFY(dialog.isCancelled());

    retype(box, QStringLiteral("Volume"));
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isCancelled());
    QCOMPARE(dialog.newCaption(), QStringLiteral("Volume"));
}

void tst_CaptionDialog::shouldCancelWithEscapeAndCancel_data()
{
    QTest::addColumn<bool>("useEscape");
    QTest::newRow("cancel-button") << false;
    QTest::newRow("escape-key") << true;
}

void tst_CaptionDialog::shouldCancelWithEscapeAndCancel()
{
    QFETCH(bool, useEscape);
    CaptionDialog dialog(Old);
    dialog.show();
    retype(captionBox(dialog), QStringLiteral("Volume"));
    if (useEscape)
        QTest::keyClick(captionBox(dialog), Qt::Key_Escape);
    else
        button(dialog, "btnCancel")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(dialog.isCancelled());
    QVERIFY(dialog.newCaption().isEmpty());
}

void tst_CaptionDialog::shouldReturnConfirmedCaptionFromChangeColumn_data()
{
    QTest::addColumn<QString>("closeBy");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("caption");
    // The caller's variable starts as "unchanged": only OK may overwrite it.
    QTest::newRow("ok") << QStringLiteral("ok") << true << QStringLiteral("Volume");
    QTest::newRow("cancel-keeps-caller-value") << QStringLiteral("cancel") << false << QStringLiteral("unchanged");
    QTest::newRow("window-closed-counts-as-cancel")
        << QStringLiteral("close") << false << QStringLiteral("unchanged");
}

void tst_CaptionDialog::shouldReturnConfirmedCaptionFromChangeColumn()
{
    QFETCH(QString, closeBy);
    QFETCH(bool, confirmed);
    QFETCH(QString, caption);

    QWidget grid;
    grid.show();
    const auto ran = whenModal<CaptionDialog>([&](CaptionDialog *dialog) {
        retype(captionBox(*dialog), QStringLiteral("Volume"));
        if (closeBy == QLatin1String("ok"))
            button(*dialog, "btnOk")->click();
        else if (closeBy == QLatin1String("cancel"))
            button(*dialog, "btnCancel")->click();
        else
            dialog->close();
    });
    QString newCaption = QStringLiteral("unchanged");
    QCOMPARE(CaptionDialog::ChangeColumn(Old, newCaption, &grid), confirmed);
    QVERIFY(ran->ran());
    QCOMPARE(newCaption, caption);
}

QTEST_MAIN(tst_CaptionDialog)
#include "tst_captiondialog.moc"
