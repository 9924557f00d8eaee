#pragma once

#include <QMainWindow>

class Marvolt;
class QComboBox;
class QLabel;
class QProgressBar;

/// The demo host: the Marvolt control as the central widget, a chooser of
/// every report kind, a status bar that shows the control's hints
/// (StatBarText on MouseMove) and a progress indicator driven by the
/// control's InitProgress, StepProgress and UnActivProgress events, and a
/// Print action that sends the current result to a printer chosen in the
/// platform's print dialog.
class HostWindow final : public QMainWindow
{
    Q_OBJECT

public:
    /// The session must be open; userName is handed to the control.
    explicit HostWindow(const QString &userName, QWidget *parent = nullptr);

    Marvolt *control() const { return m_control; }

    /// Shows the report of this WindowType value and runs it.
    void chooseReport(int windowType);
    /// Shows a report no WindowType creates ("DealersReport") and runs it.
    void chooseReportClass(const QString &className);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void printToPrinter();
    void onInitProgress(short max);
    void onStepProgress(short step);
    void onUnActivProgress();

    Marvolt *m_control;
    QComboBox *m_reportChooser;
    QProgressBar *m_progress;
    QLabel *m_hint;
    int m_maxProgress = 0;
};
