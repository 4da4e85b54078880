// Speed of putting a discount schedule in force and of a currency change on large
// invented catalogs.
//
// The catalogs are written by ortello-gencatalog into $TMPDIR/ortello-bench
// (/tmp when TMPDIR is unset) and reused while present. ORTELLO_BENCH_PARTS
// ("250000,1000000" by default) chooses the catalog sizes, ORTELLO_BENCH_ITEMS
// ("2500,10000") the schedule sizes. Each schedule is a tenth node items (as many
// as the catalog has nodes), the rest part numbers, 5 % of them unknown.
//
// Reported per catalog and schedule size, best of five: setting the schedule as
// a user does (reset, both passes, progress events), the reset alone, the two
// passes alone, and a currency change (reset, schedule dropped).

#include <sys/stat.h>
#include <sys/wait.h>
#include <spawn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "catalog/CatalogDatabase.h"

#include "bench/BenchCatalogs.h"

namespace ortello {
namespace {
using bench::CatalogFile;
using bench::FileSize;




std::vector<long> Sizes(const char* env, const char* fallback) {
    const char* v = std::getenv(env);
    std::stringstream in(v && *v ? v : fallback);
    std::vector<long> out;
    for (std::string s; std::getline(in, s, ',');) out.push_back(std::stol(s));
    return out;
}

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

template <class F>
double Best(int runs, F&& f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        f();
        best = std::min(best, Ms(Clock::now() - t0));
    }
    return best;
}

std::unique_ptr<TCustomDiscount> MakeSchedule(TLOMNodeData& c, long items, const char* name, unsigned seed) {
    std::mt19937 rng(seed);
    auto d = std::make_unique<TCustomDiscount>();
    d->SetName(name);
    const int nodes = c.Container().Count();
    const int parts = c.GetParts().Count();
    const long nodeItems = std::min<long>(items / 10, nodes);
    for (long i = 0; i < nodeItems; ++i)
        d->AddItem(TNodeDiscountItem::StaticClass(), c.Container().Node(static_cast<int>(rng() % nodes))->Path(),
                   0.05 + (rng() % 30) / 100.0);
    for (long i = nodeItems; i < items; ++i) {
        if (rng() % 20 == 0)
            d->AddItem(TPartDiscountItem::StaticClass(), "NO-SUCH-" + std::to_string(i), 0.5);
        else
            d->AddItem(TPartDiscountItem::StaticClass(), c.GetParts().Entry(static_cast<int>(rng() % parts))->PartNo(),
                       0.05 + (rng() % 40) / 100.0);
    }
    return d;
}

}  // namespace
}  // namespace ortello

int main() {
    using namespace ortello;
    RegisterAllClasses();
    std::printf("%-9s %-7s %12s %10s %11s %10s %9s %9s\n", "parts", "items", "SetSchedule", "reset", "two passes",
                "currency", "progress", "assigned");
    for (long partsWanted : Sizes("ORTELLO_BENCH_PARTS", "250000,1000000")) {
        const std::string file = CatalogFile(partsWanted);
        TLOMNodeData c;
        TStringList fields;
        for (const std::string& f : DefaultDAVFields()) fields.Add(f);
        c.SetDAVFields(&fields);
        c.SetShowDiscountProgress(true);
        const auto t0 = Clock::now();
        c.Container().LoadCatalog(file);
        c.Container().BuildPaths();
        std::fprintf(stderr, "loaded %s: %d parts, %d nodes in %.0f ms\n", file.c_str(), c.GetParts().Count(),
                     c.Container().Count(), Ms(Clock::now() - t0));
        int progress = 0;
        c.OnDiscountChangeStart = [&](TObject*) { progress = 0; };
        c.OnDiscountChangeStatus = [&](int) { ++progress; };

        for (long items : Sizes("ORTELLO_BENCH_ITEMS", "2500,10000")) {
            c.Schedules().Clear();
            for (const char* name : {"One", "Two"}) {
                auto s = MakeSchedule(c, items, name, name[0] == 'O' ? 1u : 2u);
                s->SetCollection(&c.Schedules());
                c.Schedules().Add(std::move(s));
            }
            int flip = 0;
            const double set =
                Best(5, [&] { c.SetSchedule(flip++ % 2 ? "Two - US$" : "One - US$"); });
            int assigned = 0;
            for (int i = 0; i < c.GetParts().Count(); ++i) assigned += c.GetParts().Entry(i)->DiscountAssigned();
            const int reported = progress;
            const double reset = Best(5, [&] { c.ResetDiscounts(); });
            const double passes = Best(5, [&] {
                c.ResetDiscounts();
                c.Schedules().Item(0)->ApplyToCatalog(c.Container());
            }) - reset;
            c.SetSchedule("One - US$");
            int cur = 0;
            const double currency =
                Best(5, [&] { c.SetCurrencyType(cur++ % 2 ? ctUSDollar : ctEuroDollar); });
            c.SetCurrencyType(ctUSDollar);
            std::printf("%-9d %-7ld %9.1f ms %7.1f ms %8.1f ms %7.1f ms %9d %9d\n", c.GetParts().Count(), items, set,
                        reset, passes, currency, reported, assigned);
            std::fflush(stdout);
        }
    }
    return 0;
}
