#include "ToolBar.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace widgets {

ToolBar::ToolBar(QWidget *parent)
    : QToolBar(parent)
{
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setIconSize(QSize(18, 18));
}

Tool *ToolBar::addTool(const QString &id, Tool::Kind kind, const QString &caption)
{
    const QString key = id.toCaseFolded();
    if (id.isEmpty() || m_byId.contains(key))
        return nullptr;
    auto *tool = new Tool(id, kind, this);
    m_tools.append(tool);
    m_byId.insert(key, tool);
    tool->setCaption(caption.isEmpty() ? id : caption);
    wire(tool);
    return tool;
}

Tool *ToolBar::Tools(const QString &id) const
{
    return m_byId.value(id.toCaseFolded(), nullptr);
}

void ToolBar::wire(Tool *tool)
{
    QAction *action = tool->action();
    connect(action, &QAction::hovered, this, [this, tool] { Q_EMIT MouseEnter(tool); });
    if (tool->kind() == Tool::Button || tool->kind() == Tool::CheckButton) {
        connect(action, &QAction::triggered, this, [this, tool] {
            if (tool->Enabled())
                Q_EMIT ToolClick(tool);
        });
    }
    if (QComboBox *combo = qobject_cast<QComboBox *>(tool->editor())) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this, tool](int) {
            if (!tool->m_programmatic)
                Q_EMIT ComboSelChange(tool);
        });
    }
    if (QLineEdit *edit = qobject_cast<QLineEdit *>(tool->editor())) {
        connect(edit, &QLineEdit::editingFinished, this, [this, tool] {
            if (!tool->m_programmatic)
                Q_EMIT ComboSelChange(tool);
        });
    }
}

bool ToolBar::addToBand(const QString &id)
{
    Tool *tool = Tools(id);
    if (!tool || tool->kind() == Tool::PopupMenu)
        return false;
    if (QWidget *editor = tool->editor()) {
        // The band makes an action for the editor; the tool's visibility must
        // act on that one, so the tool adopts it.
        QAction *placed = addWidget(editor);
        QAction *original = tool->action();
        placed->setText(original->text());
        placed->setToolTip(original->toolTip());
        placed->setStatusTip(original->statusTip());
        placed->setVisible(original->isVisible());
        placed->setEnabled(original->isEnabled());
        connect(placed, &QAction::hovered, this, [this, tool] { Q_EMIT MouseEnter(tool); });
        tool->m_action->deleteLater();
        tool->m_action = placed;
        return true;
    }
    addAction(tool->action());
    if (tool->kind() == Tool::Menu) {
        if (auto *button = qobject_cast<QToolButton *>(widgetForAction(tool->action())))
            button->setPopupMode(QToolButton::InstantPopup);
    }
    return true;
}

void ToolBar::addSeparatorToBand()
{
    addSeparator();
}

bool ToolBar::addToMenu(const QString &menuId, const QString &toolId)
{
    Tool *menuTool = Tools(menuId);
    if (!menuTool || !menuTool->menu())
        return false;
    if (toolId == QLatin1String("-")) {
        menuTool->menu()->addSeparator();
        menuTool->m_menuItems.append(toolId);
        return true;
    }
    Tool *tool = Tools(toolId);
    if (!tool || tool == menuTool || tool->kind() == Tool::PopupMenu || tool->editor())
        return false;
    menuTool->menu()->addAction(tool->action());
    menuTool->m_menuItems.append(tool->Id());
    return true;
}

bool ToolBar::PopupMenu(const QString &id, const QPoint &globalPos)
{
    Tool *tool = Tools(id);
    if (!tool || !tool->menu())
        return false;
    tool->menu()->popup(globalPos);
    return true;
}

void ToolBar::localise(const std::function<QString(int)> &text)
{
    for (Tool *tool : m_tools) {
        bool isNumber = false;
        const int tag = tool->Tag().toInt(&isNumber);
        if (!isNumber || tag <= 0)
            continue;
        tool->setCaption(text(tag));
        tool->setToolTipText(text(tag + 1));
        tool->setDescription(text(tag + 2));
    }
}

bool ToolBar::PopupMenu(const QString &id)
{
    return PopupMenu(id, QCursor::pos());
}

} // namespace widgets
