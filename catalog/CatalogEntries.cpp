#include "catalog/CatalogEntries.h"

#include "library/DataLocations.h"
#include "library/Indexer.h"

namespace ortello {

const TTypeInfo* TypeTPartRef() {
    static const TTypeInfo* t = MakeEnumType("TPartRef", {"prVelmar", "prCustomer", "prCustomer1"});
    return t;
}

const TTypeInfo* TypeTStrings() { return TStrings::StaticClass().TypeInfo(); }

namespace {
TCurrencyType gCurrency = ctUSDollar;
TPartRef gPartRef = prVelmar;
}  // namespace

TCurrencyType CurrentCurrency() { return gCurrency; }
void SetCurrentCurrency(TCurrencyType c) {
    if (static_cast<int>(c) >= 0 && static_cast<int>(c) < kCurrencyCount) gCurrency = c;
}
TPartRef CurrentPartRef() { return gPartRef; }
void SetCurrentPartRef(TPartRef r) {
    if (r >= prVelmar && r <= prCustomer1) gPartRef = r;
}

// ---------------------------------------------------------------- TGraphicFiles

TGraphicFiles& TGraphicFiles::Instance() {
    static TGraphicFiles files;
    return files;
}

int TGraphicFiles::IndexOf(std::string_view name) const {
    const uint32_t h = StringHashUpper(name);
    for (size_t i = 0; i < names_.size(); ++i)
        if (hashes_[i] == h && SameText(names_[i], name)) return static_cast<int>(i);
    return -1;
}

int TGraphicFiles::IndexOrAdd(std::string_view name) {
    const int i = IndexOf(name);
    if (i >= 0) return i;
    names_.emplace_back(name);
    hashes_.push_back(StringHashUpper(name));
    return static_cast<int>(names_.size()) - 1;
}

void TGraphicFiles::Clear() {
    names_.clear();
    hashes_.clear();
}

std::string ResolveGraphicFile(std::string_view storedName) {
    const std::string base = ImagesFolder() + std::string(storedName);
    if (storedName.find('.') != std::string_view::npos) return FileExists(base) ? base : std::string();
    for (const char* ext : kPictureExtensions) {
        const std::string candidate = base + ext;
        if (FileExists(candidate)) return candidate;
    }
    return {};
}

// ---------------------------------------------------------------- TCurrencyNode, TBaseNode

const TClassInfo& TCurrencyNode::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TCurrencyNode>("TCurrencyNode", &TQorPersistent::StaticClass()).Build();
    return info;
}

const TClassInfo& TBaseNode::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TBaseNode>("TBaseNode", &TCurrencyNode::StaticClass()).Build();
    return info;
}

void TBaseNode::ResetDiscount() {
    discount_ = 0;
    baseline_ = 0;
    assigned_ = false;
}

void TBaseNode::RestoreDiscount() {
    SetDiscount(baseline_);
    assigned_ = false;
}

void TBaseNode::CopyNode(const TBaseNode& s) {
    discount_ = s.discount_;
    baseline_ = s.baseline_;
    assigned_ = s.assigned_;
}

void TBaseNode::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TBaseNode*>(source)) CopyNode(*s);
}

// ---------------------------------------------------------------- TBasePartEntry

const TClassInfo& TBasePartEntry::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TBasePartEntry>("TBasePartEntry", &TBaseNode::StaticClass()).Build();
    return info;
}

TBasePartEntry::TBasePartEntry() = default;
TBasePartEntry::~TBasePartEntry() = default;

void TBasePartEntry::SetRootPartNumber(std::string_view v) {
    rootPartNumber_ = TText(v);
    rootHash_ = StringHashUpper(v);
}

std::string TBasePartEntry::GetPartNumber() const {
    const TPartRef ref = CurrentPartRef();
    if (ref != prVelmar) {
        std::string cross = GetPartNo(ref == prCustomer ? 1 : 2);
        if (!cross.empty()) return cross;
    }
    return GetPartNo(0);
}

namespace {
TCopyTextSource gCopyTextSource = nullptr;
}

void SetCopyTextSource(TCopyTextSource source) { gCopyTextSource = source; }

std::string TBasePartEntry::GetCopyText() const { return gCopyTextSource ? gCopyTextSource(*this) : std::string(); }

TPriceBlock& TBasePartEntry::MutableWorking() {
    if (!working_) working_ = std::make_unique<TPriceBlock>(list_);
    return *working_;
}

