#include "catalog/QuoteModel.h"

#include <sys/stat.h>

#include <ctime>

#include "catalog/CatalogTree.h"
#include "catalog/EntryCopy.h"
#include "library/ObjectStream.h"
#include "platform/Clipboard.h"

namespace ortello {

namespace {

// A text property kept in a class's text array.
template <class C, class F>
TPropInfo TextProp(const char* name, F field) {
    TPropInfo p;
    p.Name = name;
    p.PropType = TypeString();
    p.GetStr = [field](const TObject& o) { return static_cast<const C&>(o).Text(field); };
    p.SetStr = [field](TObject& o, std::string_view v) { static_cast<C&>(o).SetText(field, v); };
    return p;
}

}  // namespace

TDateTime FileDateTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    const std::time_t t = st.st_mtime;
    std::tm tmv{};
    localtime_r(&t, &tmv);
    TDateTime d;
    if (!TryEncodeDate(tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, d)) return 0;
    return d + EncodeTime(tmv.tm_hour, tmv.tm_min, tmv.tm_sec > 59 ? 59 : tmv.tm_sec, 0);
}

// ---------------------------------------------------------------- TContactInformation

TContactInformation::TContactInformation() : validDate_(Now()) {}

void TContactInformation::Clear() {
    for (auto& t : texts_) t.clear();
    validDate_ = Now();
    pageCount_ = -1;
}

void TContactInformation::Assign(const TPersistent* source) {
    auto* s = dynamic_cast<const TContactInformation*>(source);
    if (!s || s == this) return;
    texts_ = s->texts_;
    validDate_ = s->validDate_;
    pageCount_ = s->pageCount_;
    freightCharges_ = s->freightCharges_;
}

const TClassInfo& TContactInformation::StaticClass() {
    using C = TContactInformation;
    static const TClassInfo* info = [] {
        ClassBuilder<C> b("TContactInformation", &TQorPersistent::StaticClass());
        b.Custom(TextProp<C>("Contact", cfContact))
            .Custom(TextProp<C>("CompanyName", cfCompanyName))
            .Custom(TextProp<C>("JobNumber", cfJobNumber))
            .Custom(TextProp<C>("ProposalNumber", cfProposalNumber))
            .Custom(TextProp<C>("Address1", cfAddress1))
            .Custom(TextProp<C>("Address2", cfAddress2))
            .Custom(TextProp<C>("City", cfCity))
            .Custom(TextProp<C>("State", cfState))
            .Custom(TextProp<C>("Country", cfCountry))
            .Prop("ValidDate", TypeTDateTime(), &C::ValidDate, &C::SetValidDate)
            .Custom(TextProp<C>("IncoTerms", cfIncoTerms))
            .Custom(TextProp<C>("PaymentTerms", cfPaymentTerms))
            .Custom(TextProp<C>("ZipCode", cfZipCode))
            .Prop("PageCount", TypeInteger(), &C::PageCount, &C::SetPageCount)
            .Stored(false)
            .Custom(TextProp<C>("Phone", cfPhone))
            .Custom(TextProp<C>("Fax", cfFax))
            .Custom(TextProp<C>("Title", cfTitle))
            .Prop("FreightCharges", TypeDouble(), &C::FreightCharges, &C::SetFreightCharges);
        return b.Build();
    }();
    return *info;
}

const TClassInfo& TContactInformationList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TContactInformationList>("TContactInformationList", &TQorPersistList::StaticClass()).Build();
    return info;
}

// ---------------------------------------------------------------- TVRIXSiteInformation

TVRIXSiteInformation::TVRIXSiteInformation() : facility_(std::make_unique<TStringList>()) {}
TVRIXSiteInformation::~TVRIXSiteInformation() = default;

void TVRIXSiteInformation::Assign(const TPersistent* source) {
    auto* s = dynamic_cast<const TVRIXSiteInformation*>(source);
    if (!s || s == this) return;
    texts_ = s->texts_;
    facility_->Assign(s->facility_.get());
}

