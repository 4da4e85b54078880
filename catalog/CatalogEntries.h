// Catalog entries: the discount state common to nodes and parts, part entries
// with their price table, and the catalog entry with its published field vocabulary.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "catalog/Currency.h"
#include "library/Classes.h"
#include "library/Persistent.h"
#include "library/SharedText.h"

namespace ortello {

enum TPartRef { prVelmar, prCustomer, prCustomer1 };
const TTypeInfo* TypeTPartRef();

// Program-wide values read by every node and entry.
TCurrencyType CurrentCurrency();
void SetCurrentCurrency(TCurrencyType c);
TPartRef CurrentPartRef();
void SetCurrentPartRef(TPartRef r);

// Graphic file names; each item carries the hash of its upper-cased text.
class TGraphicFiles {
public:
    static TGraphicFiles& Instance();
    // Index of the name (hash, then case-insensitive text), appending it when new.
    int IndexOrAdd(std::string_view name);
    int IndexOf(std::string_view name) const;
    int Count() const { return static_cast<int>(names_.size()); }
    const std::string& Name(int i) const { return names_.at(static_cast<size_t>(i)); }
    void Clear();

private:
    std::vector<std::string> names_;
    std::vector<uint32_t> hashes_;
};

class TLOMBaseNode;

class TCurrencyNode : public TQorPersistent {
    ORTELLO_CLASS()
public:
    virtual TCurrencyType ReadCurrency() const { return CurrentCurrency(); }
    virtual void WriteCurrency(TCurrencyType c) { SetCurrentCurrency(c); }
    TCurrencyType GetCurrencyType() const { return ReadCurrency(); }
    void SetCurrencyType(TCurrencyType c) { WriteCurrency(c); }
};

class TBaseNode : public TCurrencyNode {
    ORTELLO_CLASS()
public:
    TLOMBaseNode* Parent() const { return parent_; }
    void SetParent(TLOMBaseNode* p) { parent_ = p; }
    double Discount() const { return discount_; }
    double BaselineDiscount() const { return baseline_; }
    void SetBaselineDiscount(double v) { baseline_ = v; }
    bool DiscountAssigned() const { return assigned_; }
    void SetDiscountAssigned(bool v) { assigned_ = v; }

    virtual std::string ReadDiscGrps() const { return {}; }
    virtual void WriteDiscGrps(std::string_view) {}
    virtual void SetDiscount(double v) {
        if (v != discount_) discount_ = v;
    }
    virtual std::string GetKey() const { return {}; }
    virtual bool AllChildrenCarryDiscount() const { return true; }
    virtual bool HasDiscountValue(double x) const { return discount_ == x; }
    virtual bool ChildNodesHaveDiscount(double) const { return true; }
    virtual bool PartsHaveDiscount(double) const { return HasDiscountValue(discount_); }
    virtual void ResetDiscount();
    virtual void CollectCommonDiscount() {}
    virtual void BuildPath() {}
    virtual bool CheckUniformDiscount() { return HasDiscountValue(discount_); }
    virtual void RestoreDiscount();

    void Assign(const TPersistent* source) override;

protected:
    // Field copies without type checks; Assign casts once at the most derived level.
    void CopyNode(const TBaseNode& s);
    double discount_ = 0;

private:
    TLOMBaseNode* parent_ = nullptr;
    double baseline_ = 0;
    bool assigned_ = false;
};

struct TPriceBlock {
    double Measure[kCurrencyCount] = {};
    double Price[kCurrencyCount] = {};
};

class TBasePartEntry : public TBaseNode {
    ORTELLO_CLASS()
public:
    TBasePartEntry();
    ~TBasePartEntry() override;

