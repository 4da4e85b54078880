#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/Startup.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogTree.h"
#include "library/DataLocations.h"

using namespace ortello;

namespace {

struct Registered {
    Registered() { RegisterAllClasses(); }
} registered;

// A container loaded from catalog text, with the data module's columns.
struct Catalog {
    TLOMNoLoadContainer c;
    TStringList fields;
    std::vector<std::string> errors;
    std::vector<std::pair<int, int>> progress;

    explicit Catalog(const std::string& body, const std::string& header = kHeader) {
        for (const std::string& f : DefaultDAVFields()) fields.Add(f);
        c.Host().DAVFields = &fields;
        c.Host().FileName = "M_dav.dat";
        c.Host().LoadError = [this](const std::string& m) { errors.push_back(m); };
        c.OnProgress = [this](int n, int t) { progress.emplace_back(n, t); };
        c.LoadCatalogText(header + "\r\nCaptions\r\n" + body, "/x/M_dav.dat");
        c.BuildPaths();
    }
    TLOMEntry* Find(std::string_view partNo) {
        const int i = c.Parts().FindByPartNo(partNo);
        return i < 0 ? nullptr : c.Parts().Entry(i);
    }
    TLOMBaseNode* Node(std::string_view path) {
        const int i = c.FindNodeByPath(path);
        return i < 0 ? nullptr : c.Node(i);
    }
    static inline const std::string kHeader = "PartNo|Desc|USPrice|Cancel|Can_price|DiscGrps|ProdCat|XRef|Cancel_ME";
};

}  // namespace

TEST(CatalogFile, NodeMarkersBuildTheTree) {
    Catalog cat(
        "ORPHAN|before any node|1\r\n"
        "[Antennas]\r\n"
        "{Dishes}\r\n"
        "~6 GHz~ignored text\r\n"
        "#Standard#\r\n"
        "`2 ft`\r\n"
        "^Single^\r\n"
        "D1|Dish one|100\r\n"
        "; a comment\r\n"
        " leading blank is a comment too\r\n"
        "\r\n"
        "\t\r\n"
        "[Unclosed\r\n"
        "N1|no description||\r\n"
        "N2||5\r\n"
        "{Cable}\r\n"
        "C1|Cable one|2.5|3.5|99|B2||X-1|4.25\r\n");
    EXPECT_TRUE(cat.errors.empty());
    ASSERT_EQ(cat.c.Count(), 8);
    TLOMBaseNode* single = cat.Node("Antennas.Dishes.6 GHz.Standard.2 ft.Single");
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->Level(), 6);
    ASSERT_EQ(single->Parts().Count(), 1);
    EXPECT_EQ(cat.Node("antennas.dishes"), nullptr);  // paths match in the stored case only
    EXPECT_EQ(cat.c.FindNodeByName("STANDARD"), 3);
    // Without its closing bracket the name is the whole line, first character blanked.
    TLOMBaseNode* unclosed = cat.c.Node(6);
    EXPECT_EQ(unclosed->NodeName(), " Unclosed");
    EXPECT_EQ(unclosed->Parent(), nullptr);
    EXPECT_EQ(cat.c.Root().Children().Count(), 2);
    // Part lines before any node and without a description add nothing; a level-2
    // marker attaches to the last level-1 node.
    EXPECT_EQ(cat.Find("ORPHAN"), nullptr);
    EXPECT_EQ(cat.Find("N2"), nullptr);
    ASSERT_NE(cat.Find("n1"), nullptr);
    EXPECT_EQ(cat.Find("N1")->Parent(), unclosed);
    TLOMBaseNode* cable = cat.Node(" Unclosed.Cable");
    ASSERT_NE(cable, nullptr);
    TLOMEntry* c1 = cat.Find("c1");
    ASSERT_NE(c1, nullptr);
    EXPECT_EQ(c1->Parent(), cable);
    EXPECT_EQ(c1->GetIndexedPrice(ctCanada), 3.5);  // Can_price is not a column we read
    EXPECT_EQ(c1->GetMeasurePrice(ctCanada), 4.25);
    EXPECT_EQ(c1->DefaultPartNo(), "C1");
    EXPECT_EQ(c1->ProdCatText(), "Miscellaneous");
    EXPECT_EQ(c1->MasterPosition(), cat.c.Parts().FindByPartNo("C1"));
}

