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

}  // namespace ortello
