#pragma once

#include "MarketRateProgram.h"

#include <QDate>
#include <QWidget>

class QAbstractItemModel;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

/// The market-rate program's own window: every currency of the rate book
/// with its latest quote on or before today (bid, ask, mid, quote time and
/// status), sortable by any column, refreshed from the database with the
/// "Refresh" button or F5.
///
/// Quotes the reports cannot use are marked: a status other than firm (0)
/// or indicative (1) and a currency without any quote are red and have no
/// mid; a quote older than today is stale (italic, its status says so), the
/// program answers with it all the same.
///
/// Closing the window (close box, Esc) hides it and tells the program
/// (MarketRateProgram::viewClosedByUser), which raises RateClose; hiding it
/// from the program's side tells nothing. The program owns the window.
class RateWindow final : public QWidget, public services::RateView
{
    Q_OBJECT
public:
    enum Column { CurrencyColumn, BidColumn, AskColumn, MidColumn, QuoteTimeColumn, StatusColumn, ColumnCount };

    explicit RateWindow(services::MarketRateProgram &program);
    ~RateWindow() override;

    /// Makes every market-rate program of this process open a RateWindow.
    /// Called once by a host with widgets (the control does).
    static void install();

    void showView() override;
    void hideView() override;
    bool isViewVisible() const override { return isVisible(); }

    // ---- for tests ---------------------------------------------------------------
    /// The rows as the user sees them (sorted), one cell per column.
    QAbstractItemModel *rows() const;
    QTableView *table() const { return m_table; }
    QLabel *stateLabel() const { return m_state; }
    /// The day the quotes are listed for; today unless set.
    void setDay(QDate day);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    /// Lists the program's current book again and says when it was read.
    void reload();
    void refresh();

    services::MarketRateProgram &m_program;
    QDate m_day;
    QLabel *m_state = nullptr;
    QPushButton *m_refresh = nullptr;
    QTableView *m_table = nullptr;
    QStandardItemModel *m_model = nullptr;
    QSortFilterProxyModel *m_sorted = nullptr;
};
