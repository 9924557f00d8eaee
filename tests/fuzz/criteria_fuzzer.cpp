// libFuzzer entry for the recordset filter criteria: each input is set as the
// filter of a small deal table (a column of every storage kind, nulls in most)
// and searched for with Find; the number, date and LIKE readers get it too.
// Besides the sanitizers' findings, a broken promise of the criteria engine
// aborts the run:
// - a refused criteria leaves an InvalidArgument error naming a position
//   inside the text (or just past its end) and keeps the previous filter;
// - an accepted one shows at most the table's rows;
// - the exact forms of a number agree with its double;
// - every LIKE pattern matches its own text.

#include "CriteriaParser.h"
#include "DealFixture.h"
#include "LikePattern.h"
#include "Recordset.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void broken(const char *promise, const QString &input)
{
    std::fprintf(stderr, "criteria_fuzzer: %s\ninput: %s\n", promise, input.toUtf8().constData());
    std::abort();
}

/// The N of "at position N:" in an error description; -1 without one.
int positionIn(const QString &description)
{
    static const QString marker = QStringLiteral("at position ");
    const qsizetype at = description.indexOf(marker);
    if (at < 0)
        return -1;
    const qsizetype start = at + marker.size();
    const qsizetype colon = description.indexOf(QLatin1Char(':'), start);
    bool ok = false;
    const int position = description.mid(start, colon - start).toInt(&ok);
    return ok ? position : -1;
}

void checkFilter(const QString &input)
{
    static const data::RecordsetPtr deals = fixture::makeDeals();
    static const data::RecordsetPtr search = deals->Clone();
    static const QString previous = QStringLiteral("Ccy = 5");
    if (!deals->setFilter(previous))
        broken("the fixed filter was refused", previous);
    const qint64 rows = deals->RecordCount();

    if (deals->setFilter(input)) {
        if (deals->RecordCount() < 0 || deals->RecordCount() > 5)
            broken("an accepted filter shows rows the table does not have", input);
        search->MoveFirst();
        search->Find(input, 0, data::adSearchForward);
        search->MoveLast();
        search->Find(input, 1, data::adSearchBackward);
        return;
    }
    const data::ErrorPtr error = deals->lastError();
    if (!error || error->Number != data::Error::InvalidArgument)
        broken("a refused filter left no InvalidArgument error", input);
    const int position = positionIn(error->Description);
    if (position < 1 || position > input.size() + 1)
        broken("a refused filter names no position inside the text", input);
    if (deals->Filter() != previous || deals->RecordCount() != rows)
        broken("a refused filter did not keep the previous one", input);
}

void checkReaders(const QString &input)
{
    if (const auto n = data::CriteriaParser::numberLiteral(input)) {
        if (n->integer && n->number != double(*n->integer))
            broken("a whole number's double differs from its integer", input);
        if (n->integer && n->currencyRaw && *n->currencyRaw != *n->integer * 10000)
            broken("a whole number's currency form differs from its integer", input);
    }
    data::CriteriaParser::dateLiteral(input);
    if (!data::LikePattern(input).matches(input))
        broken("a LIKE pattern does not match its own text", input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    // A first byte 1 makes the rest UTF-16, which reaches lone surrogates;
    // anything else is read as UTF-8, the form of the seeds and the dictionary.
    QString input;
    if (size > 0 && bytes[0] == 1) {
        input.resize(qsizetype((size - 1) / 2));
        std::memcpy(input.data(), bytes + 1, std::size_t(input.size()) * 2);
    } else {
        input = QString::fromUtf8(reinterpret_cast<const char *>(bytes), qsizetype(size));
    }
    checkFilter(input);
    checkReaders(input);
    return 0;
}
