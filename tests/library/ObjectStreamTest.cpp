#include "library/ObjectStream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include "library/Persistent.h"
#include "tests/library/ObjectStreamTestClasses.h"

using namespace ortello;
using namespace ortello::test;

namespace {

class ObjectStreamTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }
};

std::string B(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s.push_back(static_cast<char>(b));
    return s;
}

// Length byte and characters.
std::string S(std::string_view text) { return std::string(1, static_cast<char>(text.size())) + std::string(text); }

std::string Le32(uint32_t v) { return B({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)}); }

// A record around hand-written property bytes; the length covers start tag to end tag.
std::string Record(std::string_view cls, std::string_view props) {
    std::string body = B({0x07, 0x00, 0x07}) + S(cls) + std::string(props) + B({0x00});
    return B({0x01, 0x04}) + Le32(static_cast<uint32_t>(body.size() + 6)) + body;
}

std::string Save(TQorPersistent& obj) {
    TMemoryStream s;
    obj.WriteToStream(s);
    return s.Bytes();
}

template <class T>
std::unique_ptr<T> Load(const std::string& bytes) {
    auto obj = std::make_unique<T>();
    TReadOnlyMemoryStream s(bytes);
    obj->ReadFromStream(s);
    return obj;
}

std::string TempPath(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() / ("ortello-objstream-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

}  // namespace

TEST_F(ObjectStreamTest, WholeRecordOfASmallObjectByteForByte) {
    TTiny t;
    t.SetName("Ab");
    t.SetCount(-2);
    const std::string expected = B({0x01, 0x04, 0x21, 0x00, 0x00, 0x00, 0x07, 0x00, 0x07, 0x05, 'T', 'T', 'i', 'n', 'y',
                                    0x04, 'N', 'a', 'm', 'e', 0x06, 0x02, 'A', 'b', 0x05, 'C', 'o', 'u', 'n', 't', 0x02,
                                    0xFE, 0x00});
    EXPECT_EQ(Save(t), expected);
    auto back = Load<TTiny>(expected);
    EXPECT_EQ(back->Name(), "Ab");
    EXPECT_EQ(back->Count(), -2);
    EXPECT_EQ(back->afterLoadCalls, 1);
}

TEST_F(ObjectStreamTest, EachTagWrittenAsThePlatformWould) {
    struct Case {
        const char* what;
        std::function<void(TTestEntry&)> set;
        std::string props;  // the property entries after the always-written Shade
    };
    const std::string shade = S("Shade") + B({0x07}) + S("shRed");
    const std::string longText(256, 'x');
    const Case cases[] = {
        {"defaults only", [](TTestEntry&) {}, ""},
        {"int8 bounds", [](TTestEntry& e) { e.SetQty(127); }, S("Qty") + B({0x02, 0x7F})},
        {"int16", [](TTestEntry& e) { e.SetQty(-129); }, S("Qty") + B({0x03, 0x7F, 0xFF})},
        {"int16 upper", [](TTestEntry& e) { e.SetQty(32767); }, S("Qty") + B({0x03, 0xFF, 0x7F})},
        {"int32", [](TTestEntry& e) { e.SetQty(32768); }, S("Qty") + B({0x04, 0x00, 0x80, 0x00, 0x00})},
        {"cardinal stored signed", [](TTestEntry& e) { e.SetMask(0xFFFFFFFFu); }, S("Mask") + B({0x02, 0xFF})},
        {"int64 small uses int8", [](TTestEntry& e) { e.SetBig(5); }, S("Big") + B({0x02, 0x05})},
        {"int64 large", [](TTestEntry& e) { e.SetBig(int64_t{1} << 40); },
         S("Big") + B({0x13, 0, 0, 0, 0, 0, 1, 0, 0})},
        {"extended 1.0", [](TTestEntry& e) { e.SetPrice(1.0); },
         S("Price") + B({0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})},
        {"extended 0.1", [](TTestEntry& e) { e.SetPrice(0.1); },
         S("Price") + B({0x05, 0x00, 0xD0, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F})},
        {"short string in Windows-1252", [](TTestEntry& e) { e.SetName("10\xC2\xB0 \xC2\xA3"); },
         S("Name") + B({0x06, 0x05, '1', '0', 0xB0, ' ', 0xA3})},
        {"long string", [&](TTestEntry& e) { e.SetName(longText); },
         S("Name") + B({0x0C, 0x00, 0x01, 0x00, 0x00}) + longText},
        {"boolean true is a bare tag", [](TTestEntry& e) { e.SetFlag(true); }, S("Flag") + B({0x09})},
        {"set", [](TTestEntry& e) { e.SetShades(0b101); },
         S("Shades") + B({0x0B}) + S("shRed") + S("shBlue") + B({0x00})},
        {"char", [](TTestEntry& e) { e.SetCode('Z'); }, S("Code") + B({0x06, 0x01, 'Z'})},
        {"string list", [](TTestEntry& e) { e.Notes()->Add("a"); e.Notes()->Add("bc"); },
         S("Notes.Strings") + B({0x01, 0x06, 0x01, 'a', 0x06, 0x02, 'b', 'c', 0x00})},
        {"nested object", [](TTestEntry& e) { e.Contact()->SetPhone("9"); e.Contact()->SetExt(3); },
         S("Contact.Phone") + B({0x06, 0x01, '9'}) + S("Contact.Ext") + B({0x02, 0x03})},
        {"not stored", [](TTestEntry& e) { e.SetSecret("s"); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTestEntry e;
        c.set(e);
        // Shade has no declared default and is always written, between Price and Flag.
        std::string props = c.props;
        const std::string bytes = Save(e);
        std::string expected;
        if (props.rfind(S("Name"), 0) == 0 || props.rfind(S("Qty"), 0) == 0 || props.rfind(S("Price"), 0) == 0)
            expected = Record("TTestEntry", props + shade);
        else
            expected = Record("TTestEntry", shade + props);
        EXPECT_EQ(bytes, expected);
        // and it reads back into an equal object
        auto back = Load<TTestEntry>(bytes);
        EXPECT_EQ(Save(*back), bytes);
    }
}

TEST_F(ObjectStreamTest, ExtendedFloatConversion) {
    struct Case {
        double value;
        std::string bytes;
    };
    const double minDenormal = std::numeric_limits<double>::denorm_min();
    const Case cases[] = {
        {0.0, B({0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {-0.0, B({0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80})},
        {-2.0, B({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0})},
        {std::numeric_limits<double>::infinity(), B({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F})},
        {-std::numeric_limits<double>::infinity(), B({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF})},
        {std::numeric_limits<double>::quiet_NaN(), B({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F})},
        {minDenormal, B({0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B})},
        {std::numeric_limits<double>::max(), B({0x00, 0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x43})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        uint8_t out[10];
        DoubleToExtended(c.value, out);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 10), c.bytes);
        const double back = ExtendedToDouble(reinterpret_cast<const uint8_t*>(c.bytes.data()));
        if (std::isnan(c.value)) {
            EXPECT_TRUE(std::isnan(back));
        } else {
            EXPECT_EQ(back, c.value);
            EXPECT_EQ(std::signbit(back), std::signbit(c.value));
        }
    }
    // Round trip of every kind of double, denormals included.
    for (double v : {3.141592653589793, 1e-310, 2.2250738585072014e-308, 1e308, -123.456e-300, 5e-324 * 3}) {
        uint8_t out[10];
        DoubleToExtended(v, out);
        EXPECT_EQ(ExtendedToDouble(out), v);
    }
    // Narrowing rounds to nearest, ties to even.
    struct Narrow {
        uint64_t mant;
        int exp;
        double expected;
    };
    const Narrow narrows[] = {
        {0x8000000000000001ull, 0x3FFF, 1.0},                    // below half an ulp
        {0x8000000000000400ull, 0x3FFF, 1.0},                    // exactly half, even stays
        {0x8000000000000C00ull, 0x3FFF, 1.0 + 2 * 0x1p-52},      // exactly half, odd rounds up
        {0xFFFFFFFFFFFFFFFFull, 0x3FFF, 2.0},                    // carry into the exponent
        {0xC000000000000000ull, 0x3BCD, 2 * minDenormal},        // 1.5 smallest subnormals: tie to even
        {0x8000000000000000ull, 0x7FFE, std::numeric_limits<double>::infinity()},
        {0x8000000000000000ull, 0x0001, 0.0},
        {0x4000000000000000ull, 0x0000, 0.0},                    // extended denormal
    };
    for (const Narrow& n : narrows) {
        uint8_t in[10];
        for (int i = 0; i < 8; ++i) in[i] = static_cast<uint8_t>(n.mant >> (8 * i));
        in[8] = static_cast<uint8_t>(n.exp);
        in[9] = static_cast<uint8_t>(n.exp >> 8);
        EXPECT_EQ(ExtendedToDouble(in), n.expected) << std::hex << n.mant << " " << n.exp;
    }
}

TEST_F(ObjectStreamTest, IdentifiersWithBareTagsAndOtherAcceptedTagsOnReading) {
    TMemoryStream s;
    TQorWriter w(s);
    for (const char* id : {"False", "TRUE", "nil", "null", "", "shRed"}) w.WriteIdent(id);
    w.FlushBuffer();
    EXPECT_EQ(s.Bytes(), B({0x08, 0x09, 0x0D, 0x00, 0x07, 0x00, 0x07}) + S("shRed"));

    // Single, currency, date, wide string and integer-for-float all read.
    const std::string props = S("Price") + B({0x10}) + std::string("\x10\x27\0\0\0\0\0\0", 8) +  // currency 1.0
                              S("Name") + B({0x12}) + Le32(2) + B({0xB0, 0x00, 'x', 0x00}) +   // "°x"
                              S("Qty") + B({0x13, 7, 0, 0, 0, 0, 0, 0, 0});
    auto e = Load<TTestEntry>(Record("TTestEntry", props));
    EXPECT_EQ(e->Price(), 1.0);
    EXPECT_EQ(e->Name(), "\xC2\xB0x");
    EXPECT_EQ(e->Qty(), 7);
    float f = 2.5f;
    uint32_t u;
    std::memcpy(&u, &f, 4);
    double d = 40000.5;
    uint64_t du;
    std::memcpy(&du, &d, 8);
    std::string p2 = S("Price") + B({0x0F}) + Le32(u);
    EXPECT_EQ(Load<TTestEntry>(Record("TTestEntry", p2))->Price(), 2.5);
    p2 = S("Price") + B({0x11}) + Le32(static_cast<uint32_t>(du)) + Le32(static_cast<uint32_t>(du >> 32));
    EXPECT_EQ(Load<TTestEntry>(Record("TTestEntry", p2))->Price(), 40000.5);
}

TEST_F(ObjectStreamTest, UnknownAndUnreadablePropertiesAreSkipped) {
    const std::string props =
        S("Gone") + B({0x01, 0x06, 0x01, 'q', 0x01, 0x02, 0x05, 0x00, 0x00}) +   // nested value lists
        S("Qty") + B({0x06, 0x01, '7'}) +                                         // wrong kind
        S("Shade") + B({0x07}) + S("shPurple") +                                   // unknown identifier
        S("Shades") + B({0x0B}) + S("shGreen") + S("shNope") + B({0x00}) +         // unknown set element
        S("Nowhere.Deep") + B({0x0A}) + Le32(2) + B({1, 2}) +                      // no such path
        S("Coll") + B({0x0E, 0x02, 0x01, 0x01}) + S("X") + B({0x02, 0x01, 0x00, 0x00}) +  // collection
        S("Name") + B({0x06, 0x02, 'o', 'k'}) + S("Flag") + B({0x09});
    auto e = std::make_unique<TTestEntry>();
    e->SetQty(3);
    e->SetShade(TShade::shBlue);
    const std::string bytes = Record("TTestEntry", props);
    TReadOnlyMemoryStream s(bytes);
    e->ReadFromStream(s);
    EXPECT_EQ(e->Name(), "ok");
    EXPECT_TRUE(e->Flag());
    EXPECT_EQ(e->Qty(), 3);
    EXPECT_EQ(e->Shade(), TShade::shBlue);
    EXPECT_EQ(e->Shades(), 0);
    EXPECT_EQ(s.Position(), s.Size());

    // A record length of 0 (older writers) reads the same.
    std::string rec = Record("TTestEntry", S("Name") + B({0x06, 0x01, 'z'}));
    rec.replace(2, 4, std::string(4, '\0'));
    EXPECT_EQ(Load<TTestEntry>(rec)->Name(), "z");
}

TEST_F(ObjectStreamTest, StructuralFaultsRaise) {
    struct Case {
        const char* what;
        std::string bytes;
        std::string message;
    };
    const std::string good = Record("TTiny", S("Name") + B({0x06, 0x01, 'a'}));
    const Case cases[] = {
        {"truncated", good.substr(0, good.size() - 3), "Stream read error"},
        {"empty", "", "Stream read error"},
        {"unknown class", Record("TNoSuchThing", ""), "Class TNoSuchThing not found"},
        {"not a record", B({0x02, 0x01}), "Invalid stream format"},
        {"long string longer than the input",
         Record("TTiny", S("Name") + B({0x0C}) + Le32(0x7FFFFFF0) + "abc"), "Stream read error"},
        {"negative length", Record("TTiny", S("Name") + B({0x0C}) + Le32(0xFFFFFFFF)), "Invalid property value"},
        {"unknown tag", Record("TTiny", S("Name") + B({0x20})), "Invalid property value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTiny t;
        TReadOnlyMemoryStream s(c.bytes);
        try {
            t.ReadFromStream(s);
            ADD_FAILURE() << "no error";
        } catch (const EStreamError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST_F(ObjectStreamTest, ListsStreamTheirItemsInPL) {
    TTestList empty;
    const std::string emptyBytes = Save(empty);
    EXPECT_EQ(emptyBytes, Record("TTestList", S("PL") + B({0x0A, 0x03, 0, 0, 0, 0x01, 0x09, 0x00})));

    TTestList list(false);
    TTiny a, b;
    a.SetName("a");
    b.SetCount(1);
    list.Add(&a);
    list.Add(&b);
    list.SetTitle("T");
    const std::string items = B({0x01, 0x08}) + Record("TTiny", S("Name") + B({0x06, 0x01, 'a'})) +
                              Record("TTiny", S("Count") + B({0x02, 0x01})) + B({0x00});
    const std::string bytes = Save(list);
    EXPECT_EQ(bytes, Record("TTestList", S("Title") + B({0x06, 0x01, 'T'}) + S("PL") + B({0x0A}) +
                                             Le32(static_cast<uint32_t>(items.size())) + items));

    auto back = Load<TTestList>(bytes);
    ASSERT_EQ(back->Count(), 2);
    EXPECT_FALSE(back->OwnsObjects());
    EXPECT_EQ(back->Title(), "T");
    EXPECT_EQ(back->ItemAs<TTiny>(0)->Name(), "a");
    EXPECT_EQ(back->ItemAs<TTiny>(1)->Count(), 1);
    // a non-owning list read from a stream made its items; free them here
    for (int i = 0; i < back->Count(); ++i) delete back->Items(i);
}

TEST_F(ObjectStreamTest, ClassNotFoundInsideAListKeepsTheItemsBefore) {
    const std::string items = B({0x01, 0x09}) + Record("TTiny", "") + Record("TGone", "") + Record("TTiny", "") +
                              B({0x00});
    const std::string bytes = Record("TTestList", S("PL") + B({0x0A}) + Le32(uint32_t(items.size())) + items);
    TTestList list;
    TReadOnlyMemoryStream s(bytes);
    EXPECT_THROW(
        {
            try {
                list.ReadFromStream(s);
            } catch (const EClassNotFound& e) {
                EXPECT_EQ(e.Message(), "Class TGone not found");
                throw;
            }
        },
        EClassNotFound);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(ObjectStreamTest, AliasesAreWrittenAndResolved) {
    TQorPersistList plain;
    EXPECT_EQ(Save(plain), Record("TRPL", S("PL") + B({0x0A, 0x03, 0, 0, 0, 0x01, 0x09, 0x00})));
    const std::string rp = Record("TRP", "");
    TReadOnlyMemoryStream s(rp);
    auto obj = TQorPersistent::ReadObject(s);
    EXPECT_EQ(obj->ClassName(), "TQorPersistent");

    RegisterAlias(TTiny::StaticClass(), "TT");
    EXPECT_EQ(FindStreamClass("tt"), &TTiny::StaticClass());
    EXPECT_NO_THROW(RegisterAlias(TTiny::StaticClass(), "TT"));
    EXPECT_THROW(RegisterAlias(TTestEntry::StaticClass(), "TT"), EListError);
    TTiny t;
    EXPECT_EQ(Save(t), Record("TT", ""));
    UnRegisterAlias("TT");
    EXPECT_EQ(FindStreamClass("TT"), nullptr);
    EXPECT_EQ(Save(t), Record("TTiny", ""));
}

TEST_F(ObjectStreamTest, NestingIsBounded) {
    // A list inside a list inside a list... deeper than any real file.
    std::string rec = Record("TTestList", "");
    for (int i = 0; i < 200; ++i) {
        const std::string items = B({0x01, 0x09}) + rec + B({0x00});
        rec = Record("TTestList", S("PL") + B({0x0A}) + Le32(uint32_t(items.size())) + items);
    }
    TTestList list;
    TReadOnlyMemoryStream s(rec);
    EXPECT_THROW(list.ReadFromStream(s), EReadError);

    std::string deep = S("Gone");
    for (int i = 0; i < 500; ++i) deep += B({0x01});
    EXPECT_THROW(Load<TTiny>(Record("TTiny", deep)), EReadError);
}

TEST_F(ObjectStreamTest, ConsecutiveRecordsReadFromOneStream) {
    TMemoryStream s;
    TTiny a, b;
    a.SetName("first");
    b.SetName("second");
    a.WriteToStream(s);
    b.WriteToStream(s);
    s.SetPosition(0);
    auto x = TQorPersistent::ReadObject(s);
    auto y = TQorPersistent::ReadObject(s);
    EXPECT_EQ(static_cast<TTiny*>(x.get())->Name(), "first");
    EXPECT_EQ(static_cast<TTiny*>(y.get())->Name(), "second");
    EXPECT_EQ(s.Position(), s.Size());
}

TEST_F(ObjectStreamTest, TypedFilesSignatureAndTexts) {
    const std::string path = TempPath("list.tst");
    TTestList list;
    auto* e = new TTestEntry;
    e->SetName("Part \xC2\xA3");
    list.Add(e);
    list.SaveToFile(path);
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.substr(0, 8), B({'T', 'S', 'T', 'U', 0xAA, 'T', 'S', 'T'}));
    EXPECT_EQ(bytes.substr(8), Save(list));

    auto loaded = TQorPersistList::CreateFromFile<TTestList>(path);
    ASSERT_EQ(loaded->Count(), 1);
    EXPECT_EQ(loaded->ItemAs<TTestEntry>(0)->Name(), "Part \xC2\xA3");

    TOtherList other;
    other.Add(new TTiny);
    try {
        other.LoadFromFile(path);
        ADD_FAILURE();
    } catch (const EInvalidFileSignature& err) {
        EXPECT_EQ(err.Message(), "Invalid File Type in TOtherList");
    }
    EXPECT_EQ(other.Count(), 0);  // lists are emptied before the check

    try {
        list.LoadFromFile(path + ".missing");
        ADD_FAILURE();
    } catch (const EFileDoesNotExist& err) {
        EXPECT_EQ(err.Message(), path + ".missing : File Does Not Exist");
    }
    TReadOnlyMemoryStream shortStream(std::string_view("TSTU"));
    EXPECT_THROW(list.LoadFromStream(shortStream), EReadError);

    // A class without a signature writes none.
    TTiny t;
    TMemoryStream m;
    t.SaveToStream(m);
    EXPECT_EQ(m.Bytes(), Save(t));
}

TEST_F(ObjectStreamTest, FailingSaveLeavesThePreviousFile) {
    const std::string path = TempPath("keep.tst");
    TTestList list;
    auto* good = new TTiny;
    good->SetName("good");
    list.Add(good);
    list.SaveToFile(path);
    const std::string before = ReadFileBytes(path);

    auto* broken = new TTiny;
    broken->failOnWrite = true;
    list.Add(broken);
    try {
        list.SaveToFile(path);
        ADD_FAILURE();
    } catch (const Exception& err) {
        EXPECT_EQ(err.Message(), "1");  // the failing item's index
    }
    EXPECT_EQ(ReadFileBytes(path), before);
    for (const auto& f : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        EXPECT_EQ(f.path().filename().string().find(".keep.tst."), std::string::npos) << f.path();
}

TEST_F(ObjectStreamTest, ListAssignMakesIndependentCopies) {
    TTestList src(true);
    for (int i = 0; i < 3; ++i) {
        auto* e = new TTestEntry;
        e->SetName("e" + std::to_string(i));
        e->SetQty(i);
        e->Notes()->Add("n");
        src.Add(e);
    }
    TOtherList dst(false);
    dst.Assign(&src);
    ASSERT_EQ(dst.Count(), 3);
    EXPECT_TRUE(dst.OwnsObjects());
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(dst.Items(i), src.Items(i));
        EXPECT_EQ(Save(*dst.Items(i)), Save(*src.Items(i)));
    }
    src.ItemAs<TTestEntry>(0)->SetName("changed");
    EXPECT_EQ(dst.ItemAs<TTestEntry>(0)->Name(), "e0");

    TTiny notAList;
    EXPECT_THROW(dst.Assign(&notAList), EInvalidCast);
    EXPECT_THROW(dst.Assign(nullptr), EInvalidCast);
    EXPECT_EQ(dst.Count(), 3);
}

TEST_F(ObjectStreamTest, ReaderErrorsRaiseWhenNotHandled) {
    const std::string bytes = Record("TTiny", S("Gone") + B({0x02, 0x01}));
    TTiny t;
    TReadOnlyMemoryStream s(bytes);
    TQorReader r(s);
    r.OnError = [](TQorReader*, const std::string&, bool& handled) { handled = false; };
    try {
        r.ReadObject(std::nullopt, t);
        ADD_FAILURE();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Property Gone does not exist");
    }
    // An expected identifier that differs.
    TReadOnlyMemoryStream s2(bytes);
    TQorReader r2(s2);
    EXPECT_THROW(r2.ReadObject(std::string("X"), t), EIDMismatch);
}
