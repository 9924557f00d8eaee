#include "CaptionDialog.h"

#include "TextTable.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int CaptionTitleText = 13086;   // "Change Columns Caption"
constexpr int OkText = 3010;              // "Ok"
constexpr int CancelText = 3006;          // "Cancel"
} // namespace

CaptionDialog::CaptionDialog(const QString &oldCaption, QWidget *parent)
    : QDialog(parent), m_oldCaption(oldCaption)
{
    setObjectName(QStringLiteral("frmCaption"));
    setWindowTitle(TextTable::LoadText(CaptionTitleText));

    m_txtCaption = new QLineEdit(oldCaption, this);
    m_txtCaption->setObjectName(QStringLiteral("txtCaption"));
    m_txtCaption->selectAll();

    auto *buttons = new QDialogButtonBox(this);
    m_btnOk = buttons->addButton(TextTable::LoadText(OkText), QDialogButtonBox::AcceptRole);
    m_btnOk->setObjectName(QStringLiteral("btnOk"));
    m_btnCancel = buttons->addButton(TextTable::LoadText(CancelText), QDialogButtonBox::RejectRole);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // Enter triggers OK only while it is enabled (QDialog skips a disabled
    // default button); Cancel must never become the default through focus.
    m_btnOk->setDefault(true);
    m_btnCancel->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_txtCaption);
    layout->addStretch();
    layout->addWidget(buttons);
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
