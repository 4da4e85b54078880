#include "catalog/CustomerPrices.h"

#include <unordered_map>
#include <vector>

#include "catalog/CatalogDatabase.h"
#include "library/PartRecords.h"

namespace ortello {

namespace {
// The fields of one record line, decoded; blank lines give no fields.
std::vector<std::string> RecordFields(std::string_view line) {
    std::vector<std::string_view> views;
    SplitPartFields(line, '\t', views);
    std::vector<std::string> fields;
    for (std::string_view v : views) fields.push_back(Cp1252ToUtf8(v));
    return fields;
}

bool IsBlank(std::string_view line) { return TrimView(line).empty(); }

void RequireFields(const std::vector<std::string>& fields, size_t n, const std::string& path, int lineNo) {
    if (fields.size() < n)
        throw EConvertError(Fmt("Missing Field %0d in File %0s at line %0d", static_cast<int>(fields.size()) + 1,
                                path, lineNo));
}

double NumberField(const std::string& text, const std::string& path, int lineNo) {
    double v = 0;
    if (!TryStrToFloat(Trim(text), v)) throw EConvertError(Fmt("Invalid Number \"%0s\" in File %0s at line %0d", text, path, lineNo));
    return v;
}
}  // namespace

// ---------------------------------------------------------------- items and lists

const TClassInfo& TCustomerNetPrice::StaticClass() {
    using C = TCustomerNetPrice;
    static const TClassInfo& info = *ClassBuilder<C>("TCustomerNetPrice", &TQorPersistent::StaticClass())
                                         .Prop("Price", TypeDouble(), &C::Price, &C::SetPrice)
                                         .Prop("PartNumber", TypeString(), &C::PartNumber, &C::SetPartNumber)
                                         .Build();
    return info;
}

const TClassInfo& TCustomerNetPriceList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TCustomerNetPriceList>("TCustomerNetPriceList", &TQORObjectList::StaticClass()).Build();
    return info;
}

const TClassInfo& TCustomerGroupPrice::StaticClass() {
    using C = TCustomerGroupPrice;
    static const TClassInfo& info = *ClassBuilder<C>("TCustomerGroupPrice", &TQorPersistent::StaticClass())
                                         .ReadOnly("Discount", TypeDouble(), &C::Discount)
                                         .Prop("Group", TypeString(), &C::Group, &C::SetGroup)
                                         .Build();
    return info;
}

const TClassInfo& TCustomerGroupPriceList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TCustomerGroupPriceList>("TCustomerGroupPriceList", &TQORObjectList::StaticClass()).Build();
    return info;
}

// ---------------------------------------------------------------- TCustomerPriceComponent

const TClassInfo& TCustomerPriceComponent::StaticClass() {
    using C = TCustomerPriceComponent;
    static const TClassInfo& info =
        *ClassBuilder<C>("TCustomerPriceComponent", &TVelmarDataListComponent::StaticClass())
             .Abstract()
             .Prop("DAVNodeData", TLOMNodeData::StaticClass().TypeInfo(), &C::DAVNodeData, &C::SetDAVNodeData)
             .Build();
    return info;
}

TCustomerPriceComponent::TCustomerPriceComponent(TComponent* owner) : TVelmarDataListComponent(owner) {
    SetAutoLoad(false);
    SetRequired(false);
    SetPath("discounts\\");
}

TCustomerPriceComponent::~TCustomerPriceComponent() { SetDAVNodeData(nullptr); }

void TCustomerPriceComponent::SetDAVNodeData(TLOMNodeData* v) {
    if (v == nodeData_) return;
    if (nodeData_) RemoveFreeNotification(nodeData_);
    nodeData_ = v;
    if (v) FreeNotification(v);
}

void TCustomerPriceComponent::Notification(TComponent* component, TOperation operation) {
    TVelmarDataListComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == nodeData_) nodeData_ = nullptr;
}

std::string TCustomerPriceComponent::ResolveFile() const {
    if (FileName().empty()) return {};
    if (FileExists(FileName())) return FileName();
    const std::string inFolder = IncludeTrailingPathDelimiter(GetPath()) + FileName();
    return FileExists(inFolder) ? inFolder : std::string();
}

void TCustomerPriceComponent::LoadData() {
    List()->Clear();
    const std::string path = ResolveFile();
    if (path.empty()) return;
    ReadLines(ReadFileBytes(path), path);
}

// ---------------------------------------------------------------- net prices

const TClassInfo& TCustomerNetPrices::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TCustomerNetPrices>("TCustomerNetPrices", &TCustomerPriceComponent::StaticClass()).Build();
    return info;
}

TCustomerNetPrices::TCustomerNetPrices(TComponent* owner) : TCustomerPriceComponent(owner) { SetList(CreateList()); }

std::unique_ptr<TQORObjectList> TCustomerNetPrices::CreateList() { return std::make_unique<TCustomerNetPriceList>(); }

