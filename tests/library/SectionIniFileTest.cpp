#include "library/SectionIniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace ortello;

namespace {

std::vector<std::string> Lines(const TStrings& s) { return s.ToVector(); }

std::vector<std::string> SectionNames(const TCustomIniFile& ini) {
    TStringList names;
    ini.ReadSections(names);
    return names.ToVector();
}

// A file parsed from text rather than read from disk.
struct Ini : TQORINIFile {
    explicit Ini(std::string_view text) { SetText(text); }
};

// A scratch folder removed after the test.
class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/ortello-ini-XXXXXX";
        path_ = ::mkdtemp(tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string File(const char* name) const { return path_ + "/" + name; }
    size_t EntryCount() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(path_),
                                                 std::filesystem::directory_iterator()));
    }

private:
    std::string path_;
};

}  // namespace

// ---------------------------------------------------------------- parsing and writing

TEST(IniParse, SkipsBlankAndCommentLinesAndWritesSectionsBack) {
    TQORINIFile ini;
    ini.SetText("[A]\r\nx=1\r\n\r\n; note\r\n[B]\r\ny=2\r\n");
    EXPECT_EQ(SectionNames(ini), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Lines(ini.SectionLines(0)), (std::vector<std::string>{"x=1"}));
    EXPECT_EQ(Lines(ini.SectionLines(1)), (std::vector<std::string>{"y=2"}));
    EXPECT_EQ(ini.Text(), "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n\r\n");
}