const TClassInfo& TVRIXSiteInformation::StaticClass() {
    using C = TVRIXSiteInformation;
    static const TClassInfo* info = [] {
        ClassBuilder<C> b("TVRIXSiteInformation", &TQorPersistent::StaticClass());
        b.Custom(TextProp<C>("CompanyName", sfCompanyName))
            .Custom(TextProp<C>("Author", sfAuthor))
            .Custom(TextProp<C>("SiteName", sfSiteName))
            .Custom(TextProp<C>("SiteNumber", sfSiteNumber))
            .Custom(TextProp<C>("SpecialInstructions", sfSpecialInstructions))
            .Custom(TextProp<C>("Address1", sfAddress1))
            .Custom(TextProp<C>("Address2", sfAddress2))
            .Custom(TextProp<C>("City", sfCity))
            .Custom(TextProp<C>("Zip", sfZip))
            .Custom(TextProp<C>("Phone", sfPhone))
            .Custom(TextProp<C>("Fax", sfFax))
            .Custom(TextProp<C>("State", sfState))
            .Custom(TextProp<C>("Country", sfCountry))
            .Prop("FacilityAddress", TypeTStrings(), &C::FacilityAddress, &C::SetFacilityAddress);
        return b.Build();
    }();
    return *info;
}

// ---------------------------------------------------------------- TCompanyContact, TSalesContact

void TCompanyContact::Assign(const TPersistent* source) {
    auto* s = dynamic_cast<const TCompanyContact*>(source);
    if (!s || s == this) return;
    // A company contact has no use for the sales contact's extra fields.
    const size_t n = dynamic_cast<const TSalesContact*>(this) && dynamic_cast<const TSalesContact*>(s) ? 12 : 8;
    for (size_t i = 0; i < n; ++i) texts_[i] = s->texts_[i];
}

const TClassInfo& TCompanyContact::StaticClass() {
    using C = TCompanyContact;
    static const TClassInfo* info = [] {
        ClassBuilder<C> b("TCompanyContact", &TQorPersistent::StaticClass());
        b.Custom(TextProp<C>("CompanyName", ccCompanyName))
            .Custom(TextProp<C>("Address1", ccAddress1))
            .Custom(TextProp<C>("Address2", ccAddress2))
            .Custom(TextProp<C>("City", ccCity))
            .Custom(TextProp<C>("State", ccState))
            .Custom(TextProp<C>("Country", ccCountry))
            .Custom(TextProp<C>("ZipCode", ccZipCode))
            .Custom(TextProp<C>("Phone", ccPhone));
        return b.Build();
    }();
    return *info;
}

const TClassInfo& TSalesContact::StaticClass() {
    using C = TCompanyContact;
    static const TClassInfo* info = [] {
        ClassBuilder<TSalesContact> b("TSalesContact", &TCompanyContact::StaticClass());
        b.Custom(TextProp<C>("Contact", C::ccContact))
            .Custom(TextProp<C>("Fax", C::ccFax))
            .Custom(TextProp<C>("Email", C::ccEmail))
            .Custom(TextProp<C>("Title", C::ccTitle));
        return b.Build();
    }();
    return *info;
}

// ---------------------------------------------------------------- TLOMQuoteEntry

TLOMQuoteEntry::TLOMQuoteEntry() = default;

void TLOMQuoteEntry::NotifyChange() {
    if (notifyList_) notifyList_->EntryChanged();
}

void TLOMQuoteEntry::SetQuantity(int n) {
    if (n == quantity_) return;
    quantity_ = n;
    if (quoteList_ && !quoteList_->IsUpdating()) {
        quoteList_->SetModified();
        if (quoteList_->OnQuoteChange) quoteList_->OnQuoteChange(quoteList_);
    }
    // Totals that lag behind a changed quantity would be shown as they were.
    NotifyChange();
}

std::string TLOMQuoteEntry::Group() const {
    if (!group_.empty()) return group_;
    const std::string_view prodCat = ProdCatText();
    return prodCat.empty() ? group_ : std::string(prodCat);
}

