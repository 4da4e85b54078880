// The catalog component: owns the catalog tree and the pricing state around it.
#pragma once

#include <bitset>
#include <functional>
#include <memory>
#include <string>

#include "catalog/CatalogTree.h"
#include "catalog/Discounts.h"
#include "library/ListComponents.h"

namespace ortello {

// Custom part entries, read from the INI object form; owning.
class TCustomPartList : public TLOMDataList {
    ORTELLO_CLASS()
public:
    TCustomPartList() : TLOMDataList(true) {}
    // Reads the INI form (section prefix "CustomPartList"), then numbers and indexes the entries.
    void LoadRecords(const std::string& fileName) override;
};

// The list component of the custom part entries ("CustomParts.ini").
class TCustomPartNumbers : public TVelmarDataListComponent {
    ORTELLO_CLASS()
public:
    explicit TCustomPartNumbers(TComponent* owner = nullptr);
    TCustomPartList* Parts() const { return static_cast<TCustomPartList*>(List()); }

protected:
    std::unique_ptr<TQORObjectList> CreateList() override;
};

// Page selection of the discount editor's window: the window class registered as
// "TfrmDiscountEditor" implements it over its page control "MainPageControl".
class TPagedModalForm {
public:
    virtual ~TPagedModalForm() = default;
    virtual int PageCount() const = 0;
    virtual void SelectPage(int page) = 0;
    virtual void SetPageVisible(int page, bool visible) = 0;
    virtual int ShowModal() = 0;
};

// A window that can be hidden while a modal editor is open.
class TVisibleControl {
public:
    virtual ~TVisibleControl() = default;
    virtual void SetVisible(bool visible) = 0;
};

using TPageSet = std::bitset<256>;

class TLOMNodeData : public TQORBaseListComponent {
    ORTELLO_CLASS()
public:
    explicit TLOMNodeData(TComponent* owner = nullptr);
    ~TLOMNodeData() override;

    // Fired only with ShowDiscountProgress.
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
    TCustomPartNumbers* CustomParts() const { return customParts_; }
    void SetCustomParts(TCustomPartNumbers* v);

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
    // The working custom discount the discount editor edits (belongs to no collection).
    TCustomDiscount& WorkingDiscount() { return *working_; }
    // The schedules read from the discount folder.
    TCustomDiscounts& Schedules() { return *schedules_; }
    const TCustomDiscounts& Schedules() const { return *schedules_; }
    // Opens the discount editor on page (when it is in visiblePages), then reads
    // the schedules again and applies the schedule in force afresh.
    void EditDiscounts(int page, const TPageSet& visiblePages, TVisibleControl* control = nullptr);
    // Reads the file into the working custom discount and applies it to the reset
    // catalog; any failure shows "Invalid File Type".
    void LoadCustomDiscountFile(const std::string& path);
    // The working custom discount becomes the assigned nodes, then the assigned parts.
    void CaptureCustomDiscount();
    // Progress of applying a schedule, passed on when ShowDiscountProgress.
    void DoDiscountChangeStart();
    void DoDiscountChangeStatus(int percent);
    void DoDiscountChangeEnd();
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
    void ApplySchedule(std::string_view name);

    TCurrencyNode currencyNode_;
    std::unique_ptr<TLOMNoLoadContainer> container_;
    std::unique_ptr<TCustomDiscount> working_;
    std::unique_ptr<TCustomDiscounts> schedules_;
    TCustomPartNumbers* customParts_ = nullptr;
    std::unique_ptr<TStringList> davFields_;
    std::string schedule_ = "Default";
    std::string rootName_;
    std::string customDiscountsPath_;
    std::string loadedFile_;
    TRegistryPaths dataPath_ = rpDefaultPath;
    int maxDiscount_ = 99;
    bool showDiscountProgress_ = false;
};

// Lets a form reach the data module's catalog component.
class TLOMNodeDataLink : public TComponent {
    ORTELLO_CLASS()
public:
    using TComponent::TComponent;
    ~TLOMNodeDataLink() override;
    TLOMNodeData* NodeData() const { return nodeData_; }
    void SetNodeData(TLOMNodeData* v);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TLOMNodeData* nodeData_ = nullptr;
};

// The catalog columns the data module reads.
const std::vector<std::string>& DefaultDAVFields();

void RegisterCatalogDatabaseClasses();

}  // namespace ortello
