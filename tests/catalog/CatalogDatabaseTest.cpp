#include <gtest/gtest.h>

#include "tests/TestHome.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/DataModule.h"
#include "app/Startup.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogEditors.h"
#include "catalog/CustomerPrices.h"
#include "library/DataLocations.h"
#include "library/MessagePort.h"
#include "library/SectionIniFile.h"
#include "platform/SettingsStore.h"

using namespace ortello;
namespace fs = std::filesystem;

namespace {

struct Registered {
    Registered() { RegisterAllClasses(); }
} registered;

class TCapturePort : public TMessagePort {
public:
    std::vector<std::string>* sink;
    int waits = 0;
    explicit TCapturePort(std::vector<std::string>* s) : sink(s) {}
    void ShowMessage(std::string_view text) override { sink->emplace_back(text); }
    void BeginWait() override { ++waits; }
    void EndWait() override { --waits; }
};

const char* const kCatalog =
    "PartNo|Desc|USPrice|Eureka|Yes|DiscGrps\r\n"
    "captions\r\n"
    "[Antennas]\r\n"
    "{Dishes}\r\n"
    "D1|Dish one|100|90|14500|G1\r\n"
    "D2|Dish two|200|0|29000|G1\r\n"
    "[Cable]\r\n"
    "C1|Cable one|10|9.5|1450|G2\r\n"
    "C2|Cable two|20|19|2900|g2\r\n";

// A temporary home with the sample-like catalog and schedules, and the data module on it.
struct Home : TTestHome {
    std::vector<std::string> messages;
    std::vector<std::string> events;
    TCapturePort* port = nullptr;

    Home() : TTestHome("catdb") {
        Write("data/M_dav.dat", kCatalog);
        InitializeModule(TStartupOptions{dir.string()});
        SetCurrentCurrency(ctUSDollar);
        auto p = std::make_unique<TCapturePort>(&messages);
        port = p.get();
        SetMessagePort(std::move(p));
    }
    ~Home() {
        SetMessagePort(nullptr);
        SetCurrentCurrency(ctUSDollar);
    }
    void Schedule(const char* file, const char* name, TCurrencyType c,
                  std::initializer_list<std::pair<const char*, double>> items) const {
        TCustomDiscount d;
        d.SetName(name);
        d.SetCurrencyType(c);
        for (auto [path, discount] : items)
            // Lower-case paths stand for parts here, the rest for nodes.
            d.AddItem(std::islower(static_cast<unsigned char>(path[0])) ? TPartDiscountItem::StaticClass()
                                                                          : TNodeDiscountItem::StaticClass(),
                      path, discount);
        d.SaveToFile((dir / "discounts" / file).string());
    }
    void Listen(TLOMNodeData& c) {
        c.OnScheduleChange = [this](TObject*) { events.push_back("schedule"); };
        c.OnCurrencyChange = [this](TCurrencyType t) { events.push_back("currency " + std::to_string(t)); };
        c.OnDiscountChangeStart = [this](TObject*) { events.push_back("start"); };
        c.OnDiscountChangeEnd = [this](TObject*) { events.push_back("end"); };
    }
};

TLOMEntry& Part(TLOMNodeData& c, std::string_view partNo) {
    const int i = c.GetParts().FindByPartNo(partNo);
    EXPECT_GE(i, 0) << partNo;
    return *c.GetParts().Entry(i);
}

}  // namespace

