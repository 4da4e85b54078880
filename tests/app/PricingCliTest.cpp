#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "app/Startup.h"
#include "app/cli/CliCommands.h"
#include "catalog/Discounts.h"
#include "library/MessagePort.h"
#include "platform/SettingsStore.h"
#include "tests/app/TestCli.h"

using namespace ortello;
namespace fs = std::filesystem;

namespace {

struct Home : TTestHome {
    Home() : TTestHome("pricing") {
        Write("data/M_dav.dat",
              "PartNo|Desc|USPrice|Eureka|DiscGrps\r\nc\r\n"
              "[Antennas]\r\nA1|Antenna one|100|80|G1\r\nA2|Antenna two|200|160|G1\r\n"
              "[Cable]\r\nC1|Cable one|10|8|G2\r\nC2|Cable two|20|16|G3\r\n");
    }
    ~Home() { SetCurrentCurrency(ctUSDollar); }
    int Run(std::vector<std::string> args, std::string& out, std::string& err) const {
        return RunCli(*this, std::move(args), out, err);
    }
    std::string File(const char* rel) const { return (dir / rel).string(); }
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(PricingCli, BuildListAndPriceASchedule) {
    Home home;
    home.Write("discounts/net.txt", "A1\t75\tEUR\n");
    home.Write("discounts/groups.txt", "G1\t10\nG2\t25\n");
    std::string out, err;
    // The net file is in euros, the group list in US dollars: refused, nothing written.
    EXPECT_EQ(home.Run({"schedule", "build", "--name", "Mixed", "--net", "net.txt", "--group", "groups.txt", "-o",
                        home.File("discounts/mixed.otdf")},
                       out, err),
              1);
    EXPECT_EQ(err, "Currency Type Does Not Match On Discount Files\n");
    EXPECT_FALSE(fs::exists(home.dir / "discounts" / "mixed.otdf"));

    ASSERT_EQ(home.Run({"schedule", "build", "--name", "Euro Net", "--currency", "ctEuroDollar", "--net", "net.txt",
                        "--expires", "2031-02-03", "-o", home.File("discounts/euro.otdf")},
                       out, err),
              0)
        << err;
    EXPECT_TRUE(Contains(out, "\"DisplayName\": \"Euro Net - Euros\"")) << out;
    EXPECT_TRUE(Contains(out, "\"Items\": 1"));

    home.Write("discounts/groups.txt", "G1\t10\nG2\t25\nG3\t25\n");
    ASSERT_EQ(home.Run({"schedule", "build", "--name", "Groups", "--group", "groups.txt", "-o",
                        home.File("discounts/groups.otdf")},
                       out, err),
              0)
        << err;
    // Both antennas share G1 and 10 %: the node item replaces the part items; the
    // cables differ in group, so they stay part items.
    TCustomDiscount saved;
    saved.LoadFromFile(home.File("discounts/groups.otdf"));
    ASSERT_EQ(saved.Count(), 3);
    EXPECT_EQ(saved.Item(0)->Path(), "Antennas");
    EXPECT_EQ(saved.Item(1)->Path(), "C1");
    EXPECT_EQ(saved.CurrencyType(), ctUSDollar);

    ASSERT_EQ(home.Run({"schedules"}, out, err), 0) << err;
    EXPECT_TRUE(Contains(out, "\"Name\": \"Euro Net\",\n    \"DisplayName\": \"Euro Net - Euros\",\n"
                              "    \"CurrencyType\": \"ctEuroDollar\",\n"
                              "    \"ExpirationDate\": \"2031-02-03 00:00:00\",\n"
                              "    \"File\": \"" + home.File("discounts/euro.otdf") + "\",\n    \"Items\": 1"))
        << out;
    EXPECT_LT(out.find("Euro Net"), out.find("Groups"));  // euro.otdf lists before groups.otdf

    ASSERT_EQ(home.Run({"catalog", "price", "a1", "--schedule", "euro net - euros"}, out, err), 0) << err;
    EXPECT_TRUE(Contains(out, "\"Schedule\": \"Euro Net - Euros\"")) << out;
    EXPECT_TRUE(Contains(out, "\"CurrencyType\": \"ctEuroDollar\""));
    EXPECT_TRUE(Contains(out, "\"ListPrice\": 80"));
    EXPECT_TRUE(Contains(out, "\"Price\": 75"));
    EXPECT_TRUE(Contains(out, "\"PriceText\": \"EUR75.00\""));

    // Currency first, then schedule: a schedule brings its own currency.
    ASSERT_EQ(home.Run({"catalog", "price", "C1", "--currency", "ctEuroDollar", "--schedule", "Groups - US$"}, out,
                       err),
              0);
    EXPECT_TRUE(Contains(out, "\"CurrencyType\": \"ctUSDollar\"")) << out;
    EXPECT_TRUE(Contains(out, "\"Price\": 7.5"));
    // A currency alone drops to "Default".
    ASSERT_EQ(home.Run({"catalog", "price", "C1", "--currency", "ctEuroDollar"}, out, err), 0);
    EXPECT_TRUE(Contains(out, "\"Schedule\": \"Default\"")) << out;
    EXPECT_TRUE(Contains(out, "\"Price\": 8"));
}

TEST(PricingCli, RefusalsWriteNothing) {
    Home home;
    home.Write("discounts/net.txt", "A1\t75\tUSD\n");
    home.Write("discounts/badnet.txt", "A1\t75\tUSD\nA2\t80\tXXX\n");
    std::string out, err;
    ASSERT_EQ(home.Run({"schedule", "build", "--name", "Taken", "--net", "net.txt", "-o",
                        home.File("discounts/taken.otdf")},
                       out, err),
              0)
        << err;
    const std::string target = home.File("discounts/new.otdf");
    struct Case {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"--name", "  "}, "Discount Schedule Must Have a Name"},
        {{"--name", "DEFAULT"}, "'Default' Used By System"},
        {{"--name", "taken"}, "Discount Schedule With the Name taken Already Exists, Save Anyway?"},
        {{"--name", "X", "--net", "missing.txt"}, "missing.txt : File Does Not Exist"},
        {{"--name", "X", "--net", "badnet.txt"}, "Unknown Currency Code \"XXX\""},
        {{"--name", "X", "--currency", "ctKroner"}, "Unknown currency \"ctKroner\""},
        {{"--name", "X", "--expires", "2031-13-01"}, "Invalid date \"2031-13-01\""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"schedule", "build"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"-o", target});
        EXPECT_EQ(home.Run(args, out, err), 1) << c.error;
        EXPECT_TRUE(Contains(err, c.error)) << err;
        EXPECT_FALSE(fs::exists(target)) << c.error;
    }
    // Answering the question with --yes saves.
    EXPECT_EQ(home.Run({"schedule", "build", "--name", "taken", "--yes", "-o", target}, out, err), 0) << err;
    EXPECT_TRUE(fs::exists(target));
}
