#pragma once

class QDialog;
class QDialogButtonBox;
class QPushButton;

/// The OK and Cancel buttons at the bottom of a small dialog, captioned from
/// the text table ("Ok", "Cancel") and named btnOk and btnCancel.
///
/// OK is the default button: Enter confirms only while it is enabled (a
/// dialog skips a disabled default button), and Cancel never becomes the
/// default through the focus. The buttons' clicks are left to the dialog.
struct OkCancelButtons
{
    QDialogButtonBox *box = nullptr;
    QPushButton *ok = nullptr;
    QPushButton *cancel = nullptr;

    /// Creates the box as a child of \a dialog; the caller places it.
    static OkCancelButtons create(QDialog *dialog);
};
