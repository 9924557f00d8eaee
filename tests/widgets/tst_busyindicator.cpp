#include "BusyIndicator.h"

#include <QTest>

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

QTEST_MAIN(tst_BusyIndicator)
#include "tst_busyindicator.moc"
