#pragma once

#include <QComboBox>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

class QAction;

namespace widgets {

class ToolBar;

/// One tool of a ToolBar, addressed by its id ("ID_refresh"): a button, a
/// check button with State 0/1, a combo box, a text box, a drop-down menu or
/// a pop-up menu. The tool owns its QAction; the same action appears on the
/// band and in every menu that holds the tool, so its caption, enabled and
/// check state are the same everywhere.
///
/// Setting State, ListIndex or Text from code raises no event: only what the
/// user does raises ToolClick and ComboSelChange (see ToolBar).
class Tool final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Id READ Id CONSTANT)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QString ToolTipText READ ToolTipText WRITE setToolTipText)
    Q_PROPERTY(QString Description READ Description WRITE setDescription)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(int State READ State WRITE setState)
    Q_PROPERTY(QVariant Tag READ Tag WRITE setTag)

public:
    enum Kind { Button, CheckButton, ComboBox, TextBox, Menu, PopupMenu };
    Q_ENUM(Kind)

    Kind kind() const { return m_kind; }
    QString Id() const { return m_id; }

    QString Caption() const;
    void setCaption(const QString &caption);
    QString ToolTipText() const;
    void setToolTipText(const QString &text);
    /// The longer text a host shows in its status bar while the mouse is on the tool.
    QString Description() const;
    void setDescription(const QString &text);
    bool Enabled() const;
    void setEnabled(bool enabled);
    bool Visible() const;
    void setVisible(bool visible);
    /// Check buttons: 0 unchecked, 1 checked. Other tools: always 0; setting it does nothing.
    int State() const;
    void setState(int state);
    /// The tag the text table localises by (a number), or anything the owner keeps.
    QVariant Tag() const { return m_tag; }
    void setTag(const QVariant &tag) { m_tag = tag; }
    void setIcon(const QIcon &icon);

    // --- combo box ----------------------------------------------------------------
    void AddItem(const QString &text);
    void Clear();
    int ListCount() const;
    QString List(int index) const;
    /// The selected entry, -1 for none.
    int ListIndex() const;
    void setListIndex(int index);

    // --- combo and text boxes -------------------------------------------------------
    QString Text() const;
    void setText(const QString &text);

    // --- menus ------------------------------------------------------------------------
    /// The tools the menu holds, in order; "-" stands for a separator.
    QStringList menuItems() const { return m_menuItems; }
    QMenu *menu() const { return m_menu; }

    QAction *action() const { return m_action; }
    /// The combo box or line edit of a combo or text tool, else nullptr.
    QWidget *editor() const;

private:
    friend class ToolBar;
    Tool(const QString &id, Kind kind, ToolBar *bar);

    QString m_id;
    Kind m_kind;
    QAction *m_action;
    QPointer<QComboBox> m_combo;
    QPointer<QLineEdit> m_edit;
    QPointer<QMenu> m_menu;
    QStringList m_menuItems;
    QString m_description;
    QVariant m_tag;
    bool m_programmatic = false;
};

} // namespace widgets
