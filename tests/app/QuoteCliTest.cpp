#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/DataModule.h"
#include "app/Startup.h"
#include "app/cli/CliCommands.h"
#include "catalog/Discounts.h"
#include "catalog/EntryCopy.h"
#include "catalog/QuoteModel.h"
#include "library/DataLocations.h"
#include "platform/SettingsStore.h"
#include "tests/app/TestCli.h"

using namespace ortello;
namespace fs = std::filesystem;

namespace {

const char* const kCatalog =
    "PartNo|Desc|USPrice|Eureka|ProdCat|BegFreq\r\ncaptions\r\n"
    "[A]\r\n{B}\r\nP1|Dish|100|90|Dishes|5925\r\nP4|Dish two|200|180|Dishes|\r\n"
    "[C]\r\nP2|Cable per foot|2|1.8|Cable|\r\nP3|Kit|10|9||\r\n";

struct Home : TTestHome {
    Home() : TTestHome("qcli") {
        Write("data/M_dav.dat", kCatalog);
        RegisterAllClasses();
        // A euro schedule: the node A.B at 25 %, the part P2 at 10 %.
        TCustomDiscount d;
        d.SetName("Dist");
        d.SetCurrencyType(ctEuroDollar);
        d.AddItem(TNodeDiscountItem::StaticClass(), "A.B", 0.25);
        d.AddItem(TPartDiscountItem::StaticClass(), "P2", 0.1);
        d.SaveToFile((dir / "discounts" / "dist.otdf").string());
    }
    int Run(std::vector<std::string> args, std::string& out, std::string& err) const {
        return RunCli(*this, std::move(args), out, err);
    }
};

std::unique_ptr<TLOMQuoteList> Load(const std::string& path) {
    auto q = std::make_unique<TLOMQuoteList>();
    q->LoadFromFile(path);
    return q;
}

}  // namespace

TEST(QuoteCli, BuildMergesLinesAndSaves) {
    Home home;
    std::string out, err;
    const std::string file = home.Path("quotes/a.otq");
    ASSERT_EQ(home.Run({"quote", "build", "-o", file, "--terms", "Export", "p1:2", "P2", "P1:3", "P1:1:Site B",
                        "P3", "--option", "P3", "--cable", "P2:150:1.5:20"},
                       out, err),
              0)
        << err;
    auto q = Load(file);
    ASSERT_EQ(q->Count(), 4);
    EXPECT_EQ(q->TermsGroup(), "Export");
    EXPECT_EQ(q->DiscountSchedule(), "Default");
    EXPECT_EQ(q->CurrencyType(), ctUSDollar);
    EXPECT_EQ(q->Entry(0)->PartNo(), "P1");
    EXPECT_EQ(q->Entry(0)->Quantity(), 5);  // same part, same group: one line
    EXPECT_EQ(q->Entry(0)->Group(), "Dishes");
    EXPECT_EQ(q->Entry(2)->Group(), "Site B");
    EXPECT_EQ(q->Entry(2)->Quantity(), 1);
    EXPECT_TRUE(q->Entry(3)->Option());
    const TLOMQuoteEntry& cable = *q->Entry(1);
    EXPECT_TRUE(cable.IsCable());
    EXPECT_EQ(cable.CableLength(), 150);
    EXPECT_DOUBLE_EQ(cable.GetPrice(), 2 + 150 * 1.5 + 20);
    EXPECT_DOUBLE_EQ(q->Total(), 500 + 247 + 100);
    EXPECT_NE(out.find("\"FileName\": \"" + file + "\""), std::string::npos) << out;

    // Unknown parts: every one named, nothing written.
    const std::string other = home.Path("quotes/b.otq");
    EXPECT_EQ(home.Run({"quote", "build", "-o", other, "P1", "NOPE", "ZZ:2"}, out, err), 1);
    EXPECT_NE(err.find("NOPE, ZZ"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(other));
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"quote", "build", "-o", other, "P1:0"},
             {"quote", "build", "-o", other, "P1:x"},
             {"quote", "build", "-o", other, "--schedule", "Nobody - US$", "P1"},
             {"quote", "build", "-o", other, "--currency", "ctMars", "P1"},
             {"quote", "build", "-o", other, "--option", "P2", "P1"},
             {"quote", "build", "P1"}}) {
        EXPECT_NE(home.Run(bad, out, err), 0) << bad.back();
        EXPECT_FALSE(err.empty());
        EXPECT_FALSE(fs::exists(other));
    }
}

