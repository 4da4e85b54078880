// The data module: single owner of the shared non-visual components.
#pragma once

#include <memory>
#include <string>

#include "catalog/CatalogDatabase.h"
#include "catalog/EntryCopy.h"
#include "library/Classes.h"
#include "library/Controls.h"
#include "library/StateBroadcast.h"
#include "library/ListComponents.h"

namespace ortello {

class TDataModule1 : public TDataModule {
    ORTELLO_CLASS()
public:
    // Streams the module in (components in their documented order, designed values,
    // Loaded) and runs its creation handler, which loads every data file.
    explicit TDataModule1(TComponent* owner = nullptr);
    ~TDataModule1() override;

    TCustomPartNumbers* CustomPartNumbers1 = nullptr;
    TLOMNodeData* DAVNodeData1 = nullptr;
    TOTStateController* OTStateController1 = nullptr;
    TEntryCopyController* EntryCopyController1 = nullptr;
    TQORListController* QORListController1 = nullptr;

    // One line per failed load, in load order.
    const TStringList& LoadErrors() const { return QORListController1->LoadErrors(); }

    // The single instance reachable from every window (null before creation).
    static TDataModule1* Instance();

    // Progress while loading: the list being read and its position.
    static std::function<void(const std::string& fileName, int fileNo, int files)>& StartupListStart();
    static std::function<void(int number, int count)>& StartupStatus();

private:
    void DataModuleCreate();
};

// The entry copy controller's values on the data module.
void SetEntryCopyDesignValues(TEntryCopyController& controller);
// The schedule in force as the main window's settings keep it: value "Discount" of
// section "Setup" in iniPath (by default the program folder + "data/Ortello.INI").
// An empty or missing value means the first loaded schedule, if any. The result is
// given to the catalog, which falls back to "Default" for a name it does not know.
void RestoreDiscountSchedule(TLOMNodeData& catalog, const std::string& iniPath = {});

void RegisterApplicationClasses();

}  // namespace ortello
