#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

/// The fixed vocabularies that map what the user picks in the filter panel to
/// the codes the trading database stores, and the captions a closed
/// multi-select filter shows.
namespace DealVocabulary {

/// "Spot" 2, "Outright" 4, "Swap" 8, "Deposit" 16, "FRA" 32, anything else 0.
/// Exact comparison: the names come from our own lists, never typed by users.
quint8 DealTypeCode(const QString &text);

/// The deal status code of a status name; an unknown name (including a known
/// name in other letter case) is 0, the same as "Non Checked".
qint16 StatusCode(const QString &text);

/// The status name of a code; a code outside the table is "Unidentified".
QString StatusName(int code);

/// "LORO" 2, "NOSTRO" 1, anything else 0, compared without regard to case.
int LoroNostroCode(const QString &text);

/// The caption of a closed selection: "All" for an empty selection, the one
/// element itself, or "List" for more.
QString ListTitle(const QStringList &selection);

/// As ListTitle, but a single element shows only its last "|"-separated part
/// (legend entries carry their group before the name).
QString KeyTitle(const QStringList &selection);

} // namespace DealVocabulary
