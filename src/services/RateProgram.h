#pragma once

#include <QDate>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace services {

/// One answer of a rate program: the quote's status (0 firm, 1 indicative,
/// anything else no usable rate) and its bid and ask, in the quote of the
/// rate tables (US dollars per unit for the directly quoted currencies, units
/// per US dollar for the others).
struct RateQuote
{
    int status = 0;
    double bid = 0.0;
    double ask = 0.0;
};

/// The market-rate program as the profit and loss reports use it: current
/// bid and ask per currency and day, a rate window the user opens and closes,
/// and RateClose when that window closes.
///
/// Abstract, so that another rate source can take the place of the one
/// startRateProgram() makes. Every member but QueryRate() is called on the
/// thread that owns the object (the user-interface thread).
class RateProgram : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// Shows and raises the rate window. Does nothing after CloseProgram() or
    /// where the program has no window (a host without widgets).
    virtual void ShowWindow() = 0;
    /// Hides the rate window; raises no RateClose.
    virtual void HideWindow() = 0;
    /// The latest usable quote of the currency (its code, "EUR") on or before
    /// date. Thread-safe: called from report worker threads for every
    /// position row. std::nullopt is an error: an unknown currency, a
    /// currency without any quote on or before the date, or a program that
    /// is not loaded, failed or is closed.
    virtual std::optional<RateQuote> QueryRate(const QString &currencyCode, const QDate &date) const = 0;
    /// Closes the window, raises RateClose once and stops the program: later
    /// queries fail and the window no longer opens. A RateClose handler may
    /// destroy the program.
    virtual void CloseProgram() = 0;

Q_SIGNALS:
    /// The user (or CloseProgram()) closed the rate window.
    void RateClose();
};

/// Starts the rate program of the trading database the connection string
/// names (the program opens connections of its own with it). Returns null
/// when the program cannot start: no database file, or no MarketRates table.
///
/// Opening and checking the file happens here; the quotes are loaded on a
/// worker thread, and QueryRate() waits for that load (so do not call it on
/// the user-interface thread right after the start). The caller owns the
/// program; when parent is given, destroy the program before the parent.
std::unique_ptr<RateProgram> startRateProgram(const QString &connectionString, QObject *parent = nullptr);

} // namespace services
