#include "catalog/EntryCopy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/DataModule.h"
#include "app/Startup.h"
#include "library/DataLocations.h"
#include "library/ObjectStream.h"
#include "platform/Clipboard.h"

using namespace ortello;
namespace fs = std::filesystem;

namespace {

struct Registered {
    Registered() { RegisterAllClasses(); }
} registered;

// A controller with the data module's values, not tied to any settings file.
struct Controller {
    TEntryCopyController c;
    Controller() {
        SetEntryCopyDesignValues(c);
        c.SetFileName("");
    }
};

TLOMQuoteEntry* Line(TLOMQuoteList& q) {
    TLOMQuoteEntry* e = q.AddNew();
    e->SetPartNoText("DISH-6");
    e->SetXRef("CUST-6");
    e->SetDesc("6 ft dish");
    e->SetBegFreq("5925");
    e->SetEndingFreq("6425");
    e->SetUSPrice(1234.5);
    e->SetIndexedPrice(ctEuroDollar, 1000);
    e->SetQuantity(2);
    e->SetGroup("Site A");
    return e;
}

struct TempHome {
    fs::path dir;
    TempHome() {
        dir = fs::temp_directory_path() / ("ortello-copy-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "bin");
        SetDataLocation(rpDefaultPath, dir.string() + "/");
    }
    ~TempHome() {
        SetDataLocation(rpDefaultPath, "");
        fs::remove_all(dir);
    }
};

}  // namespace

TEST(EntryCopy, QuoteLineCopiesTheEightSelectedValues) {
    Controller ctl;
    TLOMQuoteList q;
    Line(q);
    EXPECT_EQ(ctl.c.GetCopyText(*q.Entry(0)), "5925\t6 ft dish\t6425\t2,469.00\tSite A\t1,234.50\tDISH-6\t2");
    EXPECT_EQ(ctl.c.GetCaptionLine(*q.Entry(0)),
              "Beginning Frequency\tDescription\tEnding Frequency\tExtended Price ($)\tGroup\tList Price ($)\t"
              "Part Number\tQuantity\t");
    // The list's currency and part reference price and name the line.
    q.SetCurrencyType(ctEuroDollar);
    q.SetPartRef(prCustomer);
    q.RecalculateTotals();
    EXPECT_EQ(ctl.c.GetCopyText(*q.Entry(0)), "5925\t6 ft dish\t6425\t2,000.00\tSite A\t1,000.00\tCUST-6\t2");
    EXPECT_NE(ctl.c.GetCaptionLine(*q.Entry(0)).find("Extended Price (EUR)"), std::string::npos);
}

TEST(EntryCopy, CatalogEntriesAndUnregisteredClasses) {
    Controller ctl;
    // A quote line first, so nothing of it may leak into the catalog entry's text.
    TLOMQuoteList q;
    TLOMQuoteEntry* line = Line(q);
    line->SetIsCable(true);
    line->SetCableLength(100);
    line->SetPricePerFoot(1);
    q.SetCurrencyType(ctEuroDollar);
    (void)ctl.c.GetCopyText(*line);

    TLOMEntry cat;
    cat.SetPartNoText("C1");
    cat.SetDesc("Connector");
    cat.SetUSPrice(26.2);
    EXPECT_EQ(ctl.c.GetCopyText(cat), "\tConnector\t\t26.20\tC1");
    EXPECT_EQ(ctl.c.GetCaptionLine(cat), "Beginning Frequency\tDescription\tEnding Frequency\tList Price ($)\tPart Number\t");

    // Subclasses are not copy classes.
    TLOMClipBoardEntry clip;
    clip.SetPartNoText("X");
    EXPECT_EQ(ctl.c.GetCopyText(clip), "");
    EXPECT_EQ(ctl.c.GetCaptionLine(clip), "");
    EXPECT_EQ(CopyClasses().Count(), 2);
    ASSERT_NE(CopyClasses().Find(TLOMQuoteEntry::StaticClass()), nullptr);
    EXPECT_TRUE(CopyClasses().Find(TLOMQuoteEntry::StaticClass())->HasProperty("GroupTotal"));
    EXPECT_FALSE(CopyClasses().Find(TLOMEntry::StaticClass())->HasProperty("Group"));
}

TEST(EntryCopy, SelectionCaptionsAndDelimiter) {
    Controller ctl;
    TStringList sel{"Quantity", "NoSuchField", "PartNo", "Group"};
    ctl.c.SetSelected(&sel);
    ctl.c.SetDelimeter(';');
    TLOMQuoteList q;
    Line(q);
    EXPECT_EQ(ctl.c.GetCopyText(*q.Entry(0)), "2;DISH-6;Site A");
    // Only names with a caption appear in the caption line; a broken pattern shows as written.
    TStringList captions{"Quantity=Qty %0s %d", "Group=Group"};
    ctl.c.SetCaptions(&captions);
    EXPECT_EQ(ctl.c.GetCaptionLine(*q.Entry(0)), "Qty %0s %d;Group;");
    ctl.c.SetDelimeter(0);
    EXPECT_EQ(ctl.c.GetCopyText(*q.Entry(0)), "2DISH-6Site A");
}

TEST(EntryCopy, QuoteListToTheClipboard) {
    Controller ctl;
    TMemoryClipboard clipboard;
    TLOMQuoteList q;
    q.CopyToClipboard(ctl.c, clipboard);
    EXPECT_FALSE(clipboard.HasText());  // nothing for an empty list
    Line(q);
    TLOMQuoteEntry* second = Line(q);
    second->SetGroup("Site B");
    second->SetOption(true);
    q.CopyToClipboard(ctl.c, clipboard);
    const std::string text = clipboard.GetText();
    EXPECT_EQ(text, ctl.c.GetCaptionLine(*q.Entry(0)) + "\r\n" + ctl.c.GetCopyText(*q.Entry(0)) + "\r\n" +
                        ctl.c.GetCopyText(*second));
    EXPECT_NE(text.find("\t0.00\tSite B\t"), std::string::npos);  // option lines extend to nothing
    EXPECT_NE(text.substr(text.size() - 2), "\r\n");

    // The process-wide copy goes through the first controller and the installed clipboard.
    SetClipboard(std::make_unique<TMemoryClipboard>());
    ASSERT_EQ(TEntryCopyController::ProcessController(), &ctl.c);
    q.CopyToClipboard();
    EXPECT_EQ(Clipboard().GetText(), text);
    EXPECT_EQ(second->GetCopyText(), ctl.c.GetCopyText(*second));
    SetClipboard(nullptr);
}

TEST(EntryCopy, CharacterNamesAndTheDelimiterChooser) {
    const TCharNamesList& names = CharNames();
    ASSERT_EQ(names.Count(), 4 + 95);
    EXPECT_EQ(names.CharName(0)->Name(), "<TAB>");
    EXPECT_EQ(names.CharName(1)->Char(), 13);
    EXPECT_EQ(names.CharName(2)->Char(), 10);
    EXPECT_EQ(names.CharName(3)->Name(), "<SPACE>");
    EXPECT_EQ(names.CharName(4)->Name(), "!");
    EXPECT_EQ(names.CharName(98)->Char(), 127);

    TEntryCopyController c;
    const TPropInfo* prop = c.ClassInfo().FindProperty("Delimeter");
    ASSERT_NE(prop, nullptr);
    EXPECT_EQ(FindEditorClass(&c, prop).Name(), "TDelimeterPE");
    auto editor = CreateEditor(&c, prop);
    EXPECT_EQ(editor->GetValue(), ",");
    EXPECT_EQ(editor->GetAttributes(), unsigned(eaValueList | eaReadOnly));
    struct Case {
        const char* text;
        int code;
        const char* shown;
    } cases[] = {{"<tab>", 9, "<TAB>"}, {"<Space>", 32, "<SPACE>"}, {"|", '|', "|"},
                 {"<BELL>", 0, "#0"}, {"", 0, "#0"}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        editor->SetValue(k.text);
        EXPECT_EQ(c.Delimeter(), k.code);
        EXPECT_EQ(editor->GetValue(), k.shown);
    }
    c.SetDelimeter(0xE9);
    EXPECT_EQ(editor->GetValue(), "\xC3\xA9");
    std::vector<std::string> values;
    editor->GetValues([&](const std::string& v) { values.push_back(v); });
    EXPECT_EQ(values.size(), 99u);
    EXPECT_EQ(values[0], "<TAB>");
}

TEST(EntryCopy, SettingsFileRoundTripAndLifecycle) {
    TempHome home;
    const std::string file = (home.dir / "bin" / "ortello.dat").string();
    {
        TEntryCopyController c;
        SetEntryCopyDesignValues(c);
        c.SetName("EntryCopyController1");
        c.Loaded();  // no file yet: the designed values stay
        EXPECT_EQ(c.Delimeter(), '\t');
        TStringList sel{"PartNo", "Quantity"};
        c.SetSelected(&sel);
        c.SetDelimeter(';');
        EXPECT_EQ(c.SettingsFile(), file);
    }
    // Written on destruction: a component stream, no signature.
    const std::string bytes = ReadFileBytes(file);
    ASSERT_GT(bytes.size(), 30u);
    EXPECT_EQ(bytes.substr(0, 21), "\x14TEntryCopyController");
    EXPECT_NE(bytes.find(std::string("\x02SF\x06\x12PartNo\r\nQuantity\r\n")), std::string::npos);
    EXPECT_NE(bytes.find("\x02" "AF"), std::string::npos);
    EXPECT_NE(bytes.find("Captions.Strings"), std::string::npos);
    EXPECT_EQ(bytes.find("Selected"), std::string::npos);

    TEntryCopyController d;
    SetEntryCopyDesignValues(d);
    d.SetName("EntryCopyController1");
    d.Loaded();
    EXPECT_EQ(d.Delimeter(), ';');
    EXPECT_EQ(d.Selected()->ToVector(), (std::vector<std::string>{"PartNo", "Quantity"}));
    EXPECT_EQ(d.Available()->Count(), 8);
    EXPECT_EQ(d.Captions()->Value("Group"), "Group");

    // A damaged file leaves the designed values and says so.
    {
        // Cut off inside the "SF" value, after the delimiter was read.
        std::ofstream(file, std::ios::binary) << std::string("\x14TEntryCopyController\x14" "EntryCopyController1"
                                                             "\x09" "Delimeter\x06\x01|\x02SF\x06");
    }
    TEntryCopyController e;
    SetEntryCopyDesignValues(e);
    e.SetName("EntryCopyController1");
    e.Loaded();
    EXPECT_EQ(e.Delimeter(), '\t');
    EXPECT_EQ(e.Selected()->Count(), 8);
    e.SetFileName("");  // nothing written for this one
    d.SetFileName("");
}

TEST(EntryCopy, AssignCopiesTheSettings) {
    Controller a;
    TEntryCopyController b;
    b.SetPath("elsewhere\\");
    b.Assign(&a.c);
    EXPECT_EQ(b.Selected()->Count(), 8);
    EXPECT_EQ(b.Available()->Get(6), "PartNo");
    EXPECT_EQ(b.Captions()->Count(), 8);
    EXPECT_EQ(b.Delimeter(), '\t');
    EXPECT_EQ(b.Path(), "elsewhere\\");
}

TEST(EntryCopy, DataModuleControllerReadsAndWritesTheHomesFile) {
    TempHome home;
    {
        TDataModule1 dm;
        ASSERT_NE(dm.EntryCopyController1, nullptr);
        EXPECT_EQ(dm.EntryCopyController1->Name(), "EntryCopyController1");
        // After the state broadcaster, before the list controller.
        int copy = -1, state = -1, lists = -1;
        for (int i = 0; i < dm.ComponentCount(); ++i) {
            if (dm.Components(i) == dm.EntryCopyController1) copy = i;
            if (dm.Components(i) == dm.OTStateController1) state = i;
            if (dm.Components(i) == dm.QORListController1) lists = i;
        }
        EXPECT_LT(state, copy);
        EXPECT_LT(copy, lists);
        dm.EntryCopyController1->SetDelimeter('|');
    }
    ASSERT_TRUE(fs::exists(home.dir / "bin" / "ortello.dat"));
    TDataModule1 again;
    EXPECT_EQ(again.EntryCopyController1->Delimeter(), '|');
    again.EntryCopyController1->SetFileName("");
}