TCurrencyType TLOMQuoteEntry::ReadCurrency() const {
    return quoteList_ ? quoteList_->CurrencyType() : CurrentCurrency();
}

void TLOMQuoteEntry::WriteCurrency(TCurrencyType c) {
    if (quoteList_) quoteList_->SetCurrencyType(c);
}

double TLOMQuoteEntry::GetPrice() const {
    const double w = GetIndexedPrice(PriceCurrency());
    const double d = Discount();
    double cableNet = 0;
    if (isCable_) {
        const double cable = cableLength_ * pricePerFoot_ + baseCablePrice_;
        cableNet = cable - d * cable;
    }
    return (w - w * d) + cableNet;
}

std::string TLOMQuoteEntry::GetPartNumber() const {
    std::string text(PartNo());
    if (quoteList_ && quoteList_->PartRef() != prVelmar) {
        std::string cross = GetPartNo(quoteList_->PartRef() == prCustomer ? 1 : 2);
        if (!cross.empty()) text = std::move(cross);
    }
    if (isCable_) {
        // A pattern that does not take one integer is shown as it stands.
        try {
            text = Fmt(text, cableLength_);
        } catch (const EConvertError&) {
        }
    }
    return text;
}

std::string TLOMQuoteEntry::GetExtendedPriceText() const { return PlainCurrencyText(Extended()); }

void TLOMQuoteEntry::Assign(const TPersistent* source) {
    AssignCatalogFields(source);
    if (auto* s = dynamic_cast<const TLOMQuoteEntry*>(source); s && s != this) {
        option_ = s->option_;
        group_ = s->group_;
        quantity_ = s->quantity_;
        subTotal_ = s->subTotal_;
        totalCost_ = s->totalCost_;
        isCable_ = s->isCable_;
        cableLength_ = s->cableLength_;
        quoteList_ = s->quoteList_;
        main_ = s->main_;
        groupTotal_ = s->groupTotal_;
        baseCablePrice_ = s->baseCablePrice_;
        pricePerFoot_ = s->pricePerFoot_;
    }
    NotifyChange();
}

const TClassInfo& TLOMQuoteEntry::StaticClass() {
    using E = TLOMQuoteEntry;
    static const TClassInfo* info = [] {
        ClassBuilder<E> b("TLOMQuoteEntry", &TLOMEntry::StaticClass());
        b.Prop("Total", TypeDouble(), &E::GetTotal, &E::SetTotal).Stored(false);
        TPropInfo extended;
        extended.Name = "ExtendedPrice";
        extended.PropType = TypeString();
        extended.GetStr = [](const TObject& o) { return static_cast<const E&>(o).GetExtendedPriceText(); };
        extended.SetStr = [](TObject&, std::string_view) {};
        extended.StoredConst = false;
        b.Custom(extended);
        TPropInfo currency;
        currency.Name = "CurrencyType";
        currency.PropType = TypeTCurrencyType();
        currency.GetOrd = [](const TObject& o) { return int64_t{static_cast<const E&>(o).CurrencyType()}; };
        currency.SetOrd = [](TObject&, int64_t) {};
        currency.StoredConst = false;
        b.Custom(currency);
        b.Prop("RootPartNumber", TypeString(), &E::RootPartNumber, &E::SetRootPartNumber)
            .Prop("PricePerFoot", TypeDouble(), &E::PricePerFoot, &E::SetPricePerFoot)
            .Prop("BaseCablePrice", TypeDouble(), &E::BaseCablePrice, &E::SetBaseCablePrice)
            .Prop("IsCable", TypeBoolean(), &E::IsCable, &E::SetIsCable)
            .Prop("CableLength", TypeInteger(), &E::CableLength, &E::SetCableLength)
            .Prop("Option", TypeBoolean(), &E::Option, &E::SetOption)
            .Prop("Quantity", TypeInteger(), &E::Quantity, &E::SetQuantity)
            .Prop("SubTotal", TypeDouble(), &E::SubTotal, &E::SetSubTotal).Stored(false)
            .Prop("TotalCost", TypeDouble(), &E::TotalCost, &E::SetTotalCost).Stored(false);
        TPropInfo ext;
        ext.Name = "Extended";
        ext.PropType = TypeDouble();
        ext.GetFloat = [](const TObject& o) { return static_cast<const E&>(o).Extended(); };
        ext.SetFloat = [](TObject&, double) {};
        ext.StoredConst = false;
        b.Custom(ext);
        b.Prop("GroupTotal", TypeDouble(), &E::GroupTotal, &E::SetGroupTotal).Stored(false)
            .Prop("AvailabilityChecked", TypeBoolean(), &E::AvailabilityChecked, &E::SetAvailabilityChecked)
            .Prop("Group", TypeString(), &E::Group, &E::SetGroup)
            .Prop("Main", TypeBoolean(), &E::Main, &E::SetMain);
        return b.Build();
    }();
    return *info;
}

