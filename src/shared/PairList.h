#pragma once

#include "Recordset.h"

#include <QString>
#include <QStringList>

/// The pair list of the filter panel's pair control: the currency pairs of
/// the directory with every currency replaced by its parent ("USD/RUR" is
/// shown as "USD/RUB"), each pair once in whichever orientation came first.
namespace PairList {

/// The pair recordset BuildPairList walks: "PairID", "Ccy1", "Ccy2" (codes)
/// of every pair, read on the session connection. Null when there is no
/// session or the read failed.
data::RecordsetPtr PairRecordset();

/// Walks pairs from its first row: for each row maps "Ccy1" and "Ccy2" to
/// their parents (DatabaseLookups::GetParentCcys) and appends "parent1/parent2" unless the
/// pair is already there in either orientation. Leaves pairs at EOF. A
/// recordset without the two fields gives an empty list.
QStringList BuildPairList(data::Recordset &pairs);

/// Appends text to array (an empty array becomes the one-element array).
void AppendToArray(QStringList &array, const QString &text);

/// The first (part 1) or second (part 2) currency of a pair split at "/"
/// ("EUR/USD": "EUR", "USD"); any other part, or one the text lacks, gives "".
QString PairPart(int part, const QString &pair);

} // namespace PairList
