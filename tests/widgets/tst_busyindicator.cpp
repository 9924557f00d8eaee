#include "BusyIndicator.h"
#include "CheckCombo.h"
#include "RelDate.h"
#include "ToolBar.h"

#include <QFormLayout>
#include <QTest>
#include <QVBoxLayout>

using widgets::BusyIndicator;

namespace {

bool hasColour(const QImage &image, const QColor &colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 0 && qAbs(c.red() - colour.red()) < 40 && qAbs(c.green() - colour.green()) < 40
                && qAbs(c.blue() - colour.blue()) < 40)
                return true;
        }
    return false;
}

} // namespace

class tst_BusyIndicator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawsOnlyWhileRunning();
    void rendersFilterPanelControls();
};

void tst_BusyIndicator::drawsOnlyWhileRunning()
{
    BusyIndicator busy;
    busy.resize(32, 32);
    const QColor highlight = busy.palette().color(QPalette::Highlight);
    QVERIFY(!busy.isRunning());
    QVERIFY(!hasColour(busy.grab().toImage(), highlight));
    busy.start();
    QVERIFY(busy.isRunning());
    QVERIFY(hasColour(busy.grab().toImage(), highlight));
    busy.stop();
    QVERIFY(!busy.isRunning());
    QVERIFY(!hasColour(busy.grab().toImage(), highlight));
}

// The query panel's controls and a toolbar as the control lays them out, saved
// beside the test for a look.
void tst_BusyIndicator::rendersFilterPanelControls()
{
    widgets::RelDate::setTodayProvider([] { return QDate(2026, 12, 5); });
    QWidget panel;
    auto *layout = new QVBoxLayout(&panel);
    auto *bar = new widgets::ToolBar(&panel);
    bar->addTool(QStringLiteral("ID_refresh"), widgets::Tool::Button, QStringLiteral("Refresh"));
    bar->addTool(QStringLiteral("ID_undo"), widgets::Tool::Button, QStringLiteral("Undo"))->setEnabled(false);
    bar->addTool(QStringLiteral("ID_expand"), widgets::Tool::Button, QStringLiteral("Expand All"));
    bar->addTool(QStringLiteral("ID_DetailWIndow"), widgets::Tool::CheckButton, QStringLiteral("List Deals"))->setState(1);
    bar->addTool(QStringLiteral("ID_ListParams"), widgets::Tool::ComboBox, QStringLiteral("Stored Filters"));
    for (const char *id : {"ID_refresh", "ID_undo", "ID_expand", "ID_DetailWIndow", "ID_ListParams"})
        bar->addToBand(QLatin1String(id));
    auto *busy = new BusyIndicator(bar);
    bar->addWidget(busy);
    busy->start();
    layout->addWidget(bar);

    auto *form = new QFormLayout;
    auto *start = new widgets::RelDate(&panel);
    start->setRelative(true);
    start->setRetDate(-1);
    auto *end = new widgets::RelDate(&panel);
    end->setAllowAll(true);
    end->setRetDate(QStringLiteral("All"));
    auto *pairs = new widgets::CheckCombo(&panel);
    pairs->setSArrayData(QVariantList{QVariantList{"EUR/USD", "GBP/USD", "USD/JPY"}, QVariantList{1, 2, 3}});
    pairs->setArrayChecked(QStringList{"EUR/USD", "USD/JPY"});
    auto *deals = new widgets::CheckCombo(&panel);
    deals->setSArrayData(QStringList{"Spot", "Outright", "Swap"});
    form->addRow(QStringLiteral("Deal Date"), start);
    form->addRow(QStringLiteral("Value Date"), end);
    form->addRow(QStringLiteral("Cur Pair"), pairs);
    form->addRow(QStringLiteral("Deal Type"), deals);
    layout->addLayout(form);
    panel.resize(620, 230);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    const QImage image = panel.grab().toImage();
    QVERIFY(image.save(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("filter-panel.png"))));
    widgets::RelDate::setTodayProvider({});
}

QTEST_MAIN(tst_BusyIndicator)
#include "tst_busyindicator.moc"
