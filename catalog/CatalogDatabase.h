// The catalog component: owns the catalog tree and the pricing state around it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "catalog/CatalogTree.h"
#include "library/ListComponents.h"

namespace ortello {

class TLOMNodeData : public TQORBaseListComponent {
    ORTELLO_CLASS()
public:
    explicit TLOMNodeData(TComponent* owner = nullptr);
    ~TLOMNodeData() override;

    TNotifyEvent OnDiscountChangeStart;
    std::function<void(int percent)> OnDiscountChangeStatus;
    TNotifyEvent OnDiscountChangeEnd;
    TNotifyEvent OnPartTypeChange;
    TNotifyEvent OnScheduleChange;
    std::function<void(TCurrencyType)> OnCurrencyChange;

    bool ShowDiscountProgress() const { return showDiscountProgress_; }
    void SetShowDiscountProgress(bool v) { showDiscountProgress_ = v; }
    TPartRef PartRef() const { return CurrentPartRef(); }
    void SetPartRef(TPartRef r);
    TCurrencyType CurrencyType() const { return currencyNode_.GetCurrencyType(); }
    void SetCurrencyType(TCurrencyType c);
    const std::string& Schedule() const { return schedule_; }
    virtual void SetSchedule(std::string_view name);
    const std::string& RootName() const { return rootName_; }
    void SetRootName(std::string_view v);
    const std::string& CustomDiscountsPath() const { return customDiscountsPath_; }
    void SetCustomDiscountsPath(std::string_view v) { customDiscountsPath_.assign(v); }
    TRegistryPaths DataPath() const { return dataPath_; }
    void SetDataPath(TRegistryPaths v) { dataPath_ = v; }
    int MaxDiscount() const { return maxDiscount_; }
    void SetMaxDiscount(int v) { maxDiscount_ = v; }
    TStringList* DAVFields() const { return davFields_.get(); }
    void SetDAVFields(TStringList* v);

    // Loads the catalog file (never raises; failures go to DoLoadError), then builds the paths.
    void LoadData() override;
    void Loaded() override;
    // The container reports progress and load start for the component.
    std::function<void(const std::string&)> GetOnLoadStart() const override { return container_->OnLoadStart; }
    TListStatus GetOnProgress() const override { return container_->OnProgress; }
    void SetOnLoadStart(std::function<void(const std::string&)> h) override { container_->OnLoadStart = std::move(h); }
    void SetOnProgress(TListStatus h) override { container_->OnProgress = std::move(h); }
    // The file the catalog was read from, or empty.
    const std::string& LoadedFile() const { return loadedFile_; }

    void ResetDiscounts() { container_->ResetAllDiscounts(); }
    TLOMPartList& GetParts() { return container_->Parts(); }
    TLOMBaseNode& GetRootNode() { return container_->Root(); }
    TLOMContainer& Container() { return *container_; }
    const TLOMContainer& Container() const { return *container_; }
    void CollectCommonDiscounts();
    // Entry at a master position, or null.
    TLOMEntry* EntryAt(int position) const;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TCurrencyNode currencyNode_;
    std::unique_ptr<TLOMNoLoadContainer> container_;
    std::unique_ptr<TStringList> davFields_;
    std::string schedule_ = "Default";
    std::string rootName_;
    std::string customDiscountsPath_;
    std::string loadedFile_;
    TRegistryPaths dataPath_ = rpDefaultPath;
    int maxDiscount_ = 99;
    bool showDiscountProgress_ = false;
};

// The catalog columns the data module reads.
const std::vector<std::string>& DefaultDAVFields();

void RegisterCatalogDatabaseClasses();

}  // namespace ortello