    std::string_view DefaultPartNo() const { return defaultPartNo_; }
    void SetDefaultPartNo(std::string_view v) { defaultPartNo_ = TText(v); }
    void ShareDefaultPartNo(const TText& v) { defaultPartNo_ = v; }
    uint32_t PartNoHash() const { return partNoHash_; }
    std::string_view Desc() const { return desc_; }
    int SortIndex() const { return sortIndex_; }
    void SetSortIndex(int v) { sortIndex_ = v; }
    std::string_view RootPartNumber() const { return rootPartNumber_; }
    void SetRootPartNumber(std::string_view v);
    uint32_t RootPartNumberHash() const { return rootHash_; }
    int MasterPosition() const { return masterPosition_; }
    void SetMasterPosition(int v) { masterPosition_ = v; }

    virtual std::string GetPartNumber() const;
    virtual void SetPartNumber(std::string_view) {}
    // The entry as the entry copy controller formats it.
    virtual std::string GetCopyText() const;
    virtual double GetPrice() const;
    virtual void SetPrice(double v);
    virtual double GetIndexedPrice(int i) const;
    virtual void SetDesc(std::string_view v) { desc_ = TText(v); }
    virtual void SetIndexedPrice(int i, double v);
    virtual double GetMeasurePrice(int i) const;
    virtual void SetMeasurePrice(int i, double v);
    virtual std::string GetPartNo(int) const { return {}; }
    virtual void SetPartNo(int, std::string_view) {}

    // The currency prices are read in; entries of quotations override it.
    virtual TCurrencyType PriceCurrency() const { return ReadCurrency(); }
    // Working prices back to the loaded list prices.
    void RestoreListPrices() { working_.reset(); }
    double ListIndexedPrice(int i) const;
    double ListMeasurePrice(int i) const;
    // The symbol of the entry's currency and GetPrice as currency amount text.
    std::string FormattedPrice() const;

    void ResetDiscount() override;
    void Assign(const TPersistent* source) override;

protected:
    void CopyPartEntry(const TBasePartEntry& s);
    void SetPartNoHash(uint32_t h) { partNoHash_ = h; }
    const TPriceBlock& Working() const { return working_ ? *working_ : list_; }
    TPriceBlock& MutableWorking();

private:
    TText defaultPartNo_;
    TText desc_;
    TText rootPartNumber_;
    TPriceBlock list_;
    std::unique_ptr<TPriceBlock> working_;  // null while equal to the list block
    uint32_t partNoHash_ = 0;
    uint32_t rootHash_ = 0;
    int sortIndex_ = -1;
    int masterPosition_ = -1;
};

class TBaseDAVEntry : public TBasePartEntry {
    ORTELLO_CLASS()
public:
    TBaseDAVEntry();
    ~TBaseDAVEntry() override;

    int GraphicIndex() const { return graphicIndex_; }
    void SetGraphicIndex(int v) { graphicIndex_ = v; }
    std::string_view Specmaster() const { return specmaster_; }
    void SetSpecmaster(std::string_view v) { specmaster_ = TText::Intern(v); }
    std::string_view EndingFreq() const { return endingFreq_; }
    void SetEndingFreq(std::string_view v) { endingFreq_ = TText::Intern(v); }
    std::string_view PartNo() const { return partNos_[0]; }
    std::string_view XRef() const { return partNos_[1]; }
    std::string_view SecondXRef() const { return partNos_[2]; }
    void SetPartNoText(std::string_view v) { SetPartNo(0, v); }
    // DefaultPartNo takes the part number's text, shared rather than copied.
    void DefaultPartNoFromPartNo() { ShareDefaultPartNo(partNos_[0]); }
    void SetXRef(std::string_view v) { SetPartNo(1, v); }
    void SetSecondXRef(std::string_view v) { SetPartNo(2, v); }
    std::string_view BegFreq() const { return begFreq_; }
    void SetBegFreq(std::string_view v) { begFreq_ = TText::Intern(v); }
    std::string_view DiscGrps() const { return discGrps_; }
    void SetDiscGrps(std::string_view v) { discGrps_ = TText::Intern(v); }
    std::string_view ProdCatText() const { return prodCat_; }
    virtual void SetProdCat(std::string_view v) { prodCat_ = TText::Intern(v); }
    double VavuzeListPrice() const { return vavuzeListPrice_; }
    void SetVavuzeListPrice(double v) { vavuzeListPrice_ = v; }
    std::string_view Avail_Code() const { return availCode_; }
    void SetAvail_Code(std::string_view v) { availCode_ = TText::Intern(v); }
    std::string_view DiscCats() const { return discCats_; }
    void SetDiscCats(std::string_view v) { discCats_ = TText::Intern(v); }
    double AddtlCost() const { return addtlCost_; }
    void SetAddtlCost(double v) { addtlCost_ = v; }
    std::string_view SmartPartNo() const { return smartPartNo_; }
    void SetSmartPartNo(std::string_view v) { smartPartNo_ = TText(v); }

