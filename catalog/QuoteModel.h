// Quotations: quote entries (catalog entries with quantity, group, option and
// cable length), the quote list saved as a quotation file, and the contact
// records around it.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "catalog/CatalogEntries.h"
#include "library/Persistent.h"

namespace ortello {

class TQuoteList;
class TLOMQuoteList;
class TEntryCopyController;
class TClipboardPort;

// Eight bytes: "LOMU", AA, "MOL".
inline constexpr TSignature kQuoteSignature = {'L', 'O', 'M', 'U', 0xAA, 'M', 'O', 'L'};

// ---------------------------------------------------------------- contacts

// The customer side of a quotation.
class TContactInformation : public TQorPersistent {
    ORTELLO_CLASS()
public:
    enum TField {
        cfContact, cfCompanyName, cfJobNumber, cfProposalNumber, cfAddress1, cfAddress2, cfCity, cfState,
        cfCountry, cfIncoTerms, cfPaymentTerms, cfZipCode, cfPhone, cfFax, cfTitle
    };
    static constexpr int kTextCount = cfTitle + 1;

    TContactInformation();

    const std::string& Text(TField f) const { return texts_[f]; }
    void SetText(TField f, std::string_view v) { texts_[f].assign(v); }
    TDateTime ValidDate() const { return validDate_; }
    void SetValidDate(TDateTime v) { validDate_ = v; }
    int PageCount() const { return pageCount_; }
    void SetPageCount(int v) { pageCount_ = v; }
    double FreightCharges() const { return freightCharges_; }
    void SetFreightCharges(double v) { freightCharges_ = v; }

    // Empties every text; ValidDate becomes now and PageCount -1.
    void Clear() override;
    void Assign(const TPersistent* source) override;

private:
    std::array<std::string, kTextCount> texts_;
    TDateTime validDate_ = 0;
    int pageCount_ = -1;
    double freightCharges_ = 0;
};

class TContactInformationList : public TQorPersistList {
    ORTELLO_CLASS()
public:
    explicit TContactInformationList(bool ownsObjects = true) : TQorPersistList(ownsObjects) {}
};

// The user's own sales site, heading every printed quotation.
class TVRIXSiteInformation : public TQorPersistent {
    ORTELLO_CLASS()
public:
    enum TField {
        sfCompanyName, sfAuthor, sfSiteName, sfSiteNumber, sfSpecialInstructions, sfAddress1, sfAddress2, sfCity,
        sfZip, sfPhone, sfFax, sfState, sfCountry
    };
    static constexpr int kTextCount = sfCountry + 1;

    TVRIXSiteInformation();
    ~TVRIXSiteInformation() override;

    const std::string& Text(TField f) const { return texts_[f]; }
    void SetText(TField f, std::string_view v) { texts_[f].assign(v); }
    TStringList* FacilityAddress() const { return facility_.get(); }
    void SetFacilityAddress(TStringList* v) { facility_->Assign(v); }

    void Assign(const TPersistent* source) override;

private:
    std::array<std::string, kTextCount> texts_;
    std::unique_ptr<TStringList> facility_;
};

class TCompanyContact : public TQorPersistent {
    ORTELLO_CLASS()
public:
    enum TField { ccCompanyName, ccAddress1, ccAddress2, ccCity, ccState, ccCountry, ccZipCode, ccPhone,
                  ccContact, ccFax, ccEmail, ccTitle };
    const std::string& Text(int f) const { return texts_.at(static_cast<size_t>(f)); }
    void SetText(int f, std::string_view v) { texts_.at(static_cast<size_t>(f)).assign(v); }
    void Assign(const TPersistent* source) override;

protected:
    std::array<std::string, 12> texts_;  // the sales contact uses the last four
};

class TSalesContact : public TCompanyContact {
    ORTELLO_CLASS()
};

// ---------------------------------------------------------------- quote entries

class TLOMQuoteEntry : public TLOMEntry {
    ORTELLO_CLASS()
public:
    TLOMQuoteEntry();

    // The list the entry belongs to; not owned, null for a free entry.
    TLOMQuoteList* QuoteList() const { return quoteList_; }
    void SetQuoteList(TLOMQuoteList* list) { quoteList_ = list; }
    // The list whose totals follow this entry's changes.
    TQuoteList* NotifyList() const { return notifyList_; }
    void SetNotifyList(TQuoteList* list) { notifyList_ = list; }
    // Runs the owning list's total recalculation, if the entry has one.
    void NotifyChange();

