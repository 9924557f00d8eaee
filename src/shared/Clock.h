#pragma once

#include <QDate>

/// The one source of "today" for the whole control: report dates, relative
/// filter dates and the date a report's procedure is run for all ask it.
///
/// By default it follows the system clock. Tests and the headless runner fix it
/// with setToday() so a report gives the same rows on any day. Thread-safe.
class Clock final
{
public:
    Clock() = delete;

    /// The fixed date when one is set, else the system's current date.
    static QDate today();
    /// Fixes today to \a date; an invalid date makes the clock follow the
    /// system again, as reset() does.
    static void setToday(QDate date);
    /// Follows the system clock again.
    static void reset();
    static bool isFixed();
};