TEST(CatalogFile, FaultyLinesAreReportedAndSkipped) {
    std::string body = "[A]\r\n";
    for (int i = 0; i < 4; ++i) body += "P" + std::to_string(i) + "|part|1\r\n";
    body += "BAD|part|1,5\r\n";    // line 7
    body += "GOOD|part|2\r\n";
    body += "{B}\r\n";
    body += "~C~\r\n";
    body += "`Too deep`\r\n";      // line 11: no level-4 node yet
    body += "LOST|under a skipped node|1\r\n";
    Catalog cat(body, Catalog::kHeader + "|Weight");
    ASSERT_EQ(cat.errors.size(), 2u);
    EXPECT_EQ(cat.errors[0], "Invalid Field Value \"USPrice\" = \"1,5\" in File M_dav.dat at line 7");
    EXPECT_EQ(cat.errors[1], "Node \"Too deep\" has no parent node in File M_dav.dat at line 11");
    EXPECT_EQ(cat.Find("BAD"), nullptr);
    ASSERT_NE(cat.Find("GOOD"), nullptr);
    EXPECT_EQ(cat.Find("LOST"), nullptr);
    EXPECT_EQ(cat.c.Parts().Count(), 5);
}

TEST(CatalogFile, HeaderFieldWithoutPropertyIsReportedAndLoadingGoesOn) {
    TLOMNoLoadContainer c;
    TStringList fields{"PartNo", "Desc", "Weight"};
    std::vector<std::string> errors;
    c.Host().DAVFields = &fields;
    c.Host().FileName = "M_dav.dat";
    c.Host().LoadError = [&](const std::string& m) { errors.push_back(m); };
    c.LoadCatalogText("PartNo|Weight|Desc\nc\n[A]\nX|3|Thing\n", "f");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Invalid Field Name - Field \"Weight\" in File \"M_dav.dat\" does not exist");
    EXPECT_EQ(c.Parts().Count(), 1);
}

TEST(CatalogFile, EmptyFileHasNoData) {
    TLOMNoLoadContainer c;
    EXPECT_THROW(c.LoadCatalogText("", "f"), ENoDAVData);
    EXPECT_THROW(c.LoadCatalog("/nonexistent/M_dav.dat"), ENoDAVData);
}

TEST(CatalogFile, ProgressEvery256LinesAndAtTheEnd) {
    std::string body = "[A]\r\n";
    for (int i = 0; i < 600; ++i) body += "P" + std::to_string(i) + "|part|1\r\n";
    Catalog cat(body);
    const int lines = 603;
    std::vector<std::pair<int, int>> expected{{255, lines}, {511, lines}, {lines, lines}};
    EXPECT_EQ(cat.progress, expected);
}

TEST(CatalogIndex, LookupsIgnoreCaseAndFindDuplicates) {
    std::string body = "[A]\r\n";
    const char* numbers[] = {"LDF4-50A", "ldf4-50", "LDF4", "AVA5-50", "AVA5-50FX", "A", "Z9", "LDF4-50", "LD"};
    for (const char* n : numbers) body += std::string(n) + "|part " + n + "|1\r\n";
    Catalog cat(body);
    for (const char* n : numbers) {
        TLOMEntry* e = cat.Find(UpperCase(n));
        ASSERT_NE(e, nullptr) << n;
        EXPECT_TRUE(SameText(e->PartNo(), n));
    }
    for (const char* absent : {"LDF4-5", "LDF4-500", "B", "", "ZZ", "AVA5-50F"}) EXPECT_EQ(cat.Find(absent), nullptr) << absent;
    // The prefix trie points at the first sorted key with each indexed prefix.
    TPartIndexedList& view = cat.c.Parts().PartIndex();
    for (const char* prefix : {"ldf4", "AVA5", "A", "LD", "Z9"}) {
        const int at = view.Indexer().Lookup(prefix);
        EXPECT_TRUE(StartsText(prefix, view.Entry(at)->PartNo())) << prefix;
        if (at > 0) EXPECT_FALSE(StartsText(prefix, view.Entry(at - 1)->PartNo())) << prefix;
    }
}

