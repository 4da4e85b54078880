#include "catalog/CatalogDatabase.h"

namespace ortello {

const std::vector<std::string>& DefaultDAVFields() {
    static const std::vector<std::string> fields = {
        "AddtlCost", "App_Briefs", "Avail_Code", "BegFreq",  "Bro_ham",   "Bro_ham_ME", "Cancel",  "Cancel_ME",
        "Change",    "Change_ME",  "DefaultPartNo", "Desc",  "DiscCats",  "DiscGrps",   "DK",      "DK_ME",
        "EndingFreq", "Eureka",    "Eureka_ME", "Graphic",   "Graphic_ME", "Install_Inst", "Instr_Bulletins",
        "PartNo",    "ProdCat",    "Ref_Info",  "SecondXRef", "Specmaster", "USPrice",  "XRef",    "Yes",
        "Yes_ME"};
    return fields;
}

namespace {
const TTypeInfo* MaxDiscountType() {
    static const TTypeInfo* t = MakeSubrangeType("TMaxDiscount", TypeInteger(), 1, 100);
    return t;
}
}  // namespace

const TClassInfo& TLOMNodeData::StaticClass() {
    using C = TLOMNodeData;
    static const TClassInfo& info =
        *ClassBuilder<C>("TLOMNodeData", &TQORBaseListComponent::StaticClass())
             .Prop("ShowDiscountProgress", TypeBoolean(), &C::ShowDiscountProgress, &C::SetShowDiscountProgress)
             .Default(0)
             .Prop("PartRef", TypeTPartRef(), &C::PartRef, &C::SetPartRef)
             .Stored(false)
             .Prop("CurrencyType", TypeTCurrencyType(), &C::CurrencyType, &C::SetCurrencyType)
             .Stored(false)
             .Prop("Schedule", TypeString(), &C::Schedule, &C::SetSchedule)
             .Prop("RootName", TypeString(), &C::RootName, &C::SetRootName)
             .Prop("CustomDiscountsPath", TypeString(), &C::CustomDiscountsPath, &C::SetCustomDiscountsPath)
             .Prop("DataPath", TypeTRegistryPaths(), &C::DataPath, &C::SetDataPath)
             .Default(rpDefaultPath)
             .Prop("MaxDiscount", MaxDiscountType(), &C::MaxDiscount, &C::SetMaxDiscount)
             .Prop("DAVFields", TypeTStrings(), &C::DAVFields, &C::SetDAVFields)
             .Build();
    return info;
}

TLOMNodeData::TLOMNodeData(TComponent* owner)
    : TQORBaseListComponent(owner),
      container_(std::make_unique<TLOMNoLoadContainer>()),
      davFields_(std::make_unique<TStringList>()) {
    // Unset, the columns are every published property of the catalog entry but events.
    for (const TPropInfo* p : TLOMEntry::StaticClass().Properties())
        if (p->Kind() != TTypeKind::tkMethod) davFields_->Add(p->Name);
    container_->Host().DAVFields = davFields_.get();
    container_->Host().LoadError = [this](const std::string& msg) { DoLoadError(msg); };
    SetAutoLoad(false);
}

TLOMNodeData::~TLOMNodeData() = default;

void TLOMNodeData::SetDAVFields(TStringList* v) {
    if (v) davFields_->Assign(v);
}

void TLOMNodeData::SetRootName(std::string_view v) {
    rootName_.assign(v);
    container_->Root().SetNodeName(v);
}

void TLOMNodeData::SetPartRef(TPartRef r) {
    if (r == CurrentPartRef()) return;
    SetCurrentPartRef(r);
    if (OnPartTypeChange) OnPartTypeChange(this);
}

void TLOMNodeData::SetCurrencyType(TCurrencyType c) {
    if (c == CurrencyType()) return;
    container_->ResetAllDiscounts();
    schedule_ = "Default";
    currencyNode_.SetCurrencyType(c);
    if (OnCurrencyChange) OnCurrencyChange(c);
}

void TLOMNodeData::SetSchedule(std::string_view name) {
    if (IsLoading() || IsDesigning() || name == schedule_) return;
    // Without loaded schedules every name behaves as "Default".
    SetCurrencyType(ctUSDollar);
    container_->ResetAllDiscounts();
    schedule_ = "Default";
    if (OnScheduleChange) OnScheduleChange(this);
}

void TLOMNodeData::Loaded() {
    TQORBaseListComponent::Loaded();
    container_->Root().SetNodeName(rootName_);
    schedule_ = "Default";
}

void TLOMNodeData::LoadData() {
    container_->Host().FileName = FileName();
    const std::string path = ToNativePath(ConfiguredPath());
    const std::string first = dataPath_ != rpDefaultPath ? DataLocation(dataPath_) + FileName() : path + FileName();
    const std::string second = ProgramFolder() + path + FileName();
    std::string chosen;
    if (FileExists(first))
        chosen = first;
    else if (FileExists(second))
        chosen = second;
    if (!chosen.empty()) {
        try {
            container_->LoadCatalog(chosen);
            loadedFile_ = chosen;
        } catch (const ENoDAVData&) {
            DoLoadError(Fmt("Catalog file \"%0s\" holds no data", chosen));
        } catch (const std::exception& e) {
            DoLoadError(e.what());
        }
    }
    container_->BuildPaths();
}

void TLOMNodeData::CollectCommonDiscounts() {
    for (int i = 0; i < container_->Count(); ++i) container_->Node(i)->CollectCommonDiscount();
}

TLOMEntry* TLOMNodeData::EntryAt(int position) const {
    TLOMPartList& parts = container_->Parts();
    return position >= 0 && position < parts.Count() ? parts.Entry(position) : nullptr;
}

void TLOMNodeData::Notification(TComponent* component, TOperation operation) {
    TQORBaseListComponent::Notification(component, operation);
}

void RegisterCatalogDatabaseClasses() { RegisterClass(TLOMNodeData::StaticClass()); }

}  // namespace ortello
