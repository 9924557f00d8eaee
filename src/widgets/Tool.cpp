#include "Tool.h"

#include "ToolBar.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>

namespace widgets {

Tool::Tool(const QString &id, Kind kind, ToolBar *bar)
    : QObject(bar)
    , m_id(id)
    , m_kind(kind)
    , m_action(new QAction(id, this))
{
    m_action->setObjectName(id);
    if (kind == CheckButton)
        m_action->setCheckable(true);
    if (kind == Menu || kind == PopupMenu) {
        m_menu = new QMenu(bar);
        m_menu->setTitle(id);
        m_action->setMenu(m_menu);
    }
    if (kind == ComboBox) {
        m_combo = new QComboBox(bar);
        m_combo->setObjectName(id);
        m_combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        m_combo->setMinimumContentsLength(14);
        m_combo->setCurrentIndex(-1);
    }
    if (kind == TextBox) {
        m_edit = new QLineEdit(bar);
        m_edit->setObjectName(id);
    }
}

QWidget *Tool::editor() const
{
    if (m_combo)
        return m_combo;
    return m_edit;
}

QString Tool::Caption() const
{
    return m_action->text();
}

void Tool::setCaption(const QString &caption)
{
    m_action->setText(caption);
    m_action->setIconText(caption);
    if (m_menu)
        m_menu->setTitle(caption);
    if (m_combo)
        m_combo->setPlaceholderText(caption);
    if (m_edit)
        m_edit->setPlaceholderText(caption);
}

QString Tool::ToolTipText() const
{
    return m_action->toolTip();
}

void Tool::setToolTipText(const QString &text)
{
    m_action->setToolTip(text);
    if (QWidget *w = editor())
        w->setToolTip(text);
}

QString Tool::Description() const
{
    return m_description;
}

void Tool::setDescription(const QString &text)
{
    m_description = text;
    m_action->setStatusTip(text);
    if (QWidget *w = editor())
        w->setStatusTip(text);
}

bool Tool::Enabled() const
{
    return m_action->isEnabled();
}

void Tool::setEnabled(bool enabled)
{
    m_action->setEnabled(enabled);
    if (QWidget *w = editor())
        w->setEnabled(enabled);
}

bool Tool::Visible() const
{
    return m_action->isVisible();
}

void Tool::setVisible(bool visible)
{
    // For combo and text tools the action is the one the band made for the
    // editor, so hiding it hides the editor as well.
    m_action->setVisible(visible);
}

int Tool::State() const
{
    return m_kind == CheckButton && m_action->isChecked() ? 1 : 0;
}

void Tool::setState(int state)
{
    if (m_kind == CheckButton)
        m_action->setChecked(state != 0);
}

void Tool::setIcon(const QIcon &icon)
{
    m_action->setIcon(icon);
}

void Tool::AddItem(const QString &text)
{
    if (!m_combo)
        return;
    m_programmatic = true;
    const int keep = m_combo->currentIndex();
    m_combo->addItem(text);
    m_combo->setCurrentIndex(keep);
    m_programmatic = false;
}

void Tool::Clear()
{
    if (!m_combo)
        return;
    m_programmatic = true;
    m_combo->clear();
    m_combo->setCurrentIndex(-1);
    m_programmatic = false;
}

int Tool::ListCount() const
{
    return m_combo ? m_combo->count() : 0;
}

QString Tool::List(int index) const
{
    return m_combo ? m_combo->itemText(index) : QString();
}

int Tool::ListIndex() const
{
    return m_combo ? m_combo->currentIndex() : -1;
}

void Tool::setListIndex(int index)
{
    if (!m_combo || index < -1 || index >= m_combo->count())
        return;
    m_programmatic = true;
    m_combo->setCurrentIndex(index);
    m_programmatic = false;
}

QString Tool::Text() const
{
    if (m_combo)
        return m_combo->currentIndex() >= 0 ? m_combo->currentText() : QString();
    return m_edit ? m_edit->text() : QString();
}

void Tool::setText(const QString &text)
{
    m_programmatic = true;
    if (m_combo)
        m_combo->setCurrentIndex(m_combo->findText(text));
    else if (m_edit)
        m_edit->setText(text);
    m_programmatic = false;
}

} // namespace widgets
