#pragma once

#include "Tool.h"

#include <QHash>
#include <QList>
#include <QPoint>
#include <QToolBar>

#include <functional>

namespace widgets {

/// The control's toolbar: a band of tools plus the menus built from the same
/// tools. Tools are created once with an id and looked up by that id without
/// regard to letter case ("ID_Undo" finds "ID_undo"), because callers write
/// some ids with other capitals than the toolbar.
///
/// Events: ToolClick(tool) when the user clicks a button, check button (State
/// already changed) or menu entry; ComboSelChange(tool) when the user picks an
/// entry of a combo tool (ListIndex set) or confirms a text tool;
/// MouseEnter(tool) when the pointer comes onto a tool (its Description is the
/// status-bar hint). A disabled tool raises nothing.
class ToolBar final : public QToolBar
{
    Q_OBJECT

public:
    explicit ToolBar(QWidget *parent = nullptr);

    /// Creates a tool. Returns nullptr (and creates nothing) when the id is
    /// empty or already taken, in any letter case.
    Tool *addTool(const QString &id, Tool::Kind kind, const QString &caption = {});
    /// The tool with this id, without regard to case; nullptr when absent.
    Tool *Tools(const QString &id) const;
    QList<Tool *> tools() const { return m_tools; }

    /// Places a tool on the band (after the tools already there). False for an
    /// unknown id or a pop-up menu (pop-ups are never on the band).
    bool addToBand(const QString &id);
    void addSeparatorToBand();
    /// Appends a tool (or "-" for a separator) to a menu or pop-up menu tool.
    bool addToMenu(const QString &menuId, const QString &toolId);

    /// Shows a menu or pop-up menu tool's menu at a global position (the
    /// pointer by default) without blocking. False for an unknown id or a
    /// tool without a menu.
    bool PopupMenu(const QString &id, const QPoint &globalPos);
    bool PopupMenu(const QString &id);

    /// Gives every tool whose Tag is a positive number N the caption
    /// text(N), the tool tip text(N + 1) and the description text(N + 2);
    /// tools without such a tag keep their texts.
    void localise(const std::function<QString(int)> &text);

Q_SIGNALS:
    void ToolClick(widgets::Tool *tool);
    void ComboSelChange(widgets::Tool *tool);
    void MouseEnter(widgets::Tool *tool);

private:
    void wire(Tool *tool);

    QList<Tool *> m_tools;
    QHash<QString, Tool *> m_byId;   // case-folded id
};

} // namespace widgets
