#include "app/DataModule.h"

#include "library/SectionIniFile.h"

namespace ortello {

namespace {
TDataModule1* gInstance = nullptr;
}

const TClassInfo& TDataModule1::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TDataModule1>("TDataModule1", &TDataModule::StaticClass()).Build();
    return info;
}

TDataModule1* TDataModule1::Instance() { return gInstance; }

std::function<void(const std::string&, int, int)>& TDataModule1::StartupListStart() {
    static std::function<void(const std::string&, int, int)> f;
    return f;
}

std::function<void(int, int)>& TDataModule1::StartupStatus() {
    static std::function<void(int, int)> f;
    return f;
}

void SetEntryCopyDesignValues(TEntryCopyController& c) {
    static const char* const captions[] = {
        "BegFreq=Beginning Frequency", "Description=Description", "EndingFreq=Ending Frequency",
        "ExtendedPrice=Extended Price (%0s)", "Group=Group", "ListPrice=List Price (%0s)",
        "PartNumber=Part Number", "Quantity=Quantity"};
    static const char* const selected[] = {"BegFreq", "Description", "EndingFreq", "ExtendedPrice",
                                           "Group", "ListPrice", "PartNumber", "Quantity"};
    static const char* const available[] = {"BegFreq", "Description", "EndingFreq", "ExtendedPrice",
                                            "Group", "ListPrice", "PartNo", "Quantity"};
    TStringList list;
    for (const char* s : captions) list.Add(s);
    c.SetCaptions(&list);
    list.Clear();
    for (const char* s : selected) list.Add(s);
    c.SetSelected(&list);
    list.Clear();
    for (const char* s : available) list.Add(s);
    c.SetAvailable(&list);
    c.SetPath("bin\\");
    c.SetFileName("ortello.dat");
    c.SetDelimeter('\t');
}

TDataModule1::TDataModule1(TComponent* owner) : TDataModule(owner) {
    SetName("DataModule1");
    gInstance = this;
    SetLoading(true);

    CustomPartNumbers1 = new TCustomPartNumbers(this);
    CustomPartNumbers1->SetName("CustomPartNumbers1");
    CustomPartNumbers1->SetLoading(true);
    CustomPartNumbers1->SetFileName("CustomParts.ini");
    CustomPartNumbers1->SetPath("bin\\");
    CustomPartNumbers1->SetDataPath(rpDefaultPath);
    CustomPartNumbers1->SetAutoLoad(false);
    CustomPartNumbers1->SetRequired(false);

    DAVNodeData1 = new TLOMNodeData(this);
    DAVNodeData1->SetName("DAVNodeData1");
    DAVNodeData1->SetLoading(true);
    DAVNodeData1->SetFileName("M_dav.dat");
    DAVNodeData1->SetPath("data\\");
    DAVNodeData1->SetDataPath(rpCommonFiles);
    DAVNodeData1->SetAutoLoad(false);
    DAVNodeData1->SetRequired(false);
    DAVNodeData1->SetSchedule("Default");
    DAVNodeData1->SetRootName("Products");
    DAVNodeData1->SetCustomParts(CustomPartNumbers1);
    DAVNodeData1->SetCustomDiscountsPath("discounts\\");
    DAVNodeData1->SetMaxDiscount(99);
    DAVNodeData1->SetShowDiscountProgress(true);
    {
        TStringList fields;
        for (const std::string& f : DefaultDAVFields()) fields.Add(f);
        DAVNodeData1->SetDAVFields(&fields);
    }

    OTStateController1 = new TOTStateController(this);
    OTStateController1->SetName("OTStateController1");
    OTStateController1->SetLoading(true);
    // The catalog's pricing events reach every state client.
    DAVNodeData1->OnCurrencyChange = [this](TCurrencyType c) { OTStateController1->CurrencyChanged(c); };
    DAVNodeData1->OnScheduleChange = [this](TObject*) { OTStateController1->DiscountChanged(); };
    DAVNodeData1->OnPartTypeChange = [this](TObject*) { OTStateController1->PartRefChanged(); };

    EntryCopyController1 = new TEntryCopyController(this);
    EntryCopyController1->SetName("EntryCopyController1");
    EntryCopyController1->SetLoading(true);
    SetEntryCopyDesignValues(*EntryCopyController1);

    QORListController1 = new TQORListController(this);
    QORListController1->SetName("QORListController1");
    QORListController1->SetLoading(true);
    QORListController1->SetMultiThreaded(false);
    QORListController1->OnListStart = [](const std::string& f, int no, int files) {
        if (StartupListStart()) StartupListStart()(f, no, files);
    };
    QORListController1->OnStatus = [](int n, int c) {
        if (StartupStatus()) StartupStatus()(n, c);
    };

    for (int i = 0; i < ComponentCount(); ++i) Components(i)->Loaded();
    TComponent::Loaded();
    DataModuleCreate();
}

TDataModule1::~TDataModule1() {
    if (gInstance == this) gInstance = nullptr;
    DestroyComponents();
}

void TDataModule1::DataModuleCreate() {
    QORListController1->LoadLists();
}

void RestoreDiscountSchedule(TLOMNodeData& catalog, const std::string& iniPath) {
    const std::string path = iniPath.empty() ? ProgramFolder() + "data/Ortello.INI" : iniPath;
    std::string name;
    if (FileExists(path)) {
        try {
            TQORINIFile ini(path);
            name = ini.ReadString("Setup", "Discount", "");
        } catch (const std::exception&) {
            name.clear();  // unreadable window settings are not kept either
        }
    }
    // The chooser holds display names, so the first schedule is named by its display name.
    if (name.empty() && catalog.Schedules().Count() > 0) name = catalog.Schedules().Item(0)->DisplayName();
    catalog.SetSchedule(name);
}

void RegisterApplicationClasses() { RegisterClass(TDataModule1::StaticClass()); }

}  // namespace ortello
