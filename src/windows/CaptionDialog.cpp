#include "CaptionDialog.h"

#include "OkCancelButtons.h"
#include "TextTable.h"

#include "GridColumn.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int CaptionTitleText = 13086;   // "Change Columns Caption"
} // namespace

CaptionDialog::CaptionDialog(const QString &oldCaption, QWidget *parent)
    : QDialog(parent), m_oldCaption(oldCaption)
{
    setObjectName(QStringLiteral("frmCaption"));
    setWindowTitle(TextTable::LoadText(CaptionTitleText));

    m_txtCaption = new QLineEdit(oldCaption, this);
    m_txtCaption->setObjectName(QStringLiteral("txtCaption"));
    m_txtCaption->selectAll();

    const OkCancelButtons buttons = OkCancelButtons::create(this);
    m_btnOk = buttons.ok;
    m_btnCancel = buttons.cancel;

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_txtCaption);
    layout->addStretch();
    layout->addWidget(buttons.box);
    setMinimumWidth(340);

    connect(m_txtCaption, &QLineEdit::textChanged, this, &CaptionDialog::updateOkButton);
    connect(m_btnOk, &QPushButton::clicked, this, &CaptionDialog::confirm);
    connect(m_btnCancel, &QPushButton::clicked, this, &CaptionDialog::cancel);
    updateOkButton();
}

bool CaptionDialog::ChangeColumn(const QString &oldCaption, QString &newCaption, QWidget *parent)
{
    CaptionDialog dialog(oldCaption, parent);
    dialog.exec();
    if (dialog.isCancelled())
        return false;
    newCaption = dialog.newCaption();
    return true;
}

bool CaptionDialog::ChangeColumn(widgets::GridColumn *column, QWidget *parent)
{
    if (!column)
        return false;
    const QPointer<widgets::GridColumn> guarded(column);
    QString caption;
    if (!ChangeColumn(column->Caption(), caption, parent) || !guarded)
        return false;
    guarded->setCaption(caption);
    return true;
}

void CaptionDialog::updateOkButton()
{
    const QString text = m_txtCaption->text();
    m_btnOk->setEnabled(!text.isEmpty() && text != m_oldCaption);
}

void CaptionDialog::confirm()
{
    m_cancelled = false;
    m_newCaption = m_txtCaption->text();
    accept();
}

void CaptionDialog::cancel()
{
    m_cancelled = true;
    reject();
}
