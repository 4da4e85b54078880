// Catalog load and look-up speed on large invented catalogs.
//
// The catalogs are written by ortello-gencatalog into $TMPDIR/ortello-bench
// (/tmp when TMPDIR is unset) and reused while present. ORTELLO_BENCH_PARTS
// ("100000,1000000" by default) chooses the sizes.
//
// Reported per size: load time and file throughput, the growth of the peak
// resident set during a load (and its ratio to the file size), and the time of
// FindByPartNo (hits, misses sharing an indexed prefix, misses outside every
// prefix) and FindNodeByPath. A summary compares them with the targets.

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogTree.h"

#include "bench/BenchCatalogs.h"

namespace ortello {
namespace {
using bench::CatalogFile;
using bench::FileSize;




// The catalog as start-up loads it: a no-load container reading the data
// module's columns, then the node paths.
struct LoadedCatalog {
    TStringList fields;
    std::unique_ptr<TLOMNoLoadContainer> container = std::make_unique<TLOMNoLoadContainer>();
    int errors = 0;

    explicit LoadedCatalog(const std::string& path) {
        for (const std::string& f : DefaultDAVFields()) fields.Add(f);
        TCatalogHost& host = container->Host();
        host.FileName = "M_dav.dat";
        host.DAVFields = &fields;
        host.LoadError = [this](const std::string&) { ++errors; };
        container->LoadCatalog(path);
        container->BuildPaths();
    }
};

// Peak resident set in bytes, and a reset of it where the kernel allows.
int64_t PeakRss() {
    rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<int64_t>(u.ru_maxrss) * 1024;
}
bool ResetPeakRss() {
    // Freed heap that malloc keeps still counts as resident and would hide the peak.
    ::malloc_trim(0);
    std::ofstream f("/proc/self/clear_refs");
    f << "5";
    f.flush();
    return static_cast<bool>(f);
}

// One catalog kept loaded for the look-ups of its size.
std::unique_ptr<LoadedCatalog> gCatalog;
int64_t gCatalogParts = -1;
LoadedCatalog& Catalog(int64_t parts) {
    if (gCatalogParts != parts) {
        gCatalog.reset();
        gCatalog = std::make_unique<LoadedCatalog>(CatalogFile(parts));
        gCatalogParts = parts;
    }
    return *gCatalog;
}

struct Summary {
    double loadSeconds = 0, fileBytes = 0, peakBytes = 0;
    bool peakReset = false;
    int parts = 0, nodes = 0, errors = 0;
    std::map<std::string, double> lookupNs;
};
std::map<int64_t, Summary> gSummary;

void BM_LoadCatalog(benchmark::State& state) {
    RegisterAllClasses();
    const int64_t parts = state.range(0);
    const std::string path = CatalogFile(parts);
    const double bytes = static_cast<double>(FileSize(path));
    gCatalog.reset();  // its memory must not hide this load's peak
    gCatalogParts = -1;
    const bool reset = ResetPeakRss();
    const int64_t peakBefore = PeakRss();
    double seconds = 0;
    int loadedParts = 0, nodes = 0, errors = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        auto cat = std::make_unique<LoadedCatalog>(path);
        const auto t1 = std::chrono::steady_clock::now();
        const double s = std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(s);
        seconds += s;
        loadedParts = cat->container->Parts().Count();
        nodes = cat->container->Count();
        errors = cat->errors;
        cat.reset();  // not timed: manual time covers the load only
    }
    const double peak = static_cast<double>(PeakRss() - peakBefore);
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    state.counters["file_MB"] = bytes / 1e6;
    state.counters["MB_per_s"] = benchmark::Counter(bytes / 1e6 * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["peak_per_file"] = peak / bytes;
    state.counters["parts"] = loadedParts;
    state.counters["nodes"] = nodes;
    if (errors) state.SetLabel(std::to_string(errors) + " load errors");
    Summary& sum = gSummary[parts];
    sum.loadSeconds = seconds / static_cast<double>(state.iterations());
    sum.fileBytes = bytes;
    sum.peakBytes = peak;
    sum.peakReset = reset;
    sum.parts = loadedParts;
    sum.nodes = nodes;
    sum.errors = errors;
}

enum class KeyKind { Hit, HitLowerCase, MissNearPrefix, MissNoPrefix };

std::vector<std::string> PartKeys(const TLOMPartList& parts, KeyKind kind, size_t n) {
    std::mt19937_64 rng(42);
    std::uniform_int_distribution<int> pick(0, parts.Count() - 1);
    std::vector<std::string> keys;
    for (size_t i = 0; i < n; ++i) {
        std::string k(parts.Entry(pick(rng))->PartNo());
        switch (kind) {
            case KeyKind::Hit: break;
            case KeyKind::HitLowerCase: k = LowerCase(k); break;
            // Shares the entry's four indexed characters, matches nothing.
            case KeyKind::MissNearPrefix: k += "-NONE"; break;
            // No part number starts with "Q~".
            case KeyKind::MissNoPrefix: k = "Q~" + k; break;
        }
        keys.push_back(std::move(k));
    }
    return keys;
}

const char* KeyKindName(KeyKind k) {
    switch (k) {
        case KeyKind::Hit: return "hit";
        case KeyKind::HitLowerCase: return "hit, lower case";
        case KeyKind::MissNearPrefix: return "miss, known prefix";
        case KeyKind::MissNoPrefix: return "miss, unknown prefix";
    }
    return "";
}

void BM_FindByPartNo(benchmark::State& state, KeyKind kind) {
    RegisterAllClasses();
    const int64_t parts = state.range(0);
    LoadedCatalog& cat = Catalog(parts);
    const TLOMPartList& list = cat.container->Parts();
    const std::vector<std::string> keys = PartKeys(list, kind, 4096);
    const bool hit = kind == KeyKind::Hit || kind == KeyKind::HitLowerCase;
    size_t i = 0;
    int64_t wrong = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const int pos = list.FindByPartNo(keys[i]);
        benchmark::DoNotOptimize(pos);
        wrong += (pos >= 0) != hit;
        if (++i == keys.size()) i = 0;
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetItemsProcessed(state.iterations());
    if (wrong) state.SkipWithError("a look-up gave the wrong answer");
    gSummary[parts].lookupNs[std::string("FindByPartNo ") + KeyKindName(kind)] =
        s * 1e9 / static_cast<double>(state.iterations());
}

void BM_FindNodeByPath(benchmark::State& state) {
    RegisterAllClasses();
    const int64_t parts = state.range(0);
    LoadedCatalog& cat = Catalog(parts);
    const TLOMContainer& c = *cat.container;
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<int> pick(0, c.Count() - 1);
    std::vector<std::string> paths;
    for (int k = 0; k < 1024; ++k) paths.push_back(c.Node(pick(rng))->Path());
    size_t i = 0;
    int64_t wrong = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const int pos = c.FindNodeByPath(paths[i]);
        benchmark::DoNotOptimize(pos);
        wrong += pos < 0;
        if (++i == paths.size()) i = 0;
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetItemsProcessed(state.iterations());
    state.counters["nodes"] = c.Count();
    if (wrong) state.SkipWithError("a path was not found");
    gSummary[parts].lookupNs["FindNodeByPath"] = s * 1e9 / static_cast<double>(state.iterations());
}

std::vector<int64_t> Sizes() {
    std::vector<int64_t> sizes;
    const char* env = std::getenv("ORTELLO_BENCH_PARTS");
    std::string text = env && *env ? env : "100000,1000000";
    size_t p = 0;
    while (p < text.size()) {
        size_t q = text.find(',', p);
        if (q == std::string::npos) q = text.size();
        int64_t v = 0;
        if (TryStrToInt64(text.substr(p, q - p), v) && v > 0) sizes.push_back(v);
        p = q + 1;
    }
    return sizes;
}

void PrintSummary() {
    std::printf("\nTargets (measured, one core):\n");
    for (const auto& [parts, s] : gSummary) {
        std::printf("  %lld parts (%d loaded, %d nodes, %d load errors), file %.1f MB\n",
                    static_cast<long long>(parts), s.parts, s.nodes, s.errors, s.fileBytes / 1e6);
        if (s.loadSeconds > 0) {
            const double mbs = s.fileBytes / 1e6 / s.loadSeconds;
            std::printf("    load %.3f s, %.0f MB/s: %s (200 MB/s)\n", s.loadSeconds, mbs,
                        mbs >= 200 ? "met" : "NOT met");
            std::printf("    peak memory growth %.1f MB = %.2f x file: %s (2.5 x)%s\n", s.peakBytes / 1e6,
                        s.peakBytes / s.fileBytes, s.peakBytes < 2.5 * s.fileBytes ? "met" : "NOT met",
                        s.peakReset ? "" : " [peak could not be reset; an earlier peak may hide this one]");
        }
        for (const auto& [name, ns] : s.lookupNs)
            std::printf("    %-36s %10.1f ns%s\n", name.c_str(), ns,
                        name.rfind("FindByPartNo", 0) == 0 ? (ns < 2000 ? ": met (2 us)" : ": NOT met (2 us)") : "");
    }
}

}  // namespace
}  // namespace ortello

int main(int argc, char** argv) {
    using namespace ortello;
    for (int64_t n : Sizes()) {
        benchmark::RegisterBenchmark("LoadCatalog", BM_LoadCatalog)
            ->Arg(n)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->MinTime(n >= 500000 ? 3.0 : 1.0);
        for (KeyKind k : {KeyKind::Hit, KeyKind::HitLowerCase, KeyKind::MissNearPrefix, KeyKind::MissNoPrefix}) {
            std::string name = "FindByPartNo/";
            for (const char* c = KeyKindName(k); *c; ++c)
                if (*c != ',') name += *c == ' ' ? '_' : *c;
            benchmark::RegisterBenchmark(name.c_str(), BM_FindByPartNo, k)->Arg(n)->Unit(benchmark::kNanosecond);
        }
        benchmark::RegisterBenchmark("FindNodeByPath", BM_FindNodeByPath)->Arg(n)->Unit(benchmark::kNanosecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintSummary();
    return 0;
}