TEST(CatalogDatabase, PublishedPropertiesAndDataModuleValues) {
    Home home;
    TDataModule1 dm;
    TLOMNodeData& c = *dm.DAVNodeData1;
    std::vector<std::string> names;
    for (const TPropInfo* p : c.ClassInfo().Properties()) names.push_back(p->Name);
    const std::vector<std::string> own = {"OnDiscountChangeStart", "OnDiscountChangeStatus", "OnDiscountChangeEnd",
                                          "OnPartTypeChange", "OnScheduleChange", "OnCurrencyChange",
                                          "ShowDiscountProgress", "PartRef", "CurrencyType", "Schedule", "RootName",
                                          "CustomParts", "CustomDiscountsPath", "DataPath", "MaxDiscount",
                                          "DAVFields"};
    ASSERT_GE(names.size(), own.size());
    EXPECT_EQ(std::vector<std::string>(names.end() - static_cast<long>(own.size()), names.end()), own);
    EXPECT_EQ(c.ClassInfo().FindProperty("OnScheduleChange")->Kind(), TTypeKind::tkMethod);
    EXPECT_EQ(c.ClassInfo().FindProperty("OnScheduleChange")->GetOrd(c), 1);  // the data module assigns it
    EXPECT_EQ(c.ClassInfo().FindProperty("OnDiscountChangeStart")->GetOrd(c), 0);
    EXPECT_EQ(c.Schedule(), "Default");
    EXPECT_EQ(c.GetRootNode().NodeName(), "Products");
    EXPECT_EQ(c.CustomDiscountsPath(), "discounts\\");
    EXPECT_EQ(c.DAVFields()->Count(), 32);
    EXPECT_TRUE(c.ShowDiscountProgress());
    // Custom part numbers come first and are linked.
    EXPECT_EQ(dm.Components(0), dm.CustomPartNumbers1);
    EXPECT_EQ(c.CustomParts(), dm.CustomPartNumbers1);
    EXPECT_EQ(dm.CustomPartNumbers1->FileName(), "CustomParts.ini");
    EXPECT_EQ(dm.CustomPartNumbers1->ConfiguredPath(), "bin\\");
    EXPECT_EQ(dm.LoadErrors().Count(), 0);  // a missing CustomParts.ini is not required
}

TEST(CatalogDatabase, ScheduleSteps) {
    Home home;
    home.Schedule("yen.otdf", "Tokyo", ctYen, {{"Antennas", 0.25}, {"c1", 0.5}});
    home.Schedule("euro.otdf", "Paris", ctEuroDollar, {{"Cable", 0.1}});
    TDataModule1 dm;
    TLOMNodeData& c = *dm.DAVNodeData1;
    home.Listen(c);
    ASSERT_EQ(c.Schedules().Count(), 2);

    // Setting the value in force does nothing, not even an event.
    c.SetSchedule("Default");
    EXPECT_TRUE(home.events.empty());

    // A yen schedule brings the Yes column without a currency change event.
    c.SetSchedule("tokyo - yen");
    EXPECT_EQ(c.Schedule(), "Tokyo - Yen");
    EXPECT_EQ(c.CurrencyType(), ctYen);
    EXPECT_EQ(home.events, (std::vector<std::string>{"start", "end", "schedule"}));
    EXPECT_DOUBLE_EQ(Part(c, "D1").GetPrice(), 14500 * 0.75);
    EXPECT_DOUBLE_EQ(Part(c, "C1").GetPrice(), 1450 * 0.5);
    EXPECT_EQ(home.port->waits, 0);  // the wait cursor was restored

    // The same name in another letter case runs the steps again.
    home.events.clear();
    c.SetSchedule("TOKYO - YEN");
    EXPECT_EQ(c.Schedule(), "Tokyo - Yen");
    EXPECT_EQ(home.events, (std::vector<std::string>{"start", "end", "schedule"}));

    // Switching schedules resets first: nothing of the yen schedule survives.
    c.SetSchedule("Paris - Euros");
    EXPECT_EQ(c.CurrencyType(), ctEuroDollar);
    EXPECT_DOUBLE_EQ(Part(c, "D1").Discount(), 0);
    EXPECT_DOUBLE_EQ(Part(c, "C2").GetPrice(), 19 * 0.9);
    EXPECT_DOUBLE_EQ(Part(c, "D2").GetPrice(), 0);  // no euro price, whatever the discount

    // A name that is not loaded behaves as "Default" in US dollars.
    home.events.clear();
    c.SetSchedule("Nobody - US$");
    EXPECT_EQ(c.Schedule(), "Default");
    EXPECT_EQ(c.CurrencyType(), ctUSDollar);
    EXPECT_EQ(home.events, (std::vector<std::string>{"currency 0", "schedule"}));
    for (const char* p : {"D1", "D2", "C1", "C2"}) EXPECT_EQ(Part(c, p).Discount(), 0) << p;
    EXPECT_TRUE(home.messages.empty());
}

