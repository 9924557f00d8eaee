#include "TicketWindow.h"

#include "TicketText.h"

#include "DealVocabulary.h"
#include "Directories.h"
#include "MessageService.h"
#include "NumberFormat.h"
#include "RegistryAccess.h"
#include "SessionContext.h"
#include "WindowsColor.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QThreadPool>
#include <QVBoxLayout>

#include <span>

namespace {

enum class Kind { Text, Date, Amount, Rate, Period, Side, Currency, Number };

/// One field of a deal-type block: its caption, its field and how it reads.
struct BlockField
{
    const char *caption;
    const char *field;
    Kind kind;
};

constexpr BlockField SpotFields[] = {
    {"Split", "SwiftDate", Kind::Date},         {"Value Date", "ValDateP1C1", Kind::Date},
    {"Value Date 2", "ValDateP1C2", Kind::Date}, {"Side", "DealType", Kind::Side},
    {"Volume", "Volume1", Kind::Amount},        {"Counter Volume", "VolumeP1C2", Kind::Amount},
    {"Period", "Period1", Kind::Period},        {"Currency 1", "Ccy1", Kind::Currency},
    {"Currency 2", "Ccy2", Kind::Currency},     {"Rate", "ExchRate1", Kind::Rate},
};
/// An outright is a spot deal for a later day, at a premium.
constexpr BlockField PremiumField{"Premium", "OutrPremRate", Kind::Rate};
constexpr BlockField SwapFields[] = {
    {"Side", "DealType", Kind::Side},             {"Period", "Period2", Kind::Period},
    {"Currency 1", "Ccy1", Kind::Currency},       {"Currency 2", "Ccy2", Kind::Currency},
    {"Near Value Date", "ValDateP1C1", Kind::Date}, {"Near Value Date 2", "ValDateP1C2", Kind::Date},
    {"Near Volume", "Volume1", Kind::Amount},     {"Near Counter Volume", "VolumeP1C2", Kind::Amount},
    {"Near Rate", "ExchRate1", Kind::Rate},       {"With", nullptr, Kind::Text},
    {"Far Value Date", "ValDateP2C1", Kind::Date}, {"Far Value Date 2", "ValDateP2C2", Kind::Date},
    {"Far Volume", "VolumeP2C1", Kind::Amount},   {"Far Counter Volume", "VolumeP2C2", Kind::Amount},
    {"Far Rate", "ExchRate2", Kind::Rate},        {"Swap Points", "SwapRate", Kind::Rate},
};
constexpr BlockField DepositFields[] = {
    {"Side", "DealType", Kind::Side},         {"Period", "Period2", Kind::Period},
    {"Currency", "Ccy1", Kind::Currency},     {"Start", "ValDateP1C1", Kind::Date},
    {"Maturity", "ValDateP2C1", Kind::Date},  {"Principal", "Volume1", Kind::Amount},
    {"Repayment", "VolumeP2C1", Kind::Amount}, {"Rate", "DepoRate", Kind::Rate},
    {"Year", "YearLength", Kind::Number},
};
constexpr BlockField FraFields[] = {
    {"Side", "DealType", Kind::Side},          {"Period", "Period1", Kind::Period},
    {"Period 2", "Period2", Kind::Period},     {"Currency", "Ccy1", Kind::Currency},
    {"Settlement", "FRASetDate", Kind::Date},  {"Fixing", "FRAFixDate", Kind::Date},
    {"Maturity", "FRAMatDate", Kind::Date},    {"Volume", "Volume1", Kind::Amount},
    {"Volume 2", "VolumeP2C1", Kind::Amount},  {"Rate", "DepoRate", Kind::Rate},
    {"Year", "YearLength", Kind::Number},
};

struct Block
{
    int pureDealType;
    const char *title;
    std::span<const BlockField> fields;
    const BlockField *extra = nullptr;   ///< one more field after them
};
const Block Blocks[] = {
    {2, " Spot ", SpotFields},   {4, " Outright ", SpotFields, &PremiumField}, {8, " Swap ", SwapFields},
    {16, " Depo ", DepositFields}, {32, " FRA ", FraFields},
};

constexpr quint32 ValueBack = 0x80000018;   // the tool-tip background
constexpr quint32 ValueText = 0x80000008;   // the window text
constexpr quint32 ErrorBack = 0x0000FF;     // red
constexpr quint32 ErrorText = 0x80FFFF;     // light yellow
constexpr quint32 Highlight = 0x8000000D;
constexpr quint32 GreyText = 0x80000011;

/// A value label: the text on the value colours, or "<<Error>>" on the
/// error colours when there is none.
QLabel *valueLabel(const QString &text, QWidget *parent, quint32 textColor = ValueText)
{
    auto *label = new QLabel(parent);
    const bool missing = text.isNull();
    label->setText(missing ? TicketText::ErrorText : text);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, widgets::WindowsColor::toQColor(missing ? ErrorBack : ValueBack, palette));
    palette.setColor(QPalette::WindowText, widgets::WindowsColor::toQColor(missing ? ErrorText : textColor, palette));
    label->setPalette(palette);
    label->setMargin(2);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

data::Value fieldValue(data::Recordset &deal, const char *name)
{
    const data::Field field = deal.Fields(QString::fromLatin1(name));
    return field.isValid() ? field.value() : data::Value();
}

/// An amount of the deal tables, which keep money as whole ten-thousandths.
data::Currency amountOf(const data::Value &value)
{
    if (value.type() == data::DataType::Currency)
        return value.toCurrency();
    return data::Currency::fromRaw(value.toInt64());
}

/// A field as the ticket shows it; a null text for a missing or unreadable value.
QString shown(data::Recordset &deal, const BlockField &field)
{
    const data::Value value = fieldValue(deal, field.field);
    switch (field.kind) {
    case Kind::Period: return TicketText::periodName(value.isNull() ? QVariant() : value.toVariant());
    case Kind::Side: {
        if (value.isNull())
            return {};
        return TicketText::sideName(fieldValue(deal, "PureDealType").toInt(), value.toInt());
    }
    default: break;
    }
    if (value.isNull())
        return field.kind == Kind::Date && QLatin1String(field.field) == QLatin1String("SwiftDate")
                   ? QString(QLatin1String(""))   // no split: an empty place, not an error
                   : QString();
    switch (field.kind) {
    case Kind::Date: return value.toDate().date().isValid() ? value.toDate().date().toString(Qt::ISODate) : QString();
    case Kind::Amount: return NumberFormat(SessionContext::instance().ValueFormat()).format(amountOf(value));
    case Kind::Rate: return NumberFormat(SessionContext::instance().RateFormat()).format(value.toDouble());
    case Kind::Currency: {
        const TwoRowTable &currencies = Directories::current().Currencies;
        const int index = currencies.indexOfId(value.toInt());
        return index >= 0 ? currencies.text(index) : value.toString();
    }
    default: return value.toString();
    }
}

/// "DealTime" and "ConfTime" as dates and times; a null text when they are none.
QString timeText(const data::Value &value)
{
    if (value.isNull())
        return {};
    const QDateTime time = value.toDate().toQDateTime();
    return time.isValid() ? time.toString(QStringLiteral("M/d/yyyy h:mm:ss AP")) : QString();
}

/// "Name (ID)" of a person or a bank; a null text without the identifier.
QString named(data::Recordset &deal, const char *name, const char *id)
{
    const data::Value identifier = fieldValue(deal, id);
    if (identifier.isNull())
        return {};
    return fieldValue(deal, name).toString().trimmed() + QStringLiteral(" (") + identifier.toString() + QLatin1Char(')');
}

} // namespace

