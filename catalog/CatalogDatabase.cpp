#include "catalog/CatalogDatabase.h"

#include "library/MessagePort.h"

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
const TTypeInfo* TypeTDiscountStatusEvent() {
    static const TTypeInfo* t = MakeMethodType("TDiscountStatusEvent", "Sender: TObject; Percent: Integer");
    return t;
}
const TTypeInfo* TypeTCurrencyChangeEvent() {
    static const TTypeInfo* t = MakeMethodType("TCurrencyChangeEvent", "Sender: TObject; CurrencyType: TCurrencyType");
    return t;
}

// An event property: readable as "assigned", set in code only.
template <class C, class Member>
TPropInfo EventProp(const char* name, const TTypeInfo* type, Member member) {
    TPropInfo p;
    p.Name = name;
    p.PropType = type;
    p.GetOrd = [member](const TObject& o) { return int64_t{static_cast<bool>(static_cast<const C&>(o).*member)}; };
    p.StoredConst = false;
    return p;
}
}  // namespace

// ---------------------------------------------------------------- custom part numbers

const TClassInfo& TCustomPartList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TCustomPartList>("TCustomPartList", &TLOMDataList::StaticClass()).Build();
    return info;
}

void TCustomPartList::LoadRecords(const std::string& fileName) {
    Clear();
    LoadFromINIFile(fileName, "");
    for (int i = 0; i < Count(); ++i) Entry(i)->SetMasterPosition(i);
    Reindex();
}

const TClassInfo& TCustomPartNumbers::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TCustomPartNumbers>("TCustomPartNumbers", &TVelmarDataListComponent::StaticClass()).Build();
    return info;
}

TCustomPartNumbers::TCustomPartNumbers(TComponent* owner) : TVelmarDataListComponent(owner) {
    SetList(CreateList());
}

std::unique_ptr<TQORObjectList> TCustomPartNumbers::CreateList() { return std::make_unique<TCustomPartList>(); }

// ---------------------------------------------------------------- TLOMNodeData