// ---------------------------------------------------------------- TQuoteList

TQuoteList::TQuoteList() : TQorPersistList(true), contact_(std::make_unique<TContactInformation>()) {}

// The base frees the entries; none of them looks back at the list on the way.
TQuoteList::~TQuoteList() = default;

void TQuoteList::EntryChanged() {
    if (holdTotals_ == 0) RecalculateTotals();
}

void TQuoteList::Notify(TQorPersistent* item, TListNotification action) {
    auto* entry = dynamic_cast<TLOMQuoteEntry*>(item);
    if (entry) {
        if (action == TListNotification::lnAdded)
            entry->SetNotifyList(this);
        else if (entry->NotifyList() == this)
            entry->SetNotifyList(nullptr);
    }
    SetModified();
    if (!updating_) DoChange();
    EntryChanged();
}

TLOMQuoteEntry* TQuoteList::AddNew() {
    auto* entry = new TLOMQuoteEntry();
    const int pos = AddEntry(entry);
    entry->SetSortIndex(pos);
    return entry;
}

TLOMQuoteEntry* TQuoteList::AddCopy(const TPersistent* source) {
    TLOMQuoteEntry* entry = AddNew();
    entry->Assign(source);
    return entry;
}

int TQuoteList::AddEntry(TLOMQuoteEntry* entry) {
    std::unique_ptr<TLOMQuoteEntry> owned(entry);
    const int pos = Add(owned.get());
    owned.release();
    entry->SetNotifyList(this);
    return pos;
}

int TQuoteList::IndexOfPartNo(std::string_view partNo) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Entry(i)->PartNo(), partNo)) return i;
    return -1;
}

int TQuoteList::IndexOfPartNoAndGroup(std::string_view partNo, std::string_view group) const {
    for (int i = 0; i < Count(); ++i) {
        const TLOMQuoteEntry* e = Entry(i);
        if (SameText(e->PartNo(), partNo) && SameText(e->Group(), group)) return i;
    }
    return -1;
}

void TQuoteList::SubtractEntry(const TLOMQuoteEntry& entry) {
    const int i = IndexOfPartNoAndGroup(entry.PartNo(), entry.Group());
    if (i < 0) return;
    TLOMQuoteEntry* found = Entry(i);
    if (entry.Quantity() < found->Quantity())
        found->SetQuantity(found->Quantity() - entry.Quantity());
    else
        Delete(i);
}

void TQuoteList::DeleteByPartNo(std::string_view partNo) {
    const int i = IndexOfPartNo(partNo);
    if (i >= 0) Delete(i);
}

void TQuoteList::RecalculateTotals() {
    double s = 0;
    for (int i = 0; i < Count(); ++i) {
        TLOMQuoteEntry* e = Entry(i);
        s += e->Extended();
        e->SetTotalCost(s);
        e->SetSubTotal(s);
    }
}

