#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/DataModule.h"
#include "app/Startup.h"
#include "app/cli/CliCommands.h"
#include "catalog/Currency.h"
#include "library/DataLocations.h"
#include "platform/SettingsStore.h"
#include "tests/TestHome.h"
#include "tests/app/TestCli.h"

using namespace ortello;
namespace fs = std::filesystem;

namespace {

// A temporary application home and settings store.
struct Home : TTestHome {
    Home() : TTestHome("home") {}
    void Start() const { InitializeModule(TStartupOptions{dir.string()}); }
};

const char* const kCatalog =
    "PartNo|Desc|USPrice\r\ncaptions\r\n[Antennas]\r\n{Dishes}\r\nD1|Dish|100\r\nD2|Dish two|1x\r\nD3|Dish three|3\r\n";

}  // namespace

TEST(Startup, RegisteredFoldersAndCreatedFolders) {
    Home home;
    home.Write("registry.ini",
               "[HKEY_CURRENT_USER\\Software\\Velmar\\HTML]\nPath=  /srv/html \n"
               "[HKEY_CURRENT_USER\\Software\\Velmar\\Ravek]\nPath=/opt/ravek/\n");
    TSettingsStore::SetDefaultPath((home.dir / "registry.ini").string());
    home.Start();
    EXPECT_EQ(ProgramFolder(), home.dir.string() + "/");
    EXPECT_EQ(DataLocation(rpHTML), "/srv/html/");
    EXPECT_EQ(DataLocation(rpRavek), "/opt/ravek/");
    EXPECT_EQ(DataLocation(rpCommonFiles), "");
    EXPECT_EQ(ImagesFolder(), "/srv/html/images/");
    EXPECT_TRUE(fs::is_directory(home.dir / "bin"));
    EXPECT_TRUE(fs::is_directory(home.dir / "quotes"));
    // Missing keys are created empty.
    TSettingsStore store((home.dir / "registry.ini").string());
    EXPECT_TRUE(store.KeyExists("HKCU\\Software\\Velmar\\Common Files"));
    EXPECT_EQ(store.ReadString("HKEY_CURRENT_USER\\Software\\Velmar\\HTML", "Path"), "  /srv/html ");
}

TEST(Startup, FaultyCatalogLineGivesOneLoadErrorAndTheRestLoads) {
    Home home;
    home.Write("data/M_dav.dat", kCatalog);
    home.Start();
    TDataModule1 dm;
    ASSERT_EQ(dm.LoadErrors().Count(), 1);
    EXPECT_EQ(dm.LoadErrors()[0], "Invalid Field Value \"USPrice\" = \"1x\" in File M_dav.dat at line 5");
    EXPECT_EQ(dm.LoadErrors().GetObject(0), dm.DAVNodeData1);
    EXPECT_EQ(dm.DAVNodeData1->GetParts().Count(), 2);
    EXPECT_EQ(dm.DAVNodeData1->GetRootNode().NodeName(), "Products");
    EXPECT_EQ(dm.DAVNodeData1->Container().Node(1)->Path(), "Antennas.Dishes");
}

TEST(Startup, CatalogPricingEventsReachStateClients) {
    Home home;
    home.Start();
    TDataModule1 dm;
    TOTStateClient client(nullptr);
    client.SetController(dm.OTStateController1);
    std::vector<std::string> heard;
    client.OnCurrencyChange = [&](TObject*, int c) { heard.push_back("currency " + std::to_string(c)); };
    client.OnPartRefChange = [&](TObject*) { heard.push_back("partref"); };
    client.OnDiscountChange = [&](TObject*) { heard.push_back("discount"); };
    dm.DAVNodeData1->SetCurrencyType(ctYen);
    dm.DAVNodeData1->SetPartRef(prCustomer);
    dm.DAVNodeData1->SetPartRef(prCustomer);
    dm.DAVNodeData1->SetSchedule("Other");
    EXPECT_EQ(heard, (std::vector<std::string>{"currency 4", "partref", "currency 0", "discount"}));
    dm.DAVNodeData1->SetPartRef(prVelmar);
}

TEST(Startup, CatalogLookupOrderAndMissingFiles) {
    Home home;
    home.Start();
    {
        TDataModule1 dm;  // no catalog anywhere: empty, no error
        EXPECT_EQ(dm.LoadErrors().Count(), 0);
        EXPECT_EQ(dm.DAVNodeData1->LoadedFile(), "");
    }
    // The common files folder wins over the home's data folder.
    home.Write("data/M_dav.dat", "PartNo|Desc\nc\n[A]\nX|x\n");
    home.Write("common/M_dav.dat", "PartNo|Desc\nc\n[A]\nY|y\nZ|z\n");
    TSettingsStore::Default().WriteString("HKCU\\Software\\Velmar\\Common Files", "Path", (home.dir / "common").string());
    home.Start();
    TDataModule1 dm;
    EXPECT_EQ(dm.DAVNodeData1->LoadedFile(), (home.dir / "common" / "M_dav.dat").string());
    EXPECT_EQ(dm.DAVNodeData1->GetParts().Count(), 2);
}

TEST(Startup, CatalogWithoutLinesBecomesALoadError) {
    Home home;
    home.Write("data/M_dav.dat", "");
    home.Start();
    TDataModule1 dm;
    ASSERT_EQ(dm.LoadErrors().Count(), 1);
    EXPECT_NE(dm.LoadErrors()[0].find("holds no data"), std::string::npos);
}

