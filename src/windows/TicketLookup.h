#pragma once

#include "Recordset.h"

#include <QDate>
#include <QString>

/// What names one deal to the ticket window: its channel (TCID), its ticket
/// number, its status and the day it was dealt.
struct TicketKey
{
    QString tcid;
    QDate dealDate;
    int status = 0;
    qint64 ticketNum = 0;
};

/// The deal a ticket shows: its row, and whether it came from the archive;
/// no row (and the database's reason in error, when it failed) when neither
/// table holds it.
struct TicketLookupResult
{
    data::RecordsetPtr deal;
    bool archive = false;
    QString error;
};

/// Finds one deal for the ticket window, first among the current deals
/// (Tickets), then in the archive. Every value is bound, so a channel or a
/// name with a quote in it finds its deal; the day is the deal's own
/// (DealTime), so a deal not confirmed yet, or confirmed on a later day, is
/// found as well.
///
/// Opens a read-only connection of its own and runs on the thread that calls
/// it: the window calls it on a worker.
TicketLookupResult findTicket(const QString &connectionString, const TicketKey &key);