TEST(IniParse, HeaderAndLineRules) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<std::string> sections;
        std::vector<std::vector<std::string>> lines;
    };
    const Case cases[] = {
        {"lines before the first header are dropped", "x=0\n[S]\ny=1\n", {"S"}, {{"y=1"}}},
        {"indented header is an ordinary line", "[S]\n [T]\n", {"S"}, {{" [T]"}}},
        {"header name is not trimmed", "[ S ]\na=1\n", {" S "}, {{"a=1"}}},
        {"duplicate sections stay separate", "[S]\na=1\n[s]\na=2\n", {"S", "s"}, {{"a=1"}, {"a=2"}}},
        {"values keep their spaces", "[S]\nKey = Value \n", {"S"}, {{"Key = Value "}}},
        {"LF, CR and CR LF all end lines", "[S]\na=1\rb=2\r\nc=3\n", {"S"}, {{"a=1", "b=2", "c=3"}}},
        {"a lone bracket is no header", "[S]\n[\n]\n", {"S"}, {{"[", "]"}}},
        {"empty header names a section", "[]\na=1\n", {""}, {{"a=1"}}},
        {"whitespace-only line is kept", "[S]\n   \n", {"S"}, {{"   "}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ini ini(c.text);
        ASSERT_EQ(SectionNames(ini), c.sections);
        for (int i = 0; i < ini.SectionCount(); ++i) EXPECT_EQ(Lines(ini.SectionLines(i)), c.lines[i]);
    }
}

TEST(IniParse, ParsingAgainDiscardsEverything) {
    Ini ini("[A]\na=1\n");
    ini.SetText("[B]\nb=2\n");
    EXPECT_EQ(SectionNames(ini), (std::vector<std::string>{"B"}));
}

// ---------------------------------------------------------------- plain access

TEST(IniAccess, ReadStringIgnoresCaseAndUsesTheFirstMatch) {
    const Ini ini("[A]\nx=1\nX=2\nKey = Value\n[a]\nx=3\ny=9\n");
    EXPECT_EQ(ini.ReadString("a", "X", "d"), "1");
    EXPECT_EQ(ini.ReadString("A", "y", "d"), "d") << "only the first of duplicate sections is seen";
    EXPECT_EQ(ini.ReadString("A", "Key", "d"), "d") << "the name part is everything before '='";
    EXPECT_EQ(ini.ReadString("A", "Key ", "d"), " Value");
    EXPECT_EQ(ini.ReadString("missing", "x", "d"), "d");
}

TEST(IniAccess, WriteStringReplacesOrAppends) {
    Ini ini("[A]\nx=1\nx=2\n");
    ini.WriteString("a", "X", "new");
    ini.WriteString("A", "y", "");
    ini.WriteString("C", "z", "3");
    EXPECT_EQ(ini.Text(), "[A]\r\nX=new\r\nx=2\r\ny=\r\n\r\n[C]\r\nz=3\r\n\r\n");
}

TEST(IniAccess, LineBreaksInWrittenTextCannotAddLinesOrSections) {
    TQORINIFile ini;
    ini.WriteString("S", "note", "one\r\n[Injected]\r\nx=1");
    ini.WriteString("T\nU", "k\rey", "v");
    Ini back(ini.Text());
    EXPECT_EQ(SectionNames(back), (std::vector<std::string>{"S", "T U"}));
    EXPECT_EQ(back.ReadString("S", "note", ""), "one  [Injected]  x=1");
    EXPECT_EQ(back.ReadString("T U", "k ey", ""), "v");
}

TEST(IniAccess, SectionListsEraseAndDelete) {
    Ini ini("[A]\nx=1\nplain\ny=2\n[B]\nz=3\n[A]\nw=4\n");
    TStringList out;
    out.Add("stale");
    ini.ReadSection("a", out);
    EXPECT_EQ(Lines(out), (std::vector<std::string>{"x", "", "y"}));
    ini.ReadSectionValues("A", out);
    EXPECT_EQ(Lines(out), (std::vector<std::string>{"x=1", "plain", "y=2"}));
    ini.ReadSection("none", out);
    EXPECT_EQ(out.Count(), 0);

    EXPECT_TRUE(ini.SectionExists("b"));
    EXPECT_TRUE(ini.ValueExists("A", "Y"));
    EXPECT_FALSE(ini.ValueExists("A", "w"));

    ini.DeleteKey("A", "X");
    ini.EraseSection("b");
    EXPECT_EQ(SectionNames(ini), (std::vector<std::string>{"A", "A"}));
    EXPECT_EQ(ini.ReadString("A", "x", "gone"), "gone");
    ini.EraseSection("A");
    EXPECT_EQ(ini.ReadString("A", "w", ""), "4") << "erasing removes only the first of that name";
}

TEST(IniAccess, TypedValues) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case integers[] = {
        {"42", 42},  {"-7", -7},          {"0x1F", 31},        {"0X1f", 31},     {"$1F", 31},
        {"0xFFFFFFFF", -1}, {"12abc", -99}, {"", -99},          {"0x", -99},      {"99999999999", -99},
    };
    for (const Case& c : integers) {
        SCOPED_TRACE(c.text);
        TQORINIFile ini;
        ini.WriteString("S", "n", c.text);
        EXPECT_EQ(ini.ReadInteger("S", "n", -99), c.expected);
    }

    TQORINIFile ini;
    EXPECT_EQ(ini.ReadInteger("S", "missing", 5), 5);
    ini.WriteBool("S", "on", true);
    ini.WriteBool("S", "off", false);
    ini.WriteString("S", "two", "2");
    EXPECT_EQ(ini.ReadString("S", "on", ""), "1");
    EXPECT_EQ(ini.ReadString("S", "off", ""), "0");
    EXPECT_TRUE(ini.ReadBool("S", "two", false));
    EXPECT_FALSE(ini.ReadBool("S", "off", true));
    EXPECT_TRUE(ini.ReadBool("S", "missing", true));

    ini.WriteInteger("S", "i", -12);
    EXPECT_EQ(ini.ReadString("S", "i", ""), "-12");
    ini.WriteFloat("S", "f", 12.25);
    EXPECT_EQ(ini.ReadString("S", "f", ""), "12.25");
    EXPECT_EQ(ini.ReadFloat("S", "f", 0), 12.25);
    ini.WriteString("S", "bad", "12:xx");
    EXPECT_EQ(ini.ReadFloat("S", "bad", -1), -1);
    EXPECT_EQ(ini.ReadDate("S", "bad", -1), -1);
    EXPECT_EQ(ini.ReadTime("S", "missing", -1), -1);

    const TDateTime date = EncodeDate(2024, 2, 29);
    const TDateTime when = date + EncodeTime(15, 30, 5, 0);
    ini.WriteDate("S", "d", date);
    ini.WriteDateTime("S", "dt", when);
    ini.WriteTime("S", "t", EncodeTime(15, 30, 5, 0));
    EXPECT_EQ(ini.ReadString("S", "d", ""), "2/29/2024");
    EXPECT_EQ(ini.ReadDate("S", "d", 0), date);
    EXPECT_NEAR(ini.ReadDateTime("S", "dt", 0), when, 1e-9);
    EXPECT_NEAR(ini.ReadTime("S", "t", 0), EncodeTime(15, 30, 5, 0), 1e-9);
}