TEST(CurrencyText, AmountsAndRelabelling) {
    FormatSettings() = TFormatSettings::UnitedStates();
    EXPECT_EQ(CurrencyAmountText(ctEuroDollar, 1234.5), "EUR1,234.50");
    EXPECT_EQ(CurrencyAmountText(ctYen, 5), "\xC2\xA5" "5.00");
    EXPECT_EQ(CurrencyAmountText(ctUSDollar, -2), "$(2.00)");
    EXPECT_EQ(PlainCurrencyText(1234.5, true), "$1,234.50");
    EXPECT_EQ(RelabelCurrency(ctCanada, "1234.5"), "CAN$1234.50");
    EXPECT_EQ(RelabelCurrency(ctGreatBritainPound, "$7.125"), "\xC2\xA3" "7.13");
    EXPECT_THROW(RelabelCurrency(ctCanada, "$1,234.50"), EConvertError);
    EXPECT_THROW(RelabelCurrency(ctCanada, "n/a"), EConvertError);
    TCurrencyType c;
    ASSERT_TRUE(CurrencyFromCode("cny", c));
    EXPECT_EQ(c, ctChina);
    EXPECT_FALSE(CurrencyFromCode("XYZ", c));
}

TEST(SettingsStore, FileFormatIsStable) {
    Home home;
    const std::string path = (home.dir / "store.ini").string();
    {
        TSettingsStore s(path);
        s.WriteString("HKCU\\Software\\Velmar\\QuickUpdate", "Interval", "7");
        s.WriteString("HKEY_CURRENT_USER\\Software\\Velmar\\QuickUpdate\\Last", "@", "yesterday");
        s.WriteString("HKEY_CURRENT_USER\\Software\\Velmar\\QuickUpdate\\Last", "", "today");
    }
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(),
              "[HKEY_CURRENT_USER\\Software\\Velmar\\QuickUpdate]\nInterval=7\n\n"
              "[HKEY_CURRENT_USER\\Software\\Velmar\\QuickUpdate\\Last]\n@=today\n\n");
    TSettingsStore s(path);
    EXPECT_EQ(s.ReadString("hkey_current_user\\software\\velmar\\quickupdate", "INTERVAL"), "7");
    EXPECT_EQ(s.SubKeyNames("HKCU\\Software\\Velmar\\QuickUpdate"), std::vector<std::string>{"Last"});
    EXPECT_EQ(s.SubKeyNames("HKCU\\Software\\Velmar"), std::vector<std::string>{"QuickUpdate"});
    EXPECT_TRUE(s.DeleteKey("HKCU\\Software\\Velmar"));
    EXPECT_FALSE(s.KeyExists("HKCU\\Software\\Velmar\\QuickUpdate\\Last"));
}

TEST(Cli, CatalogCommands) {
    Home home;
    home.Write("data/M_dav.dat", "PartNo|Desc|USPrice|Cancel\r\nc\r\n[A]\r\n{B}\r\nAB-1|Thing \xB0|12.5|13\r\n");
    auto run = [&](std::vector<std::string> args, std::string& out, std::string& err) {
        return RunCli(home, std::move(args), out, err);
    };
    std::string out, err;
    ASSERT_EQ(run({"catalog", "find", "ab-1"}, out, err), 0) << err;
    EXPECT_NE(out.find("\"Desc\": \"Thing \xC2\xB0\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"NodePath\": \"A.B\""), std::string::npos);
    EXPECT_NE(out.find("12.5,\n    13,\n    0,"), std::string::npos) << out;
    EXPECT_EQ(run({"catalog", "find", "nope"}, out, err), 1);
    EXPECT_NE(err.find("nope"), std::string::npos);
    ASSERT_EQ(run({"catalog", "node", "A"}, out, err), 0);
    EXPECT_NE(out.find("\"Children\": [\n    \"B\"\n  ]"), std::string::npos) << out;
    ASSERT_EQ(run({"catalog", "stats"}, out, err), 0);
    EXPECT_NE(out.find("\"parts\": 1"), std::string::npos);
    EXPECT_EQ(run({"frobnicate"}, out, err), 2);
    ASSERT_EQ(run({"props", "TLOMEntry"}, out, err), 0) << err;
    EXPECT_NE(out.find("\"name\": \"PartNo\""), std::string::npos);
    EXPECT_NE(out.find("\"editor\": \"TPartNoPropertyEditor\""), std::string::npos) << out.substr(0, 2000);
    EXPECT_EQ(run({"props", "TNoSuchClass"}, out, err), 1);

    TLOMEntry entry;
    entry.SetPartNoText("AB-1");
    entry.SetDesc("Dish 2\xC2\xB0");
    entry.SetUSPrice(12.5);
    const std::string file = (home.dir / "entry.bin").string();
    entry.SaveToFile(file);
    ASSERT_EQ(run({"dump", file}, out, err), 0) << err;
    EXPECT_NE(out.find("\"signature\": null"), std::string::npos) << out;
    EXPECT_NE(out.find("\"class\": \"TLOMEntry\""), std::string::npos);
    EXPECT_NE(out.find("\"Dish 2\xC2\xB0\""), std::string::npos);
    home.Write("broken.bin", "TPF0\x09TLOMEntry");
    EXPECT_EQ(run({"dump", (home.dir / "broken.bin").string()}, out, err), 1);
    EXPECT_FALSE(err.empty());
}
