// What the catalog and its discount schedules do to quotations: product
// categories refreshed from the catalog, schedules applied to quote lines.
#pragma once

#include "catalog/CatalogDatabase.h"
#include "catalog/QuoteModel.h"

namespace ortello {

// The catalog entry a quote line stands for: found by PartNo, else by its
// RootPartNumber through the same part-number look-up; null when neither is there.
TLOMEntry* FindCatalogEntry(const TLOMDataList& parts, const TLOMQuoteEntry& entry);

// Every line whose part is in the catalog takes the catalog's product category,
// unless that one is empty.
void RefreshProductCategories(const TLOMDataList& parts, TQuoteList& list);
void RefreshProductCategories(TLOMNodeData& catalog, TQuoteList& list);

}  // namespace ortello