frmTicket::frmTicket(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTicket"));
    auto *fields = new QWidget(this);
    auto *left = new QVBoxLayout(fields);
    left->setContentsMargins(0, 0, 0, 0);
    m_header = new QFormLayout;
    left->addLayout(m_header);
    m_block = new QGroupBox(fields);
    m_blockFields = new QFormLayout(m_block);
    left->addWidget(m_block);
    m_conversationButton = new QPushButton(fields);
    m_conversationButton->setObjectName(QStringLiteral("btnConversation"));
    left->addWidget(m_conversationButton, 0, Qt::AlignRight);
    connect(m_conversationButton, &QPushButton::clicked, this, [this] { setConversationOpen(!m_displayConversation); });

    m_conversation = new QPlainTextEdit(this);
    m_conversation->setObjectName(QStringLiteral("txtConversation"));
    m_conversation->setReadOnly(true);
    m_conversation->setMinimumWidth(260);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(fields);
    layout->addWidget(m_conversation, 1);
    setConversationOpen(false);
}

frmTicket::~frmTicket() = default;

QString frmTicket::settingsKey() const
{
    return QStringLiteral("Software\\Quorvex, Ltd.\\") + m_rootName + QStringLiteral("\\Details Window\\Ticket Window");
}

void frmTicket::Activate(const QString &TCID, const QDate &DealDate, short Status, int TicketNum, QWidget *Owner,
                         const QString &RootName)
{
    if (m_looking)
        return;
    m_looking = true;
    m_rootName = RootName;
    const TicketKey key{TCID, DealDate, Status, TicketNum};
    const QString connection = SessionContext::instance().ConnectionString();
    QPointer<frmTicket> self(this);
    QPointer<QWidget> owner(Owner);
    // The database is read on a worker; the window shows what it found.
    QThreadPool::globalInstance()->start([self, owner, key, connection] {
        const TicketLookupResult found = findTicket(connection, key);
        QMetaObject::invokeMethod(
            qApp, [self, owner, found] {
                if (self)
                    self->showDeal(found, owner);
            },
            Qt::QueuedConnection);
    });
}

