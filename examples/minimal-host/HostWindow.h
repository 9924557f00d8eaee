#pragma once

#include <QMainWindow>

class Marvolt;
class QComboBox;
class QProgressBar;

/// A main window around one Marvolt control: a chooser of the reports in
/// its toolbar, the control's hint in the status bar and its progress in a
/// bar beside it.
class HostWindow final : public QMainWindow
{
    Q_OBJECT
public:
    explicit HostWindow(const QString &userName, QWidget *parent = nullptr);

    Marvolt *control() const { return m_control; }
    /// Shows the report of a WindowType enumerator name ("dmCashFlow"), a
    /// report class name ("DepoReport") or the host's own "DepositTotals".
    /// False for any other name.
    bool chooseReport(const QString &name);

Q_SIGNALS:
    /// The report's run ended (its rows are shown).
    void runEnded();

private:
    Marvolt *m_control = nullptr;
    QComboBox *m_chooser = nullptr;
    QProgressBar *m_progress = nullptr;
};
