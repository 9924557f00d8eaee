#pragma once

#include <QDate>
#include <QVariant>
#include <QWidget>

#include <functional>

class QDateEdit;
class QLabel;
class QLineEdit;
class QSpinBox;
class QStackedWidget;
class QToolButton;

namespace widgets {

/// A date filter: an absolute date, a number of days relative to today, or
/// "All" (no bound).
///
/// RetDate is what a report reads and writes: in relative mode the day count
/// (an int: 0 today, -1 yesterday), in absolute mode the date (a QDate), and
/// the text "All" when unbounded. Writing accepts a QDate, QDateTime or
/// data::DateTime (a date), a whole number or a text of one (a day count),
/// an ISO "yyyy-MM-dd" or "m/d/yyyy" text (a date), or "All". Whatever the
/// mode, the picker keeps both forms: switching Relative keeps the same day.
///
/// AllowAll lets the user choose "All"; code may set "All" regardless, and
/// the choice then stays offered so the user can return to it.
///
/// "Today" comes from one process-wide clock that the owner of the real clock
/// installs with setTodayProvider() (tests and the headless runner fix it).
///
/// Change() is raised when the user changes the value, never when code does.
class RelDate final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QVariant RetDate READ RetDate WRITE setRetDate)
    Q_PROPERTY(bool Relative READ Relative WRITE setRelative)
    Q_PROPERTY(bool AllowAll READ AllowAll WRITE setAllowAll)

public:
    explicit RelDate(QWidget *parent = nullptr);

    static void setTodayProvider(std::function<QDate()> provider);
    static QDate today();

    QVariant RetDate() const;
    /// False (and nothing changes) for a value that is none of the accepted forms.
    bool setRetDate(const QVariant &value);

    bool Relative() const { return m_relative; }
    void setRelative(bool relative);
    bool AllowAll() const { return m_allowAll; }
    void setAllowAll(bool allow);

    bool isAll() const { return m_all; }
    /// The absolute date; invalid when "All".
    QDate date() const;
    /// Days from today to the date; 0 when "All".
    int dayCount() const;
    /// The date or the text "All".
    QVariant Value() const;

Q_SIGNALS:
    void Change();

private:
    void showState();
    void userChangedDate(QDate date);
    void userChangedDays(int days);
    void userToggledAll(bool all);

    QStackedWidget *m_stack;
    QDateEdit *m_dateEdit;
    QSpinBox *m_daysEdit;
    QLineEdit *m_allLabel;
    QLabel *m_resolved;
    QToolButton *m_allButton;
    QDate m_date;       // the value in absolute mode
    int m_days = 0;     // the value in relative mode: it stays "n days from today" across midnight
    bool m_all = false;
    bool m_relative = false;
    bool m_allowAll = false;
    bool m_updating = false;
};

} // namespace widgets