double TQuoteList::Total() const {
    double s = 0;
    for (int i = 0; i < Count(); ++i) s += Entry(i)->Extended();
    return s;
}

void TQuoteList::ClearDiscounts() {
    for (int i = 0; i < Count(); ++i) Entry(i)->SetDiscount(0);
}

void TQuoteList::CopyToClipboard() {
    if (const TEntryCopyController* c = TEntryCopyController::ProcessController())
        CopyToClipboard(*c, Clipboard());
}

void TQuoteList::CopyToClipboard(const TEntryCopyController& controller, TClipboardPort& clipboard) const {
    if (Count() == 0) return;
    clipboard.SetText(QuoteListCopyText(*this, controller));
}

void TQuoteList::ImportContactInfo(const std::string& path) {
    if (!FileExists(path)) return;
    TLOMQuoteList temp;
    temp.LoadFromFile(path);
    contact_->Assign(temp.ContactInfo());
}

void TQuoteList::PrepareForReading() { contact_->SetValidDate(0); }

void TQuoteList::LoadFromStream(TStream& stream, std::string_view key) {
    TSignature sig;
    GetSignature(sig);
    if (sig[0] != 0) {
        TSignature read;
        stream.ReadBuffer(read.data(), 8);
        if (read != sig) throw EInvalidFileSignature(Fmt("%0s in %0s", kInvalidFileType, ClassName()));
    }
    TotalsHold hold(*this);
    Clear();
    PrepareForReading();
    if (NormalizeKey(key).empty())
        ReadFromStream(stream);
    else
        ReadEncrypted(stream, key);
}

void TQuoteList::ReadData(TStream& stream) {
    // The entries come last in the record: the properties read before them stay.
    TotalsHold hold(*this);
    readingEntries_ = true;
    try {
        TQorPersistList::ReadData(stream);
    } catch (...) {
        readingEntries_ = false;
        throw;
    }
    readingEntries_ = false;
}

void TQuoteList::LoadFromFile(const std::string& fileName, std::string_view key) {
    TQorPersistent::LoadFromFile(fileName, key);
    fileDate_ = FileDateTime(fileName);
    fileName_ = fileName;
    ClearModified();
    for (int i = 0; i < Count(); ++i) Entry(i)->SetNotifyList(this);
    RecalculateTotals();
}

void TQuoteList::SaveToFile(const std::string& fileName, std::string_view key) {
    TQorPersistent::SaveToFile(fileName, key);
    fileDate_ = FileDateTime(fileName);
    fileName_ = fileName;
    ClearModified();
}

void TQuoteList::Clear() {
    TQorPersistList::Clear();
    if (!readingEntries_) contact_->Clear();
}

void TQuoteList::Assign(const TPersistent* source) {
    auto* src = dynamic_cast<const TQuoteList*>(source);
    if (!src) {
        TQorPersistList::Assign(source);
        return;
    }
    if (src == this) return;
    const bool wasUpdating = updating_;
    updating_ = true;
    {
        TotalsHold hold(*this);
        TMemoryStream buffer;
        const_cast<TQuoteList*>(src)->WriteToStream(buffer);
        buffer.SetPosition(0);
        Clear();
        ReadFromStream(buffer);
        fileName_ = src->fileName_;
        contact_->Assign(src->contact_.get());
        modified_ = src->modified_;
    }
    updating_ = wasUpdating;
}

const TClassInfo& TQuoteList::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TQuoteList>("TQuoteList", &TQorPersistList::StaticClass()).Build();
    return info;
}

// ---------------------------------------------------------------- TLOMQuoteList

TLOMQuoteList::TLOMQuoteList() : currency_(CurrentCurrency()) {}

void TLOMQuoteList::Notify(TQorPersistent* item, TListNotification action) {
    // The owner first: the totals that follow price the entry in this list's currency.
    if (auto* entry = dynamic_cast<TLOMQuoteEntry*>(item)) {
        if (action == TListNotification::lnAdded)
            entry->SetQuoteList(this);
        else if (entry->QuoteList() == this)
            entry->SetQuoteList(nullptr);
    }
    TQuoteList::Notify(item, action);
}

