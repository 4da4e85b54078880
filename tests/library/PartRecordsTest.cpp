#include "library/PartRecords.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "library/Indexer.h"
#include "library/ListComponents.h"
#include "library/PropertyEditors.h"

using namespace ortello;

namespace {

const TTypeInfo* ColourType() {
    static const TTypeInfo* t = MakeEnumType("TTestColour", {"tcRed", "tcGreen", "tcBlue"});
    return t;
}
const TTypeInfo* SmallType() {
    static const TTypeInfo* t = MakeSubrangeType("TSmall", TypeInteger(), 0, 10);
    return t;
}

// A record with a property of each kind the readers convert.
class TTestRecord : public TQorPersistent {
    ORTELLO_CLASS()
public:
    std::string Name() const { return name_; }
    void SetName(std::string_view v) { name_ = v; }
    int Count() const { return count_; }
    void SetCount(int v) { count_ = v; }
    double Price() const { return price_; }
    void SetPrice(double v) { price_ = v; }
    int Colour() const { return colour_; }
    void SetColour(int v) { colour_ = v; }
    bool Flag() const { return flag_; }
    void SetFlag(bool v) { flag_ = v; }
    char Mark() const { return mark_; }
    void SetMark(char v) { mark_ = v; }
    void Clear() override {
        name_.clear();
        count_ = 0;
        price_ = 0;
        colour_ = 0;
        flag_ = false;
        mark_ = 0;
    }
    void Assign(const TPersistent* s) override {
        if (auto* o = dynamic_cast<const TTestRecord*>(s)) {
            name_ = o->name_;
            count_ = o->count_;
            price_ = o->price_;
            colour_ = o->colour_;
            flag_ = o->flag_;
            mark_ = o->mark_;
        }
    }

private:
    std::string name_;
    int count_ = 0;
    double price_ = 0;
    int colour_ = 0;
    bool flag_ = false;
    char mark_ = 0;
};

const TClassInfo& TTestRecord::StaticClass() {
    using C = TTestRecord;
    static const TClassInfo& info = *ClassBuilder<C>("TTestRecord", &TQorPersistent::StaticClass())
                                         .Prop("Name", TypeString(), &C::Name, &C::SetName)
                                         .Prop("Count", SmallType(), &C::Count, &C::SetCount)
                                         .Prop("Price", TypeDouble(), &C::Price, &C::SetPrice)
                                         .Prop("Colour", ColourType(), &C::Colour, &C::SetColour)
                                         .Prop("Flag", TypeBoolean(), &C::Flag, &C::SetFlag)
                                         .Prop("Mark", TypeChar(), &C::Mark, &C::SetMark)
                                         .Build();
    return info;
}

class TTestList : public TQORFileDataList {
public:
    TTestList() : TQORFileDataList(true) {}
    const TClassInfo* ItemClass() const override { return &TTestRecord::StaticClass(); }
    TTestRecord* At(int i) const { return ItemAs<TTestRecord>(i); }
};

class TTestOSKList : public TOSKDataList {
public:
    TTestOSKList() : TOSKDataList(true) {}
    const TClassInfo* ItemClass() const override { return &TTestRecord::StaticClass(); }
};

struct Setup {
    Setup() { RegisterLibraryEditors(); }
} setup;

std::vector<std::string> Split(std::string_view line, char d) {
    std::vector<std::string_view> v;
    SplitPartFields(line, d, v);
    return {v.begin(), v.end()};
}

}  // namespace

