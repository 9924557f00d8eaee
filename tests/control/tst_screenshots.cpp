// The control as a user sees it: the open position report on a demo database,
// rendered at 1280x800 in each language of the text table. Checks that the
// toolbar speaks the language, the panel shows its captions and the grid its
// rows, and keeps the pictures (screenshots/ in the test's working folder)
// for a person to look at.

#include "Marvolt.h"

#include "Clock.h"
#include "RegistryAccess.h"
#include "RegistrySettings.h"
#include "SessionContext.h"
#include "SharedValues.h"
#include "TextTable.h"

#include "Grid.h"
#include "ToolBar.h"

#include "DemoDatabase.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

const QDate Today(2026, 12, 4);

/// Texts of the visible tool buttons and labels of a widget tree.
QStringList visibleTexts(const QWidget &root)
{
    QStringList texts;
    for (const QToolButton *button : root.findChildren<QToolButton *>())
        if (button->isVisibleTo(&root) && !button->text().isEmpty())
            texts.append(button->text());
    for (const QLabel *label : root.findChildren<QLabel *>())
        if (label->isVisibleTo(&root) && !label->text().isEmpty())
            texts.append(label->text());
    return texts;
}

} // namespace

class tst_Screenshots : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void shouldRenderOpenPositionsInLanguage_data();
    void shouldRenderOpenPositionsInLanguage();
    void shouldRenderPanelWhereItWasLeft_data();
    void shouldRenderPanelWhereItWasLeft();

private:
    /// A fresh session on the demo database with a settings store of its own.
    void openSession(const QString &use);
    /// Shows the control at 1280x800 with the open position report, as a
    /// host sets it up, and runs the report.
    bool showOpenPositions(Marvolt &control);

    QTemporaryDir m_dir;
    QString m_db;
};

void tst_Screenshots::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = m_dir.filePath(QStringLiteral("trading.db"));
    db::DemoDatabase::Options options;
    options.out = m_db;
    options.deals = 4000;
    options.seed = 7;
    options.today = Today;
    QString error;
    QVERIFY2(db::DemoDatabase::build(options, nullptr, &error), qPrintable(error));
    Clock::setToday(Today);
    QVERIFY(QDir().mkpath(QStringLiteral("screenshots")));
}

void tst_Screenshots::openSession(const QString &use)
{
    RegistryAccess::instance().setPath(
        m_dir.filePath(QStringLiteral("registry-%1-%2.sqlite").arg(use, QString::fromLatin1(QTest::currentDataTag()))));
    SharedValues::reset();
    SessionContext::resetInstance();
    SessionContext::instance().OpenSession(QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(m_db));
    SessionContext::instance().setCurrentUserName(QStringLiteral("dealer"));
}

bool tst_Screenshots::showOpenPositions(Marvolt &control)
{
    control.resize(1280, 800);
    control.setProperty("FormatRate", QStringLiteral("0.0000"));
    control.setProperty("FormatValue", QStringLiteral("#,##0.00"));
    control.setWindowType(0);
    control.show();
    if (!QTest::qWaitForWindowExposed(&control))
        return false;
    QSignalSpy ended(&control, &Marvolt::UnActivProgress);
    control.RefreshData();
    if (ended.isEmpty() && !ended.wait(30000))
        return false;
    QTest::qWait(50);
    return true;
}

void tst_Screenshots::cleanupTestCase()
{
    TextTable::setLanguage(TextTable::Language::English);
    SessionContext::resetInstance();
}

void tst_Screenshots::shouldRenderOpenPositionsInLanguage_data()
{
    QTest::addColumn<TextTable::Language>("language");
    QTest::addColumn<QStringList>("toolCaptions");
    const QStringList english = {QStringLiteral("Refresh"), QStringLiteral("Expand All"),
                                 QStringLiteral("Collapse All"), QStringLiteral("Undo")};
    QTest::newRow("en") << TextTable::Language::English << english;
    QTest::newRow("de") << TextTable::Language::German << english;
    QTest::newRow("ru") << TextTable::Language::Russian
                        << QStringList{QStringLiteral("Обновить"), QStringLiteral("Развернуть все"),
                                       QStringLiteral("Свернуть все"), QStringLiteral("Отменить")};
}

