// What the catalog and its discount schedules do to quotations: product
// categories refreshed from the catalog, schedules applied to quote lines.
#pragma once

#include <string_view>

#include "catalog/CatalogDatabase.h"
#include "catalog/Discounts.h"
#include "catalog/QuoteModel.h"

namespace ortello {

// The catalog entry a quote line stands for: found by PartNo, else by its
// RootPartNumber through the same part-number look-up; null when neither is there.
TLOMEntry* FindCatalogEntry(const TLOMDataList& parts, const TLOMQuoteEntry& entry);

// Every line whose part is in the catalog takes the catalog's product category,
// unless that one is empty.
void RefreshProductCategories(const TLOMDataList& parts, TQuoteList& list);
void RefreshProductCategories(TLOMNodeData& catalog, TQuoteList& list);

// A schedule's discounts on quote lines: the line's catalog part's own parent
// node path is looked up first, then its part number; a line whose part is not
// in the catalog, or that the schedule does not mention, keeps its discount.
// Totals are recalculated afterwards. The first form needs the catalog of the
// schedule's collection and does nothing without it.
void ApplyToQuoteList(const TCustomDiscount& schedule, TQuoteList& list);
void ApplyToQuoteList(const TCustomDiscount& schedule, const TLOMDataList& parts, TQuoteList& list);

// A schedule change on a quotation: "Default" clears every discount; a loaded
// schedule (by display name, case ignored) gives the quotation its currency,
// discounts, display name and expiration date. False, with nothing changed, for
// any other name.
bool ApplyScheduleToQuote(TLOMNodeData& catalog, TLOMQuoteList& quote, std::string_view displayName);

}  // namespace ortello
