#include "MarketRateProgram.h"

#include "RateBook.h"

#include "Connection.h"
#include "DataTypes.h"

#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>
#include <QWaitCondition>

namespace services {

Q_DECLARE_LOGGING_CATEGORY(lcRateProgram)

namespace {

MarketRateProgram::ViewFactory &viewFactory()
{
    static MarketRateProgram::ViewFactory factory;
    return factory;
}

// A big MarketRates table reads in well under a second; the limit only stops
// a read that hangs on a broken file.
constexpr int LoadTimeoutSeconds = 120;

void setUpConnection(data::Connection &connection)
{
    connection.setMode(data::adModeRead);
    connection.setCursorLocation(data::adUseClient);
    connection.setCommandTimeout(LoadTimeoutSeconds);
}

} // namespace

/// What the program and its load worker share. The worker holds it too, so
/// it outlives a program destroyed while a load runs.
struct MarketRateProgram::Shared
{
    QString connectionString;
    mutable QMutex mutex;
    /// Woken whenever a load ends and when the program closes.
    mutable QWaitCondition settled;
    std::shared_ptr<const RateBook> book;
    data::ErrorPtr error;
    QDateTime loadedAt;
    bool loading = false;
    bool firstLoadEnded = false;
    /// CloseProgram() or the destructor: queries fail, nobody waits, a
    /// running load is abandoned.
    bool stopped = false;
    /// The program to tell when a load ends; null once it is being destroyed.
    MarketRateProgram *owner = nullptr;
    /// The running load's connection, so that stopping can interrupt its read.
    data::Connection *connection = nullptr;
};

void MarketRateProgram::setViewFactory(ViewFactory factory)
{
    viewFactory() = std::move(factory);
}

bool MarketRateProgram::hasViewFactory()
{
    return bool(viewFactory());
}

std::unique_ptr<MarketRateProgram> MarketRateProgram::start(const QString &connectionString, QObject *parent,
                                                            data::ErrorPtr *error)
{
    // Read only: a connection string that says Create=True must not make an
    // empty database where the file is missing.
    data::Connection check;
    setUpConnection(check);
    const auto failed = [&check, error]() -> std::unique_ptr<MarketRateProgram> {
        if (error)
            *error = check.lastError();
        if (check.State() != data::adStateClosed)
            check.Close();
        return nullptr;
    };
    if (!check.Open(connectionString))
        return failed();
    // A query that returns no row checks the tables and their columns without
    // reading any quote.
    for (const char *sql : {"SELECT CcyID, Ccy, DirectQuote FROM Currencies WHERE 0 = 1",
                            "SELECT CcyID, RateDate, Bid, Ask, Status FROM MarketRates WHERE 0 = 1"}) {
        check.Execute(QString::fromLatin1(sql));
        if (check.lastError())
            return failed();
    }
    check.Close();

    std::unique_ptr<MarketRateProgram> program(new MarketRateProgram(connectionString, parent));
    program->startLoad();
    return program;
}

MarketRateProgram::MarketRateProgram(const QString &connectionString, QObject *parent)
    : RateProgram(parent), m_shared(std::make_shared<Shared>())
{
    m_shared->connectionString = connectionString;
    m_shared->owner = this;
}

MarketRateProgram::~MarketRateProgram()
{
    stopLoad();
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->owner = nullptr;
    }
    // The read was interrupted, so this waits only for the worker to notice.
    if (m_thread.joinable())
        m_thread.join();
    if (m_view)
        m_view->hideView();
}

void MarketRateProgram::stopLoad()
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->stopped = true;
    if (m_shared->connection)
        m_shared->connection->Interrupt();
    m_shared->settled.wakeAll();
}

bool MarketRateProgram::startLoad()
{
    {
        QMutexLocker lock(&m_shared->mutex);
        if (m_shared->loading || m_shared->stopped)
            return false;
        m_shared->loading = true;
    }
    // The previous worker has said it is done; joining it costs nothing more.
    if (m_thread.joinable())
        m_thread.join();
    m_thread = std::thread([shared = m_shared] { runLoad(shared); });
    return true;
}

