#include "catalog/QuoteDiscounts.h"

namespace ortello {

TLOMEntry* FindCatalogEntry(const TLOMDataList& parts, const TLOMQuoteEntry& entry) {
    int pos = parts.FindByPartNo(entry.PartNo());
    if (pos < 0 && !entry.RootPartNumber().empty()) pos = parts.FindByPartNo(entry.RootPartNumber());
    return pos < 0 ? nullptr : parts.Entry(pos);
}

void RefreshProductCategories(const TLOMDataList& parts, TQuoteList& list) {
    for (int i = 0; i < list.Count(); ++i) {
        TLOMQuoteEntry* line = list.Entry(i);
        const TLOMEntry* found = FindCatalogEntry(parts, *line);
        if (found && !found->ProdCatText().empty()) line->SetProdCat(found->ProdCatText());
    }
}

void RefreshProductCategories(TLOMNodeData& catalog, TQuoteList& list) {
    RefreshProductCategories(catalog.GetParts(), list);
}

void ApplyToQuoteList(const TCustomDiscount& schedule, TQuoteList& list) {
    const TCustomDiscounts* collection = schedule.Collection();
    if (!collection || !collection->NodeData()) return;
    ApplyToQuoteList(schedule, collection->NodeData()->GetParts(), list);
}

void ApplyToQuoteList(const TCustomDiscount& schedule, const TLOMDataList& parts, TQuoteList& list) {
    for (int i = 0; i < list.Count(); ++i) {
        TLOMQuoteEntry* line = list.Entry(i);
        const TLOMEntry* found = FindCatalogEntry(parts, *line);
        if (!found) continue;
        // Only the part's own node counts, and it wins over an item for the part.
        int k = -1;
        if (const TLOMBaseNode* node = found->Parent()) k = schedule.IndexOfPath(node->Path());
        if (k < 0) k = schedule.IndexOfPath(found->PartNo());
        if (k >= 0) line->SetDiscount(schedule.Item(k)->Discount());
    }
    list.RecalculateTotals();
}

bool ApplyScheduleToQuote(TLOMNodeData& catalog, TLOMQuoteList& quote, std::string_view displayName) {
    if (SameText(displayName, "Default")) {
        quote.ClearDiscounts();
        quote.RecalculateTotals();
        quote.SetDiscountSchedule("Default");
        return true;
    }
    const int i = catalog.Schedules().IndexOfDisplayName(displayName);
    if (i < 0) return false;
    const TCustomDiscount& schedule = *catalog.Schedules().Item(i);
    quote.SetCurrencyType(schedule.CurrencyType());
    ApplyToQuoteList(schedule, catalog.GetParts(), quote);
    quote.SetDiscountSchedule(schedule.DisplayName());
    quote.SetScheduleExpiration(schedule.ExpirationDate());
    return true;
}

}  // namespace ortello