void frmTicket::showDeal(const TicketLookupResult &found, QWidget *owner)
{
    m_looking = false;
    if (!found.deal) {
        MessageService::instance().ShowError(found.error.isEmpty() ? QStringLiteral("Ticket not Found!")
                                                                   : QStringLiteral("Ticket not Found! ") + found.error);
        Q_EMIT NotFound();
        return;
    }
    m_deal = found.deal;
    m_archive = found.archive;
    m_deal->MoveFirst();
    setWindowTitle(QStringLiteral("Ticket # ") + fieldValue(*m_deal, "TicketNum").toString()
                   + (m_archive ? QStringLiteral(" (Archive)") : QString()));
    fillHeader();
    fillBlock();
    const QString conversation = fieldValue(*m_deal, "Conversation").isNull()
                                     ? QStringLiteral("No Conversation")
                                     : fieldValue(*m_deal, "Conversation").toString().split(QRegularExpression(
                                                                                             QStringLiteral("\r\n|\r|\n")))
                                           .join(QLatin1Char('\n'));
    m_conversation->setPlainText(conversation);

    RegistryAccess &registry = RegistryAccess::instance();
    const QString key = settingsKey();
    setConversationOpen(registry.ReadValue(key, QStringLiteral("Display Conversation"), false).toBool());
    if (owner && parentWidget() != owner)
        setParent(owner, windowFlags());
    const QVariant left = registry.ReadValue(key, QStringLiteral("Left"));
    const QVariant top = registry.ReadValue(key, QStringLiteral("Top"));
    if (left.isValid() && top.isValid())
        move(left.toInt(), top.toInt());
    setModal(true);
    show();
    Q_EMIT Shown();
}