    enum TDocList { dlInstrBulletins, dlRefInfo, dlInstallInst, dlAppBriefs };
    // Kept as shared comma text until first asked for as a list: a catalog's
    // entries mostly repeat a few document lists.
    TStringList* Documents(TDocList which) const;
    bool HasDocuments(TDocList which) const;
    // Comma text of the list, already normalised by the caller.
    void SetDocumentsText(TDocList which, TText commaText);
    TStringList* Instr_Bulletins() const { return Documents(dlInstrBulletins); }
    TStringList* Ref_Info() const { return Documents(dlRefInfo); }
    TStringList* Install_Inst() const { return Documents(dlInstallInst); }
    TStringList* App_Briefs() const { return Documents(dlAppBriefs); }

    virtual std::string GetExtendedPriceText() const { return {}; }
    virtual std::string GetProdCat() const { return prodCat_.str(); }

    std::string GetPartNo(int i) const override;
    void SetPartNo(int i, std::string_view v) override;
    std::string GetPartNumber() const override;

    void Clear() override;
    void Assign(const TPersistent* source) override;

protected:
    void CopyDAVEntry(const TBaseDAVEntry& s);

private:
    TText specmaster_, endingFreq_, begFreq_, discGrps_, prodCat_, availCode_, discCats_, smartPartNo_;
    std::array<TText, 3> partNos_;
    mutable std::array<TText, 4> docText_;
    mutable std::array<std::unique_ptr<TStringList>, 4> docs_;
    double vavuzeListPrice_ = 0;
    double addtlCost_ = 0;
    int graphicIndex_ = -1;
};

class TLOMEntry : public TBaseDAVEntry {
    ORTELLO_CLASS()
public:
    // The catalog explorer's item that stands for the entry's node; not owned.
    void* ViewLink() const { return viewLink_; }
    void SetViewLink(void* v) { viewLink_ = v; }

    // Published accessors.
    std::string ListPriceText() const;
    std::string DescriptionText() const { return std::string(Desc()); }
    std::string GraphicFile() const;
    void SetGraphicFile(std::string_view name);
    void SetProdCat(std::string_view v) override;
    double Price() const { return GetPrice(); }
    std::string PartNumberText() const { return GetPartNumber(); }
    double USPrice() const { return GetIndexedPrice(ctUSDollar); }
    void SetUSPrice(double v) { SetIndexedPrice(ctUSDollar, v); }
    void SetDiscountValue(double v) { SetDiscount(v); }
    void Assign(const TPersistent* source) override;

private:
    void* viewLink_ = nullptr;
};

// The picture for a stored graphic name under the images folder, or empty.
std::string ResolveGraphicFile(std::string_view storedName);

// Where part entries take their copy text from (the entry copy controller);
// without one the copy text is empty.
using TCopyTextSource = std::string (*)(const TBasePartEntry& entry);
void SetCopyTextSource(TCopyTextSource source);

// Property type of the string-list columns.
const TTypeInfo* TypeTStrings();

void RegisterCatalogEntryClasses();

}  // namespace ortello