void MarketRateProgram::runLoad(const std::shared_ptr<Shared> &shared)
{
    std::shared_ptr<const RateBook> book;
    data::ErrorPtr error;
    {
        data::Connection connection;
        setUpConnection(connection);
        bool stopped = false;
        if (connection.Open(shared->connectionString)) {
            {
                QMutexLocker lock(&shared->mutex);
                stopped = shared->stopped;
                if (!stopped)
                    shared->connection = &connection;
            }
            if (!stopped)
                book = RateBook::read(connection, &error);
            {
                QMutexLocker lock(&shared->mutex);
                shared->connection = nullptr;
            }
            connection.Close();
        } else {
            error = connection.lastError();
        }
    }

    QMutexLocker lock(&shared->mutex);
    shared->loading = false;
    shared->firstLoadEnded = true;
    const bool ok = book != nullptr;
    if (ok) {
        shared->book = std::move(book);
        shared->error.reset();
        shared->loadedAt = QDateTime::currentDateTime();
    } else {
        shared->error = error ? error
                              : data::makeError(data::Error::Unspecified, QStringLiteral("The rates cannot be read"),
                                                QStringLiteral("MarketRateProgram"));
        if (!shared->stopped)
            qCWarning(lcRateProgram) << "loading the market rates failed:" << shared->error->Description;
    }
    shared->settled.wakeAll();
    // Posted under the lock: the destructor clears owner under it too, and an
    // event posted to an object is dropped when the object goes.
    if (MarketRateProgram *owner = shared->owner) {
        QMetaObject::invokeMethod(
            owner, [owner, ok] { Q_EMIT owner->loadFinished(ok); }, Qt::QueuedConnection);
    }
}

bool MarketRateProgram::refresh()
{
    return !m_closed && startLoad();
}

bool MarketRateProgram::waitForLoad(QDeadlineTimer deadline) const
{
    QMutexLocker lock(&m_shared->mutex);
    while (m_shared->loading) {
        if (!m_shared->settled.wait(&m_shared->mutex, deadline))
            return !m_shared->loading;
    }
    return true;
}

bool MarketRateProgram::isLoading() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->loading;
}

std::shared_ptr<const RateBook> MarketRateProgram::book() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->book;
}

data::ErrorPtr MarketRateProgram::loadError() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->error;
}

QDateTime MarketRateProgram::loadedAt() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->loadedAt;
}

QString MarketRateProgram::connectionString() const
{
    return m_shared->connectionString;
}

std::optional<RateQuote> MarketRateProgram::QueryRate(const QString &currencyCode, const QDate &date) const
{
    std::shared_ptr<const RateBook> book;
    {
        QMutexLocker lock(&m_shared->mutex);
        if (m_shared->stopped)
            return std::nullopt;
        if (currencyCode.compare(QLatin1String("USD"), Qt::CaseInsensitive) == 0)
            return RateQuote{0, 1.0, 1.0};
        while (!m_shared->firstLoadEnded && !m_shared->stopped)
            m_shared->settled.wait(&m_shared->mutex);
        if (m_shared->stopped)
            return std::nullopt;
        book = m_shared->book;
    }
    // Answered outside the lock: a book never changes, and worker threads
    // asking at once should not queue behind each other.
    if (!book)
        return std::nullopt;
    return book->quote(currencyCode, date);
}

void MarketRateProgram::ShowWindow()
{
    if (m_closed)
        return;
    if (!m_view) {
        const ViewFactory &factory = viewFactory();
        if (!factory) {
            qCInfo(lcRateProgram) << "the rate program has no window in this host";
            return;
        }
        m_view = factory(*this);
        if (!m_view)
            return;
    }
    m_view->showView();
}

void MarketRateProgram::HideWindow()
{
    if (m_view)
        m_view->hideView();
}

void MarketRateProgram::CloseProgram()
{
    if (m_closed)
        return;
    m_closed = true;
    stopLoad();
    if (m_view)
        m_view->hideView();
    // Last: the handler may destroy this program.
    Q_EMIT RateClose();
}

void MarketRateProgram::viewClosedByUser()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            // CloseProgram() has raised it already, or the window was opened
            // again before this arrived: the report must not see it closed.
            if (m_closed || (m_view && m_view->isViewVisible()))
                return;
            Q_EMIT RateClose();
        },
        Qt::QueuedConnection);
}

} // namespace services
