// Quotation speed: a 10,000-line quotation's running totals, its save to a
// quotation file in memory and its load back, and the copy text of all lines.

#include <benchmark/benchmark.h>

#include <string>

#include "app/DataModule.h"
#include "app/Startup.h"
#include "catalog/EntryCopy.h"
#include "catalog/QuoteModel.h"

namespace ortello {
namespace {

constexpr int kLines = 10000;

// Invented lines: every tenth a cable, every twentieth an option, five groups.
void Fill(TLOMQuoteList& q) {
    q.ContactInfo()->SetText(TContactInformation::cfCompanyName, "Invented Towers Ltd");
    for (int i = 0; i < kLines; ++i) {
        TLOMQuoteEntry* e = q.AddNew();
        e->SetPartNoText("PN-" + std::to_string(100000 + i));
        e->SetDefaultPartNo(e->PartNo());
        e->SetDesc("Invented part number " + std::to_string(i) + ", 50 ohm, black jacket");
        e->SetProdCat(i % 3 ? "Connectors" : "Cable");
        e->SetDiscGrps("G" + std::to_string(i % 7));
        for (int c = 0; c < kCurrencyCount; ++c) e->SetIndexedPrice(c, 10.0 + i % 97 + c);
        e->SetDiscount((i % 5) * 0.05);
        e->SetGroup("Site " + std::to_string(i % 5));
        e->SetQuantity(1 + i % 9);
        if (i % 10 == 0) {
            e->SetIsCable(true);
            e->SetCableLength(50 + i % 200);
            e->SetPricePerFoot(1.25);
            e->SetBaseCablePrice(20);
        }
        if (i % 20 == 0) e->SetOption(true);
    }
}

TLOMQuoteList& Quote() {
    static TLOMQuoteList* q = [] {
        RegisterAllClasses();
        auto* list = new TLOMQuoteList();
        Fill(*list);
        return list;
    }();
    return *q;
}

void BM_RecalculateTotals(benchmark::State& state) {
    TLOMQuoteList& q = Quote();
    for (auto _ : state) {
        q.RecalculateTotals();
        benchmark::DoNotOptimize(q.Entry(kLines - 1)->TotalCost());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

void BM_Save(benchmark::State& state) {
    TLOMQuoteList& q = Quote();
    size_t bytes = 0;
    for (auto _ : state) {
        TMemoryStream s;
        q.SaveToStream(s);
        bytes = s.Bytes().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
    state.counters["file_bytes"] = static_cast<double>(bytes);
}

void BM_Load(benchmark::State& state) {
    TMemoryStream saved;
    Quote().SaveToStream(saved);
    for (auto _ : state) {
        TLOMQuoteList q;
        TReadOnlyMemoryStream in(saved.Bytes());
        q.LoadFromStream(in);
        benchmark::DoNotOptimize(q.Entry(kLines - 1)->TotalCost());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(saved.Bytes().size()));
}

void BM_CopyText(benchmark::State& state) {
    TLOMQuoteList& q = Quote();
    TEntryCopyController c;
    SetEntryCopyDesignValues(c);
    c.SetFileName("");
    for (auto _ : state) benchmark::DoNotOptimize(QuoteListCopyText(q, c).size());
    state.SetItemsProcessed(state.iterations() * kLines);
}

BENCHMARK(BM_RecalculateTotals)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ortello

BENCHMARK_MAIN();
