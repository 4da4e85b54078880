#include "catalog/Discounts.h"

#include <vector>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogTree.h"
#include "library/DataLocations.h"
#include "library/FindFile.h"
#include "library/Indexer.h"
#include "library/ObjectStream.h"

namespace ortello {

// ---------------------------------------------------------------- items

const TClassInfo& TBaseDiscountItem::StaticClass() {
    using C = TBaseDiscountItem;
    static const TClassInfo& info = *ClassBuilder<C>("TBaseDiscountItem", &TQorPersistent::StaticClass())
                                         .Prop("Path", TypeString(), &C::Path, &C::SetPath)
                                         .Prop("Discount", TypeDouble(), &C::Discount, &C::SetDiscount)
                                         .Build();
    return info;
}

void TBaseDiscountItem::Assign(const TPersistent* source) {
    const auto* src = dynamic_cast<const TBaseDiscountItem*>(source);
    if (!src) return;
    path_ = src->path_;
    discount_ = src->discount_;
}

const TClassInfo& TPartDiscountItem::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TPartDiscountItem>("TPartDiscountItem", &TBaseDiscountItem::StaticClass()).Build();
    return info;
}

const TClassInfo& TNodeDiscountItem::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TNodeDiscountItem>("TNodeDiscountItem", &TBaseDiscountItem::StaticClass()).Build();
    return info;
}

// ---------------------------------------------------------------- TCustomDiscount

const TClassInfo& TCustomDiscount::StaticClass() {
    using C = TCustomDiscount;
    static const TClassInfo& info =
        *ClassBuilder<C>("TCustomDiscount", &TQorPersistList::StaticClass())
             .Prop("Name", TypeString(), &C::Name, &C::SetName)
             .Prop("DefaultSchedule", TypeString(), &C::DefaultSchedule, &C::SetDefaultSchedule)
             .Prop("ExpirationDate", TypeTDateTime(), &C::ExpirationDate, &C::SetExpirationDate)
             .Prop("CurrencyType", TypeTCurrencyType(), &C::CurrencyType, &C::SetCurrencyType)
             .Build();
    return info;
}

TCustomDiscount::TCustomDiscount() : TCustomDiscount(true) {}

TCustomDiscount::TCustomDiscount(bool ownsObjects) : TQorPersistList(ownsObjects), expirationDate_(Now()) {}

std::string TCustomDiscount::DisplayName() const { return name_ + " - " + CurrencyText(currencyType_).ShortName; }

int TCustomDiscount::IndexOfPath(std::string_view text) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Item(i)->Path(), text)) return i;
    return -1;
}

TBaseDiscountItem* TCustomDiscount::AddItem(const TClassInfo& itemClass, std::string_view path, double discount) {
    std::unique_ptr<TQorPersistent> p = CreateItem({}, itemClass);
    auto* item = static_cast<TBaseDiscountItem*>(p.get());
    item->SetPath(path);
    item->SetDiscount(discount);
    Add(std::move(p));
    return item;
}

std::unique_ptr<TQorPersistent> TCustomDiscount::CreateItem(std::string_view id, const TClassInfo& itemClass) {
    // Items are used as discount items without further checks, so a file naming
    // another class is refused here.
    if (!itemClass.InheritsFrom(TBaseDiscountItem::StaticClass()))
        throw EReadError(Fmt("%0s in %0s", kInvalidFileType, ClassName()));
    return TQorPersistList::CreateItem(id, itemClass);
}

void TCustomDiscount::GetSignature(TSignature& signature) const {
    signature = {'O', 'T', 'D', 'U', 0xAA, 'D', 'T', 'O'};
}

void TCustomDiscount::LoadFromFile(const std::string& fileName, std::string_view key) {
    TQorPersistList::LoadFromFile(fileName, key);
    fileName_ = fileName;
}

void TCustomDiscount::SaveToFile(const std::string& fileName, std::string_view key) {
    TQorPersistList::SaveToFile(fileName, key);
    fileName_ = fileName;
}

void TCustomDiscount::Clear() {
    TQorPersistList::Clear();
    fileName_.clear();
    name_.clear();
    defaultSchedule_.clear();
}

void TCustomDiscount::ReadData(TStream& stream) {
    std::string name = std::move(name_), defaultSchedule = std::move(defaultSchedule_), file = std::move(fileName_);
    TQorPersistList::ReadData(stream);
    name_ = std::move(name);
    defaultSchedule_ = std::move(defaultSchedule);
    fileName_ = std::move(file);
}

void TCustomDiscount::ReportStart() const {
    if (collection_ && collection_->NodeData()) collection_->NodeData()->DoDiscountChangeStart();
}

void TCustomDiscount::ReportStatus(int percent) const {
    if (collection_ && collection_->NodeData()) collection_->NodeData()->DoDiscountChangeStatus(percent);
}