double TBasePartEntry::GetPrice() const {
    const double w = GetIndexedPrice(PriceCurrency());
    return w - w * Discount();
}

void TBasePartEntry::SetPrice(double v) {
    const int c = PriceCurrency();
    if (Working().Price[c] != v) MutableWorking().Price[c] = v;
}

double TBasePartEntry::GetIndexedPrice(int i) const {
    return i >= 0 && i < kCurrencyCount ? Working().Price[i] : 0.0;
}

void TBasePartEntry::SetIndexedPrice(int i, double v) {
    if (i < 0 || i >= kCurrencyCount) return;
    list_.Price[i] = v;
    if (working_) working_->Price[i] = v;
}

double TBasePartEntry::GetMeasurePrice(int i) const {
    return i >= 0 && i < kCurrencyCount ? Working().Measure[i] : 0.0;
}

void TBasePartEntry::SetMeasurePrice(int i, double v) {
    if (i < 0 || i >= kCurrencyCount) return;
    list_.Measure[i] = v;
    if (working_) working_->Measure[i] = v;
}

double TBasePartEntry::ListIndexedPrice(int i) const {
    return i >= 0 && i < kCurrencyCount ? list_.Price[i] : 0.0;
}

double TBasePartEntry::ListMeasurePrice(int i) const {
    return i >= 0 && i < kCurrencyCount ? list_.Measure[i] : 0.0;
}

std::string TBasePartEntry::FormattedPrice() const { return CurrencyAmountText(PriceCurrency(), GetPrice()); }

void TBasePartEntry::ResetDiscount() {
    TBaseNode::ResetDiscount();
    RestoreListPrices();
}

void TBasePartEntry::CopyPartEntry(const TBasePartEntry& s) {
    CopyNode(s);
    if (&s == this) return;
    partNoHash_ = s.partNoHash_;
    desc_ = s.desc_;
    list_ = s.list_;
    working_ = s.working_ ? std::make_unique<TPriceBlock>(*s.working_) : nullptr;
    defaultPartNo_ = s.defaultPartNo_;
    rootPartNumber_ = s.rootPartNumber_;
    rootHash_ = s.rootHash_;
}

void TBasePartEntry::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TBasePartEntry*>(source))
        CopyPartEntry(*s);
    else
        TBaseNode::Assign(source);
}

// ---------------------------------------------------------------- TBaseDAVEntry

const TClassInfo& TBaseDAVEntry::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TBaseDAVEntry>("TBaseDAVEntry", &TBasePartEntry::StaticClass()).Build();
    return info;
}

TBaseDAVEntry::TBaseDAVEntry() = default;
TBaseDAVEntry::~TBaseDAVEntry() = default;

TStringList* TBaseDAVEntry::Documents(TDocList which) const {
    const auto w = static_cast<size_t>(which);
    auto& slot = docs_[w];
    if (!slot) {
        slot = std::make_unique<TStringList>();
        if (!docText_[w].empty()) slot->SetCommaText(docText_[w].view());
        docText_[w].clear();
    }
    return slot.get();
}

bool TBaseDAVEntry::HasDocuments(TDocList which) const {
    const auto w = static_cast<size_t>(which);
    return docs_[w] ? docs_[w]->Count() > 0 : !docText_[w].empty();
}

void TBaseDAVEntry::SetDocumentsText(TDocList which, TText commaText) {
    const auto w = static_cast<size_t>(which);
    docs_[w].reset();
    docText_[w] = std::move(commaText);
}

std::string TBaseDAVEntry::GetPartNo(int i) const {
    return i >= 0 && i < 3 ? partNos_[static_cast<size_t>(i)].str() : std::string();
}

void TBaseDAVEntry::SetPartNo(int i, std::string_view v) {
    if (i < 0 || i > 2) return;
    partNos_[static_cast<size_t>(i)] = TText(v);
    if (i == 0) SetPartNoHash(StringHashUpper(v));
}

std::string TBaseDAVEntry::GetPartNumber() const { return TBasePartEntry::GetPartNumber(); }

void TBaseDAVEntry::Clear() {
    SetParent(nullptr);
    graphicIndex_ = -1;
    vavuzeListPrice_ = 0;
    specmaster_.clear();
    endingFreq_.clear();
    begFreq_.clear();
    discGrps_.clear();
    discCats_.clear();
    prodCat_.clear();
    for (auto& p : partNos_) p.clear();
    SetPartNoHash(0);
    SetDesc({});
    availCode_.clear();
    for (size_t i = 0; i < docs_.size(); ++i) {
        docText_[i].clear();
        if (docs_[i]) docs_[i]->Clear();
    }
}

