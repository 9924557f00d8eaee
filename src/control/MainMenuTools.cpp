#include "MainMenuTools.h"

#include "TextTable.h"
#include "ToolBar.h"

#include <QApplication>
#include <QStyle>
#include <QToolButton>

namespace MainMenuTools {

namespace {

using K = widgets::Tool::Kind;

// Order of the band. Report tools come last and start hidden.
const QList<ToolEntry> ToolTable = {
    {"ID_refresh", K::Button, 13028, nullptr, nullptr, true, true},
    {"ID_undo", K::Button, 13040, nullptr, nullptr, true, true},
    {"ID_ListParams", K::ComboBox, 13019, nullptr, nullptr, true, true},
    {"ID_Save", K::Button, 13031, nullptr, nullptr, true, true},
    {"ID_Delete", K::Button, 13004, nullptr, nullptr, true, true},
    {"ID_Filter", K::CheckButton, 13016, nullptr, nullptr, true, true},
    {"ID_ShowSummary", K::CheckButton, 13037, nullptr, nullptr, true, true},
    {"ID_ShowDetails", K::CheckButton, 13034, nullptr, nullptr, true, true},
    {"ID_expand", K::Button, 13007, nullptr, nullptr, true, true},
    {"ID_collapse", K::Button, 13001, nullptr, nullptr, true, true},
    {"ID_Expand_Selection", K::Button, 13010, nullptr, nullptr, true, true},
    {"ID_ExpandAfterRefresh", K::CheckButton, 13013, nullptr, nullptr, true, true},
    {"ID_AutoRefresh", K::CheckButton, 13058, nullptr, nullptr, true, true},
    {"ID_Print", K::Menu, 13047, nullptr, nullptr, true, true},
    {"ID_Copy", K::Button, 13076, nullptr, nullptr, true, true},
    {"ID_Export", K::Menu, 0, "Export", "Export the report to a file", true, true},
    {"ID_DetailWIndow", K::CheckButton, 13079, nullptr, nullptr, true, true},
    {"ID_Chart", K::CheckButton, 0, "Chart", "Show a chart of the report beside the grid", true, false},
    {"ID_WithArchive", K::CheckButton, 13094, nullptr, nullptr, true, true},
    {"ID_ShowTicket", K::Button, 13091, nullptr, nullptr, true, false},
    {"ID_CurrencyPair", K::CheckButton, 13088, nullptr, nullptr, true, false},
    {"ID_Recalculate", K::Button, 13049, nullptr, nullptr, true, false},
    {"ID_WithRecalculate", K::CheckButton, 13052, nullptr, nullptr, true, false},
    {"ID_ManageCcy", K::Button, 13055, nullptr, nullptr, true, false},
    {"ID_AdminRate", K::Button, 13061, nullptr, nullptr, true, false},
    {"ID_Profit", K::Button, 13064, nullptr, nullptr, true, false},
    {"ID_ReutersRate", K::CheckButton, 13067, nullptr, nullptr, true, false},
    {"ID_RateSource", K::CheckButton, 13070, nullptr, nullptr, true, false},
    {"ID_WithCommission", K::CheckButton, 13073, nullptr, nullptr, true, false},
    {"ID_ProffitWithCommission", K::CheckButton, 13100, nullptr, nullptr, true, false},
    {"ID_WithTaxe", K::CheckButton, 13097, nullptr, nullptr, true, false},
    {"ID_WithNetting", K::CheckButton, 0, "With Netting", "With Netting Agreements", true, false},
    {"ID_WithRollower", K::CheckButton, 0, "With Rollower", "With Rollower", true, false},
    // Menu entries only.
    {"ID_PrintAll", K::Button, 13022, nullptr, nullptr, false, true},
    {"ID_PrintSelection", K::Button, 13025, nullptr, nullptr, false, true},
    {"ID_ExportXlsx", K::Button, 0, "Excel Workbook...", "Export the whole report as an Excel workbook", false, true},
    {"ID_ExportCsv", K::Button, 0, "CSV of the Grid...", "Export what the grid shows as CSV", false, true},
    {"ID_Caption", K::Button, 13085, nullptr, nullptr, false, true},
    {"ID_TableProperties", K::Button, 0, "TableProperties", "", false, true},
    {"ID_FilterMenu", K::Menu, 13043, nullptr, nullptr, false, true},
    {"ID_PopUp", K::PopupMenu, 13045, nullptr, nullptr, false, true},
};

// Separators of the band go before these tools.
const QStringList GroupStarts = {
    QStringLiteral("ID_ListParams"), QStringLiteral("ID_Filter"), QStringLiteral("ID_expand"),
    QStringLiteral("ID_AutoRefresh"), QStringLiteral("ID_DetailWIndow"), QStringLiteral("ID_ShowTicket"),
};

// Tools whose caption stays beside the icon; the others show the icon alone
// (with the caption as tool tip), so the whole band fits a normal window.
const QStringList CaptionedTools = {QStringLiteral("ID_refresh"), QStringLiteral("ID_Print")};

QStyle::StandardPixmap iconOf(const QString &id)
{
    static const QHash<QString, QStyle::StandardPixmap> icons = {
        {QStringLiteral("ID_refresh"), QStyle::SP_BrowserReload},
        {QStringLiteral("ID_undo"), QStyle::SP_ArrowBack},
        {QStringLiteral("ID_Save"), QStyle::SP_DialogSaveButton},
        {QStringLiteral("ID_Delete"), QStyle::SP_TrashIcon},
        {QStringLiteral("ID_Filter"), QStyle::SP_FileDialogContentsView},
        {QStringLiteral("ID_ShowSummary"), QStyle::SP_FileDialogListView},
        {QStringLiteral("ID_ShowDetails"), QStyle::SP_FileDialogDetailedView},
        {QStringLiteral("ID_expand"), QStyle::SP_TitleBarUnshadeButton},
        {QStringLiteral("ID_collapse"), QStyle::SP_TitleBarShadeButton},
        {QStringLiteral("ID_Expand_Selection"), QStyle::SP_ArrowDown},
        {QStringLiteral("ID_ExpandAfterRefresh"), QStyle::SP_ToolBarVerticalExtensionButton},
        {QStringLiteral("ID_AutoRefresh"), QStyle::SP_MediaPlay},
        {QStringLiteral("ID_Print"), QStyle::SP_FileIcon},
        {QStringLiteral("ID_Copy"), QStyle::SP_FileLinkIcon},
        {QStringLiteral("ID_Export"), QStyle::SP_DialogSaveButton},
        {QStringLiteral("ID_DetailWIndow"), QStyle::SP_FileDialogInfoView},
        {QStringLiteral("ID_Chart"), QStyle::SP_FileDialogContentsView},
        {QStringLiteral("ID_WithArchive"), QStyle::SP_DirIcon},
        {QStringLiteral("ID_ShowTicket"), QStyle::SP_MessageBoxInformation},
        // The profit reports' switches, so that their totals beside them fit the band.
        {QStringLiteral("ID_WithRecalculate"), QStyle::SP_BrowserReload},
        {QStringLiteral("ID_AdminRate"), QStyle::SP_FileDialogNewFolder},
        {QStringLiteral("ID_ReutersRate"), QStyle::SP_ComputerIcon},
        {QStringLiteral("ID_RateSource"), QStyle::SP_DriveNetIcon},
        {QStringLiteral("ID_WithCommission"), QStyle::SP_DialogApplyButton},
    };
    return icons.value(id, QStyle::SP_CustomBase);
}

} // namespace

const QList<ToolEntry> &tools()
{
    return ToolTable;
}

void build(widgets::ToolBar &bar)
{
    QStyle *style = bar.style();
    for (const ToolEntry &entry : ToolTable) {
        const QString id = QString::fromLatin1(entry.id);
        widgets::Tool *tool = bar.addTool(id, entry.kind,
                                          entry.caption ? QString::fromLatin1(entry.caption) : QString());
        if (!tool)
            continue;
        tool->setTag(entry.tag > 0 ? QVariant(entry.tag) : QVariant());
        if (entry.toolTip)
            tool->setToolTipText(QString::fromLatin1(entry.toolTip));
        const QStyle::StandardPixmap icon = iconOf(id);
        if (icon != QStyle::SP_CustomBase)
            tool->setIcon(style->standardIcon(icon, nullptr, &bar));
    }

    const auto fill = [&bar](const char *menu, const QStringList &items) {
        for (const QString &item : items)
            bar.addToMenu(QString::fromLatin1(menu), item);
    };
    fill("ID_Print", {QStringLiteral("ID_PrintSelection"), QStringLiteral("ID_PrintAll")});
    fill("ID_Export", {QStringLiteral("ID_ExportXlsx"), QStringLiteral("ID_ExportCsv")});
    fill("ID_FilterMenu", {QStringLiteral("ID_Filter"), QStringLiteral("ID_Save"), QStringLiteral("ID_Delete")});
    fill("ID_PopUp", {QStringLiteral("ID_collapse"), QStringLiteral("ID_expand"),
                      QStringLiteral("ID_Expand_Selection"), QStringLiteral("ID_TableProperties"),
                      QStringLiteral("-"), QStringLiteral("ID_FilterMenu"), QStringLiteral("-"),
                      QStringLiteral("ID_Caption"), QStringLiteral("ID_Print"), QStringLiteral("ID_Export"),
                      QStringLiteral("ID_refresh")});

    for (const ToolEntry &entry : ToolTable) {
        if (!entry.onBand)
            continue;
        const QString id = QString::fromLatin1(entry.id);
        if (GroupStarts.contains(id))
            bar.addSeparatorToBand();
        bar.addToBand(id);
        widgets::Tool *tool = bar.Tools(id);
        if (auto *button = qobject_cast<QToolButton *>(bar.widgetForAction(tool->action()))) {
            button->setToolButtonStyle(CaptionedTools.contains(id) ? Qt::ToolButtonTextBesideIcon
                                                                   : Qt::ToolButtonIconOnly);
            if (tool->kind() == widgets::Tool::Menu)
                button->setPopupMode(QToolButton::InstantPopup);
        }
        tool->setVisible(entry.shownAtStart);
    }
}

void showStartTools(widgets::ToolBar &bar)
{
    for (const ToolEntry &entry : ToolTable) {
        if (widgets::Tool *tool = entry.onBand ? bar.Tools(QString::fromLatin1(entry.id)) : nullptr)
            tool->setVisible(entry.shownAtStart);
    }
}

void localise(widgets::ToolBar &bar)
{
    bar.localise([](int id) { return TextTable::LoadText(id); });
}

} // namespace MainMenuTools