// ---------------------------------------------------------------- files on disk

TEST(IniFile, MissingFileIsEmptyAndNothingIsWrittenWithoutUpdateFile) {
    TempDir dir;
    const std::string path = dir.File("Settings.INI");
    {
        TQORINIFile ini(path);
        EXPECT_EQ(ini.SectionCount(), 0);
        ini.WriteString("S", "k", "v");
    }
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(TQORINIFile("").SectionCount(), 0);
}

TEST(IniFile, UpdateFileWritesWindows1252AndReadsItBack) {
    TempDir dir;
    const std::string path = dir.File("Sites.ini");
    {
        TQORINIFile ini(path);
        ini.WriteString("Caf\xC3\xA9", "Price", "\xE2\x82\xAC" "5");  // "Café", "€5"
        ini.UpdateFile();
    }
    EXPECT_EQ(ReadFileBytes(path), "[Caf\xE9]\r\nPrice=\x80" "5\r\n\r\n");
    EXPECT_EQ(dir.EntryCount(), 1u) << "no temporary file is left beside the target";

    TQORINIFile back(path);
    EXPECT_EQ(back.ReadString("CAF\xC3\xA9", "price", ""), "\xE2\x82\xAC" "5");
}

TEST(IniFile, UpdateFileIntoMissingFolderFails) {
    TempDir dir;
    TQORINIFile ini(dir.File("no/such/folder/x.ini"));
    ini.WriteString("S", "k", "v");
    EXPECT_THROW(ini.UpdateFile(), EStreamError);
}

// ---------------------------------------------------------------- numbered sections

TEST(IniSections, FullNamesAndLookups) {
    TQORINIFile ini;
    TQORSectionINIFile view("Item", ini);
    TINISections& sections = view.Sections();
    EXPECT_EQ(&sections.View(), &view);

    EXPECT_EQ(sections.Add(-1, "").Number(), 0) << "negative number: the position in the list";
    TINISection& titled = sections.Add(7, "Strings");
    EXPECT_EQ(sections.Add(-5).Number(), 2);
    EXPECT_EQ(titled.FullName(), "[Item7 - Strings]");
    EXPECT_EQ(sections[0].FullName(), "[Item0]");
    EXPECT_EQ(titled.Prefix(), "Item");

    EXPECT_EQ(sections.IndexOfName("[ITEM7 - strings]"), 1);
    EXPECT_EQ(sections.IndexOfName("[Item7]"), -1);
    EXPECT_EQ(sections.IndexOfNumber(2), 2);
    EXPECT_EQ(sections.IndexOfNumber(3), -1);
    EXPECT_EQ(view.FindSection(7), &titled);
    EXPECT_EQ(view.FindSection(9), nullptr);
    EXPECT_THROW(sections.Items(3), EListError);
}

TEST(IniSections, SectionAccessors) {
    TINISection s(1, "P");
    s.WriteString("Name", "first");
    s.WriteString("name", "second");
    s.WriteInteger("Count", 3);
    s.WriteBool("Owns Object", true);
    s.Add("Hex=0x10");
    s.Add("Bad=12abc");
    EXPECT_EQ(s.ToVector(), (std::vector<std::string>{"name=second", "Count=3", "Owns Object=1", "Hex=0x10", "Bad=12abc"}));
    EXPECT_EQ(s.ReadString("NAME", "d"), "second");
    EXPECT_EQ(s.ReadInteger("hex", 0), 16);
    EXPECT_EQ(s.ReadInteger("Bad", -1), -1);
    EXPECT_TRUE(s.ReadBool("owns object", false));
    EXPECT_EQ(s.ReadFloat("missing", 2.5), 2.5);
    s.DeleteKey("COUNT");
    EXPECT_FALSE(s.ValueExists("Count"));
    EXPECT_EQ(s.ClassName(), "TINISection");
}

