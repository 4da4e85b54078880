// Discount schedules: named sets of node and part discounts tied to a currency,
// stored as custom discount files, and the collection read from the discount folder.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/Currency.h"
#include "library/Persistent.h"

namespace ortello {

class TLOMContainer;
class TLOMDataList;
class TLOMNodeData;
class TCustomDiscounts;

class TBaseDiscountItem : public TQorPersistent {
    ORTELLO_CLASS()
public:
    const std::string& Path() const { return path_; }
    void SetPath(std::string_view v) { path_.assign(v); }
    double Discount() const { return discount_; }
    void SetDiscount(double v) { discount_ = v; }
    // Set while a schedule is applied when the item matched a node.
    bool Applied() const { return applied_; }
    void SetApplied(bool v) { applied_ = v; }

    void Assign(const TPersistent* source) override;

private:
    std::string path_;
    double discount_ = 0;
    bool applied_ = false;
};

// Made for a part; applying treats both kinds alike.
class TPartDiscountItem : public TBaseDiscountItem {
    ORTELLO_CLASS()
};

// Made for a node.
class TNodeDiscountItem : public TBaseDiscountItem {
    ORTELLO_CLASS()
};

// One schedule; owns its items.
class TCustomDiscount : public TQorPersistList {
    ORTELLO_CLASS()
public:
    TCustomDiscount();
    explicit TCustomDiscount(bool ownsObjects);

    const std::string& Name() const { return name_; }
    void SetName(std::string_view v) { name_.assign(v); }
    const std::string& DefaultSchedule() const { return defaultSchedule_; }
    void SetDefaultSchedule(std::string_view v) { defaultSchedule_.assign(v); }
    TDateTime ExpirationDate() const { return expirationDate_; }
    void SetExpirationDate(TDateTime v) { expirationDate_ = v; }
    TCurrencyType CurrencyType() const { return currencyType_; }
    void SetCurrencyType(TCurrencyType v) { currencyType_ = v; }

    // The file last read or written; empty when none.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string_view v) { fileName_.assign(v); }
    // The collection holding this schedule; null for the working custom discount.
    TCustomDiscounts* Collection() const { return collection_; }
    void SetCollection(TCustomDiscounts* c) { collection_ = c; }

    // Name, " - ", the currency's short text.
    std::string DisplayName() const;
    TBaseDiscountItem* Item(int i) const { return static_cast<TBaseDiscountItem*>(Items(i)); }
    // First item whose Path equals text, ignoring case; -1 when none.
    int IndexOfPath(std::string_view text) const;
    // Appends an item of the given class (TPartDiscountItem or TNodeDiscountItem).
    TBaseDiscountItem* AddItem(const TClassInfo& itemClass, std::string_view path, double discount);

    // Applies the items to a catalog whose discounts were reset: nodes by path
    // first, then the remaining items by part number. Progress goes to the
    // collection's catalog component.
    void ApplyToCatalog(TLOMContainer& container);

    // Typed object files; both remember the path (loading only when it succeeds).
    void LoadFromFile(const std::string& fileName, std::string_view key = {}) override;
    void SaveToFile(const std::string& fileName, std::string_view key = {}) override;
    void GetSignature(TSignature& signature) const override;
    // Only discount items may be read into a schedule.
    std::unique_ptr<TQorPersistent> CreateItem(std::string_view id, const TClassInfo& itemClass) override;
    // Items, file name, Name and DefaultSchedule; CurrencyType and ExpirationDate stay.
    void Clear() override;
    // The item list comes after the properties in a record; reading it keeps them.
    void ReadData(TStream& stream) override;

private:
    void ReportStart() const;
    void ReportStatus(int percent) const;
    void ReportEnd() const;

    std::string name_;
    std::string defaultSchedule_;
    TDateTime expirationDate_;
    TCurrencyType currencyType_ = ctUSDollar;
    std::string fileName_;
    TCustomDiscounts* collection_ = nullptr;
};

// The schedules read from the discount folder; owns them.
class TCustomDiscounts : public TQORObjectList {
    ORTELLO_CLASS()
public:
    explicit TCustomDiscounts(TLOMNodeData* nodeData = nullptr);

    // Folder below the program folder ("discounts\").
    const std::string& Folder() const { return folder_; }
    void SetFolder(std::string_view v) { folder_.assign(v); }
    TLOMNodeData* NodeData() const { return nodeData_; }
    void SetNodeData(TLOMNodeData* v) { nodeData_ = v; }

    // Empties the collection and reads every "*.otdf" in the folder, in listing
    // order; files that fail to load are left out without a message.
    void Reload();
    int IndexOfName(std::string_view text) const;
    int IndexOfDisplayName(std::string_view text) const;
    TCustomDiscount* Item(int i) const { return static_cast<TCustomDiscount*>(Items(i)); }
    const TClassInfo* ItemClass() const override;

private:
    std::string folder_;
    TLOMNodeData* nodeData_ = nullptr;
};

// The class names and the short names written in custom discount files.
void RegisterDiscountClasses();
void UnregisterDiscountAliases();

}  // namespace ortello