void TBaseDAVEntry::CopyDAVEntry(const TBaseDAVEntry& s) {
    CopyPartEntry(s);
    if (&s == this) return;
    graphicIndex_ = s.graphicIndex_;
    specmaster_ = s.specmaster_;
    endingFreq_ = s.endingFreq_;
    partNos_ = s.partNos_;
    begFreq_ = s.begFreq_;
    discGrps_ = s.discGrps_;
    prodCat_ = s.prodCat_;
    vavuzeListPrice_ = s.vavuzeListPrice_;
    availCode_ = s.availCode_;
    discCats_ = s.discCats_;
    addtlCost_ = s.addtlCost_;
    smartPartNo_ = s.smartPartNo_;
    for (size_t i = 0; i < docs_.size(); ++i) {
        if (s.docs_[i]) {
            // A list somebody edited: copy its content.
            docs_[i].reset();
            docText_[i] = s.docs_[i]->Count() > 0 ? TText(s.docs_[i]->CommaText()) : TText();
        } else {
            docs_[i].reset();
            docText_[i] = s.docText_[i];
        }
    }
}

void TBaseDAVEntry::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TBaseDAVEntry*>(source))
        CopyDAVEntry(*s);
    else
        TBasePartEntry::Assign(source);
}

// ---------------------------------------------------------------- TLOMEntry

std::string TLOMEntry::ListPriceText() const { return PlainCurrencyText(GetPrice()); }

std::string TLOMEntry::GraphicFile() const {
    if (GraphicIndex() < 0 || GraphicIndex() >= TGraphicFiles::Instance().Count()) return {};
    return ResolveGraphicFile(TGraphicFiles::Instance().Name(GraphicIndex()));
}

void TLOMEntry::SetGraphicFile(std::string_view name) {
    SetGraphicIndex(name.empty() ? -1 : TGraphicFiles::Instance().IndexOrAdd(name));
}

void TLOMEntry::SetProdCat(std::string_view v) { TBaseDAVEntry::SetProdCat(v.empty() ? "Miscellaneous" : v); }

void TLOMEntry::Assign(const TPersistent* source) { TBaseDAVEntry::Assign(source); }

namespace {
using E = TLOMEntry;

TPropInfo IndexedPrice(const char* name, int currency, bool measure) {
    TPropInfo p;
    p.Name = name;
    p.PropType = TypeDouble();
    if (measure) {
        p.GetFloat = [currency](const TObject& o) { return static_cast<const E&>(o).GetMeasurePrice(currency); };
        p.SetFloat = [currency](TObject& o, double v) { static_cast<E&>(o).SetMeasurePrice(currency, v); };
    } else {
        p.GetFloat = [currency](const TObject& o) { return static_cast<const E&>(o).GetIndexedPrice(currency); };
        p.SetFloat = [currency](TObject& o, double v) { static_cast<E&>(o).SetIndexedPrice(currency, v); };
    }
    return p;
}

TPropInfo DocumentList(const char* name, TBaseDAVEntry::TDocList which) {
    TPropInfo p;
    p.Name = name;
    p.PropType = TypeTStrings();
    p.GetObj = [which](const TObject& o) -> TObject* { return static_cast<const E&>(o).Documents(which); };
    p.SetObj = [which](TObject& o, TObject* v) {
        static_cast<E&>(o).Documents(which)->Assign(dynamic_cast<TPersistent*>(v));
    };
    p.StoredConst = false;
    return p;
}

void Ignore(E&, std::string_view) {}
}  // namespace

