#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/Startup.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogEditors.h"
#include "catalog/CustomerPrices.h"
#include "catalog/Discounts.h"
#include "library/DataLocations.h"
#include "platform/SettingsStore.h"

using namespace ortello;
namespace fs = std::filesystem;

namespace {

struct Registered {
    Registered() { RegisterAllClasses(); }
} registered;

const std::string kHeader = "PartNo|Desc|USPrice|DiscGrps";

// A catalog component over catalog text, with the data module's columns.
struct Catalog {
    TLOMNodeData data;
    std::vector<std::string> events;

    explicit Catalog(const std::string& body) {
        TStringList fields;
        for (const std::string& f : DefaultDAVFields()) fields.Add(f);
        data.SetDAVFields(&fields);
        data.SetShowDiscountProgress(true);
        data.Container().LoadCatalogText(kHeader + "\r\nCaptions\r\n" + body, "M_dav.dat");
        data.Container().BuildPaths();
        data.OnDiscountChangeStart = [this](TObject*) { events.push_back("start"); };
        data.OnDiscountChangeStatus = [this](int p) { events.push_back(std::to_string(p)); };
        data.OnDiscountChangeEnd = [this](TObject*) { events.push_back("end"); };
    }
    TLOMEntry& Part(std::string_view partNo) {
        const int i = data.GetParts().FindByPartNo(partNo);
        EXPECT_GE(i, 0) << partNo;
        return *data.GetParts().Entry(i);
    }
    TLOMBaseNode& Node(std::string_view path) {
        const int i = data.Container().FindNodeByPath(path);
        EXPECT_GE(i, 0) << path;
        return *data.Container().Node(i);
    }
};

const char* const kTree =
    "[A]\r\n"
    "A1|part a1|100|G1\r\n"
    "{B}\r\n"
    "B1|part b1|200|G1\r\n"
    "B2|part b2|300|G2\r\n"
    "[A.B]\r\n"          // a level-1 node whose name holds a dot: its path is "A.B" as well
    "X1|part x1|50|G2\r\n"
    "[N]\r\n"
    "A|a part named like a node|10|G3\r\n";

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b) s.push_back(static_cast<char>(c));
    return s;
}

}  // namespace

TEST(Discounts, CustomDiscountFileLayout) {
    TCustomDiscount d;
    d.SetName("A");
    d.SetExpirationDate(36526.0);  // 1 January 2000
    d.SetCurrencyType(ctEuroDollar);
    d.AddItem(TNodeDiscountItem::StaticClass(), "N", 0.25);
    d.AddItem(TPartDiscountItem::StaticClass(), "P1", 0.5);
    TMemoryStream s;
    d.SaveToStream(s);

    // Hand-counted: item records 43 and 44 bytes, the list data 90, the whole record 173.
    const std::string expected =
        Bytes({'O', 'T', 'D', 'U', 0xAA, 'D', 'T', 'O'}) +
        Bytes({0x01, 0x04, 173, 0, 0, 0, 0x07, 0x00, 0x07, 3}) + "TCD" +
        Bytes({4}) + "Name" + Bytes({0x06, 1}) + "A" +
        Bytes({14}) + "ExpirationDate" + Bytes({0x05, 0, 0, 0, 0, 0, 0, 0xAE, 0x8E, 0x0E, 0x40}) +
        Bytes({12}) + "CurrencyType" + Bytes({0x07, 12}) + "ctEuroDollar" +
        Bytes({2}) + "PL" + Bytes({0x0A, 90, 0, 0, 0}) +
        Bytes({0x01, 0x09}) +
        Bytes({0x01, 0x04, 43, 0, 0, 0, 0x07, 0x00, 0x07, 4}) + "TNDI" + Bytes({4}) + "Path" + Bytes({0x06, 1}) + "N" +
        Bytes({8}) + "Discount" + Bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFD, 0x3F, 0x00}) +
        Bytes({0x01, 0x04, 44, 0, 0, 0, 0x07, 0x00, 0x07, 4}) + "TPDI" + Bytes({4}) + "Path" + Bytes({0x06, 2}) + "P1" +
        Bytes({8}) + "Discount" + Bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F, 0x00}) +
        Bytes({0x00}) +  // end of the item list
        Bytes({0x00});   // end of the record
    EXPECT_EQ(s.Bytes(), expected);

    TCustomDiscount back;
    s.SetPosition(0);
    back.LoadFromStream(s);
    EXPECT_EQ(back.Name(), "A");
    EXPECT_EQ(back.ExpirationDate(), 36526.0);
    EXPECT_EQ(back.CurrencyType(), ctEuroDollar);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(&back.Item(0)->ClassInfo(), &TNodeDiscountItem::StaticClass());
    EXPECT_EQ(&back.Item(1)->ClassInfo(), &TPartDiscountItem::StaticClass());
    EXPECT_EQ(back.Item(1)->Path(), "P1");
    EXPECT_EQ(back.Item(1)->Discount(), 0.5);
}

