#include "HostWindow.h"

#include "Marvolt.h"
#include "Report.h"
#include "ReportFactory.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QMetaEnum>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>

HostWindow::HostWindow(const QString &userName, QWidget *parent)
    : QMainWindow(parent)
    , m_control(new Marvolt(this))
    , m_reportChooser(new QComboBox(this))
    , m_progress(new QProgressBar(this))
    , m_hint(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Marvolt"));
    setCentralWidget(m_control);

    auto *hostBar = addToolBar(QStringLiteral("Report"));
    hostBar->setMovable(false);
    hostBar->addWidget(new QLabel(QStringLiteral(" Report: "), hostBar));
    const QMetaEnum kinds = QMetaEnum::fromType<ReportFactory::AppType>();
    for (int i = 0; i < kinds.keyCount(); ++i)
        m_reportChooser->addItem(QStringLiteral("%1  %2").arg(kinds.value(i)).arg(QLatin1String(kinds.key(i))),
                                 kinds.value(i));
    // The reports no window type creates, by their class names.
    for (const QString &className : ReportFactory::reportClasses())
        m_reportChooser->addItem(className, className);
    hostBar->addWidget(m_reportChooser);
    connect(m_reportChooser, &QComboBox::activated, this, [this](int index) {
        const QVariant chosen = m_reportChooser->itemData(index);
        if (chosen.typeId() == QMetaType::QString)
            chooseReportClass(chosen.toString());
        else
            chooseReport(chosen.toInt());
    });
    hostBar->addSeparator();
    QAction *print = hostBar->addAction(QStringLiteral("Print..."), this, &HostWindow::printToPrinter);
    print->setShortcut(QKeySequence::Print);

    m_progress->setMaximumWidth(200);
    m_progress->setTextVisible(false);
    m_progress->hide();
    statusBar()->addWidget(m_hint, 1);
    statusBar()->addPermanentWidget(m_progress);

    connect(m_control, &Marvolt::MouseMove, this,
            [this] { m_hint->setText(m_control->property("StatBarText").toString()); });
    connect(m_control, &Marvolt::InitProgress, this, &HostWindow::onInitProgress);
    connect(m_control, &Marvolt::StepProgress, this, &HostWindow::onStepProgress);
    connect(m_control, &Marvolt::UnActivProgress, this, &HostWindow::onUnActivProgress);

    // What a host sets before it chooses a report.
    m_control->setProperty("TableName", QStringLiteral("Tickets"));
    m_control->setProperty("FormatRate", QStringLiteral("0.0000"));
    m_control->setProperty("FormatValue", QStringLiteral("#,##0.00"));
    m_control->setProperty("UserName", userName);
    resize(1280, 800);
}

void HostWindow::chooseReport(int windowType)
{
    const int index = m_reportChooser->findData(windowType);
    if (index >= 0)
        m_reportChooser->setCurrentIndex(index);
    m_control->setProperty("WindowType", windowType);
    QMetaObject::invokeMethod(m_control, "RefreshData");
}

void HostWindow::chooseReportClass(const QString &className)
{
    const int index = m_reportChooser->findData(className);
    if (index >= 0)
        m_reportChooser->setCurrentIndex(index);
    m_control->installReport(ReportFactory::createReportByClass(className));
    QMetaObject::invokeMethod(m_control, "RefreshData");
}

void HostWindow::printToPrinter()
{
    if (!m_control->report())
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Print %1").arg(m_control->App_Name));
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (m_control->printResult(&printer))
        m_hint->setText(QStringLiteral("%1 sent to %2").arg(m_control->App_Name, printer.printerName()));
    else
        QMessageBox::warning(this, QStringLiteral("Print"),
                             QStringLiteral("The report could not be printed: %1").arg(m_control->lastPrintError()));
}

void HostWindow::closeEvent(QCloseEvent *event)
{
    QMetaObject::invokeMethod(m_control, "Control_Unload");
    event->accept();
}

void HostWindow::onInitProgress(short max)
{
    // A zero maximum says nothing about the length: show a busy bar.
    m_maxProgress = max;
    m_progress->setRange(0, qMax<int>(0, max));
    m_progress->setValue(0);
    m_progress->show();
    m_reportChooser->setEnabled(false);
}

void HostWindow::onStepProgress(short step)
{
    if (m_maxProgress > 0)
        m_progress->setValue(qBound(0, int(step), m_maxProgress));
}

void HostWindow::onUnActivProgress()
{
    m_progress->hide();
    m_reportChooser->setEnabled(true);
}