const TClassInfo& TLOMEntry::StaticClass() {
    static const TClassInfo* info = [] {
        ClassBuilder<E> b("TLOMEntry", &TBaseDAVEntry::StaticClass());
        b.Prop("Discount", TypeDouble(), &E::Discount, &E::SetDiscountValue)
            .Prop("SortIndex", TypeInteger(), &E::SortIndex, &E::SetSortIndex);
        TPropInfo listPrice;
        listPrice.Name = "ListPrice";
        listPrice.PropType = TypeString();
        listPrice.GetStr = [](const TObject& o) { return static_cast<const E&>(o).ListPriceText(); };
        listPrice.SetStr = [](TObject& o, std::string_view v) { Ignore(static_cast<E&>(o), v); };
        listPrice.StoredConst = false;
        b.Custom(listPrice);
        TPropInfo description = listPrice;
        description.Name = "Description";
        description.GetStr = [](const TObject& o) { return static_cast<const E&>(o).DescriptionText(); };
        b.Custom(description);
        b.Prop("BegFreq", TypeString(), &E::BegFreq, &E::SetBegFreq).Stored(false)
            .Prop("EndingFreq", TypeString(), &E::EndingFreq, &E::SetEndingFreq).Stored(false)
            .Prop("DefaultPartNo", TypeString(), &E::DefaultPartNo, &E::SetDefaultPartNo)
            .Prop("GraphicFile", TypeString(), &E::GraphicFile, &E::SetGraphicFile).Stored(false)
            .Prop("Price", TypeDouble(), &E::Price, &E::SetPrice).Stored(false)
            .Prop("Desc", TypeString(), &E::Desc, &E::SetDesc)
            .Prop("DiscGrps", TypeString(), &E::DiscGrps, &E::SetDiscGrps)
            .Prop("DiscCats", TypeString(), &E::DiscCats, &E::SetDiscCats)
            .Prop("ProdCat", TypeString(), &E::ProdCatText, &E::SetProdCat)
            .Prop("Avail_Code", TypeString(), &E::Avail_Code, &E::SetAvail_Code);
        TPropInfo partNumber = listPrice;
        partNumber.Name = "PartNumber";
        partNumber.GetStr = [](const TObject& o) { return static_cast<const E&>(o).PartNumberText(); };
        b.Custom(partNumber);
        b.Prop("PartNo", TypeString(), &E::PartNo, &E::SetPartNoText)
            .Prop("XRef", TypeString(), &E::XRef, &E::SetXRef)
            .Prop("VavuzeListPrice", TypeDouble(), &E::VavuzeListPrice, &E::SetVavuzeListPrice).Stored(false)
            .Prop("SecondXRef", TypeString(), &E::SecondXRef, &E::SetSecondXRef).Stored(false)
            .Prop("Specmaster", TypeString(), &E::Specmaster, &E::SetSpecmaster).Stored(false);
        b.Custom(DocumentList("Install_Inst", TBaseDAVEntry::dlInstallInst))
            .Custom(DocumentList("App_Briefs", TBaseDAVEntry::dlAppBriefs))
            .Custom(DocumentList("Instr_Bulletins", TBaseDAVEntry::dlInstrBulletins))
            .Custom(DocumentList("Ref_Info", TBaseDAVEntry::dlRefInfo));
        b.Prop("USPrice", TypeDouble(), &E::USPrice, &E::SetUSPrice)
            .Prop("SmartPartNo", TypeString(), &E::SmartPartNo, &E::SetSmartPartNo)
            .Prop("AddtlCost", TypeDouble(), &E::AddtlCost, &E::SetAddtlCost);
        static const char* const prices[] = {"Cancel", "DK", "Eureka", "Yes", "Graphic", "Bro_ham", "Change"};
        static const char* const measures[] = {"Cancel_ME", "DK_ME", "Eureka_ME", "Yes_ME",
                                               "Graphic_ME", "Bro_ham_ME", "Change_ME"};
        static const char* const measures2[] = {"Can_price_meas", "Dm_price_meas",   "Euro_price_meas", "Yen_price_meas",
                                                "GBP_price_meas", "Brzl_price_meas", "Chna_price_meas"};
        static const char* const prices2[] = {"Can_price", "Dm_price",   "Euro_price", "Yen_price",
                                              "GBP_price", "Brzl_price", "Chna_price"};
        for (int i = 0; i < 7; ++i) b.Custom(IndexedPrice(prices[i], i + 1, false));
        for (int i = 0; i < 7; ++i) b.Custom(IndexedPrice(measures[i], i + 1, true));
        for (int i = 0; i < 7; ++i) b.Custom(IndexedPrice(measures2[i], i + 1, true));
        for (int i = 0; i < 7; ++i) b.Custom(IndexedPrice(prices2[i], i + 1, false));
        return b.Build();
    }();
    return *info;
}

void RegisterCatalogEntryClasses() {
    RegisterClass(TCurrencyNode::StaticClass());
    RegisterClass(TBaseNode::StaticClass());
    RegisterClass(TBasePartEntry::StaticClass());
    RegisterClass(TBaseDAVEntry::StaticClass());
    RegisterClass(TLOMEntry::StaticClass());
}

}  // namespace ortello