TEST(SplitPartFields, FieldsEndAtDelimiterOrControlCharacter) {
    struct Case {
        const char* line;
        char delimiter;
        std::vector<std::string> fields;
    } cases[] = {
        {"a||b", '|', {"a", "", "b"}},
        {"|a", '|', {"", "a"}},
        {"a|", '|', {"a"}},
        {"a\tb", '|', {"a", "b"}},
        {"a\t\tb", '\t', {"a", "b"}},  // control characters before the delimiter are skipped
        {"\t\x01 a |b ", '|', {" a ", "b "}},
        {"caf\xC3\xA9|x", '|', {"caf\xC3\xA9", "x"}},
        {"", '|', {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Split(c.line, c.delimiter), c.fields) << c.line;
    EXPECT_EQ(Split(std::string_view("a|b\0c|d", 7), '|'), (std::vector<std::string>{"a", "b"}));
    // Code 0 ends the text even when it is the delimiter.
    EXPECT_EQ(Split(std::string_view("\t\xAF\x10\0\xAF", 5), '\0'), (std::vector<std::string>{"\xAF"}));
}

TEST(PartStrings, SpaceIsNeverADelimiter) {
    TPartStrings s;
    s.SetDelimiter(' ');
    EXPECT_EQ(s.Delimiter(), '|');
    s.SetLine("a b|c");
    ASSERT_EQ(s.Count(), 2);
    EXPECT_EQ(s[0], "a b");
}

TEST(PartProps, AppliesLineThroughEditorsOfEachKind) {
    TPartProps props("name|COUNT|Price|Colour|Flag|Mark", true, TTestRecord::StaticClass());
    EXPECT_EQ(props.BoundCount(), 6);
    ASSERT_TRUE(props.ParseLine("Dish|7|12.5|TCBLUE|true|#65"));
    auto* t = static_cast<TTestRecord*>(props.Template());
    EXPECT_EQ(t->Name(), "Dish");
    EXPECT_EQ(t->Count(), 7);
    EXPECT_EQ(t->Price(), 12.5);
    EXPECT_EQ(t->Colour(), 2);
    EXPECT_TRUE(t->Flag());
    EXPECT_EQ(t->Mark(), 'A');
    // Fewer fields: the rest keep the cleared values; more fields: ignored.
    ASSERT_TRUE(props.ParseLine("Other|3"));
    EXPECT_EQ(t->Price(), 0.0);
    ASSERT_TRUE(props.ParseLine("X|1|2|tcRed|0|Z|extra|fields"));
    EXPECT_EQ(t->Mark(), 'Z');
    for (const char* marker : {"#x|1", ";x", "[x", "^x", "`x", "{x", "~x", "   ", ""})
        EXPECT_FALSE(props.ParseLine(marker)) << marker;
}

TEST(PartProps, RejectedValuesAndFieldNames) {
    TPartProps props("Name|Count|Colour", true, TTestRecord::StaticClass());
    struct Case {
        const char* line;
        const char* message;
    } cases[] = {
        {"a|11|tcRed", "Invalid Field Value \"Count\" = \"11\""},
        {"a|x|tcRed", "Invalid Field Value \"Count\" = \"x\""},
        {"a|1|purple", "Invalid Field Value \"Colour\" = \"purple\""},
    };
    for (const Case& c : cases) {
        try {
            props.ParseLine(c.line);
            ADD_FAILURE() << c.line;
        } catch (const EInvalidFieldValue& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    try {
        TPartProps bad("Name|Weight", true, TTestRecord::StaticClass());
        ADD_FAILURE();
    } catch (const EInvalidFieldName& e) {
        EXPECT_EQ(e.Message(), "Invalid Field Name - Field \"Weight\"");
    }
    // Without the raise flag unknown fields stay unbound and bad values are ignored.
    TPartProps lenient("Name|Weight|Count", false, TTestRecord::StaticClass());
    EXPECT_EQ(lenient.BoundCount(), 2);
    EXPECT_TRUE(lenient.ParseLine("a|heavy|99"));
    EXPECT_EQ(static_cast<TTestRecord*>(lenient.Template())->Name(), "a");
}

TEST(NoExceptPartProps, OnlyAllowedFieldsAreBound) {
    TStringList allowed{"name", "Weight"};
    std::vector<std::string> reported;
    TNoExceptPartProps props("Name|Count|Weight", &allowed, TTestRecord::StaticClass(),
                             [&](const std::string& m) { reported.push_back(m); });
    EXPECT_EQ(props.BoundCount(), 1);
    EXPECT_EQ(props.Editor(1), nullptr);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], "Invalid Field Name - Field \"Weight\"");
    EXPECT_THROW(TNoExceptPartProps("Weight", &allowed, TTestRecord::StaticClass()), EInvalidFieldName);
}

TEST(FileDataList, LoadsRecordsWithCaptionsAndProgress) {
    TTestList list;
    std::vector<std::pair<int, int>> progress;
    list.OnProgress = [&](int n, int c) { progress.emplace_back(n, c); };
    std::string started;
    list.OnLoadStart = [&](const std::string& f) { started = f; };
    std::string text = "Name|Count\r\nPart name|How many|Extra caption\r\n";
    for (int i = 0; i < 9; ++i) text += "p" + std::to_string(i) + "|" + std::to_string(i) + "\n";
    text += "   \r\n;comment\n#marker\n";
    list.LoadRecordsFromText(text, "test.dat");
    EXPECT_EQ(started, "test.dat");
    // 9 records, a blank and a marker line (defaults); the comment is no data line.
    ASSERT_EQ(list.Count(), 11);
    EXPECT_EQ(list.At(8)->Name(), "p8");
    EXPECT_EQ(list.At(9)->Name(), "");
    EXPECT_EQ(list.FieldCaptions().Text(), "Name=Part name\r\nCount=How many\r\n");
    const int lines = 14;
    std::vector<std::pair<int, int>> expected{{0, lines}, {7, lines}, {lines, lines}};
    EXPECT_EQ(progress, expected);

    TTestOSKList osk;
    osk.LoadRecordsFromText(text, "test.dat");
    EXPECT_EQ(osk.Count(), 9);
}

TEST(FileDataList, MalformedFiles) {
    TTestList list;
    EXPECT_THROW(list.LoadRecordsFromText("Name\r\nCaption\r\n", "f"), Exception);
    EXPECT_THROW(list.LoadRecordsFromText("Name|Count\r\nOnly one\r\nx|1\r\n", "f"), EListError);
    std::string text = "Name|Count\nN|C\n";
    for (int i = 2; i < 57; ++i) text += "p|1\n";
    text += "p|eleven\np|2\n";
    try {
        list.LoadRecordsFromText(text, "Obsolete.dat");
        ADD_FAILURE();
    } catch (const EInvalidFieldValue& e) {
        EXPECT_EQ(e.Message(),
                  "Invalid Field Value \"Count\" = \"eleven\" at line 57  in file Obsolete.dat with Object TTestRecord");
    }
    EXPECT_EQ(list.Count(), 56);  // the entries before stay, with the failing one
}

namespace {
// A component whose list is a TTestList, for the load and report rules.
class TTestListComponent : public TVelmarDataListComponent {
public:
    explicit TTestListComponent(TComponent* owner) : TVelmarDataListComponent(owner) {
        SetList(std::make_unique<TTestList>());
    }
};

struct TempHome {
    std::filesystem::path dir;
    TempHome() {
        dir = std::filesystem::temp_directory_path() / ("ortello-lc-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "data");
        SetDataLocation(rpDefaultPath, dir.string() + "/");
    }
    ~TempHome() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
        SetDataLocation(rpDefaultPath, "");
    }
    void Write(const std::string& rel, const std::string& text) {
        std::ofstream(dir / rel, std::ios::binary) << text;
    }
};
}  // namespace

TEST(ListController, LoadsInOrderAndCollectsFailures) {
    TempHome home;
    home.Write("data/good.dat", "Name|Count\nN|C\na|1\nb|2\n");
    home.Write("data/bad.dat", "Name|Count\nN|C\na|99\n");
    TComponent owner;
    auto* good = new TTestListComponent(&owner);
    good->SetFileName("good.dat");
    good->SetPath("data/");
    good->SetAutoLoad(false);
    auto* self = new TTestListComponent(&owner);  // loads itself: not the controller's
    self->SetAutoLoad(true);
    auto* bad = new TTestListComponent(&owner);
    bad->SetFileName("bad.dat");
    bad->SetPath("data/");
    bad->SetAutoLoad(false);
    auto* missing = new TTestListComponent(&owner);
    missing->SetFileName("missing.dat");
    missing->SetAutoLoad(false);
    auto* required = new TTestListComponent(&owner);
    required->SetFileName("needed.dat");
    required->SetAutoLoad(false);
    required->SetRequired(true);
    auto* controller = new TQORListController(&owner);
    EXPECT_EQ(controller->Components().size(), 5u);
    auto* late = new TTestListComponent(&owner);  // after the controller, still loaded
    late->SetFileName("good.dat");
    late->SetPath("data/");
    late->SetAutoLoad(false);

    std::vector<std::string> starts;
    controller->OnListStart = [&](const std::string& f, int no, int files) {
        starts.push_back(f + " " + std::to_string(no) + "/" + std::to_string(files));
    };
    controller->LoadLists();
    EXPECT_EQ(controller->Files(), 5);
    EXPECT_EQ(starts, (std::vector<std::string>{"good.dat 1/5", "bad.dat 2/5", "good.dat 5/5"}));
    EXPECT_EQ(late->List()->Count(), 2);
    EXPECT_EQ(good->List()->Count(), 2);
    ASSERT_EQ(controller->LoadErrors().Count(), 2);
    EXPECT_EQ(controller->LoadErrors()[0].rfind("Invalid Field Value \"Count\" = \"99\" at line 2  in file ", 0), 0u);
    EXPECT_EQ(controller->LoadErrors().GetObject(0), bad);
    EXPECT_EQ(controller->LoadErrors()[1], "Cannot Find File \"needed.dat\"");
    EXPECT_EQ(controller->LoadErrors().GetObject(1), required);

    // A component that goes away leaves the controller's list.
    delete bad;
    EXPECT_EQ(controller->Components().size(), 5u);
}

TEST(VelmarDataListComponent, ResolvesFolderByDataPath) {
    TempHome home;
    TTestListComponent c(nullptr);
    c.SetPath("bin\\");
    EXPECT_EQ(c.GetPath(), home.dir.string() + "/bin/");
    c.SetDataPath(rpCommonFiles);
    SetDataLocation(rpCommonFiles, "/srv/common/");
    EXPECT_EQ(c.GetPath(), "/srv/common/");
    SetDataLocation(rpCommonFiles, "");
    // An empty registered folder: the program folder, then the working folder.
    home.Write("data/x.dat", "Name|Count\nN|C\na|1\n");
    c.SetFileName("data/x.dat");
    c.LoadData();
    EXPECT_EQ(c.List()->Count(), 1);
}

TEST(Indexer, PrefixTrieKeepsFirstPosition) {
    TQORIndexer index;
    EXPECT_EQ(index.Lookup("ABC"), 0);
    index.SetMaxDepth(4);
    index.AddKey("ABCDE", 10);
    index.AddKey("ABX", 20);
    EXPECT_EQ(index.Lookup("abx"), 20);
    EXPECT_EQ(index.Lookup("ABQ"), 10);
    EXPECT_EQ(index.Lookup("Z"), 0);
    EXPECT_EQ(index.Lookup("abcdzzz"), 10);
}

TEST(StringHash, ElfHash) {
    EXPECT_EQ(StringHash(""), 0u);
    EXPECT_EQ(StringHash("A"), 65u);
    EXPECT_EQ(StringHash("AB"), 65u * 16 + 66);
    // Long texts fold the high nibble back in.
    EXPECT_EQ(StringHash("ABCDEFGHIJ"), 0x89EEAAAu);
    EXPECT_EQ(StringHashUpper("abcdefghij"), StringHash("ABCDEFGHIJ"));
}
