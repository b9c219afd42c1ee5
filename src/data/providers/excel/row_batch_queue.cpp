#include "data/providers/excel/row_batch_queue.h"

#include <utility>

namespace kpx::data::excel {

BackgroundRows::BackgroundRows(std::unique_ptr<SheetRowStream> rows)
    : m_rows(std::move(rows)), m_ahead([this](RowBatch& batch) {
        const bool more = m_rows->next(m_row);
        if (more) batch.add(m_row);
        return more;
      }) {}

}  // namespace kpx::data::excel
