#include "DisplayReader.h"

DisplayReader::DisplayReader(data::RecordsetPtr display, const DisplayLayout &layout, const ShownRows &shown)
    : m_display(std::move(display)), m_shown(&shown), m_layout(layout)
{
    // Looked up once: a field handle follows the current row.
    if (m_display)
        for (const ReportColumn &column : layout.columns)
            m_fields.push_back(m_display->Fields(QString::fromLatin1(column.field)));
}

std::shared_ptr<DisplayReader> DisplayReader::detached(const data::RecordsetPtr &display, const DisplayLayout &layout,
                                                       const ShownRows &shown, const ShownFormats &formats)
{
    data::RecordsetPtr handle = display ? display->Clone() : nullptr;
    if (!handle)
        return nullptr;
    auto reader = std::make_shared<DisplayReader>(handle, layout, shown);
    reader->m_formats = formats;
    // Filtering walks every row: left to the first read, on the walk's thread.
    reader->m_pendingFilter = display->Filter();
    reader->m_pendingSort = display->Sort();
    return reader;
}

bool DisplayReader::moveTo(int row)
{
    if (!m_display)
        return false;
    if (!m_pendingFilter.isEmpty() || !m_pendingSort.isEmpty()) {
        // A view the display took once is taken again; were it refused now,
        // the handle would show other rows under the same positions.
        m_viewRefused = (!m_pendingFilter.isEmpty() && !m_display->setFilter(m_pendingFilter))
                        || (!m_pendingSort.isEmpty() && !m_display->setSort(m_pendingSort));
        m_pendingFilter.clear();
        m_pendingSort.clear();
    }
    return !m_viewRefused && m_display->setAbsolutePosition(qint64(row) + 1);
}

QVariant DisplayReader::cell(int row, int column, const ShownFormats &formats)
{
    if (column < 0 || column >= int(m_fields.size()) || !moveTo(row))
        return {};
    return m_shown->cell({*m_display, m_layout, formats}, column, gridCellValue(m_fields[size_t(column)].value()));
}

void DisplayReader::readRow(int row, QVector<QVariant> &values, const ShownFormats &formats)
{
    values.fill(QVariant(), qsizetype(m_fields.size()));
    if (!moveTo(row))
        return;
    const ShownRow shown{*m_display, m_layout, formats};
    for (int c = 0; c < values.size(); ++c)
        values[c] = m_shown->cell(shown, c, gridCellValue(m_fields[size_t(c)].value()));
    m_shown->changeRow(shown, values);
}