void frmTicket::fillHeader()
{
    while (m_header->rowCount() > 0)
        m_header->removeRow(0);
    data::Recordset &deal = *m_deal;
    const auto add = [this](const char *caption, QLabel *label) { m_header->addRow(QString::fromLatin1(caption), label); };
    add("TCID", valueLabel(fieldValue(deal, "TCID").isNull() ? QString() : fieldValue(deal, "TCID").toString(), this));
    const data::Value status = fieldValue(deal, "Status");
    QLabel *statusLabel = status.isNull() ? valueLabel(QString(), this)
                                          : valueLabel(DealVocabulary::StatusName(status.toInt()), this,
                                                       TicketText::statusColor(status.toInt()));
    statusLabel->setObjectName(QStringLiteral("lblStatus"));
    add("Status", statusLabel);
    add("Deal Time", valueLabel(timeText(fieldValue(deal, "DealTime")), this));
    add("Confirmed", valueLabel(timeText(fieldValue(deal, "ConfTime")), this));
    add("Dealer", valueLabel(named(deal, "DealerName", "DealerID"), this));
    add("Confirmed by", valueLabel(named(deal, "ConfName", "ConfID"), this));
    add("Counterparty", valueLabel(named(deal, "Bank1Name", "Bank1ID"), this));
    QLabel *broker = valueLabel(TicketText::brokerText(fieldValue(deal, "BrokerID").toVariant(),
                                                       fieldValue(deal, "BrokerName").toVariant()),
                                this);
    broker->setObjectName(QStringLiteral("lblBrokerName"));
    add("Broker", broker);
    const data::Value commission = fieldValue(deal, "Commission");
    QLabel *amount = valueLabel(NumberFormat(SessionContext::instance().ValueFormat())
                                    .format(commission.isNull() ? data::Currency() : amountOf(commission))
                                    + QLatin1Char(' ') + fieldValue(deal, "CommissionCcy").toString(),
                                this);
    amount->setObjectName(QStringLiteral("lblCommissionValue"));
    add("Commission", amount);
    const data::Value netting = fieldValue(deal, "Flag_Nal");
    const bool nets = !netting.isNull() && netting.toInt() != 0;
    QLabel *nettingLabel = valueLabel(nets ? QStringLiteral("Yes") : QStringLiteral("No"), this, nets ? Highlight : GreyText);
    nettingLabel->setObjectName(QStringLiteral("lblNetting"));
    add("Netting", nettingLabel);
}

void frmTicket::fillBlock()
{
    while (m_blockFields->rowCount() > 0)
        m_blockFields->removeRow(0);
    const int type = fieldValue(*m_deal, "PureDealType").toInt();
    for (const Block &block : Blocks) {
        if (block.pureDealType != type)
            continue;
        m_block->setTitle(QString::fromLatin1(block.title));
        const auto add = [this](const BlockField &field) {
            // A field-less entry parts the swap's legs: a caption alone.
            if (!field.field)
                m_blockFields->addRow(new QLabel(QString::fromLatin1(field.caption), m_block));
            else
                m_blockFields->addRow(QString::fromLatin1(field.caption), valueLabel(shown(*m_deal, field), m_block));
        };
        for (const BlockField &field : block.fields)
            add(field);
        if (block.extra)
            add(*block.extra);
        m_block->show();
        return;
    }
    // A deal of no known type: its common fields only.
    m_block->setTitle(TicketText::ErrorText);
}

void frmTicket::setConversationOpen(bool open)
{
    m_displayConversation = open;
    m_conversation->setVisible(open);
    m_conversationButton->setText(open ? QStringLiteral("<< Conversation") : QStringLiteral("Conversation >>"));
    adjustSize();
}

void frmTicket::done(int result)
{
    if (m_deal && !m_rootName.isEmpty()) {
        RegistryAccess &registry = RegistryAccess::instance();
        registry.WriteValues(settingsKey(), {{QStringLiteral("Left"), pos().x()},
                                             {QStringLiteral("Top"), pos().y()},
                                             {QStringLiteral("Display Conversation"), m_displayConversation}});
    }
    QDialog::done(result);
}