TEST(CatalogEntry, PricesDiscountsAndPartReference) {
    Catalog cat("[A]\r\nP1|Part|100|135|0|G1|Cable|X1\r\nP2|Part two|50|0|0|G1\r\n");
    TLOMEntry* p1 = cat.Find("P1");
    ASSERT_NE(p1, nullptr);
    p1->SetDiscount(0.25);
    EXPECT_EQ(p1->GetPrice(), 75.0);
    EXPECT_EQ(p1->FormattedPrice(), "$75.00");
    SetCurrentCurrency(ctCanada);
    EXPECT_EQ(p1->GetPrice(), 101.25);
    EXPECT_EQ(p1->FormattedPrice(), "CAN$101.25");
    p1->SetPrice(200);  // the working price only
    EXPECT_EQ(p1->GetIndexedPrice(ctCanada), 200.0);
    EXPECT_EQ(p1->ListIndexedPrice(ctCanada), 135.0);
    cat.c.ResetAllDiscounts();
    EXPECT_EQ(p1->GetIndexedPrice(ctCanada), 135.0);
    EXPECT_EQ(p1->Discount(), 0.0);
    SetCurrentCurrency(ctUSDollar);

    SetCurrentPartRef(prCustomer);
    EXPECT_EQ(p1->GetPartNumber(), "X1");
    EXPECT_EQ(cat.Find("P2")->GetPartNumber(), "P2");  // no cross reference
    SetCurrentPartRef(prVelmar);
}

TEST(CatalogNode, DiscountsPassDownAndCollect) {
    Catalog cat("[A]\r\n{B}\r\nP1|Part|100|0|0|G1\r\nP2|Part|50|0|0|G1\r\n{C}\r\nP3|Part|10|0|0|G2\r\n");
    TLOMBaseNode* a = cat.Node("A");
    TLOMBaseNode* b = cat.Node("A.B");
    a->SetDiscount(0.1);
    for (const char* p : {"P1", "P2", "P3"}) EXPECT_EQ(cat.Find(p)->Discount(), 0.1);
    EXPECT_TRUE(a->HasDiscountValue(0.1));
    cat.Find("P3")->SetDiscount(0.3);
    EXPECT_FALSE(a->HasDiscountValue(0.1));
    EXPECT_FALSE(a->CheckUniformDiscount());
    EXPECT_FALSE(a->ChildNodesUniform());

    cat.Find("P1")->SetDiscountAssigned(true);
    b->CollectCommonDiscount();
    EXPECT_EQ(b->CommonDiscGrps(), "G1");
    EXPECT_TRUE(b->DiscountAssigned());
    EXPECT_FALSE(cat.Find("P1")->DiscountAssigned());
    cat.Find("P2")->SetDiscount(0.2);
    b->CollectCommonDiscount();  // parts differ: nothing collected
    EXPECT_EQ(b->CommonDiscGrps(), "");

    b->SetBaselineDiscount(0.05);
    b->RestoreDiscount();
    EXPECT_EQ(b->Discount(), 0.05);
    EXPECT_EQ(cat.Find("P1")->Discount(), 0.0);  // parts return to their own baseline
}

TEST(GraphicFile, ResolvedUnderTheImagesFolder) {
    const auto dir = std::filesystem::temp_directory_path() / ("ortello-img-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "images");
    SetDataLocation(rpHTML, dir.string() + "/");
    auto touch = [&](const char* n) { std::ofstream(dir / "images" / n) << "x"; };
    TLOMEntry e;
    e.SetGraphicFile("dish");
    EXPECT_EQ(e.GraphicFile(), "");
    touch("dish.jpeg");
    EXPECT_EQ(e.GraphicFile(), (dir / "images" / "dish.jpeg").string());
    touch("dish.gif");
    EXPECT_EQ(e.GraphicFile(), (dir / "images" / "dish.gif").string());
    TLOMEntry f;
    f.SetGraphicFile("DISH");  // the same name, found again
    EXPECT_EQ(f.GraphicIndex(), e.GraphicIndex());
    f.SetGraphicFile("photo.png");
    EXPECT_EQ(f.GraphicFile(), "");
    std::filesystem::remove_all(dir);
    SetDataLocation(rpHTML, "");
}

TEST(CatalogEntry, DocumentListsTakeCommaTextWithExtension) {
    TStringList fields{"PartNo", "Desc", "Install_Inst"};
    TLOMNoLoadContainer c;
    c.Host().DAVFields = &fields;
    c.LoadCatalogText("PartNo|Desc|Install_Inst\nc\n[A]\nP|d|guide,sheet.pdf\nQ|e|\n", "f");
    ASSERT_EQ(c.Parts().Count(), 2);
    EXPECT_EQ(c.Parts().Entry(0)->Install_Inst()->CommaText(), "guide.html,sheet.pdf");
    EXPECT_FALSE(c.Parts().Entry(1)->HasDocuments(TBaseDAVEntry::dlInstallInst));
}
