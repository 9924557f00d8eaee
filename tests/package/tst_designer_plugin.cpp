// The Designer plugin as Designer uses it: loaded from its file, it names the
// control and its include, gives a form snippet Designer can read, and makes
// a working control whose properties Designer's property editor sets.

#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <QDomDocument>
#include <QPluginLoader>
#include <QTest>
#include <QWidget>

class TestDesignerPlugin final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void makesTheControlWithItsProperties()
    {
        QPluginLoader loader(QStringLiteral(MARVOLT_DESIGNER_PLUGIN));
        QVERIFY2(loader.load(), qPrintable(loader.errorString()));
        auto *plugin = qobject_cast<QDesignerCustomWidgetInterface *>(loader.instance());
        QVERIFY(plugin);
        QCOMPARE(plugin->name(), QStringLiteral("Marvolt"));
        QCOMPARE(plugin->includeFile(), QStringLiteral("Marvolt/Marvolt.h"));
        QVERIFY(!plugin->isContainer());

        // The snippet is a form Designer parses: one widget of the plugin's class.
        QDomDocument form;
        QVERIFY(form.setContent(plugin->domXml()));
        const QDomElement widget = form.documentElement().firstChildElement(QStringLiteral("widget"));
        QCOMPARE(widget.attribute(QStringLiteral("class")), plugin->name());

        QWidget parent;
        QWidget *control = plugin->createWidget(&parent);
        QVERIFY(control);
        QCOMPARE(QString::fromLatin1(control->metaObject()->className()), QStringLiteral("Marvolt"));
        QCOMPARE(control->parentWidget(), &parent);
        // What the property editor lists and writes.
        for (const char *property : {"TableName", "FormatRate", "FormatValue", "UserName", "WindowType"})
            QVERIFY2(control->metaObject()->indexOfProperty(property) >= 0, property);
        QVERIFY(control->setProperty("UserName", QStringLiteral("designer")));
        QCOMPARE(control->property("UserName").toString(), QStringLiteral("designer"));
        QVERIFY(control->setProperty("FormatValue", QStringLiteral("#,##0.000")));
        QCOMPARE(control->property("FormatValue").toString(), QStringLiteral("#,##0.000"));
        // No report without a WindowType: the control stands empty, as on a form.
        QCOMPARE(control->property("WindowType").toInt(), -1);
    }
};

QTEST_MAIN(TestDesignerPlugin)
#include "tst_designer_plugin.moc"
