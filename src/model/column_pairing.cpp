#include "model/column_pairing.h"

#include "kpxwizard/keyed_collection.h"

namespace kpx {

PairedColumns addCopyTransformations(clsTransformations& into, const clsConnection& source,
                                     clsConnection& destination, PairColumnsBy by,
                                     const std::vector<int>& fixedWidths) {
  PairedColumns out;
  const auto& from = *source.Columns();
  const auto& to = *destination.Columns();
  const int32_t count =
      by == PairColumnsBy::Position ? std::min(from.Count(), to.Count()) : from.Count();
  for (int32_t i = 1; i <= count; ++i) {
    auto sc = from.Item(i);
    std::shared_ptr<clsColumn> dc;
    if (by == PairColumnsBy::Name) {
      const std::string wanted = foldCase(sc->Name());
      for (const auto& candidate : to)
        if (foldCase(candidate->Name()) == wanted) dc = candidate;
      if (!dc) continue;
    } else {
      dc = to.Item(i);
    }
    ++out.pairs;
    auto t = into.Add("tra" + std::to_string(out.pairs) + sc->Name());
    t->SourceFields()->AddColumn(sc);
    t->DestinationFields()->AddColumn(dc);
    t->setTransformationType(kpxCopyColumn);
    if (!sc->Name().empty()) {
      const size_t slot = static_cast<size_t>(out.pairs - 1);
      out.names += sc->Name() + ",";
      out.widths +=
          std::to_string(slot < fixedWidths.size() ? fixedWidths[slot] : sc->Size()) + ",";
    }
  }
  if (destination.ConType() == CONN_TEXTFILE && !out.names.empty()) {
    destination.setNumberColumns(out.pairs);
    destination.setColumnNames(out.names.substr(0, out.names.size() - 1));
    destination.setColumnLengths(out.widths.substr(0, out.widths.size() - 1));
  }
  return out;
}

}  // namespace kpx
