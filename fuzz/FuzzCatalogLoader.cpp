// The catalog file reader with the data module's columns, and the invariants of
// the tree it builds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/Startup.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogTree.h"

using namespace ortello;

namespace {
void Check(bool ok) {
    if (!ok) __builtin_trap();
}

int CountNodes(const TLOMBaseNode& n) {
    int count = n.Children().Count();
    for (int i = 0; i < n.Children().Count(); ++i) count += CountNodes(*n.Children().Node(i));
    return count;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (RegisterAllClasses(), true);
    (void)registered;
    static TStringList fields = [] {
        TStringList l;
        for (const std::string& f : DefaultDAVFields()) l.Add(f);
        return l;
    }();

    TLOMNoLoadContainer c;
    c.Host().FileName = "M_dav.dat";
    c.Host().DAVFields = &fields;
    int errors = 0;
    c.Host().LoadError = [&](const std::string& msg) {
        Check(!msg.empty());
        ++errors;
    };
    try {
        c.LoadCatalogText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz/M_dav.dat");
    } catch (const ENoDAVData&) {
        Check(c.Parts().Count() == 0);
        return 0;
    } catch (const Exception&) {
        // Library failures carry a message; the tree built so far must still hold.
    }
    c.BuildPaths();

    const TLOMPartList& parts = c.Parts();
    Check(c.Count() == CountNodes(c.Root()));
    for (int i = 0; i < c.Count(); ++i) {
        const TLOMBaseNode* n = c.Node(i);
        Check(n->Level() >= 1 && n->Level() <= 6);
        // Every part of a node names it as parent.
        for (int k = 0; k < n->Parts().Count(); ++k) Check(n->Parts().Entry(k)->Parent() == n);
        const int found = c.FindNodeByPath(n->Path());
        Check(found >= 0 && found <= i && SameText(c.Node(found)->Path(), n->Path()));
    }
    for (int i = 0; i < parts.Count(); ++i) {
        const TLOMEntry* e = parts.Entry(i);
        Check(e->MasterPosition() == i);
        Check(!e->Desc().empty());
        // An entry with a parent is in that parent's parts, once.
        // The reader drops parts before the first node, so every entry has one.
        const TLOMBaseNode* p = e->Parent();
        Check(p != nullptr);
        int seen = 0;
        for (int k = 0; k < p->Parts().Count(); ++k) seen += p->Parts().Entry(k) == e;
        Check(seen == 1);
        const int pos = parts.FindByPartNo(e->PartNo());
        Check(pos >= 0 && pos < parts.Count() && SameText(parts.Entry(pos)->PartNo(), e->PartNo()));
    }
    Check(c.Parts().PartIndex().Count() == parts.Count());
    Check(c.Parts().RootIndex().Count() == parts.Count());
    return 0;
}
