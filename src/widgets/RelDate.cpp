#include "RelDate.h"

#include "CellValue.h"
#include "DateTime.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>

namespace widgets {

namespace {

std::function<QDate()> &todayProvider()
{
    static std::function<QDate()> provider;
    return provider;
}

const QString AllText = QStringLiteral("All");
constexpr int MaxDays = 36500;

} // namespace

RelDate::RelDate(QWidget *parent)
    : QWidget(parent)
    , m_stack(new QStackedWidget(this))
    , m_dateEdit(new QDateEdit(this))
    , m_daysEdit(new QSpinBox(this))
    , m_allLabel(new QLineEdit(AllText, this))
    , m_resolved(new QLabel(this))
    , m_allButton(new QToolButton(this))
    , m_date(today())
{
    m_dateEdit->setCalendarPopup(true);
    m_dateEdit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_dateEdit->setDate(m_date);
    m_daysEdit->setRange(-MaxDays, MaxDays);
    m_daysEdit->setPrefix(tr("Today "));
    m_daysEdit->setSuffix(tr(" d"));
    m_daysEdit->setSpecialValueText(QString());
    m_allLabel->setReadOnly(true);
    m_allLabel->setFocusPolicy(Qt::NoFocus);
    // One line high whatever the layout offers: the stack would otherwise
    // stretch the spin box to the height of the row.
    m_stack->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_resolved->setForegroundRole(QPalette::PlaceholderText);
    m_allButton->setText(AllText);
    m_allButton->setCheckable(true);
    m_allButton->setToolTip(tr("No bound: all dates"));
    m_allButton->setFocusPolicy(Qt::TabFocus);

    m_stack->addWidget(m_dateEdit);
    m_stack->addWidget(m_daysEdit);
    m_stack->addWidget(m_allLabel);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_stack, 1);
    layout->addWidget(m_resolved);
    layout->addWidget(m_allButton);
    setFocusProxy(m_dateEdit);

    connect(m_dateEdit, &QDateEdit::dateChanged, this, &RelDate::userChangedDate);
    connect(m_daysEdit, &QSpinBox::valueChanged, this, &RelDate::userChangedDays);
    connect(m_allButton, &QToolButton::toggled, this, &RelDate::userToggledAll);
    showState();
}

void RelDate::setTodayProvider(std::function<QDate()> provider)
{
    todayProvider() = std::move(provider);
}

QDate RelDate::today()
{
    const auto &provider = todayProvider();
    return provider ? provider() : QDate::currentDate();
}

QDate RelDate::date() const
{
    if (m_all)
        return {};
    return m_relative ? today().addDays(m_days) : m_date;
}

int RelDate::dayCount() const
{
    if (m_all)
        return 0;
    return m_relative ? m_days : int(today().daysTo(m_date));
}

QVariant RelDate::Value() const
{
    return m_all ? QVariant(AllText) : QVariant(date());
}

QVariant RelDate::RetDate() const
{
    if (m_all)
        return AllText;
    return m_relative ? QVariant(m_days) : QVariant(m_date);
}

bool RelDate::setRetDate(const QVariant &given)
{
    const QVariant value = CellValue::unwrap(given);
    QDate date;
    bool isDays = false;
    int days = 0;
    bool all = false;
    const int type = value.metaType().id();
    if (value.metaType() == QMetaType::fromType<data::DateTime>()) {
        date = QDateTime::fromSecsSinceEpoch(value.value<data::DateTime>().secs(), Qt::UTC).date();
    } else if (type == QMetaType::QDate) {
        date = value.toDate();
    } else if (type == QMetaType::QDateTime) {
        date = value.toDateTime().date();
    } else if (type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::Short
               || type == QMetaType::UInt || type == QMetaType::Double) {
        const double d = value.toDouble();
        if (d < -MaxDays || d > MaxDays || d != qint64(d))
            return false;
        isDays = true;
        days = int(d);
    } else if (type == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        bool ok = false;
        const int n = text.toInt(&ok);
        if (text.compare(AllText, Qt::CaseInsensitive) == 0) {
            all = true;
        } else if (ok && n >= -MaxDays && n <= MaxDays) {
            isDays = true;
            days = n;
        } else {
            date = QDate::fromString(text, Qt::ISODate);
            if (!date.isValid())
                date = QDate::fromString(text, QStringLiteral("M/d/yyyy"));
        }
    }
    if (!all && !isDays && !date.isValid())
        return false;

    m_all = all;
    if (isDays) {
        m_days = days;
        m_date = today().addDays(days);
    } else if (date.isValid()) {
        m_date = date;
        m_days = int(qBound(qint64(-MaxDays), today().daysTo(date), qint64(MaxDays)));
    }
    showState();
    return true;
}

void RelDate::setRelative(bool relative)
{
    if (m_relative == relative)
        return;
    // The same day in the other form.
    if (relative)
        m_days = int(qBound(qint64(-MaxDays), today().daysTo(m_date), qint64(MaxDays)));
    else
        m_date = today().addDays(m_days);
    m_relative = relative;
    showState();
}

void RelDate::setAllowAll(bool allow)
{
    m_allowAll = allow;
    showState();
}

void RelDate::showState()
{
    m_updating = true;
    m_dateEdit->setDate(m_relative ? today().addDays(m_days) : m_date);
    m_daysEdit->setValue(m_days);
    m_stack->setCurrentWidget(m_all ? static_cast<QWidget *>(m_allLabel)
                                    : m_relative ? static_cast<QWidget *>(m_daysEdit) : m_dateEdit);
    m_resolved->setVisible(m_relative && !m_all);
    m_resolved->setText(today().addDays(m_days).toString(QStringLiteral("yyyy-MM-dd")));
    m_allButton->setVisible(m_allowAll || m_all);
    m_allButton->setChecked(m_all);
    setFocusProxy(m_relative ? static_cast<QWidget *>(m_daysEdit) : m_dateEdit);
    m_updating = false;
}

void RelDate::userChangedDate(QDate date)
{
    if (m_updating || !date.isValid())
        return;
    m_date = date;
    m_days = int(qBound(qint64(-MaxDays), today().daysTo(date), qint64(MaxDays)));
    showState();
    Q_EMIT Change();
}

void RelDate::userChangedDays(int days)
{
    if (m_updating)
        return;
    m_days = days;
    m_date = today().addDays(days);
    showState();
    Q_EMIT Change();
}

void RelDate::userToggledAll(bool all)
{
    if (m_updating || all == m_all)
        return;
    m_all = all;
    showState();
    Q_EMIT Change();
}

} // namespace widgets
