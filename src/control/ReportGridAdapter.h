#pragma once

#include "ReportGrid.h"
#include "ReportToolbar.h"

#include <QPointer>

namespace widgets {
class Grid;
class ToolBar;
} // namespace widgets

/// The control's grid as a report drives it: the report's declared columns
/// become grid columns (created in table order, so the column index is the
/// one the grid's unbound reads use), formats, visibility, value lists and
/// stored layouts go to those columns. A grid that is gone is ignored.
class ReportGridAdapter final : public ReportGrid
{
public:
    explicit ReportGridAdapter(widgets::Grid *grid) : m_grid(grid) {}

    void setColumns(const DisplayLayout &layout) override;
    QList<ColumnLayoutEntry> columnLayout() const override;
    void applyColumnLayout(const ColumnLayoutEntry &entry) override;
    void setColumnVisible(const QString &key, bool visible) override;
    void setColumnFormat(const QString &key, const QString &format) override;
    ValueListSink *valueList(const QString &key) override;
    void addHighlight(const QString &name, const QString &columnKey, const QVariant &value,
                      quint32 foreColor, bool bold = true) override;
    void addNegativeHighlight(const QString &name, const QString &columnKey, quint32 foreColor) override;
    void setHighlightBold(const QString &name, bool bold) override;
    void setHighlightColor(const QString &name, quint32 foreColor) override;
    void setUncountedRows(const QString &columnKey, const QVariant &value) override;
    void fitColumnsToContents() override;
    void setItemCount(int rows) override;
    int currentDisplayRow() const override;
    bool currentIsGroupRow() const override;
    QString currentGroupCaption() const override;
    std::optional<RowOrdering> rowOrder() const override;
    std::optional<std::shared_ptr<const RowChangeMarks::Remembered>> changeMarksBase() const override;
    void setRows(int rows, const RowArrangement &arranged, const RowChangeMarks::Comparison *marks) override;

private:
    QPointer<widgets::Grid> m_grid;
};

/// The control's toolbar as a report drives it. A text tool shows its
/// caption and its figure on its band button ("Profit/Loss  1,234.00"), in
/// the figure's colour; the figure itself is kept on the tool as the
/// property FigureProperty (a QString), where the headless runner reads it.
class ReportToolbarAdapter final : public ReportToolbar
{
public:
    explicit ReportToolbarAdapter(widgets::ToolBar *toolbar) : m_toolbar(toolbar) {}

    /// The dynamic property of a widgets::Tool that holds the figure it shows.
    static constexpr const char *FigureProperty = "FigureText";

    void setToolEnabled(const QString &id, bool enabled) override;
    void setToolState(const QString &id, int state) override;
    int toolState(const QString &id) const override;
    void setToolVisible(const QString &id, bool visible) override;
    void setToolCaption(const QString &id, const QString &caption) override;
    void setToolText(const QString &id, const QString &text, quint32 color, int width) override;
    int toolTextWidth(const QString &id, const QString &text) const override;

private:
    QPointer<widgets::ToolBar> m_toolbar;
};