TEST(CatalogDatabase, CurrencyChangeDropsTheScheduleAndRestoresListPrices) {
    Home home;
    home.Schedule("us.otdf", "Home", ctUSDollar, {{"Antennas", 0.2}});
    TDataModule1 dm;
    TLOMNodeData& c = *dm.DAVNodeData1;
    c.SetSchedule("Home - US$");
    Part(c, "D1").SetPrice(55);  // a working price of its own
    home.Listen(c);

    c.SetCurrencyType(ctUSDollar);  // the value in force: the schedule stays
    EXPECT_EQ(c.Schedule(), "Home - US$");
    EXPECT_TRUE(home.events.empty());
    EXPECT_DOUBLE_EQ(Part(c, "D1").GetPrice(), 55 * 0.8);

    c.SetCurrencyType(ctEuroDollar);
    EXPECT_EQ(c.Schedule(), "Default");
    EXPECT_EQ(home.events, (std::vector<std::string>{"currency 3"}));  // no schedule event
    EXPECT_DOUBLE_EQ(Part(c, "D1").Discount(), 0);
    EXPECT_DOUBLE_EQ(Part(c, "D1").GetPrice(), 90);
    c.SetCurrencyType(ctUSDollar);
    EXPECT_DOUBLE_EQ(Part(c, "D1").GetPrice(), 100);  // the list price, not 55
}

TEST(CatalogDatabase, ScheduleFailureIsShownWithTheSetterName) {
    Home home;
    TDataModule1 dm;
    TLOMNodeData& c = *dm.DAVNodeData1;
    c.OnScheduleChange = [](TObject*) { throw Exception("listener failed"); };
    c.SetSchedule("Anything");
    EXPECT_EQ(home.messages, (std::vector<std::string>{"TLOMNodeData.SetSchedulelistener failed"}));
    EXPECT_EQ(c.Schedule(), "Default");  // as far as it got
    EXPECT_EQ(home.port->waits, 0);
}

TEST(CatalogDatabase, CustomDiscountFileCaptureAndCommonDiscounts) {
    Home home;
    TDataModule1 dm;
    TLOMNodeData& c = *dm.DAVNodeData1;
    home.Write("discounts/foreign.otdf", "not a discount file");
    c.LoadCustomDiscountFile((home.dir / "discounts" / "foreign.otdf").string());
    EXPECT_EQ(home.messages, (std::vector<std::string>{"Invalid File Type"}));

    // Both cable parts carry group G2 (letter case aside) and the same discount:
    // the node takes it over; the dishes differ and stay per part.
    Part(c, "C1").SetDiscount(0.3);
    Part(c, "C1").SetDiscountAssigned(true);
    Part(c, "C2").SetDiscount(0.3);
    Part(c, "C2").SetDiscountAssigned(true);
    Part(c, "D2").SetDiscount(0.15);
    Part(c, "D2").SetDiscountAssigned(true);
    c.CollectCommonDiscounts();
    c.CaptureCustomDiscount();
    TCustomDiscount& w = c.WorkingDiscount();
    ASSERT_EQ(w.Count(), 2);
    EXPECT_EQ(&w.Item(0)->ClassInfo(), &TNodeDiscountItem::StaticClass());
    EXPECT_EQ(w.Item(0)->Path(), "Cable");
    EXPECT_DOUBLE_EQ(w.Item(0)->Discount(), 0.3);
    EXPECT_EQ(&w.Item(1)->ClassInfo(), &TPartDiscountItem::StaticClass());
    EXPECT_EQ(w.Item(1)->Path(), "D2");

    const std::string file = (home.dir / "discounts" / "mine.otdf").string();
    w.SetName("Mine");
    w.SaveToFile(file);
    c.ResetDiscounts();
    home.messages.clear();
    c.LoadCustomDiscountFile(file);
    EXPECT_TRUE(home.messages.empty());
    EXPECT_EQ(w.FileName(), file);
    EXPECT_DOUBLE_EQ(Part(c, "C2").Discount(), 0.3);
    EXPECT_DOUBLE_EQ(Part(c, "D2").Discount(), 0.15);
    EXPECT_DOUBLE_EQ(Part(c, "D1").Discount(), 0);
}