TEST(Discounts, DisplayNameLookupsAndClearing) {
    TCustomDiscount d;
    d.SetName("Acme");
    d.SetDefaultSchedule("Base");
    d.SetCurrencyType(ctEuroDollar);
    d.SetFileName("/x/acme.otdf");
    d.SetExpirationDate(40000);
    EXPECT_EQ(d.DisplayName(), "Acme - Euros");
    d.AddItem(TNodeDiscountItem::StaticClass(), "Antennas.Dishes", 0.1);
    d.AddItem(TPartDiscountItem::StaticClass(), "ab-1", 0.2);
    EXPECT_EQ(d.IndexOfPath("AB-1"), 1);
    EXPECT_EQ(d.IndexOfPath("antennas.dishes"), 0);
    EXPECT_EQ(d.IndexOfPath("Antennas"), -1);
    d.Clear();
    EXPECT_EQ(d.Count(), 0);
    EXPECT_EQ(d.Name(), "");
    EXPECT_EQ(d.DefaultSchedule(), "");
    EXPECT_EQ(d.FileName(), "");
    EXPECT_EQ(d.CurrencyType(), ctEuroDollar);
    EXPECT_EQ(d.ExpirationDate(), 40000);

    TCustomDiscounts all;
    for (auto [name, c] : {std::pair{"beta", ctYen}, {"Alpha", ctUSDollar}, {"alpha", ctUSDollar}}) {
        auto s = std::make_unique<TCustomDiscount>();
        s->SetName(name);
        s->SetCurrencyType(c);
        all.Add(std::move(s));
    }
    EXPECT_EQ(all.IndexOfName("ALPHA"), 1);
    EXPECT_EQ(all.IndexOfDisplayName("alpha - us$"), 1);  // the first of two equal display names
    EXPECT_EQ(all.IndexOfDisplayName("beta - Yen"), 0);
    EXPECT_EQ(all.IndexOfDisplayName("beta"), -1);
    // The chooser: "Default" first, then sorted ignoring case, each name once.
    EXPECT_EQ(ScheduleChoices(&all), (std::vector<std::string>{"Default", "Alpha - US$", "beta - Yen"}));
    EXPECT_EQ(ScheduleChoices(nullptr), (std::vector<std::string>{"Default"}));
}

TEST(Discounts, ForeignContentIsRefused) {
    // Another typed file's signature.
    TCustomDiscount d;
    TMemoryStream other;
    other.WriteBuffer("OTHU\xAAHTO", 8);
    TQorPersistent().WriteToStream(other);
    other.SetPosition(0);
    EXPECT_THROW(d.LoadFromStream(other), EInvalidFileSignature);

    // The right signature, but an item that is no discount item.
    TCustomDiscount bad;
    bad.Add(std::make_unique<TCustomerNetPrice>());
    TMemoryStream s;
    bad.SaveToStream(s);
    s.SetPosition(0);
    TCustomDiscount back;
    EXPECT_ANY_THROW(back.LoadFromStream(s));
}

TEST(Discounts, ApplyToCatalogNodesFirstThenParts) {
    Catalog cat(kTree);
    TCustomDiscount d;
    // A part item for "A.B" (node paths win, even for part items), a node item for
    // "A" written after its descendant "A.B", a part of "A" that keeps its own
    // value, "A" as part number that is also the node "A" (node only), and noise.
    d.AddItem(TPartDiscountItem::StaticClass(), "A.B", 0.30);
    d.AddItem(TNodeDiscountItem::StaticClass(), "A", 0.10);
    d.AddItem(TPartDiscountItem::StaticClass(), "b2", 0.40);
    d.AddItem(TNodeDiscountItem::StaticClass(), "Nowhere", 0.90);
    d.AddItem(TNodeDiscountItem::StaticClass(), "N", 0.05);
    cat.data.ResetDiscounts();
    d.ApplyToCatalog(cat.data.Container());

    // "A.B" is both the level-2 node under A and the level-1 node "A.B": the first in
    // file order (the level-2 one) takes it, then "A" overrides its whole subtree.
    EXPECT_TRUE(d.Item(0)->Applied());
    EXPECT_TRUE(d.Item(1)->Applied());
    EXPECT_FALSE(d.Item(2)->Applied());
    EXPECT_FALSE(d.Item(3)->Applied());
    EXPECT_DOUBLE_EQ(cat.Node("A").Discount(), 0.10);
    EXPECT_DOUBLE_EQ(cat.Part("A1").Discount(), 0.10);
    EXPECT_DOUBLE_EQ(cat.Part("B1").Discount(), 0.10);
    EXPECT_DOUBLE_EQ(cat.Part("B2").Discount(), 0.40);  // part items win
    EXPECT_TRUE(cat.Part("B2").DiscountAssigned());
    EXPECT_FALSE(cat.Part("B1").DiscountAssigned());
    EXPECT_TRUE(cat.Node("A").DiscountAssigned());
    EXPECT_DOUBLE_EQ(cat.Part("X1").Discount(), 0);
    // The part named "A" is not touched by the node item "A"; the node "N" gives it 5 %.
    EXPECT_DOUBLE_EQ(cat.Part("A").Discount(), 0.05);
    EXPECT_FALSE(cat.Part("A").DiscountAssigned());
    EXPECT_NEAR(cat.Part("B2").GetPrice(), 180, 1e-9);
}