const TClassInfo& TLOMNodeData::StaticClass() {
    using C = TLOMNodeData;
    static const TClassInfo& info =
        *ClassBuilder<C>("TLOMNodeData", &TQORBaseListComponent::StaticClass())
             .Custom(EventProp<C>("OnDiscountChangeStart", TypeTNotifyEvent(), &C::OnDiscountChangeStart))
             .Custom(EventProp<C>("OnDiscountChangeStatus", TypeTDiscountStatusEvent(), &C::OnDiscountChangeStatus))
             .Custom(EventProp<C>("OnDiscountChangeEnd", TypeTNotifyEvent(), &C::OnDiscountChangeEnd))
             .Custom(EventProp<C>("OnPartTypeChange", TypeTNotifyEvent(), &C::OnPartTypeChange))
             .Custom(EventProp<C>("OnScheduleChange", TypeTNotifyEvent(), &C::OnScheduleChange))
             .Custom(EventProp<C>("OnCurrencyChange", TypeTCurrencyChangeEvent(), &C::OnCurrencyChange))
             .Prop("ShowDiscountProgress", TypeBoolean(), &C::ShowDiscountProgress, &C::SetShowDiscountProgress)
             .Default(0)
             .Prop("PartRef", TypeTPartRef(), &C::PartRef, &C::SetPartRef)
             .Stored(false)
             .Prop("CurrencyType", TypeTCurrencyType(), &C::CurrencyType, &C::SetCurrencyType)
             .Stored(false)
             .Prop("Schedule", TypeString(), &C::Schedule, &C::SetSchedule)
             .Prop("RootName", TypeString(), &C::RootName, &C::SetRootName)
             .Prop("CustomParts", TCustomPartNumbers::StaticClass().TypeInfo(), &C::CustomParts, &C::SetCustomParts)
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
      working_(std::make_unique<TCustomDiscount>()),
      schedules_(std::make_unique<TCustomDiscounts>(this)),
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

void TLOMNodeData::SetCustomParts(TCustomPartNumbers* v) {
    if (v == customParts_) return;
    if (customParts_) RemoveFreeNotification(customParts_);
    customParts_ = v;
    if (v) FreeNotification(v);
}

void TLOMNodeData::SetSchedule(std::string_view name) {
    if (IsLoading() || IsDesigning() || name == schedule_) return;
    TWaitCursor wait;
    try {
        ApplySchedule(name);
    } catch (const std::exception& e) {
        ShowMessage(std::string("TLOMNodeData.SetSchedule") + e.what());
    }
}

void TLOMNodeData::ApplySchedule(std::string_view name) {
    const int found = schedules_->IndexOfDisplayName(name);
    if (found < 0) {
        SetCurrencyType(ctUSDollar);
        container_->ResetAllDiscounts();
        schedule_ = "Default";
    } else {
        TCustomDiscount& schedule = *schedules_->Item(found);
        container_->ResetAllDiscounts();
        // Directly: a schedule brings its currency without announcing a currency change.
        currencyNode_.SetCurrencyType(schedule.CurrencyType());
        schedule_ = schedule.DisplayName();
        schedule.ApplyToCatalog(*container_);
    }
    if (OnScheduleChange) OnScheduleChange(this);
}

void TLOMNodeData::DoDiscountChangeStart() {
    if (showDiscountProgress_ && OnDiscountChangeStart) OnDiscountChangeStart(this);
}

void TLOMNodeData::DoDiscountChangeStatus(int percent) {
    if (showDiscountProgress_ && OnDiscountChangeStatus) OnDiscountChangeStatus(percent);
}

void TLOMNodeData::DoDiscountChangeEnd() {
    if (showDiscountProgress_ && OnDiscountChangeEnd) OnDiscountChangeEnd(this);
}

void TLOMNodeData::Loaded() {
    TQORBaseListComponent::Loaded();
    container_->Root().SetNodeName(rootName_);
    schedule_ = "Default";
    schedules_->SetFolder(customDiscountsPath_);
    schedules_->Reload();
}

void TLOMNodeData::EditDiscounts(int page, const TPageSet& visiblePages, TVisibleControl* control) {
    if (page < 0 || page >= static_cast<int>(visiblePages.size()) || !visiblePages.test(static_cast<size_t>(page)))
        return;
    if (const TClassInfo* cls = FindClass("TfrmDiscountEditor"); cls && cls->CanCreate()) {
        std::unique_ptr<TObject> form = cls->Create();
        if (auto* paged = dynamic_cast<TPagedModalForm*>(form.get())) {
            if (control) control->SetVisible(false);
            try {
                paged->SelectPage(page);
                for (int i = 0; i < paged->PageCount(); ++i)
                    paged->SetPageVisible(i, i < static_cast<int>(visiblePages.size()) &&
                                                 visiblePages.test(static_cast<size_t>(i)));
                paged->ShowModal();
            } catch (...) {
                form.reset();
                if (control) control->SetVisible(true);
                throw;
            }
            form.reset();
            if (control) control->SetVisible(true);
        }
    }
    // Discounts the editor left in the catalog do not outlive it.
    schedules_->SetFolder(customDiscountsPath_);
    schedules_->Reload();
    const std::string inForce = schedule_;
    schedule_.clear();
    SetSchedule(inForce);
}

void TLOMNodeData::LoadCustomDiscountFile(const std::string& path) {
    try {
        working_->LoadFromFile(path);
        container_->ResetAllDiscounts();
        working_->ApplyToCatalog(*container_);
    } catch (const std::exception&) {
        ShowMessage(kInvalidFileType);
    }
}

void TLOMNodeData::CaptureCustomDiscount() {
    // Only the items go: name, default schedule, date and currency are the editor's.
    working_->TQorPersistList::Clear();
    for (int i = 0; i < container_->Count(); ++i) {
        const TLOMBaseNode* node = container_->Node(i);
        if (node->DiscountAssigned())
            working_->AddItem(TNodeDiscountItem::StaticClass(), node->GetKey(), node->Discount());
    }
    TLOMPartList& parts = container_->Parts();
    for (int i = 0; i < parts.Count(); ++i) {
        const TLOMEntry* e = parts.Entry(i);
        if (e->DiscountAssigned()) working_->AddItem(TPartDiscountItem::StaticClass(), e->PartNo(), e->Discount());
    }
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
    if (operation == TOperation::opRemove && component == customParts_) customParts_ = nullptr;
}

// ---------------------------------------------------------------- TLOMNodeDataLink

const TClassInfo& TLOMNodeDataLink::StaticClass() {
    using C = TLOMNodeDataLink;
    static const TClassInfo& info = *ClassBuilder<C>("TLOMNodeDataLink", &TComponent::StaticClass())
                                         .Prop("NodeData", TLOMNodeData::StaticClass().TypeInfo(), &C::NodeData,
                                               &C::SetNodeData)
                                         .Build();
    return info;
}

TLOMNodeDataLink::~TLOMNodeDataLink() { SetNodeData(nullptr); }

void TLOMNodeDataLink::SetNodeData(TLOMNodeData* v) {
    if (v == nodeData_) return;
    if (nodeData_) RemoveFreeNotification(nodeData_);
    nodeData_ = v;
    if (v) FreeNotification(v);
}

void TLOMNodeDataLink::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == nodeData_) nodeData_ = nullptr;
}

void RegisterCatalogDatabaseClasses() {
    RegisterClass(TLOMNodeData::StaticClass());
    RegisterClass(TLOMNodeDataLink::StaticClass());
    RegisterClass(TCustomPartList::StaticClass());
    RegisterClass(TCustomPartNumbers::StaticClass());
    RegisterDiscountClasses();
}

}  // namespace ortello
