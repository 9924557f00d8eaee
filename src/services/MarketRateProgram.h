#pragma once

#include "RateProgram.h"

#include "Error.h"

#include <QDateTime>
#include <QDeadlineTimer>

#include <functional>
#include <memory>
#include <thread>

namespace services {

class RateBook;

/// What a market-rate program shows its quotes in: the rate window of a host
/// with widgets. The program creates it on the first ShowWindow() through the
/// factory installed with MarketRateProgram::setViewFactory() and owns it.
class RateView
{
public:
    virtual ~RateView() = default;
    /// Shows and raises the window.
    virtual void showView() = 0;
    /// Hides the window without telling the program (no RateClose).
    virtual void hideView() = 0;
    virtual bool isViewVisible() const = 0;
};

/// The rate program over the trading database's own MarketRates table: the
/// quotes are read into a RateBook on a worker thread at the start and on
/// every refresh(), and QueryRate() answers from memory.
///
/// It works without widgets: until a host installs a view factory the
/// program has no window and ShowWindow() does nothing, while queries, the
/// refresh and CloseProgram() behave as always.
class MarketRateProgram final : public RateProgram
{
    Q_OBJECT
public:
    using ViewFactory = std::function<std::unique_ptr<RateView>(MarketRateProgram &program)>;
    /// Installs how every program makes its window (an empty factory: no
    /// window). Set on the user-interface thread, at start-up.
    static void setViewFactory(ViewFactory factory);
    static bool hasViewFactory();

    /// Opens the database read only and checks that it has Currencies and
    /// MarketRates, then starts loading the quotes on a worker. Null with
    /// *error set when the file cannot be opened or a table is missing.
    /// Never creates a database file.
    static std::unique_ptr<MarketRateProgram> start(const QString &connectionString, QObject *parent = nullptr,
                                                    data::ErrorPtr *error = nullptr);
    /// Stops a running load (interrupting its read) and closes the window.
    ~MarketRateProgram() override;

    void ShowWindow() override;
    void HideWindow() override;
    /// Waits for the first load; later refreshes do not make it wait (it
    /// answers from the quotes loaded before until the new ones are in).
    /// "USD" is {0, 1, 1} without a quote.
    std::optional<RateQuote> QueryRate(const QString &currencyCode, const QDate &date) const override;
    void CloseProgram() override;

    /// Reads the quotes again on a worker; the current ones stay in use until
    /// the new ones are read, and a failed read keeps them. False (nothing
    /// started) while a load runs or after CloseProgram().
    bool refresh();
    /// Waits until no load runs; false when the deadline passed first.
    bool waitForLoad(QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever)) const;
    bool isLoading() const;
    bool isClosed() const { return m_closed; }

    /// The quotes of the last load that succeeded; null before the first one
    /// succeeded. Safe to keep: a refresh replaces the book, never changes it.
    std::shared_ptr<const RateBook> book() const;
    /// Why the last load failed; null when it succeeded or none ended yet.
    data::ErrorPtr loadError() const;
    /// When the quotes of book() were read (system time).
    QDateTime loadedAt() const;
    QString connectionString() const;

    /// The window, once ShowWindow() made it; null before and without a factory.
    RateView *view() const { return m_view.get(); }
    /// Called by the window when the user closed it (title bar, Esc). RateClose
    /// follows once control is back in the event loop, so that a handler that
    /// destroys the program never destroys the window inside its own close.
    void viewClosedByUser();

Q_SIGNALS:
    /// A load ended (the first one or a refresh), well or not; delivered on
    /// the program's thread.
    void loadFinished(bool ok);

private:
    struct Shared;
    MarketRateProgram(const QString &connectionString, QObject *parent);
    bool startLoad();
    static void runLoad(const std::shared_ptr<Shared> &shared);
    void stopLoad();

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    std::unique_ptr<RateView> m_view;
    bool m_closed = false;
};

} // namespace services