TEST(Discounts, ProgressEveryHundredTwentyEightItems) {
    struct Case {
        int items;
        std::vector<std::string> events;
    } cases[] = {
        {0, {"start", "end"}},
        {63, {"start", "end"}},                      // k reaches 126
        {64, {"start", "99", "end"}},                // k = 127 of 128
        {300, {"start", "21", "42", "63", "85", "end"}},
    };
    for (const Case& c : cases) {
        Catalog cat(kTree);
        TCustomDiscounts collection(&cat.data);
        auto d = std::make_unique<TCustomDiscount>();
        for (int i = 0; i < c.items; ++i) d->AddItem(TPartDiscountItem::StaticClass(), "P" + std::to_string(i), 0.1);
        d->SetCollection(&collection);
        d->ApplyToCatalog(cat.data.Container());
        EXPECT_EQ(cat.events, c.events) << c.items << " items";
        // Without the collection, or with progress off, nothing is reported.
        cat.events.clear();
        cat.data.SetShowDiscountProgress(false);
        d->ApplyToCatalog(cat.data.Container());
        d->SetCollection(nullptr);
        cat.data.SetShowDiscountProgress(true);
        d->ApplyToCatalog(cat.data.Container());
        EXPECT_TRUE(cat.events.empty()) << c.items << " items";
    }
}

namespace {
struct TempFolder {
    fs::path dir;
    TempFolder() {
        dir = fs::temp_directory_path() / ("ortello-discounts-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "discounts");
        TSettingsStore::SetDefaultPath((dir / "registry.ini").string());
        InitializeModule(TStartupOptions{dir.string()});
    }
    ~TempFolder() {
        fs::remove_all(dir);
        TSettingsStore::SetDefaultPath("");
    }
};
}  // namespace

TEST(Discounts, ReloadListsReadableSchedulesInNameOrder) {
    TempFolder home;
    auto save = [&](const char* file, const char* name, TCurrencyType c) {
        TCustomDiscount d;
        d.SetName(name);
        d.SetCurrencyType(c);
        d.AddItem(TNodeDiscountItem::StaticClass(), "A", 0.1);
        d.SaveToFile((home.dir / "discounts" / file).string());
    };
    save("b.otdf", "Second", ctYen);
    save("a.otdf", "First", ctUSDollar);
    save("c.OTDF", "Third", ctChina);  // the filter ignores letter case
    std::ofstream(home.dir / "discounts" / "foreign.otdf", std::ios::binary) << "OTHU\xAAHTO plus anything";
    std::ofstream(home.dir / "discounts" / "short.otdf", std::ios::binary) << "OTD";
    save("note.txt", "Not listed", ctYen);

    TCustomDiscounts all;
    all.SetFolder("discounts\\");
    all.Reload();
    ASSERT_EQ(all.Count(), 3);
    EXPECT_EQ(all.Item(0)->Name(), "First");
    EXPECT_EQ(all.Item(1)->DisplayName(), "Second - Yen");
    EXPECT_EQ(all.Item(2)->Name(), "Third");
    EXPECT_EQ(all.Item(0)->FileName(), (home.dir / "discounts" / "a.otdf").string());
    EXPECT_EQ(all.Item(0)->Collection(), &all);
    EXPECT_EQ(all.Item(0)->Count(), 1);
    fs::remove(home.dir / "discounts" / "a.otdf");
    all.Reload();
    EXPECT_EQ(all.Count(), 2);
}
