#include "HostWindow.h"

#include "DepositTotals.h"

#include <Marvolt/Marvolt.h>
#include <Marvolt/Report.h>
#include <Marvolt/ReportFactory.h>

#include <QComboBox>
#include <QMetaEnum>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>

HostWindow::HostWindow(const QString &userName, QWidget *parent)
    : QMainWindow(parent), m_control(new Marvolt(this)), m_chooser(new QComboBox(this)),
      m_progress(new QProgressBar(this))
{
    setWindowTitle(QStringLiteral("Marvolt minimal host"));
    m_control->setUserName(userName);
    m_control->setFormatValue(QStringLiteral("#,##0.00"));
    m_control->setFormatRate(QStringLiteral("0.0000"));
    setCentralWidget(m_control);

    // Every report kind by its enumerator, then the classes no kind creates.
    const QMetaEnum kinds = QMetaEnum::fromType<ReportFactory::AppType>();
    for (int i = 0; i < kinds.keyCount(); ++i)
        m_chooser->addItem(QString::fromLatin1(kinds.key(i)));
    m_chooser->addItems(ReportFactory::reportClasses());
    m_chooser->addItem(QStringLiteral("DepositTotals"));
    QToolBar *bar = addToolBar(QStringLiteral("Reports"));
    bar->addWidget(m_chooser);
    connect(m_chooser, &QComboBox::textActivated, this, &HostWindow::chooseReport);

    m_progress->setVisible(false);
    statusBar()->addPermanentWidget(m_progress);
    // The control raises MouseMove when its hint changes.
    connect(m_control, &Marvolt::MouseMove, this, [this] { statusBar()->showMessage(m_control->StatBarText()); });
    connect(m_control, &Marvolt::InitProgress, this, [this](short maximum) {
        m_progress->setRange(0, maximum);
        m_progress->setValue(0);
        m_progress->setVisible(true);
    });
    connect(m_control, &Marvolt::StepProgress, m_progress, [this](short step) { m_progress->setValue(step); });
    connect(m_control, &Marvolt::UnActivProgress, this, [this] {
        m_progress->setVisible(false);
        Q_EMIT runEnded();
    });
}

bool HostWindow::chooseReport(const QString &name)
{
    if (const std::optional<int> kind = ReportFactory::windowTypeFromText(name)) {
        m_control->setWindowType(*kind);
    } else if (ReportFactory::isReportClass(name)) {
        m_control->installReport(ReportFactory::createReportByClass(name));
    } else if (name == QLatin1String("DepositTotals")) {
        m_control->installReport(std::make_unique<DepositTotals>());
    } else {
        return false;
    }
    m_chooser->setCurrentText(name);
    m_control->RefreshData();
    return true;
}
