#pragma once

#include <QMetaType>
#include <QObject>
#include <QPointer>

/// One filter slot of the query panel as the control hands it to a report:
/// the caption label, the filter control itself and whether the report uses
/// it. The control owns both widgets; the report only sets their roles
/// through their Qt properties ("text" and "visible" of the label, "visible",
/// "ArrayChecked", "RetDate" ... of the control), so report logic needs no
/// widget and a control lacking a role is skipped.
struct FilterControl
{
    QPointer<QObject> lbCaption;
    QPointer<QObject> Common;
    bool Enabled = false;
};

/// The slots of the query panel, by index.
enum FilterIndex : int {
    fcDateReport0 = 0,
    fcDateReport1 = 1,
    fcCombo1 = 2,
    fcComboNetting = 3,
    fcDealBox = 4,
    fcPairBox = 5,
    fcCcyBox = 6,
    fcCptyBox = 7,
    fcDealerBox = 8,
    fcLegendBox = 9,
    fcStatusBox = 10,
    fcTypeDate = 11,
    fcLoroNostro = 12,
    fcTCIDBox = 13,
    fcListAttrib = 14,
    fcDateReport2 = 15,
    fcDateReport3 = 16,
    fcClientBox = 17,
    FilterControlCount = 18,
};

Q_DECLARE_METATYPE(FilterControl)