    virtual double GetTotal() const { return GetPrice() * quantity_; }
    // Copies only the catalog fields.
    virtual void AssignCatalogFields(const TPersistent* source) { TBaseDAVEntry::Assign(source); }

    double StoredTotal() const { return total_; }
    void SetTotal(double v) { total_ = v; }
    double SubTotal() const { return subTotal_; }
    void SetSubTotal(double v) { subTotal_ = v; }
    double TotalCost() const { return totalCost_; }
    void SetTotalCost(double v) { totalCost_ = v; }
    int Quantity() const { return quantity_; }
    // Marks the owning list modified and fires its change event unless it is updating.
    void SetQuantity(int n);
    bool AvailabilityChecked() const { return availabilityChecked_; }
    void SetAvailabilityChecked(bool v) { availabilityChecked_ = v; }
    // The stored group, or ProdCat while no group is set.
    std::string Group() const;
    const std::string& StoredGroup() const { return group_; }
    void SetGroup(std::string_view v) { group_.assign(v); }
    bool Option() const { return option_; }
    void SetOption(bool v) { option_ = v; }
    bool IsCable() const { return isCable_; }
    void SetIsCable(bool v) { isCable_ = v; }
    int CableLength() const { return cableLength_; }
    void SetCableLength(int v) { cableLength_ = v; }
    bool Main() const { return main_; }
    void SetMain(bool v) { main_ = v; }
    // The stored group total, or Extended while it is 0.
    double GroupTotal() const { return groupTotal_ != 0 ? groupTotal_ : Extended(); }
    double StoredGroupTotal() const { return groupTotal_; }
    void SetGroupTotal(double v) { groupTotal_ = v; }
    double PricePerFoot() const { return pricePerFoot_; }
    void SetPricePerFoot(double v) { pricePerFoot_ = v; }
    double BaseCablePrice() const { return baseCablePrice_; }
    void SetBaseCablePrice(double v) { baseCablePrice_ = v; }
    // 0 for an option line, else GetTotal.
    double Extended() const { return option_ ? 0.0 : GetTotal(); }
    TCurrencyType CurrencyType() const { return ReadCurrency(); }

    TCurrencyType ReadCurrency() const override;
    void WriteCurrency(TCurrencyType c) override;
    TCurrencyType PriceCurrency() const override { return ReadCurrency(); }
    // Part price plus the net cable price.
    double GetPrice() const override;
    std::string GetPartNumber() const override;
    std::string GetExtendedPriceText() const override;
    void Assign(const TPersistent* source) override;

private:
    TLOMQuoteList* quoteList_ = nullptr;
    TQuoteList* notifyList_ = nullptr;
    std::string group_;
    double total_ = 0, subTotal_ = 0, totalCost_ = 0, groupTotal_ = 0;
    double pricePerFoot_ = 0, baseCablePrice_ = 0;
    int quantity_ = 0;
    int cableLength_ = 0;
    bool availabilityChecked_ = false, option_ = false, isCable_ = false, main_ = false;
};

// ---------------------------------------------------------------- quote lists

class TQuoteList : public TQorPersistList {
    ORTELLO_CLASS()
public:
    TQuoteList();
    ~TQuoteList() override;

    TContactInformation* ContactInfo() const { return contact_.get(); }
    void SetContactInfo(TContactInformation* v) { contact_->Assign(v); }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string_view v) { fileName_.assign(v); }
    // The file name without its folder.
    std::string FileTitle() const { return ExtractFileName(fileName_); }
    TDateTime FileDate() const { return fileDate_; }

    // Fired (Sender: the list) on entry and quantity changes unless updating.
    TNotifyEvent OnQuoteChange;
    void BeginUpdate() { updating_ = true; }
    void EndUpdate() { updating_ = false; }
    bool IsUpdating() const { return updating_; }
    void SetModified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    void ClearModified() { modified_ = false; }

    // The caption line and the copy text of every entry, through the process-wide
    // entry copy controller, onto the process-wide clipboard.
    virtual void CopyToClipboard();
    void CopyToClipboard(const TEntryCopyController& controller, TClipboardPort& clipboard) const;
    virtual TLOMQuoteEntry* AddNew();
    virtual TLOMQuoteEntry* AddCopy(const TPersistent* source);
    // Appends an entry (the list takes it); returns its position.
    int AddEntry(TLOMQuoteEntry* entry);
    TLOMQuoteEntry* Entry(int i) const { return static_cast<TLOMQuoteEntry*>(Items(i)); }

