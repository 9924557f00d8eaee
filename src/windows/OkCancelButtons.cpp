#include "OkCancelButtons.h"

#include "TextTable.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace {

constexpr int OkText = 3010;       // "Ok"
constexpr int CancelText = 3006;   // "Cancel"

} // namespace

OkCancelButtons OkCancelButtons::create(QDialog *dialog)
{
    OkCancelButtons buttons;
    buttons.box = new QDialogButtonBox(dialog);
    buttons.ok = buttons.box->addButton(TextTable::LoadText(OkText), QDialogButtonBox::AcceptRole);
    buttons.ok->setObjectName(QStringLiteral("btnOk"));
    buttons.cancel = buttons.box->addButton(TextTable::LoadText(CancelText), QDialogButtonBox::RejectRole);
    buttons.cancel->setObjectName(QStringLiteral("btnCancel"));
    buttons.ok->setDefault(true);
    buttons.cancel->setAutoDefault(false);
    return buttons;
}
