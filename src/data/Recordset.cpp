#include "Recordset.h"

#include "Connection.h"
#include "Criteria.h"
#include "RecordsetStorage.h"
#include "RowOrder.h"
#include "RecordsetView.h"

#include <QStringList>

#include <algorithm>
#include <limits>

namespace data {

namespace {

const QString SourceName = QStringLiteral("Recordset");

} // namespace

// ---------------------------------------------------------------- Field

QString Field::Name() const
{
    return m_rs ? m_rs->m_storage->field(m_index).name : QString();
}

DataType Field::Type() const
{
    return m_rs ? m_rs->m_storage->field(m_index).type : DataType::Empty;
}

int Field::DefinedSize() const
{
    return m_rs ? m_rs->m_storage->field(m_index).definedSize : 0;
}

int Field::Attributes() const
{
    return m_rs ? m_rs->m_storage->field(m_index).attributes : 0;
}

Value Field::value() const
{
    if (!m_rs)
        return Value();
    const qint64 row = m_rs->currentRow();
    if (row < 0) {
        m_rs->setError(Error::NoCurrentRecord,
                       QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
        return Value();
    }
    return m_rs->m_storage->column(m_index).value(std::size_t(row));
}

bool Field::setValue(const Value &value) const
{
    if (!m_rs)
        return false;
    const qint64 row = m_rs->currentRow();
    if (row < 0) {
        m_rs->setError(Error::NoCurrentRecord,
                       QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
        return false;
    }
    if (!m_rs->m_storage->column(m_index).setValue(std::size_t(row), value)) {
        m_rs->setError(Error::TypeMismatch,
                       QStringLiteral("The value \"%1\" does not fit the field \"%2\".")
                           .arg(value.toString(), Name()));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- FieldCollection

int FieldCollection::Count() const
{
    return m_rs->m_storage->fieldCount();
}

Field FieldCollection::Item(int index) const
{
    if (index < 0 || index >= Count()) {
        m_rs->setError(Error::ItemNotFound,
                       QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
        return Field(nullptr, -1);
    }
    return Field(m_rs, index);
}

Field FieldCollection::Item(const QString &name) const
{
    const int index = indexOf(name);
    if (index < 0) {
        m_rs->setError(Error::ItemNotFound,
                       QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal: \"%1\".")
                           .arg(name));
        return Field(nullptr, -1);
    }
    return Field(m_rs, index);
}

int FieldCollection::indexOf(const QString &name) const
{
    return m_rs->m_storage->indexOf(name);
}

bool FieldCollection::Append(const QString &name, DataType type, int definedSize, int attributes)
{
    if (m_rs->m_view || m_rs->m_storage->rowCount() != 0) {
        m_rs->setError(Error::ObjectClosed,
                       QStringLiteral("Fields can be appended only to a closed recordset without rows."));
        return false;
    }
    if (name.isEmpty() || indexOf(name) >= 0) {
        m_rs->setError(Error::InvalidArgument,
                       QStringLiteral("The field name \"%1\" is empty or already used.").arg(name));
        return false;
    }
    return m_rs->m_storage->appendField({name, type, definedSize, attributes});
}

// ---------------------------------------------------------------- Recordset

Recordset::Recordset() : m_storage(std::make_shared<RecordsetStorage>())
{
}

Recordset::~Recordset() = default;

Field Recordset::Fields(int index)
{
    return Fields().Item(index);
}

Field Recordset::Fields(const QString &name)
{
    return Fields().Item(name);
}

void Recordset::setError(int number, const QString &description) const
{
    m_lastError = makeError(number, description, SourceName);
}

qint64 Recordset::currentRow() const
{
    return m_view ? m_view->currentRow(*m_storage) : -1;
}

bool Recordset::requireOpen() const
{
    if (m_view)
        return true;
    setError(Error::ObjectClosed, QStringLiteral("Operation is not allowed when the object is closed."));
    return false;
}

bool Recordset::Open()
{
    if (m_view) {
        setError(Error::InvalidArgument, QStringLiteral("Operation is not allowed when the object is open."));
        return false;
    }
    if (m_storage->fieldCount() == 0) {
        setError(Error::InvalidArgument, QStringLiteral("The recordset has no fields to open."));
        return false;
    }
    m_view = std::make_unique<View>();
    return true;
}

void Recordset::Close()
{
    if (!m_view)
        return;
    // The rows stay with the clones; this handle keeps only the field
    // definitions, so it can be opened again as an empty table.
    auto fresh = std::make_shared<RecordsetStorage>();
    for (int i = 0; i < m_storage->fieldCount(); ++i)
        fresh->appendField(m_storage->field(i));
    m_storage = std::move(fresh);
    m_view.reset();
    m_filter.clear();
    m_sort.clear();
    m_filterCriteria.reset();
    m_sortKeys.clear();
    m_following.clear();
}

int Recordset::State() const
{
    return m_view ? adStateOpen : adStateClosed;
}

bool Recordset::Supports(long options) const
{
    if (!m_view)
        return false;
    const long supported = adAddNew | adBookmark | adApproxPosition | adFind;
    return (options & ~supported) == 0;
}

bool Recordset::AddNew()
{
    if (!requireOpen())
        return false;
    if (m_storage->rowCount() >= std::numeric_limits<quint32>::max()) {
        setError(Error::Unspecified, QStringLiteral("The recordset cannot hold more rows."));
        return false;
    }
    const std::size_t row = m_storage->appendRow();
    // A row added through a filtered or sorted handle is shown at its end
    // until the filter or sort is set again.
    if (!m_view->allRows) {
        m_view->rows.push_back(quint32(row));
        m_view->rowsChanged();
    }
    m_view->pos = m_view->count(*m_storage) - 1;
    return true;
}

bool Recordset::Update()
{
    return requireOpen();
}

bool Recordset::UpdateBatch()
{
    return requireOpen();
}

bool Recordset::Eof() const
{
    if (!m_view)
        return true;
    const qint64 n = m_view->count(*m_storage);
    return n == 0 || m_view->pos >= n;
}

bool Recordset::Bof() const
{
    if (!m_view)
        return true;
    return m_view->count(*m_storage) == 0 || m_view->pos < 0;
}

qint64 Recordset::RecordCount() const
{
    return m_view ? m_view->count(*m_storage) : -1;
}

void Recordset::MoveFirst()
{
    if (requireOpen())
        m_view->pos = 0;
}

void Recordset::MoveLast()
{
    if (!requireOpen())
        return;
    const qint64 n = m_view->count(*m_storage);
    m_view->pos = n == 0 ? 0 : n - 1;
}

void Recordset::MoveNext()
{
    if (!requireOpen())
        return;
    const qint64 n = m_view->count(*m_storage);
    if (m_view->pos >= n) {
        setError(Error::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
        return;
    }
    ++m_view->pos;
}

void Recordset::MovePrevious()
{
    if (!requireOpen())
        return;
    const qint64 n = m_view->count(*m_storage);
    if (m_view->pos < 0 || n == 0) {
        setError(Error::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
        return;
    }
    m_view->pos = std::min(m_view->pos, n) - 1;
}

qint64 Recordset::AbsolutePosition() const
{
    return currentRow() < 0 ? -1 : m_view->pos + 1;
}

bool Recordset::setAbsolutePosition(qint64 position)
{
    if (!requireOpen())
        return false;
    if (position < 1 || position > m_view->count(*m_storage)) {
        setError(Error::InvalidArgument, QStringLiteral("The position %1 is outside the recordset.").arg(position));
        return false;
    }
    m_view->pos = position - 1;
    return true;
}

qint64 Recordset::Bookmark() const
{
    return currentRow();
}

bool Recordset::setBookmark(qint64 bookmark)
{
    if (!requireOpen())
        return false;
    const qint64 position = m_view->positionOf(*m_storage, bookmark);
    if (position < 0) {
        setError(Error::InvalidArgument, QStringLiteral("The bookmark %1 is not among the rows shown.").arg(bookmark));
        return false;
    }
    m_view->pos = position;
    return true;
}

RecordsetPtr Recordset::Clone(int lockType)
{
    Q_UNUSED(lockType);
    if (!requireOpen())
        return nullptr;
    auto clone = std::make_shared<Recordset>();
    clone->m_storage = m_storage;
    clone->m_view = std::make_unique<View>();
    clone->m_cursorLocation = m_cursorLocation;
    clone->m_cursorType = m_cursorType;
    clone->m_lockType = m_lockType;
    clone->m_connection = m_connection;
    return clone;
}

void Recordset::rebuildView()
{
    View &view = *m_view;
    view.rowsChanged();
    view.pos = 0;
    if (!m_filterCriteria && m_sortKeys.empty()) {
        view.allRows = true;
        std::vector<quint32>().swap(view.rows);
        return;
    }
    view.allRows = false;
    view.rows.clear();
    const std::size_t n = m_storage->rowCount();
    if (m_filterCriteria) {
        m_filterCriteria->select(0, n, view.rows);
    } else {
        view.rows.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            view.rows[i] = quint32(i);
    }
    if (!m_sortKeys.empty()) {
        std::vector<RowOrder::Key> keys;
        for (const SortKey &k : m_sortKeys)
            keys.push_back({k.field, k.descending});
        RowOrder(*m_storage, keys).sort(view.rows);
    }
}

bool Recordset::setFilter(const QString &criteria)
{
    if (!requireOpen())
        return false;
    std::shared_ptr<const Criteria> compiled;
    if (!criteria.trimmed().isEmpty()) {
        QString message;
        compiled = Criteria::compile(criteria, *m_storage, &message);
        if (!compiled) {
            m_lastError = makeError(Error::InvalidArgument, message, QStringLiteral("Criteria"));
            return false;
        }
    }
    m_filter = criteria;
    m_filterCriteria = std::move(compiled);
    rebuildView();
    return true;
}

bool Recordset::setSort(const QString &sortKeys)
{
    if (!requireOpen())
        return false;
    std::vector<SortKey> keys;
    // "Field [ASC|DESC], [Other Field] DESC, ..."
    const QStringList parts = sortKeys.split(QLatin1Char(','));
    for (const QString &rawPart : parts) {
        QString part = rawPart.trimmed();
        if (part.isEmpty()) {
            if (parts.size() == 1)
                break;
            setError(Error::InvalidArgument, QStringLiteral("Invalid sort \"%1\": empty sort key.").arg(sortKeys));
            return false;
        }
        SortKey key;
        const qsizetype lastSpace = part.lastIndexOf(QLatin1Char(' '));
        if (lastSpace > 0) {
            const QString direction = part.mid(lastSpace + 1);
            if (direction.compare(u"DESC", Qt::CaseInsensitive) == 0) {
                key.descending = true;
                part = part.left(lastSpace).trimmed();
            } else if (direction.compare(u"ASC", Qt::CaseInsensitive) == 0) {
                part = part.left(lastSpace).trimmed();
            }
        }
        if (part.size() >= 2 && part.startsWith(QLatin1Char('[')) && part.endsWith(QLatin1Char(']')))
            part = part.mid(1, part.size() - 2).trimmed();
        key.field = m_storage->indexOf(part);
        if (key.field < 0) {
            setError(Error::InvalidArgument,
                     QStringLiteral("Invalid sort \"%1\": unknown field \"%2\".").arg(sortKeys, part));
            return false;
        }
        keys.push_back(key);
    }
    m_sort = sortKeys;
    m_sortKeys = std::move(keys);
    rebuildView();
    return true;
}

bool Recordset::Find(const QString &criteria, qint64 skipRecords, int searchDirection)
{
    if (!requireOpen())
        return false;
    QString message;
    const auto compiled = Criteria::compile(criteria, *m_storage, &message);
    if (!compiled) {
        m_lastError = makeError(Error::InvalidArgument, message, QStringLiteral("Criteria"));
        return false;
    }
    View &view = *m_view;
    const qint64 n = view.count(*m_storage);
    const bool forward = searchDirection != adSearchBackward;
    if (n == 0 || (forward && view.pos >= n) || (!forward && view.pos < 0)) {
        view.pos = forward ? n : -1;
        return false;
    }
    const qint64 from = std::clamp<qint64>(view.pos, 0, n - 1);
    const qint64 skip = std::max<qint64>(skipRecords, 0);
    if (forward) {
        for (qint64 i = from + skip; i < n; ++i) {
            if (compiled->matches(view.rowAt(i))) {
                view.pos = i;
                return true;
            }
        }
        view.pos = n;
    } else {
        for (qint64 i = from - skip; i >= 0; --i) {
            if (compiled->matches(view.rowAt(i))) {
                view.pos = i;
                return true;
            }
        }
        view.pos = -1;
    }
    return false;
}

RecordsetPtr Recordset::NextRecordset()
{
    std::vector<RecordsetPtr> following = std::move(m_following);
    m_following.clear();
    Close();
    if (following.empty())
        return nullptr;
    RecordsetPtr next = std::move(following.front());
    following.erase(following.begin());
    if (next)
        next->setFollowingResults(std::move(following));
    return next;
}

Connection *Recordset::ActiveConnection() const
{
    return m_connection.data();
}

void Recordset::setActiveConnection(Connection *connection)
{
    m_connection = connection;
}

void Recordset::setFollowingResults(std::vector<RecordsetPtr> results)
{
    m_following = std::move(results);
}

std::size_t Recordset::storageBytes() const
{
    return m_storage->byteSize();
}

// ---------------------------------------------------------------- RecordsetLoader

RecordsetLoader::RecordsetLoader(Recordset &rs) : m_rs(rs), m_storage(rs.m_storage.get())
{
    Q_ASSERT(rs.State() == adStateOpen);
}

RecordsetLoader::~RecordsetLoader()
{
    if (m_inRow)
        endRow();
}

void RecordsetLoader::beginRow()
{
    if (m_inRow)
        endRow();
    m_row = m_storage->appendRow();
    m_inRow = true;
}

void RecordsetLoader::setNull(int field)
{
    Q_ASSERT(m_inRow);
    Q_ASSERT(field >= 0 && field < m_storage->fieldCount());
    m_storage->column(field).setNull(m_row);
}

void RecordsetLoader::setInt64(int field, qint64 value)
{
    Q_ASSERT(m_inRow);
    Q_ASSERT(field >= 0 && field < m_storage->fieldCount());
    m_storage->column(field).setInt64(m_row, value);
}

void RecordsetLoader::setDouble(int field, double value)
{
    Q_ASSERT(m_inRow);
    Q_ASSERT(field >= 0 && field < m_storage->fieldCount());
    m_storage->column(field).setDouble(m_row, value);
}

void RecordsetLoader::setText(int field, const QString &text)
{
    Q_ASSERT(m_inRow);
    Q_ASSERT(field >= 0 && field < m_storage->fieldCount());
    m_storage->column(field).setText(m_row, text);
}

void RecordsetLoader::setUtf8Text(int field, const char *bytes, qsizetype length)
{
    Q_ASSERT(m_inRow);
    Q_ASSERT(field >= 0 && field < m_storage->fieldCount());
    m_storage->column(field).setUtf8(m_row, bytes, length);
}

void RecordsetLoader::setValue(int field, const Value &value)
{
    Q_ASSERT(m_inRow);
    Q_ASSERT(field >= 0 && field < m_storage->fieldCount());
    if (!m_storage->column(field).setValue(m_row, value))
        m_storage->column(field).setNull(m_row);
}

void RecordsetLoader::endRow()
{
    m_inRow = false;
}

} // namespace data