TLOMQuoteEntry* TLOMQuoteList::AddNew() {
    TLOMQuoteEntry* entry = TQuoteList::AddNew();
    entry->SetQuoteList(this);
    return entry;
}

TLOMQuoteEntry* TLOMQuoteList::AddCopy(const TPersistent* source) {
    TLOMQuoteEntry* entry = TQuoteList::AddCopy(source);
    entry->SetQuoteList(this);
    return entry;
}

void TLOMQuoteList::AddCatalogParts(const TQorPersistList& parts) {
    TotalsHold hold(*this);
    for (int i = 0; i < parts.Count(); ++i) {
        TLOMQuoteEntry* entry = AddNew();
        entry->Assign(parts.Items(i));
        entry->SetQuantity(1);
    }
}

void TLOMQuoteList::AddQuoteEntries(const TQuoteList& other) {
    if (&other == this) return;
    TotalsHold hold(*this);
    for (int i = 0; i < other.Count(); ++i) {
        TLOMQuoteEntry* entry = AddNew();
        entry->Assign(other.Items(i));
        entry->SetQuoteList(this);
    }
}

void TLOMQuoteList::Clear() {
    TQuoteList::Clear();
    if (!ReadingEntries()) description_.clear();
}

void TLOMQuoteList::PrepareForReading() {
    TQuoteList::PrepareForReading();
    app_.clear();
    appFile_.clear();
    termsGroup_.clear();
    description_.clear();
    discountSchedule_.clear();
}

void TLOMQuoteList::Assign(const TPersistent* source) {
    TQuoteList::Assign(source);
    if (auto* s = dynamic_cast<const TLOMQuoteList*>(source); s && s != this) {
        currency_ = s->currency_;
        partRef_ = s->partRef_;
        description_ = s->description_;
        termsGroup_ = s->termsGroup_;
        discountSchedule_ = s->discountSchedule_;
        scheduleExpiration_ = s->scheduleExpiration_;
    }
}

const TClassInfo& TLOMQuoteList::StaticClass() {
    using L = TLOMQuoteList;
    static const TClassInfo* info = [] {
        ClassBuilder<L> b("TLOMQuoteList", &TQuoteList::StaticClass());
        b.Prop("App", TypeString(), &L::App, &L::SetApp)
            .Prop("AppFile", TypeString(), &L::AppFile, &L::SetAppFile)
            .Prop("TermsGroup", TypeString(), &L::TermsGroup, &L::SetTermsGroup)
            .Prop("Description", TypeString(), &L::Description, &L::SetDescription)
            .Prop("DiscountSchedule", TypeString(), &L::DiscountSchedule, &L::SetDiscountSchedule)
            .Prop("ContactInfo", TContactInformation::StaticClass().TypeInfo(), &L::ContactInfo, &L::SetContactInfo)
            .Prop("CurrencyType", TypeTCurrencyType(), &L::CurrencyType, &L::SetCurrencyType)
            .Prop("PartRef", TypeTPartRef(), &L::PartRef, &L::SetPartRef);
        return b.Build();
    }();
    return *info;
}

void RegisterQuoteClasses() {
    RegisterClass(TContactInformation::StaticClass());
    RegisterClass(TContactInformationList::StaticClass());
    RegisterClass(TVRIXSiteInformation::StaticClass());
    RegisterClass(TCompanyContact::StaticClass());
    RegisterClass(TSalesContact::StaticClass());
    RegisterClass(TLOMQuoteEntry::StaticClass());
    RegisterClass(TQuoteList::StaticClass());
    RegisterClass(TLOMQuoteList::StaticClass());
    RegisterClass(TLOMPartList::StaticClass());
    RegisterClass(TLOMClipBoardEntry::StaticClass());
    RegisterClass(TEntryCopyController::StaticClass());
    RegisterCopyClasses();
}

}  // namespace ortello
