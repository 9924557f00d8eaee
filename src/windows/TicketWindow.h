#pragma once

#include "TicketLookup.h"

#include <QDialog>

class QFormLayout;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

/// The deal ticket window: one deal in full, as a ticket. The header holds
/// its identification (ticket number, channel, status in its colour, deal
/// and confirmation times, dealer, confirmer, counterparty), the broker, the
/// commission and the netting flag; a block below holds the fields of its
/// deal type (spot, outright, swap, deposit or FRA); a panel at the side
/// holds the dealers' conversation and opens and closes with its button.
///
/// Activate finds the deal on a worker (findTicket: the current deals, then
/// the archive) and then shows the window modally over the owner, or says
/// "Ticket not Found!" through MessageService. A field that is missing or
/// of the wrong kind shows "<<Error>>" in red; the window still opens.
///
/// The window's place and whether the conversation is open are kept under
/// "<root>\Details Window\Ticket Window" ("Left", "Top", "Display
/// Conversation"), read when it opens and written when it closes (Escape
/// closes it).
class frmTicket final : public QDialog
{
    Q_OBJECT
public:
    explicit frmTicket(QWidget *parent = nullptr);
    ~frmTicket() override;

    /// Finds the deal of channel TCID, day DealDate, status Status and ticket
    /// number TicketNum and shows it over Owner; RootName names the settings'
    /// branch (the report's App_Name).
    Q_INVOKABLE void Activate(const QString &TCID, const QDate &DealDate, short Status, int TicketNum,
                              QWidget *Owner, const QString &RootName);

    bool DisplayConversation() const { return m_displayConversation; }
    /// The deal shown; null before one is.
    data::RecordsetPtr deal() const { return m_deal; }

Q_SIGNALS:
    /// The deal is shown.
    void Shown();
    /// Neither table holds the deal; the window stays closed.
    void NotFound();

public:
    void done(int result) override;

private:
    void showDeal(const TicketLookupResult &found, QWidget *owner);
    void fillHeader();
    void fillBlock();
    void setConversationOpen(bool open);
    QString settingsKey() const;

    QFormLayout *m_header = nullptr;
    QGroupBox *m_block = nullptr;
    QFormLayout *m_blockFields = nullptr;
    QPlainTextEdit *m_conversation = nullptr;
    QPushButton *m_conversationButton = nullptr;
    data::RecordsetPtr m_deal;
    bool m_archive = false;
    bool m_displayConversation = false;
    QString m_rootName;
    /// Whether a look-up is going; a second Activate meanwhile is ignored.
    bool m_looking = false;
};
