#include "CheckCombo.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStylePainter>

namespace widgets {

namespace {

const QString AllText = QStringLiteral("All");

bool isList(const QVariant &v)
{
    const int id = v.metaType().id();
    return id == QMetaType::QVariantList || id == QMetaType::QStringList;
}

} // namespace

CheckCombo::CheckCombo(QWidget *parent)
    : QComboBox(parent)
    , m_items(new QStandardItemModel(this))
{
    setModel(m_items);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
    setFocusPolicy(Qt::StrongFocus);
    view()->viewport()->installEventFilter(this);
    view()->installEventFilter(this);
    rebuildItems();
}

void CheckCombo::setTypeData(int type)
{
    m_typeData = type;
}

void CheckCombo::setSArrayData(const QVariant &data)
{
    m_arrayData = data;
    rebuildItems();
}

void CheckCombo::rebuildItems()
{
    QList<QPair<QString, QVariant>> entries;
    const QVariantList list = isList(m_arrayData) ? m_arrayData.toList() : QVariantList();
    if (list.size() == 2 && isList(list.at(0)) && isList(list.at(1))) {
        // Two-row table: (0, i) the text, (1, i) the identifier. A text
        // without an identifier (a short second row) stands for itself.
        const QVariantList texts = list.at(0).toList();
        const QVariantList ids = list.at(1).toList();
        for (int i = 0; i < texts.size(); ++i)
            entries.append({texts.at(i).toString(), i < ids.size() ? ids.at(i) : texts.at(i)});
    } else if (!list.isEmpty()) {
        for (const QVariant &v : list)
            entries.append({v.toString(), v.toString()});
    } else if (m_arrayData.metaType().id() == QMetaType::QString && !m_arrayData.toString().isEmpty()) {
        entries.append({m_arrayData.toString(), m_arrayData.toString()});
    }

    m_items->clear();
    auto *all = new QStandardItem(AllText);
    all->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    m_items->appendRow(all);
    for (const auto &[text, id] : entries) {
        // "All" in the data would be a second "All": the first entry already is one.
        if (text == AllText)
            continue;
        auto *item = new QStandardItem(text);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setData(id, Qt::UserRole);
        m_items->appendRow(item);
    }
    syncChecks();
}

void CheckCombo::syncChecks()
{
    for (int row = 0; row < m_items->rowCount(); ++row) {
        QStandardItem *item = m_items->item(row);
        const bool checked = row == 0 ? m_checked.isEmpty() : m_checked.contains(item->text());
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
    setToolTip(displayText());
    update();
}

int CheckCombo::itemCountWithoutAll() const
{
    return m_items->rowCount() - 1;
}

QString CheckCombo::itemText(int index) const
{
    const QStandardItem *item = m_items->item(index + 1);
    return item ? item->text() : QString();
}

QVariant CheckCombo::itemId(int index) const
{
    const QStandardItem *item = m_items->item(index + 1);
    return item ? item->data(Qt::UserRole) : QVariant();
}

QStringList CheckCombo::ArrayChecked() const
{
    if (m_checked.isEmpty())
        return {AllText};
    QStringList result;
    QStringList unknown = m_checked;
    for (int row = 1; row < m_items->rowCount(); ++row) {
        const QString text = m_items->item(row)->text();
        if (m_checked.contains(text)) {
            result.append(text);
            unknown.removeAll(text);
        }
    }
    return result + unknown;
}

QVariantList CheckCombo::ArrayCheckedID() const
{
    QVariantList ids;
    for (int row = 1; row < m_items->rowCount(); ++row)
        if (m_checked.contains(m_items->item(row)->text()))
            ids.append(m_items->item(row)->data(Qt::UserRole));
    return ids;
}

void CheckCombo::setArrayChecked(const QVariant &checked)
{
    QStringList texts;
    if (isList(checked))
        texts = checked.toStringList();
    else if (!checked.toString().isEmpty())
        texts.append(checked.toString());
    if (!texts.isEmpty() && texts.first() == AllText)
        texts.clear();
    setChecked(texts, 1);
}

void CheckCombo::setChecked(const QStringList &texts, int argument)
{
    QStringList normalized;
    for (const QString &t : texts)
        if (t != AllText && !normalized.contains(t))
            normalized.append(t);
    const QSet<QString> before(m_checked.cbegin(), m_checked.cend());
    const QSet<QString> after(normalized.cbegin(), normalized.cend());
    if (before == after)
        return;
    m_checked = normalized;
    syncChecks();
    Q_EMIT Change(argument);
}

QString CheckCombo::Titul() const
{
    const QStringList checked = ArrayChecked();
    if (m_checked.isEmpty())
        return AllText;
    return checked.size() == 1 ? checked.first() : QStringLiteral("List");
}

QString CheckCombo::displayText() const
{
    return m_checked.isEmpty() ? AllText : ArrayChecked().join(QStringLiteral(", "));
}

void CheckCombo::toggleRow(int row)
{
    if (row < 0 || row >= m_items->rowCount())
        return;
    if (row == 0) {
        setChecked({}, 0);
        return;
    }
    const QString text = m_items->item(row)->text();
    if (m_typeData == 1) {
        setChecked({text}, 0);
        hidePopup();
        return;
    }
    QStringList next = m_checked;
    if (next.contains(text))
        next.removeAll(text);
    else
        next.append(text);
    setChecked(next, 0);
}

void CheckCombo::showPopup()
{
    // Open on the first checked entry so that the selection is in view.
    int first = 0;
    for (int row = 1; row < m_items->rowCount() && first == 0; ++row)
        if (m_checked.contains(m_items->item(row)->text()))
            first = row;
    setCurrentIndex(first);
    QComboBox::showPopup();
}

bool CheckCombo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view()->viewport()) {
        // A click toggles the entry and leaves the list open for the next one.
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *me = static_cast<QMouseEvent *>(event);
            const QModelIndex index = view()->indexAt(me->position().toPoint());
            if (index.isValid() && me->button() == Qt::LeftButton)
                toggleRow(index.row());
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick)
            return true;
    } else if (watched == view() && event->type() == QEvent::KeyPress) {
        const auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_Space) {
            toggleRow(view()->currentIndex().row());
            return true;
        }
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            hidePopup();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void CheckCombo::keyPressEvent(QKeyEvent *event)
{
    // The closed box has no "current item" to step through: the arrows open
    // the list instead of silently changing an index nobody reads.
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        if (event->modifiers() & Qt::AltModifier || event->key() == Qt::Key_Down)
            showPopup();
        event->accept();
        return;
    default:
        QComboBox::keyPressEvent(event);
    }
}

void CheckCombo::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    opt.currentText = fontMetrics().elidedText(displayText(), Qt::ElideRight, field.width());
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    painter.drawControl(QStyle::CE_ComboBoxLabel, opt);
}

} // namespace widgets
