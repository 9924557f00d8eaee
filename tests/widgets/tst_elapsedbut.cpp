#include "ElapsedBut.h"

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using widgets::ElapsedBut;

class TestElapsedBut : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void titulReadsBackTheWholeText_data();
    void titulReadsBackTheWholeText();
    void enabledGreysTitleAndButton();
    void clickOnlyFromTheEnabledButton();
    void mouseMoveOverChildren_data();
    void mouseMoveOverChildren();
    void buttonIsThreePixelsLowerThanTitle_data();
    void buttonIsThreePixelsLowerThanTitle();
    void propertiesByName();
};

void TestElapsedBut::titulReadsBackTheWholeText_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("short") << QStringLiteral("All");
    QTest::newRow("empty") << QString();
    QTest::newRow("longer than the control")
        << QStringLiteral("Barclays Capital, Deutsche Bank AG, Commerzbank, Credit Agricole CIB, Sberbank");
}

void TestElapsedBut::titulReadsBackTheWholeText()
{
    QFETCH(QString, title);
    ElapsedBut but;
    but.resize(120, 24);
    but.show();
    QVERIFY(QTest::qWaitForWindowExposed(&but));
    but.setTitul(title);
    QCOMPARE(but.Titul(), title);
    // The shown text may be elided, the hint never is.
    QCOMPARE(but.titleLabel()->toolTip(), title);
    const QString shown = but.titleLabel()->text();
    if (but.fontMetrics().horizontalAdvance(title) > but.width())
        QVERIFY2(shown != title && shown.endsWith(QChar(0x2026)), qPrintable(shown));
    else
        QCOMPARE(shown, title);
}

void TestElapsedBut::enabledGreysTitleAndButton()
{
    ElapsedBut but;
    QVERIFY(but.Enabled());
    but.setEnabledState(false);
    QVERIFY(!but.Enabled());
    QVERIFY(!but.titleLabel()->isEnabled());
    QVERIFY(!but.button()->isEnabled());
    but.setEnabledState(true);
    QVERIFY(but.titleLabel()->isEnabled());
    QVERIFY(but.button()->isEnabled());
    // Reading follows the title alone.
    but.button()->setEnabled(false);
    QVERIFY(but.Enabled());
}

void TestElapsedBut::clickOnlyFromTheEnabledButton()
{
    ElapsedBut but;
    but.resize(200, 24);
    but.show();
    QVERIFY(QTest::qWaitForWindowExposed(&but));
    QSignalSpy clicks(&but, &ElapsedBut::Click);
    QTest::mouseClick(but.titleLabel(), Qt::LeftButton);
    QCOMPARE(clicks.count(), 0);
    QTest::mouseClick(but.button(), Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    but.setEnabledState(false);
    QTest::mouseClick(but.button(), Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
}

void TestElapsedBut::mouseMoveOverChildren_data()
{
    QTest::addColumn<bool>("overButton");
    QTest::newRow("title") << false;
    QTest::newRow("button") << true;
}

void TestElapsedBut::mouseMoveOverChildren()
{
    QFETCH(bool, overButton);
    ElapsedBut but;
    but.resize(200, 24);
    const QString longTitle = QStringLiteral("Counterparty with a very long name that cannot fit, Ltd.");
    but.setTitul(longTitle);
    // Something else overwrote the hint: moving over the title restores it.
    but.titleLabel()->setToolTip(QString());
    QSignalSpy moves(&but, &ElapsedBut::MouseMove);
    QWidget *target = overButton ? static_cast<QWidget *>(but.button()) : but.titleLabel();
    const QPointF local(3, 4);
    QMouseEvent move(QEvent::MouseMove, local, target->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                     Qt::ShiftModifier);
    QCoreApplication::sendEvent(target, &move);
    QCOMPARE(moves.count(), 1);
    QCOMPARE(moves.at(0).at(1).value<Qt::KeyboardModifiers>(), Qt::KeyboardModifiers(Qt::ShiftModifier));
    QCOMPARE(moves.at(0).at(2).toPointF(), QPointF(target->mapTo(&but, QPoint(3, 4))));
    QCOMPARE(but.titleLabel()->toolTip(), overButton ? QString() : longTitle);
}

void TestElapsedBut::buttonIsThreePixelsLowerThanTitle_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("panel row") << QSize(180, 24);
    QTest::newRow("narrow") << QSize(30, 24);
}

void TestElapsedBut::buttonIsThreePixelsLowerThanTitle()
{
    QFETCH(QSize, size);
    ElapsedBut but;
    but.resize(size);
    but.show();
    QVERIFY(QTest::qWaitForWindowExposed(&but));
    const QRect title = but.titleLabel()->geometry();
    const QRect button = but.button()->geometry();
    QCOMPARE(button.height(), title.height() - 3);
    QVERIFY(but.rect().contains(button));
    QVERIFY(title.contains(button));
    // The text never runs under the button.
    QVERIFY(but.titleLabel()->contentsRect().right() < button.left());
}

void TestElapsedBut::propertiesByName()
{
    // The query panel drives the control through the meta-object system.
    ElapsedBut but;
    QVERIFY(but.setProperty("Titul", QStringLiteral("List")));
    QCOMPARE(but.property("Titul").toString(), QStringLiteral("List"));
    QVERIFY(but.setProperty("Enabled", false));
    QCOMPARE(but.property("Enabled").toBool(), false);
    QVERIFY(!but.button()->isEnabled());
}

QTEST_MAIN(TestElapsedBut)
#include "tst_elapsedbut.moc"
