// Saving and loading lists of entries through object records, in memory.
#include <benchmark/benchmark.h>

#include <string>

#include "library/ObjectStream.h"
#include "library/Persistent.h"

using namespace ortello;

namespace {

const TTypeInfo* TypeTBenchKind() {
    static const TTypeInfo* t = MakeEnumType("TBenchKind", {"bkAntenna", "bkCable", "bkConnector", "bkWaveguide"});
    return t;
}

// Fifteen published properties of mixed kinds, like a quotation entry.
class TBenchEntry : public TQorPersistent {
    ORTELLO_CLASS()
public:
    std::string PartNo, Description, Group, Category, Options;
    int Qty = 0, Line = 0, Section = 0;
    double Price = 0, Discount = 0, Length = 0, Added = 0;
    int64_t Kind = 0;
    bool Obsolete = false, Custom = false;

#define BENCH_STR(N) \
    std::string Get##N() const { return N; } \
    void Set##N(std::string_view v) { N = std::string(v); }
#define BENCH_VAL(T, N) \
    T Get##N() const { return N; } \
    void Set##N(T v) { N = v; }
    BENCH_STR(PartNo) BENCH_STR(Description) BENCH_STR(Group) BENCH_STR(Category) BENCH_STR(Options)
    BENCH_VAL(int, Qty) BENCH_VAL(int, Line) BENCH_VAL(int, Section)
    BENCH_VAL(double, Price) BENCH_VAL(double, Discount) BENCH_VAL(double, Length) BENCH_VAL(double, Added)
    BENCH_VAL(int64_t, Kind) BENCH_VAL(bool, Obsolete) BENCH_VAL(bool, Custom)
#undef BENCH_STR
#undef BENCH_VAL
};

const TClassInfo& TBenchEntry::StaticClass() {
    using E = TBenchEntry;
    static const TClassInfo& info = *ClassBuilder<E>("TBenchEntry", &TQorPersistent::StaticClass())
                                         .Prop("PartNo", TypeString(), &E::GetPartNo, &E::SetPartNo)
                                         .Prop("Description", TypeString(), &E::GetDescription, &E::SetDescription)
                                         .Prop("Group", TypeString(), &E::GetGroup, &E::SetGroup)
                                         .Prop("Category", TypeString(), &E::GetCategory, &E::SetCategory)
                                         .Prop("Options", TypeString(), &E::GetOptions, &E::SetOptions)
                                         .Prop("Qty", TypeInteger(), &E::GetQty, &E::SetQty).Default(0)
                                         .Prop("Line", TypeInteger(), &E::GetLine, &E::SetLine).Default(0)
                                         .Prop("Section", TypeInteger(), &E::GetSection, &E::SetSection)
                                         .Prop("Price", TypeCurrency(), &E::GetPrice, &E::SetPrice)
                                         .Prop("Discount", TypeDouble(), &E::GetDiscount, &E::SetDiscount)
                                         .Prop("Length", TypeDouble(), &E::GetLength, &E::SetLength)
                                         .Prop("Added", TypeTDateTime(), &E::GetAdded, &E::SetAdded)
                                         .Prop("Kind", TypeTBenchKind(), &E::GetKind, &E::SetKind)
                                         .Prop("Obsolete", TypeBoolean(), &E::GetObsolete, &E::SetObsolete).Default(0)
                                         .Prop("Custom", TypeBoolean(), &E::GetCustom, &E::SetCustom)
                                         .Build();
    return info;
}

void Fill(TQorPersistList& list, int n) {
    for (int i = 0; i < n; ++i) {
        auto* e = new TBenchEntry;
        e->PartNo = "LDF4-" + std::to_string(50 + i % 900) + "A";
        e->Description = "1/2\" foam cable, " + std::to_string(i % 97) + " \xC2\xB0 bend";
        e->Group = "Group " + std::to_string(i % 12);
        e->Category = i % 3 ? "Cable" : "Connector";
        e->Qty = 1 + i % 400;
        e->Line = i;
        e->Section = i % 7;
        e->Price = 12.5 + (i % 1000) * 0.37;
        e->Discount = (i % 40) / 100.0;
        e->Length = (i % 5) * 30.48;
        e->Added = 46000 + (i % 365);
        e->Kind = i % 4;
        e->Custom = i % 2;
        list.Add(e);
    }
}

void BM_Save(benchmark::State& state) {
    RegisterPersistentClasses();
    RegisterClass(TBenchEntry::StaticClass());
    TQorPersistList list(true);
    Fill(list, static_cast<int>(state.range(0)));
    int64_t bytes = 0;
    for (auto _ : state) {
        TMemoryStream s;
        list.WriteToStream(s);
        bytes = s.Size();
        benchmark::DoNotOptimize(s.Bytes().data());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["record_bytes"] = static_cast<double>(bytes);
}

void BM_Load(benchmark::State& state) {
    RegisterPersistentClasses();
    RegisterClass(TBenchEntry::StaticClass());
    TQorPersistList list(true);
    Fill(list, static_cast<int>(state.range(0)));
    TMemoryStream s;
    list.WriteToStream(s);
    const std::string bytes = s.Bytes();
    for (auto _ : state) {
        TQorPersistList back(true);
        TReadOnlyMemoryStream in(bytes);
        back.ReadFromStream(in);
        if (back.Count() != state.range(0)) state.SkipWithError("item count differs");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

}  // namespace

BENCHMARK(BM_Save)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