TEST(IniSections, TakePrefixedNumbersTheFamilyAndCommitSortsIt) {
    Ini ini(
        "[Other]\no=1\n"
        "[Item3 - Strings]\nc=3\n"
        "[Item1]\na=1\n"
        "[Items]\nkeep=me\n"
        "[item2]\nlower=case\n");
    TQORSectionINIFile view("Item", ini);
    view.TakePrefixed();

    ASSERT_EQ(view.Sections().Count(), 2);
    EXPECT_EQ(view.Sections()[0].Number(), 3);
    EXPECT_EQ(view.Sections()[0].Title(), "") << "the title is not kept";
    EXPECT_EQ(view.Sections()[1].Number(), 1);
    EXPECT_EQ(view.ReadString(3, "c", ""), "3");
    // "Items" does not parse as a number and "item2" does not start with the prefix:
    // both stay in the file rather than being lost on the next save.
    EXPECT_EQ(SectionNames(ini), (std::vector<std::string>{"Other", "Items", "item2"}));

    view.Commit();
    EXPECT_EQ(ini.Text(),
              "[Other]\r\no=1\r\n\r\n[Items]\r\nkeep=me\r\n\r\n[item2]\r\nlower=case\r\n\r\n"
              "[Item1]\r\na=1\r\n\r\n[Item3]\r\nc=3\r\n\r\n");
}