void TCustomerNetPrices::ReadLines(const std::string& bytes, const std::string& path) {
    TCustomerNetPriceList& list = *Prices();
    TCurrencyType last = ctUSDollar;
    std::string lastCode;
    int lastLine = 0;
    const std::vector<std::string_view> lines = SplitLines(bytes);
    try {
        for (size_t i = 0; i < lines.size(); ++i) {
            const int lineNo = static_cast<int>(i) + 1;
            if (IsBlank(lines[i])) continue;
            const std::vector<std::string> f = RecordFields(lines[i]);
            RequireFields(f, 3, path, lineNo);
            auto item = std::make_unique<TCustomerNetPrice>();
            item->SetPartNumber(Trim(f[0]));
            item->SetPrice(NumberField(f[1], path, lineNo));
            lastCode = Trim(f[2]);
            lastLine = lineNo;
            list.Add(std::move(item));
        }
        // The list's currency is its last line's; a code outside the eight would
        // price the whole schedule in an unknown currency.
        if (lastLine > 0 && !CurrencyFromCode(lastCode, last))
            throw EConvertError(Fmt("Unknown Currency Code \"%0s\" in File %0s at line %0d", lastCode, path, lastLine));
    } catch (...) {
        list.Clear();
        throw;
    }
    currency_ = last;
}

void TCustomerNetPrices::ApplyNetPrices() {
    if (!DAVNodeData()) return;
    TLOMPartList& parts = DAVNodeData()->GetParts();
    TCustomerNetPriceList& list = *Prices();
    for (int i = 0; i < list.Count(); ++i) {
        const TCustomerNetPrice& item = *list.Item(i);
        const int pos = parts.FindByPartNo(item.PartNumber());
        if (pos < 0) continue;
        TLOMEntry& e = *parts.Entry(pos);
        const double p = e.GetPrice();
        if (p == 0) continue;
        e.SetDiscount(1 - item.Price() / p);
        e.SetDiscountAssigned(true);
    }
}

// ---------------------------------------------------------------- group prices

const TClassInfo& TCustomerGroupPrices::StaticClass() {
    using C = TCustomerGroupPrices;
    static const TClassInfo& info = *ClassBuilder<C>("TCustomerGroupPrices", &TCustomerPriceComponent::StaticClass())
                                         .Prop("Group", TypeString(), &C::Group, &C::SetGroup)
                                         .Build();
    return info;
}

TCustomerGroupPrices::TCustomerGroupPrices(TComponent* owner) : TCustomerPriceComponent(owner) {
    SetList(CreateList());
}

std::unique_ptr<TQORObjectList> TCustomerGroupPrices::CreateList() {
    return std::make_unique<TCustomerGroupPriceList>();
}

void TCustomerGroupPrices::ReadLines(const std::string& bytes, const std::string& path) {
    TCustomerGroupPriceList& list = *Groups();
    const std::vector<std::string_view> lines = SplitLines(bytes);
    try {
        for (size_t i = 0; i < lines.size(); ++i) {
            const int lineNo = static_cast<int>(i) + 1;
            if (IsBlank(lines[i])) continue;
            const std::vector<std::string> f = RecordFields(lines[i]);
            RequireFields(f, 2, path, lineNo);
            auto item = std::make_unique<TCustomerGroupPrice>();
            item->SetGroup(Trim(f[0]));
            item->SetDiscount(NumberField(f[1], path, lineNo) / 100);
            list.Add(std::move(item));
        }
    } catch (...) {
        list.Clear();
        throw;
    }
}

void TCustomerGroupPrices::ApplyGroupDiscounts() {
    if (!DAVNodeData()) return;
    // An entry carries one group text, so the first listed item with that text is the
    // one that would reach it first; one pass over the parts does what a pass per item does.
    TCustomerGroupPriceList& list = *Groups();
    std::unordered_map<std::string, const TCustomerGroupPrice*> first;
    for (int i = 0; i < list.Count(); ++i) first.emplace(UpperCase(list.Item(i)->Group()), list.Item(i));
    if (first.empty()) return;
    TLOMPartList& parts = DAVNodeData()->GetParts();
    std::string key;
    for (int i = 0; i < parts.Count(); ++i) {
        TLOMEntry& e = *parts.Entry(i);
        if (e.DiscountAssigned()) continue;
        key = UpperCase(e.DiscGrps());
        const auto it = first.find(key);
        if (it == first.end()) continue;
        e.SetDiscount(it->second->Discount());
        e.SetDiscountAssigned(true);
    }
}

void RegisterCustomerPriceClasses() {
    RegisterClass(TCustomerNetPrice::StaticClass());
    RegisterClass(TCustomerNetPriceList::StaticClass());
    RegisterClass(TCustomerGroupPrice::StaticClass());
    RegisterClass(TCustomerGroupPriceList::StaticClass());
    RegisterClass(TCustomerNetPrices::StaticClass());
    RegisterClass(TCustomerGroupPrices::StaticClass());
}

}  // namespace ortello