namespace {
std::vector<std::string>* gFormLog = nullptr;
class TFakeDiscountEditor : public TObject, public TPagedModalForm {
    ORTELLO_CLASS()
public:
    int PageCount() const override { return 2; }
    void SelectPage(int page) override { gFormLog->push_back("select " + std::to_string(page)); }
    void SetPageVisible(int page, bool v) override {
        gFormLog->push_back("page " + std::to_string(page) + (v ? " shown" : " hidden"));
    }
    int ShowModal() override {
        // The editor leaves discounts in the catalog and saves a new schedule.
        TLOMNodeData& c = *TDataModule1::Instance()->DAVNodeData1;
        c.GetParts().Entry(0)->SetDiscount(0.99);
        TCustomDiscount d;
        d.SetName("Fresh");
        d.SaveToFile(ProgramFolder() + "discounts/fresh.otdf");
        gFormLog->push_back("modal");
        return 1;
    }
    ~TFakeDiscountEditor() override { gFormLog->push_back("released"); }
};
const TClassInfo& TFakeDiscountEditor::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TFakeDiscountEditor>("TfrmDiscountEditor", &TObject::StaticClass()).Build();
    return info;
}
struct TFakeControl : TVisibleControl {
    void SetVisible(bool v) override { gFormLog->push_back(v ? "control shown" : "control hidden"); }
};
}  // namespace

TEST(CatalogDatabase, EditDiscountsReloadsAndReapplies) {
    Home home;
    home.Schedule("s.otdf", "Std", ctUSDollar, {{"Cable", 0.1}});
    TDataModule1 dm;
    TLOMNodeData& c = *dm.DAVNodeData1;
    c.SetSchedule("Std - US$");
    std::vector<std::string> log;
    gFormLog = &log;
    TFakeControl control;
    TPageSet pages;
    pages.set(0);

    // A page outside the visible set: nothing at all.
    Part(c, "C1").SetDiscount(0.5);
    c.EditDiscounts(1, pages, &control);
    EXPECT_DOUBLE_EQ(Part(c, "C1").Discount(), 0.5);

    // Without the editor window only the reload and the fresh application run.
    home.events.clear();
    home.Listen(c);
    c.EditDiscounts(0, pages, &control);
    EXPECT_TRUE(log.empty());
    EXPECT_DOUBLE_EQ(Part(c, "C1").Discount(), 0.1);
    EXPECT_EQ(home.events, (std::vector<std::string>{"start", "end", "schedule"}));

    RegisterClass(TFakeDiscountEditor::StaticClass());
    c.EditDiscounts(0, pages, &control);
    EXPECT_EQ(log, (std::vector<std::string>{"control hidden", "select 0", "page 0 shown", "page 1 hidden", "modal",
                                             "released", "control shown"}));
    EXPECT_DOUBLE_EQ(Part(c, "D1").Discount(), 0);  // what the editor left is gone
    EXPECT_EQ(c.Schedules().IndexOfName("Fresh"), 0);
    EXPECT_EQ(c.Schedule(), "Std - US$");
    gFormLog = nullptr;
}