    int IndexOfPartNo(std::string_view partNo) const;
    int IndexOfPartNoAndGroup(std::string_view partNo, std::string_view group) const;
    // Lowers the matching line's quantity by the entry's, or deletes the line.
    void SubtractEntry(const TLOMQuoteEntry& entry);
    void DeleteByPartNo(std::string_view partNo);
    // Running totals: each entry's SubTotal and TotalCost are the sum of Extended so far.
    void RecalculateTotals();
    // Extended of every entry added up (the last entry's TotalCost after recalculation).
    double Total() const;
    void ClearDiscounts();
    // Copies the contact information of another quotation file; a missing file does nothing.
    void ImportContactInfo(const std::string& path);

    // Totals follow at once unless a bulk change defers them to its end.
    void EntryChanged();

    void GetSignature(TSignature& signature) const override { signature = kQuoteSignature; }
    // The signature is checked before anything changes; then the list starts from
    // empty texts, so what the file does not hold reads back empty.
    void LoadFromStream(TStream& stream, std::string_view key = {}) override;
    void LoadFromFile(const std::string& fileName, std::string_view key = {}) override;
    void SaveToFile(const std::string& fileName, std::string_view key = {}) override;
    void ReadData(TStream& stream) override;
    void Notify(TQorPersistent* item, TListNotification action) override;
    // Removes all entries and clears the contact information.
    void Clear() override;
    void Assign(const TPersistent* source) override;

protected:
    void DoChange() {
        if (OnQuoteChange) OnQuoteChange(this);
    }
    // Texts that a file leaves out read back empty.
    virtual void PrepareForReading();
    // While the entries of a record are read, clearing empties only the entries.
    bool ReadingEntries() const { return readingEntries_; }

    // Holds total recalculation until the outermost holder ends.
    class TotalsHold {
    public:
        explicit TotalsHold(TQuoteList& l) : l_(l) { ++l_.holdTotals_; }
        ~TotalsHold() {
            if (--l_.holdTotals_ == 0) l_.RecalculateTotals();
        }
        TotalsHold(const TotalsHold&) = delete;
        TotalsHold& operator=(const TotalsHold&) = delete;

    private:
        TQuoteList& l_;
    };

private:
    std::unique_ptr<TContactInformation> contact_;
    std::string fileName_ = "NewQuote";
    TDateTime fileDate_ = 0;
    bool updating_ = false;
    bool modified_ = false;
    bool readingEntries_ = false;
    int holdTotals_ = 0;
};

class TLOMQuoteList : public TQuoteList {
    ORTELLO_CLASS()
public:
    TLOMQuoteList();

    const std::string& App() const { return app_; }
    void SetApp(std::string_view v) { app_.assign(v); }
    const std::string& AppFile() const { return appFile_; }
    void SetAppFile(std::string_view v) { appFile_.assign(v); }
    const std::string& TermsGroup() const { return termsGroup_; }
    void SetTermsGroup(std::string_view v) { termsGroup_.assign(v); }
    const std::string& Description() const { return description_; }
    void SetDescription(std::string_view v) { description_.assign(v); }
    const std::string& DiscountSchedule() const { return discountSchedule_; }
    void SetDiscountSchedule(std::string_view v) { discountSchedule_.assign(v); }
    TCurrencyType CurrencyType() const { return currency_; }
    void SetCurrencyType(TCurrencyType c) { currency_ = c; }
    TPartRef PartRef() const { return partRef_; }
    void SetPartRef(TPartRef r) { partRef_ = r; }
    // Expiration of the schedule in force; kept in memory only.
    TDateTime ScheduleExpiration() const { return scheduleExpiration_; }
    void SetScheduleExpiration(TDateTime v) { scheduleExpiration_ = v; }

    // Each catalog entry becomes a line with quantity 1.
    void AddCatalogParts(const TQorPersistList& parts);
    // Copies of another list's lines; each belongs to this list.
    void AddQuoteEntries(const TQuoteList& other);

    TLOMQuoteEntry* AddNew() override;
    TLOMQuoteEntry* AddCopy(const TPersistent* source) override;
    void Notify(TQorPersistent* item, TListNotification action) override;
    // Also empties Description.
    void Clear() override;
    void Assign(const TPersistent* source) override;

protected:
    void PrepareForReading() override;

private:
    std::string app_, appFile_, termsGroup_ = "No Terms", description_, discountSchedule_ = "Default";
    TCurrencyType currency_;
    TPartRef partRef_ = prVelmar;
    TDateTime scheduleExpiration_ = 0;
};

// The time stamp of a file as a local date-time, 0 when it cannot be read.
TDateTime FileDateTime(const std::string& path);

void RegisterQuoteClasses();

}  // namespace ortello