void tst_Screenshots::shouldRenderOpenPositionsInLanguage()
{
    QFETCH(TextTable::Language, language);
    QFETCH(QStringList, toolCaptions);
    TextTable::setLanguage(language);
    openSession(QStringLiteral("lang"));
    Marvolt control;
    QVERIFY(showOpenPositions(control));
    control.mainTable()->expandAllGroups();
    QTest::qWait(50);

    const QImage picture = control.grab().toImage();
    QCOMPARE(picture.size(), QSize(1280, 800));
    const QString file = QDir(QStringLiteral("screenshots")).absoluteFilePath(
        QStringLiteral("open-positions-%1.png").arg(QString::fromLatin1(QTest::currentDataTag())));
    QVERIFY(picture.save(file, "PNG"));

    const QStringList texts = visibleTexts(control);
    for (const QString &caption : toolCaptions)
        QVERIFY2(texts.contains(caption), qPrintable(caption + QStringLiteral(" not in: ") + texts.join(QLatin1Char('|'))));
    for (const char *caption : {"Query Params", "Deal Date", "Deal Type", "Cur Pair", "Dealer ID"})
        QVERIFY2(texts.contains(QString::fromUtf8(caption)), qPrintable(QString::fromUtf8(caption) + QStringLiteral(" not in: ") + texts.join(QLatin1Char('|'))));
    QVERIFY(control.mainTable()->ItemCount() > 0);
    QVERIFY(control.mainTable()->isVisible());
    QVERIFY(control.mainTable()->height() > 400);

}

void tst_Screenshots::shouldRenderPanelWhereItWasLeft_data()
{
    QTest::addColumn<int>("align");
    QTest::newRow("left") << int(drLeft);
    QTest::newRow("right") << int(drRight);
    QTest::newRow("bottom") << int(drBottom);
    QTest::newRow("floating") << int(drNone);
}

void tst_Screenshots::shouldRenderPanelWhereItWasLeft()
{
    QFETCH(int, align);
    TextTable::setLanguage(TextTable::Language::English);
    openSession(QStringLiteral("dock"));
    AllSettings stored;
    stored.QPAlign = AlignQEnum(align);
    stored.QPPosition = {300.0f, 200.0f};
    QVERIFY(RegistrySettings::SaveViewSetting(QStringLiteral("Currency Pairs"), stored));

    Marvolt control;
    QVERIFY(showOpenPositions(control));
    QVERIFY(control.grab().save(QDir(QStringLiteral("screenshots")).absoluteFilePath(
        QStringLiteral("panel-%1.png").arg(QString::fromLatin1(QTest::currentDataTag()))), "PNG"));

    const QWidget *panel = control.findChild<QWidget *>(QStringLiteral("QueryPanel"));
    const QWidget *grid = control.mainTable();
    QVERIFY(panel && panel->isVisible());
    // Both in the area the panel is placed in; the grid sits in the part it shares with the chart.
    const QRect p = panel->geometry();
    const QRect g(grid->mapTo(panel->parentWidget(), QPoint(0, 0)), grid->size());
    switch (align) {
    case drLeft:
        QVERIFY(p.right() < g.left());
        break;
    case drRight:
        QVERIFY(p.left() > g.right());
        break;
    case drBottom:
        QVERIFY(p.top() > g.bottom());
        break;
    default:
        // Floating over the grid at the stored place.
        QCOMPARE(p.topLeft(), QPoint(300, 200));
        QVERIFY(g.contains(p.topLeft()));
        break;
    }
}

QTEST_MAIN(tst_Screenshots)
#include "tst_screenshots.moc"
