#include "MarvoltDesignerPlugin.h"

#include <Marvolt/Marvolt.h>

#include <QApplication>
#include <QIcon>
#include <QStyle>

MarvoltDesignerPlugin::MarvoltDesignerPlugin(QObject *parent) : QObject(parent) {}

QString MarvoltDesignerPlugin::name() const
{
    return QStringLiteral("Marvolt");
}

QString MarvoltDesignerPlugin::group() const
{
    return QStringLiteral("Marvolt");
}

QString MarvoltDesignerPlugin::toolTip() const
{
    return QStringLiteral("Marvolt reporting control");
}

QString MarvoltDesignerPlugin::whatsThis() const
{
    return QStringLiteral("The Marvolt reporting control: a query panel, a toolbar and a grouped grid that "
                          "shows the report the host chooses with WindowType.");
}

QString MarvoltDesignerPlugin::includeFile() const
{
    return QStringLiteral("Marvolt/Marvolt.h");
}

QIcon MarvoltDesignerPlugin::icon() const
{
    return QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView);
}

QWidget *MarvoltDesignerPlugin::createWidget(QWidget *parent)
{
    return new Marvolt(parent);
}

void MarvoltDesignerPlugin::initialize(QDesignerFormEditorInterface *)
{
    m_initialized = true;
}

QString MarvoltDesignerPlugin::domXml() const
{
    return QStringLiteral(R"(<ui language="c++">
 <widget class="Marvolt" name="marvolt">
  <property name="geometry">
   <rect><x>0</x><y>0</y><width>800</width><height>500</height></rect>
  </property>
  <property name="FormatRate"><string>0.0000</string></property>
  <property name="FormatValue"><string>#,##0.00</string></property>
  <property name="TableName"><string>Tickets</string></property>
 </widget>
</ui>
)");
}