void TCustomDiscount::ReportEnd() const {
    if (collection_ && collection_->NodeData()) collection_->NodeData()->DoDiscountChangeEnd();
}

namespace {
// Node positions by path hash, in flat-list order, so that each item costs a probe
// and the first node FindNodeByPath would find is the first of its bucket.
class TNodePathLookup {
public:
    explicit TNodePathLookup(const TLOMContainer& c) : c_(c) {
        byHash_.reserve(static_cast<size_t>(c.Count()));
        for (int i = 0; i < c.Count(); ++i) byHash_[c.Node(i)->PathHash()].push_back(i);
    }
    TLOMBaseNode* Find(std::string_view path) const {
        const auto it = byHash_.find(StringHash(path));
        if (it == byHash_.end()) return nullptr;
        for (int i : it->second)
            if (SameText(c_.Node(i)->Path(), path)) return c_.Node(i);
        return nullptr;
    }

private:
    const TLOMContainer& c_;
    std::unordered_map<uint32_t, std::vector<int>> byHash_;
};
}  // namespace

void TCustomDiscount::ApplyToCatalog(TLOMContainer& container) {
    const int n = Count();
    for (int i = 0; i < n; ++i) Item(i)->SetApplied(false);
    ReportStart();
    try {
        const int64_t total = int64_t{2} * n;
        int64_t k = 0;
        auto step = [&] {
            ++k;
            if (k % 128 == 127) {
                const int percent = static_cast<int>(k * 100 / total);
                if (percent > 0) ReportStatus(percent);
            }
        };
        if (n > 0) {
            const TNodePathLookup nodes(container);
            for (int i = 0; i < n; ++i) {
                TBaseDiscountItem* item = Item(i);
                if (TLOMBaseNode* node = nodes.Find(item->Path())) {
                    item->SetApplied(true);
                    node->SetDiscount(item->Discount());
                    node->SetDiscountAssigned(true);
                }
                step();
            }
            for (int i = 0; i < n; ++i) {
                TBaseDiscountItem* item = Item(i);
                if (!item->Applied()) {
                    const int pos = container.Parts().FindByPartNo(item->Path());
                    if (pos >= 0) {
                        TLOMEntry* e = container.Parts().Entry(pos);
                        e->SetDiscount(item->Discount());
                        e->SetDiscountAssigned(true);
                    }
                }
                step();
            }
        }
    } catch (...) {
        ReportEnd();
        throw;
    }
    ReportEnd();
}

// ---------------------------------------------------------------- TCustomDiscounts

const TClassInfo& TCustomDiscounts::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TCustomDiscounts>("TCustomDiscounts", &TQORObjectList::StaticClass()).Build();
    return info;
}

TCustomDiscounts::TCustomDiscounts(TLOMNodeData* nodeData) : TQORObjectList(true), nodeData_(nodeData) {}

const TClassInfo* TCustomDiscounts::ItemClass() const { return &TCustomDiscount::StaticClass(); }

void TCustomDiscounts::Reload() {
    Clear();
    TFindFile finder;
    finder.SetDirectory(ProgramFolder() + ToNativePath(folder_));
    finder.SetFilter("*.otdf");
    finder.Execute();
    const TStringList& files = *finder.Files();
    for (int i = 0; i < files.Count(); ++i) {
        if (!FileExists(files[i])) continue;
        auto schedule = std::make_unique<TCustomDiscount>();
        try {
            schedule->LoadFromFile(files[i]);
        } catch (const std::exception&) {
            continue;  // foreign or damaged files are simply not offered
        }
        schedule->SetCollection(this);
        Add(std::move(schedule));
    }
}

int TCustomDiscounts::IndexOfName(std::string_view text) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Item(i)->Name(), text)) return i;
    return -1;
}

int TCustomDiscounts::IndexOfDisplayName(std::string_view text) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Item(i)->DisplayName(), text)) return i;
    return -1;
}

void RegisterDiscountClasses() {
    RegisterClass(TBaseDiscountItem::StaticClass());
    RegisterClass(TPartDiscountItem::StaticClass());
    RegisterClass(TNodeDiscountItem::StaticClass());
    RegisterClass(TCustomDiscount::StaticClass());
    RegisterClass(TCustomDiscounts::StaticClass());
    RegisterAlias(TPartDiscountItem::StaticClass(), "TPDI");
    RegisterAlias(TNodeDiscountItem::StaticClass(), "TNDI");
    RegisterAlias(TCustomDiscount::StaticClass(), "TCD");
}

void UnregisterDiscountAliases() {
    for (const char* a : {"TPDI", "TNDI", "TCD"}) UnRegisterAlias(a);
}

}  // namespace ortello
