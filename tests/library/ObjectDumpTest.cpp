#include "library/ObjectDump.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/library/ObjectStreamTestClasses.h"

using namespace ortello;
using namespace ortello::test;

namespace {

std::string Compact(std::string s) {
    // The dump is indented; compare without the layout.
    std::string out;
    bool inString = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"' && (i == 0 || s[i - 1] != '\\')) inString = !inString;
        if (!inString && (c == ' ' || c == '\n')) continue;
        out += c;
    }
    return out;
}

}  // namespace

TEST(ObjectDump, TypedFileAsJson) {
    RegisterTestClasses();
    TTestList list;
    list.SetTitle("Q\xC2\xB0");
    auto* e = new TTestEntry;
    e->SetQty(300);
    e->SetPrice(2.5);
    e->SetFlag(true);
    e->SetShades(0b110);
    e->Notes()->Add("n");
    list.Add(e);
    TMemoryStream s;
    list.SaveToStream(s);
    EXPECT_EQ(Compact(DumpObjectFileJson(s.Bytes(), "")),
              R"({"signature":"TSTU","object":{"id":"","class":"TTestList","properties":[["Title","Q°"]],)"
              R"("owns":true,"items":[{"id":"","class":"TTestEntry","properties":[["Qty",300],["Price",2.5],)"
              R"(["Shade",{"ident":"shRed"}],["Flag",true],["Shades",{"set":["shGreen","shBlue"]}],)"
              R"(["Notes.Strings",["n"]]]}]}})");

    TMemoryStream enc;
    list.SaveToStream(enc, "key");
    EXPECT_EQ(DumpObjectFileJson(enc.Bytes(), "key"), DumpObjectFileJson(s.Bytes(), ""));

    TTiny t;
    TMemoryStream plain;
    t.SaveToStream(plain);
    const std::string tiny = Compact(DumpObjectFileJson(plain.Bytes(), ""));
    EXPECT_EQ(tiny, R"({"signature":null,"object":{"id":"","class":"TTiny","properties":[]}})");
}

TEST(ObjectDump, MalformedInputNamesTheFaultAndOffset) {
    struct Case {
        std::string bytes;
        std::string message;
    };
    const std::string head = std::string("\x01\x04\0\0\0\0\x07\0\x07\x01X", 11);
    const Case cases[] = {
        {"", "unexpected end of data reading a record at byte offset 0"},
        {std::string("\x02", 1), "expected the start of an object record (01) at byte offset 0"},
        {head, "unexpected end of data in the record's properties at byte offset 11"},
        {head + "\x01p\x0C\xFF\xFF\xFF\x7F", "a long string of 2147483647 bytes runs past the end of the data at byte offset 18"},
        {head + "\x01p\x30", "unknown value tag 48 at byte offset 13"},
        {head + std::string("\0\0", 2), "unexpected bytes after the object record at byte offset 12"},
        {head + std::string("\x02PL\x0A\x02\0\0\0\x01\x07", 10), "expected the owns-objects flag (08 or 09) at byte offset 20"},
    };
    for (const Case& c : cases) {
        try {
            DumpObjectFileJson(c.bytes, "");
            ADD_FAILURE() << c.message;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    std::string deep = head + "\x01p";
    deep.append(1000, '\x01');
    EXPECT_THROW(DumpObjectFileJson(deep, ""), Exception);
}

TEST(ObjectDump, IniFormSectionsInNumberOrder) {
    const auto path = (std::filesystem::temp_directory_path() / ("ortello-dump-" + std::to_string(::getpid()) + ".ini")).string();
    WriteFileAtomic(path, "[Other]\r\na=1\r\n[P2 - TStringList]\r\n0=x\r\n[P0]\r\nItem Count=2\r\n[Px]\r\nq=1\r\n");
    EXPECT_EQ(Compact(DumpIniFormJson(path, "P")),
              R"({"sections":[{"number":0,"title":"","lines":["Item Count=2"]},)"
              R"({"number":2,"title":"TStringList","lines":["0=x"]}]})");
    std::filesystem::remove(path);
}