TEST(IniSections, NumberParsing) {
    struct Case {
        const char* header;
        bool taken;
        int number;
    };
    const Case cases[] = {
        {"Item12", true, 12},
        {"Item-4", true, -4},
        {"Item5 - A title", true, 5},
        {"Item6ITEM", true, 6},       // every occurrence of the prefix goes, ignoring case
        {"Item 7", false, 0},         // cut at the space leaves no number
        {"Item", false, 0},
        {"Item0x1F", false, 0},       // decimal only
        {"Item99999999999", false, 0},
        {"Item8 ", true, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        Ini ini(std::string("[") + c.header + "]\nk=v\n");
        TQORSectionINIFile view("Item", ini);
        view.TakePrefixed();
        ASSERT_EQ(view.Sections().Count(), c.taken ? 1 : 0);
        EXPECT_EQ(ini.SectionCount(), c.taken ? 0 : 1);
        if (c.taken) {
            EXPECT_EQ(view.Sections()[0].Number(), c.number);
            EXPECT_EQ(view.Sections()[0].ToVector(), (std::vector<std::string>{"k=v"}));
        }
    }
}

TEST(IniSections, RemovePrefixedIsCaseSensitiveAndTakesEverySuchSection) {
    Ini ini("[Item1]\na=1\n[Items]\nb=2\n[item3]\nc=3\n[Other]\nd=4\n");
    TQORSectionINIFile view("Item", ini);
    view.RemovePrefixed();
    EXPECT_EQ(SectionNames(ini), (std::vector<std::string>{"item3", "Other"}));
}

TEST(IniSections, WritingAFreshFamilyAndReadingItBack) {
    TempDir dir;
    const std::string path = dir.File("CustomParts.ini");
    {
        TQORINIFile ini(path);
        ini.WriteString("Other", "keep", "yes");
        TQORSectionINIFile view("CustomPartList", ini);
        view.RemovePrefixed();
        TINISection& head = view.Sections().Add(0);
        view.Sections().Add(2, "TCustomPart");
        view.Sections().Add(1, "TCustomPartList");
        view.WriteString(1, "List Items", "2-2");
        view.WriteBool(1, "Owns Object", true);
        view.WriteString(2, "Type", "TCustomPart");
        view.WriteString(9, "Ignored", "no section 9");
        head.WriteInteger("Item Count", 3);
        view.Commit();
        ini.UpdateFile();
    }
    EXPECT_EQ(ReadFileBytes(path),
              "[Other]\r\nkeep=yes\r\n\r\n"
              "[CustomPartList0]\r\nItem Count=3\r\n\r\n"
              "[CustomPartList1 - TCustomPartList]\r\nList Items=2-2\r\nOwns Object=1\r\n\r\n"
              "[CustomPartList2 - TCustomPart]\r\nType=TCustomPart\r\n\r\n");

    TQORINIFile ini(path);
    TQORSectionINIFile view("CustomPartList", ini);
    view.TakePrefixed();
    EXPECT_EQ(view.Sections().Count(), 3);
    EXPECT_EQ(view.ReadInteger(0, "item count", 0), 3);
    EXPECT_TRUE(view.ReadBool(1, "Owns Object", false));
    EXPECT_EQ(view.ReadString(view.Sections()[2], "Type", ""), "TCustomPart");
    EXPECT_EQ(view.ReadString(7, "Type", "none"), "none");
    EXPECT_EQ(SectionNames(ini), (std::vector<std::string>{"Other"}));
}

TEST(IniSections, CommitTwiceLeavesNoStaleDuplicates) {
    Ini ini("[Item1]\na=old\n");
    TQORSectionINIFile view("Item", ini);
    view.TakePrefixed();
    view.Commit();
    view.WriteString(1, "a", "new");
    view.Commit();
    EXPECT_EQ(ini.Text(), "[Item1]\r\na=new\r\n\r\n");

    // A same-named section already in the file gives way to the committed one.
    Ini other("[Item2]\na=file\n");
    TQORSectionINIFile fresh("Item", other);
    fresh.Sections().Add(2).WriteString("a", "view");
    fresh.Commit();
    EXPECT_EQ(other.Text(), "[Item2]\r\na=view\r\n\r\n");
}

TEST(IniSections, CommitReadsTheFamilyBackAsTheFileWill) {
    TQORINIFile ini;
    TQORSectionINIFile view("P", ini);
    TINISection& s = view.Sections().Add(0, "Line\r\nBreak");
    s.Add("a=1");
    s.Add("");
    s.Add("; comment");
    s.Add("b=2");
    view.Commit();
    EXPECT_EQ(SectionNames(ini), (std::vector<std::string>{"P0 - Line  Break"}));
    EXPECT_EQ(Lines(ini.SectionLines(0)), (std::vector<std::string>{"a=1", "b=2"}));
}

TEST(IniSections, GenericInterfaceByFullNameAndRefusedWrites) {
    Ini ini("[Item1]\nx=1\ny=2\n[Item2 - T]\nz=0x20\n");
    TQORSectionINIFile view("Item", ini);
    view.TakePrefixed();
    TCustomIniFile& generic = view;

    EXPECT_EQ(generic.ReadString("[item1]", "X", "d"), "1");
    EXPECT_EQ(generic.ReadString("Item1", "x", "d"), "d") << "names are bracketed";
    EXPECT_EQ(generic.ReadInteger("[Item2]", "z", -1), 32) << "taken sections lose their title";
    EXPECT_EQ(SectionNames(generic), (std::vector<std::string>{"[Item1]", "[Item2]"}));

    TStringList out;
    generic.ReadSection("[Item1]", out);
    EXPECT_EQ(Lines(out), (std::vector<std::string>{"x", "y"}));
    generic.ReadSectionValues("[Item1]", out);
    EXPECT_EQ(Lines(out), (std::vector<std::string>{"x=1", "y=2"}));
    generic.DeleteKey("[Item1]", "x");
    EXPECT_EQ(view.ReadString(1, "x", "gone"), "gone");
    generic.EraseSection("[ITEM2]");
    EXPECT_EQ(view.FindSection(2), nullptr);

    try {
        generic.WriteString("[Item1]", "x", "1");
        FAIL() << "writing through the generic interface must fail";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "dont do it");
    }
    EXPECT_THROW(generic.WriteInteger("[Item1]", "x", 1), Exception);
    generic.UpdateFile();  // nothing happens
    EXPECT_EQ(ini.SectionCount(), 0);
}