TEST(QuoteCli, ScheduleAndCurrency) {
    Home home;
    std::string out, err;
    const std::string file = home.Path("quotes/eu.otq");
    ASSERT_EQ(home.Run({"quote", "build", "-o", file, "--schedule", "dist - euros", "P1", "P2", "P3"}, out, err), 0)
        << err;
    auto q = Load(file);
    EXPECT_EQ(q->DiscountSchedule(), "Dist - Euros");
    EXPECT_EQ(q->CurrencyType(), ctEuroDollar);
    EXPECT_DOUBLE_EQ(q->Entry(0)->Discount(), 0.25);  // by its node
    EXPECT_DOUBLE_EQ(q->Entry(0)->GetPrice(), 67.5);
    EXPECT_DOUBLE_EQ(q->Entry(1)->Discount(), 0.1);  // by its part number
    EXPECT_DOUBLE_EQ(q->Entry(2)->Discount(), 0);    // not in the schedule

    ASSERT_EQ(home.Run({"quote", "build", "-o", file, "--currency", "ctEuroDollar", "P1"}, out, err), 0) << err;
    q = Load(file);
    EXPECT_EQ(q->CurrencyType(), ctEuroDollar);
    EXPECT_DOUBLE_EQ(q->Entry(0)->GetPrice(), 90);
}

TEST(QuoteCli, ShowSaveAndCopyText) {
    Home home;
    std::string out, err;
    const std::string file = home.Path("quotes/a.otq");
    ASSERT_EQ(home.Run({"quote", "build", "-o", file, "--schedule", "Dist - Euros", "P1:2", "P3", "--option", "P3"},
                       out, err),
              0)
        << err;

    ASSERT_EQ(home.Run({"quote", file}, out, err), 0) << err;
    for (const char* part : {"\"CurrencyType\": \"ctEuroDollar\"", "\"PartRef\": \"prVelmar\"",
                             "\"DiscountSchedule\": \"Dist - Euros\"", "\"PageCount\": -1", "\"FreightCharges\": 0",
                             "\"Price\": 67.5", "\"Extended\": 135", "\"Option\": true", "\"Total\": 135\n}"})
        EXPECT_NE(out.find(part), std::string::npos) << part << "\n" << out;

    const std::string copy = home.Path("quotes/copy.otq");
    ASSERT_EQ(home.Run({"quote", file, "--save", copy}, out, err), 0) << err;
    EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(file));

    ASSERT_EQ(home.Run({"quote", file, "--copy-text"}, out, err), 0) << err;
    EXPECT_EQ(out,
              "Beginning Frequency\tDescription\tEnding Frequency\tExtended Price (EUR)\tGroup\tList Price (EUR)\t"
              "Part Number\tQuantity\t\r\n"
              "\tDish\t\t135.00\tDishes\t67.50\tP1\t2\r\n"  // frequencies are not kept in quotation files
              "\tKit\t\t0.00\tMiscellaneous\t9.00\tP3\t1");
    // The home's own settings decide what is copied.
    ASSERT_TRUE(fs::exists(home.dir / "bin" / "ortello.dat"));
    {
        SetDataLocation(rpDefaultPath, home.dir.string() + "/");
        TEntryCopyController c;
        SetEntryCopyDesignValues(c);
        TStringList sel{"PartNumber", "Quantity"};
        c.SetSelected(&sel);
        c.SetDelimeter(';');
    }
    ASSERT_EQ(home.Run({"quote", file, "--copy-text"}, out, err), 0) << err;
    EXPECT_EQ(out, "Part Number;Quantity;\r\nP1;2\r\nP3;1");

    EXPECT_EQ(home.Run({"quote", home.Path("quotes/none.otq")}, out, err), 1);
    EXPECT_NE(err.find("File Does Not Exist"), std::string::npos) << err;
    std::ofstream(home.dir / "quotes" / "junk.otq", std::ios::binary) << "not a quotation";
    EXPECT_EQ(home.Run({"quote", home.Path("quotes/junk.otq")}, out, err), 1);
    EXPECT_NE(err.find("Invalid File Type in TLOMQuoteList"), std::string::npos) << err;
}