TEST(CatalogDatabase, CustomerNetPricesAndGroups) {
    Home home;
    TDataModule1 dm;
    TLOMNodeData& c = *dm.DAVNodeData1;
    home.Write("discounts/net.txt", "D1\t100\tusd\nC1\t12.5\tUSD\nNOPE\t1\tUSD\n\nD2\t150.5\tUSD\n");
    home.Write("discounts/groups.txt", "G2\t20\nG1\t50\nG9\t70\n");
    TCustomerNetPrices net;
    TCustomerGroupPrices groups;
    for (TCustomerPriceComponent* p : {static_cast<TCustomerPriceComponent*>(&net), static_cast<TCustomerPriceComponent*>(&groups)})
        p->SetDAVNodeData(&c);
    net.SetFileName("net.txt");
    groups.SetFileName((home.dir / "discounts" / "groups.txt").string());  // a full path works too
    net.LoadData();
    groups.LoadData();
    ASSERT_EQ(net.Prices()->Count(), 4);
    EXPECT_EQ(net.CurrencyType(), ctUSDollar);
    ASSERT_EQ(groups.Groups()->Count(), 3);
    EXPECT_DOUBLE_EQ(groups.Groups()->Item(1)->Discount(), 0.5);

    c.ResetDiscounts();
    net.ApplyNetPrices();
    groups.ApplyGroupDiscounts();
    EXPECT_DOUBLE_EQ(Part(c, "D1").Discount(), 0);       // net equals list
    EXPECT_DOUBLE_EQ(Part(c, "C1").Discount(), -0.25);   // net above list
    EXPECT_DOUBLE_EQ(Part(c, "C1").GetPrice(), 12.5);
    EXPECT_DOUBLE_EQ(Part(c, "D2").GetPrice(), 150.5);   // net-priced parts keep their price
    EXPECT_DOUBLE_EQ(Part(c, "C2").Discount(), 0.2);     // group "g2" matches "G2"
    for (const char* p : {"D1", "D2", "C1", "C2"}) EXPECT_TRUE(Part(c, p).DiscountAssigned()) << p;

    // A group nobody carries changes nothing.
    c.ResetDiscounts();
    home.Write("discounts/groups.txt", "ZZ\t40\n");
    groups.LoadData();
    groups.ApplyGroupDiscounts();
    for (const char* p : {"D1", "D2", "C1", "C2"}) {
        EXPECT_EQ(Part(c, p).Discount(), 0) << p;
        EXPECT_FALSE(Part(c, p).DiscountAssigned()) << p;
    }

    // A missing file leaves the list empty.
    net.SetFileName("absent.txt");
    net.LoadData();
    EXPECT_EQ(net.Prices()->Count(), 0);
}

TEST(CatalogDatabase, MalformedCustomerFilesStopTheLoad) {
    Home home;
    const std::string path = (home.dir / "bad.txt").string();
    struct Case {
        const char* text;
        bool net;
        std::string message;
    } cases[] = {
        {"D1\t100\tUSD\nD2\t200\n", true, "Missing Field 3 in File " + path + " at line 2"},
        {"D1\tlots\tUSD\n", true, "Invalid Number \"lots\" in File " + path + " at line 1"},
        {"D1\t100\tXYZ\nD2\t100\tUSD\n", true, ""},  // only the last line's code counts
        {"D1\t100\tUSD\nD2\t100\tXYZ\n", true, "Unknown Currency Code \"XYZ\" in File " + path + " at line 2"},
        {"G1\n", false, "Missing Field 2 in File " + path + " at line 1"},
        {"G1\t1.5.0\n", false, "Invalid Number \"1.5.0\" in File " + path + " at line 1"},
    };
    for (const Case& k : cases) {
        home.Write("bad.txt", k.text);
        TCustomerNetPrices net;
        TCustomerGroupPrices groups;
        TCustomerPriceComponent& comp = k.net ? static_cast<TCustomerPriceComponent&>(net) : groups;
        comp.SetFileName(path);
        std::string message;
        try {
            comp.LoadData();
        } catch (const std::exception& e) {
            message = e.what();
        }
        EXPECT_EQ(message, k.message) << k.text;
        if (!k.message.empty()) EXPECT_EQ(comp.List()->Count(), 0) << k.text;
    }
}

TEST(CatalogDatabase, RestoreScheduleFromWindowSettings) {
    Home home;
    home.Schedule("a.otdf", "Alpha", ctEuroDollar, {{"Cable", 0.1}});
    home.Schedule("b.otdf", "Beta", ctUSDollar, {{"Cable", 0.2}});
    TDataModule1 dm;
    TLOMNodeData& c = *dm.DAVNodeData1;
    const std::string ini = (home.dir / "data" / "Ortello.INI").string();

    RestoreDiscountSchedule(c);  // no settings yet: the first loaded schedule
    EXPECT_EQ(c.Schedule(), "Alpha - Euros");
    EXPECT_EQ(c.CurrencyType(), ctEuroDollar);

    home.Write("data/Ortello.INI", "[Setup]\nDiscount=Beta - US$\n");
    RestoreDiscountSchedule(c);
    EXPECT_EQ(c.Schedule(), "Beta - US$");
    EXPECT_DOUBLE_EQ(Part(c, "C1").Discount(), 0.2);

    home.Write("data/Ortello.INI", "[Setup]\nDiscount=Gone - US$\n");
    RestoreDiscountSchedule(c, ini);
    EXPECT_EQ(c.Schedule(), "Default");

    // No schedules and nothing stored: "Default".
    fs::remove(home.dir / "discounts" / "a.otdf");
    fs::remove(home.dir / "discounts" / "b.otdf");
    fs::remove(ini);
    c.Schedules().Reload();
    c.SetSchedule("Beta - US$");
    RestoreDiscountSchedule(c);
    EXPECT_EQ(c.Schedule(), "Default");
    EXPECT_EQ(c.CurrencyType(), ctUSDollar);
}

