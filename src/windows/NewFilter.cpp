#include "NewFilter.h"

#include "OkCancelButtons.h"
#include "RegistrySettings.h"
#include "TextTable.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int WindowTitleText = 3007;     // "New Stored Filter"
constexpr int NameLabelText = 3008;       // "Name Stored Filter"
constexpr int DescriptionLabelText = 3009; // "Description"
constexpr int ConflictNameText = 3011;    // "Name "
constexpr int ConflictReservedText = 3012; // " reserved!"
constexpr int ConflictHintText = 3013;    // "Input a different name."
constexpr int ConflictTitleText = 3014;   // "Stored Filter name conflict"
} // namespace

NewFilter::NewFilter(const QStringList &existingNames, QWidget *parent)
    : QDialog(parent), m_existingNames(existingNames)
{
    setObjectName(QStringLiteral("NewFilter"));
    setWindowTitle(TextTable::LoadText(WindowTitleText));

    m_txtName = new QLineEdit(this);
    m_txtName->setObjectName(QStringLiteral("txtName"));
    m_txtDescription = new QLineEdit(this);
    m_txtDescription->setObjectName(QStringLiteral("txtDescription"));
    m_lblName = new QLabel(TextTable::LoadText(NameLabelText), this);
    m_lblName->setObjectName(QStringLiteral("lblName"));
    m_lblName->setBuddy(m_txtName);
    m_lblDescription = new QLabel(TextTable::LoadText(DescriptionLabelText), this);
    m_lblDescription->setObjectName(QStringLiteral("lblDescription"));
    m_lblDescription->setBuddy(m_txtDescription);

    auto *form = new QFormLayout;
    form->addRow(m_lblName, m_txtName);
    form->addRow(m_lblDescription, m_txtDescription);

    const OkCancelButtons buttons = OkCancelButtons::create(this);
    m_btnOk = buttons.ok;
    m_btnCancel = buttons.cancel;

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(buttons.box);
    setMinimumWidth(380);

    connect(m_txtName, &QLineEdit::textChanged, this, &NewFilter::updateOkButton);
    connect(m_btnOk, &QPushButton::clicked, this, &NewFilter::confirm);
    connect(m_btnCancel, &QPushButton::clicked, this, &NewFilter::reject);
    updateOkButton();
}

bool NewFilter::isNameTaken(const QString &name, const QStringList &existingNames)
{
    if (!RegistrySettings::IsValidStoredFilterName(name))
        return true;
    // Qt's case-insensitive comparison folds case as the settings store does
    // for its value names.
    return existingNames.contains(name, Qt::CaseInsensitive);
}

void NewFilter::updateOkButton()
{
    m_btnOk->setEnabled(!m_txtName->text().isEmpty());
}

void NewFilter::confirm()
{
    const QString name = m_txtName->text();
    if (isNameTaken(name, m_existingNames)) {
        QMessageBox::critical(this, TextTable::LoadText(ConflictTitleText),
                              TextTable::LoadText(ConflictNameText) + name + TextTable::LoadText(ConflictReservedText)
                                  + QLatin1Char('\n') + TextTable::LoadText(ConflictHintText));
        m_txtName->setFocus();
        m_txtName->selectAll();
        return;
    }
    Q_EMIT UnlodNew(name, m_txtDescription->text());
    accept();
}