TEST(CatalogDatabase, ChoosersAndLinks) {
    Home home;
    home.Schedule("a.otdf", "beta", ctYen, {});
    home.Schedule("b.otdf", "Alpha", ctUSDollar, {});
    home.Schedule("c.otdf", "ALPHA", ctUSDollar, {});
    auto dm = std::make_unique<TDataModule1>();
    TLOMNodeData& c = *dm->DAVNodeData1;

    auto values = [](TRTTIPropertyEditor& e) {
        std::vector<std::string> v;
        e.GetValues([&](const std::string& s) { v.push_back(s); });
        return v;
    };
    auto schedule = CreateEditor(&c, c.ClassInfo().FindProperty("Schedule"));
    EXPECT_EQ(schedule->ClassName(), "TSchedulePropertyEditor");
    EXPECT_EQ(values(*schedule), (std::vector<std::string>{"Default", "Alpha - US$", "beta - Yen"}));
    schedule->SetValue("beta - Yen");
    EXPECT_EQ(c.CurrencyType(), ctYen);

    auto currency = CreateEditor(&c, c.ClassInfo().FindProperty("CurrencyType"));
    EXPECT_EQ(currency->ClassName(), "TCurrencyTypePE");
    EXPECT_EQ(values(*currency), (std::vector<std::string>{"U S Dollar", "Canada", "Deutschemark", "Euro Dollar", "Yen",
                                                           "Great Britain Pound", "Brazil", "China"}));
    currency->SetValue("great britain pound");
    EXPECT_EQ(c.CurrencyType(), ctGreatBritainPound);
    try {
        currency->SetValue("Kroner");
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid Value in TCurrencyTypePE, Kroner");
    }

    auto partRef = CreateEditor(&c, c.ClassInfo().FindProperty("PartRef"));
    EXPECT_EQ(partRef->ClassName(), "TPartRefPE");
    EXPECT_EQ(values(*partRef), (std::vector<std::string>{"Velmar", "Customer"}));
    partRef->SetValue("Customer 1");
    EXPECT_EQ(c.PartRef(), prCustomer1);
    c.SetPartRef(prVelmar);

    // Links are cleared when what they point at goes away.
    TLOMNodeDataLink link;
    link.SetNodeData(&c);
    delete dm->CustomPartNumbers1;
    EXPECT_EQ(c.CustomParts(), nullptr);
    dm.reset();
    EXPECT_EQ(link.NodeData(), nullptr);
}

TEST(CatalogDatabase, CustomPartNumbersReadTheIniForm) {
    Home home;
    {
        TCustomPartList list;
        for (auto [no, desc] : {std::pair{"CP-2", "custom two"}, {"CP-1", "custom one"}}) {
            TLOMEntry* e = list.AddNewEntry();
            e->SetPartNoText(no);
            e->SetDesc(desc);
            e->SetUSPrice(12.5);
        }
        list.SaveToINIFile((home.dir / "bin" / "CustomParts.ini").string(), "");
    }
    TDataModule1 dm;
    EXPECT_EQ(dm.LoadErrors().Count(), 0);
    TCustomPartList& parts = *dm.CustomPartNumbers1->Parts();
    ASSERT_EQ(parts.Count(), 2);
    const int i = parts.FindByPartNo("cp-1");
    ASSERT_EQ(i, 1);
    EXPECT_EQ(parts.Entry(i)->Desc(), "custom one");
    EXPECT_DOUBLE_EQ(parts.Entry(i)->USPrice(), 12.5);
}
