#include "catalog/QuoteModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/Startup.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogTree.h"
#include "catalog/QuoteDiscounts.h"

using namespace ortello;
namespace fs = std::filesystem;

namespace {

struct Registered {
    Registered() { RegisterAllClasses(); }
} registered;

struct TempDir {
    fs::path dir;
    TempDir() {
        dir = fs::temp_directory_path() / ("ortello-quote-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~TempDir() { fs::remove_all(dir); }
    std::string operator/(const std::string& name) const { return (dir / name).string(); }
};

TLOMQuoteEntry* AddLine(TLOMQuoteList& q, const std::string& partNo, double usPrice, int quantity,
                        const std::string& group = "") {
    TLOMQuoteEntry* e = q.AddNew();
    e->SetPartNoText(partNo);
    e->SetDesc(partNo + " description");
    e->SetUSPrice(usPrice);
    e->SetQuantity(quantity);
    if (!group.empty()) e->SetGroup(group);
    return e;
}

std::string SaveBytes(TQorPersistent& obj) {
    TMemoryStream s;
    obj.SaveToStream(s);
    return s.Bytes();
}

}  // namespace

TEST(QuoteEntry, PriceTotalsAndExtended) {
    struct Case {
        const char* name;
        double price, discount;
        int quantity;
        bool option, cable;
        int length;
        double perFoot, base;
        double expectPrice, expectTotal, expectExtended;
    } cases[] = {
        {"plain", 100, 0.25, 3, false, false, 0, 0, 0, 75, 225, 225},
        {"option line", 100, 0.25, 3, true, false, 0, 0, 0, 75, 225, 0},
        {"cable", 10, 0.1, 1, false, true, 50, 2, 5, 103.5, 103.5, 103.5},
        {"cable data ignored unless cable", 10, 0.1, 2, false, false, 50, 2, 5, 9, 18, 18},
        {"no price in the currency", 0, 0.5, 4, false, false, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLOMQuoteEntry e;
        e.SetUSPrice(c.price);
        e.SetDiscount(c.discount);
        e.SetQuantity(c.quantity);
        e.SetOption(c.option);
        e.SetIsCable(c.cable);
        e.SetCableLength(c.length);
        e.SetPricePerFoot(c.perFoot);
        e.SetBaseCablePrice(c.base);
        EXPECT_DOUBLE_EQ(e.GetPrice(), c.expectPrice);
        EXPECT_DOUBLE_EQ(e.GetTotal(), c.expectTotal);
        EXPECT_DOUBLE_EQ(e.Extended(), c.expectExtended);
        // A stored group total wins; 0 means "use Extended".
        EXPECT_DOUBLE_EQ(e.GroupTotal(), c.expectExtended);
        e.SetGroupTotal(7);
        EXPECT_DOUBLE_EQ(e.GroupTotal(), 7);
    }
}

TEST(QuoteEntry, PartNumberRules) {
    struct Case {
        const char* name;
        TPartRef ref;
        const char* partNo;
        const char* xref;
        const char* second;
        bool cable;
        int length;
        const char* expect;
    } cases[] = {
        {"maker's number", prVelmar, "P1", "X1", "S1", false, 0, "P1"},
        {"customer reference", prCustomer, "P1", "X1", "S1", false, 0, "X1"},
        {"second reference", prCustomer1, "P1", "X1", "S1", false, 0, "S1"},
        {"empty second reference", prCustomer1, "P1", "X1", "", false, 0, "P1"},
        {"cable length in the pattern", prVelmar, "CBL-%0d", "", "", true, 150, "CBL-150"},
        {"cable pattern of the reference", prCustomer, "CBL-%0d", "REF%0dFT", "", true, 25, "REF25FT"},
        {"cable without placeholder", prVelmar, "HCF14-P", "", "", true, 150, "HCF14-P"},
        {"pattern not for a cable", prVelmar, "CBL-%0d", "", "", false, 150, "CBL-%0d"},
        {"pattern that takes text", prVelmar, "CBL-%s", "", "", true, 150, "CBL-%s"},
        {"broken pattern", prVelmar, "100%", "", "", true, 3, "100%"},
        {"two placeholders", prVelmar, "%d-%d", "", "", true, 3, "%d-%d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLOMQuoteList q;
        q.SetPartRef(c.ref);
        TLOMQuoteEntry* e = q.AddNew();
        e->SetPartNoText(c.partNo);
        e->SetXRef(c.xref);
        e->SetSecondXRef(c.second);
        e->SetIsCable(c.cable);
        e->SetCableLength(c.length);
        EXPECT_EQ(e->GetPartNumber(), c.expect);
        EXPECT_EQ(e->PartNumberText(), c.expect);
    }
    // A free entry shows PartNo whatever the program-wide part reference.
    SetCurrentPartRef(prCustomer);
    TLOMQuoteEntry free;
    free.SetPartNoText("P-%0d");
    free.SetXRef("X");
    free.SetIsCable(true);
    free.SetCableLength(7);
    EXPECT_EQ(free.GetPartNumber(), "P-7");
    SetCurrentPartRef(prVelmar);
}

TEST(QuoteEntry, GroupFallsBackToProductCategory) {
    TLOMQuoteEntry e;
    EXPECT_EQ(e.Group(), "");
    e.SetProdCat("Antennas");
    EXPECT_EQ(e.Group(), "Antennas");
    EXPECT_EQ(e.StoredGroup(), "");
    e.SetGroup("Site A");
    EXPECT_EQ(e.Group(), "Site A");
}

TEST(QuoteEntry, CurrencyIsTheListsOrTheProgramsForAFreeEntry) {
    TLOMQuoteList q;
    q.SetCurrencyType(ctCanada);
    TLOMQuoteEntry* e = AddLine(q, "P", 100, 1);
    e->SetIndexedPrice(ctCanada, 135);
    ASSERT_EQ(CurrentCurrency(), ctUSDollar);
    EXPECT_EQ(e->CurrencyType(), ctCanada);
    EXPECT_DOUBLE_EQ(e->GetPrice(), 135);
    EXPECT_EQ(e->ListPriceText(), "135.00");
    TLOMQuoteEntry free;
    free.Assign(e);  // takes the owning list along
    EXPECT_DOUBLE_EQ(free.GetPrice(), 135);
    free.SetQuoteList(nullptr);
    EXPECT_DOUBLE_EQ(free.GetPrice(), 100);
    SetCurrentCurrency(ctCanada);
    EXPECT_DOUBLE_EQ(free.GetPrice(), 135);
    SetCurrentCurrency(ctUSDollar);
}

TEST(QuoteEntry, AssignCopiesCatalogAndQuoteFieldsThenRecalculates) {
    TLOMQuoteList source;
    TLOMQuoteEntry* s = AddLine(source, "S1", 10, 4, "G");
    s->SetOption(true);
    s->SetIsCable(true);
    s->SetCableLength(12);
    s->SetPricePerFoot(1.5);
    s->SetBaseCablePrice(3);
    s->SetMain(true);
    s->SetGroupTotal(99);
    s->SetAvailabilityChecked(true);
    s->SetDiscount(0.2);

    TLOMQuoteList target;
    AddLine(target, "FIRST", 5, 2);
    TLOMQuoteEntry* t = target.AddCopy(s);
    EXPECT_EQ(t->PartNo(), "S1");
    EXPECT_EQ(t->Quantity(), 4);
    EXPECT_EQ(t->StoredGroup(), "G");
    EXPECT_TRUE(t->Option());
    EXPECT_TRUE(t->IsCable());
    EXPECT_EQ(t->CableLength(), 12);
    EXPECT_EQ(t->PricePerFoot(), 1.5);
    EXPECT_EQ(t->BaseCablePrice(), 3);
    EXPECT_TRUE(t->Main());
    EXPECT_EQ(t->StoredGroupTotal(), 99);
    EXPECT_DOUBLE_EQ(t->Discount(), 0.2);
    EXPECT_FALSE(t->AvailabilityChecked());  // not part of the copy
    EXPECT_EQ(t->QuoteList(), &target);
    EXPECT_EQ(t->SortIndex(), 1);
    // The option line adds nothing to the totals that followed the copy.
    EXPECT_DOUBLE_EQ(t->TotalCost(), 10);

    // From a catalog entry only the catalog fields come.
    TLOMEntry cat;
    cat.SetPartNoText("C1");
    cat.SetUSPrice(50);
    t->Assign(&cat);
    EXPECT_EQ(t->PartNo(), "C1");
    EXPECT_EQ(t->Quantity(), 4);
    EXPECT_DOUBLE_EQ(t->Discount(), 0);
}

TEST(QuoteList, RunningTotalsAndOptionLines) {
    TLOMQuoteList q;
    AddLine(q, "A", 10, 1);
    AddLine(q, "B", 20, 1);
    TLOMQuoteEntry* c = AddLine(q, "C", 30, 1);
    for (auto [i, expect] : {std::pair{0, 10.0}, {1, 30.0}, {2, 60.0}}) {
        EXPECT_DOUBLE_EQ(q.Entry(i)->SubTotal(), expect);
        EXPECT_DOUBLE_EQ(q.Entry(i)->TotalCost(), expect);
    }
    c->SetOption(true);
    q.RecalculateTotals();
    EXPECT_DOUBLE_EQ(c->TotalCost(), 30);
    EXPECT_DOUBLE_EQ(q.Total(), 30);
    // A quantity change carries through to the totals.
    q.Entry(0)->SetQuantity(3);
    EXPECT_DOUBLE_EQ(q.Entry(2)->TotalCost(), 50);
}

TEST(QuoteList, ChangesMarkModifiedAndFireUnlessUpdating) {
    TLOMQuoteList q;
    int events = 0;
    q.OnQuoteChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &q);
        ++events;
    };
    EXPECT_FALSE(q.IsModified());
    TLOMQuoteEntry* e = q.AddNew();
    EXPECT_TRUE(q.IsModified());
    EXPECT_EQ(events, 1);
    q.ClearModified();
    e->SetQuantity(5);
    EXPECT_TRUE(q.IsModified());
    EXPECT_EQ(events, 2);
    e->SetQuantity(5);  // unchanged: nothing
    EXPECT_EQ(events, 2);
    q.BeginUpdate();
    e->SetQuantity(6);
    q.AddNew();
    q.Delete(1);
    EXPECT_EQ(events, 2);
    q.EndUpdate();
    q.ClearModified();
    q.Clear();
    EXPECT_TRUE(q.IsModified());
    EXPECT_EQ(events, 3);
    // A free entry has nobody to tell.
    TLOMQuoteEntry free;
    free.SetQuantity(2);
    EXPECT_EQ(free.Quantity(), 2);
}

TEST(QuoteList, LookupsSubtractAndDelete) {
    TLOMQuoteList q;
    AddLine(q, "A", 1, 5, "G1");
    AddLine(q, "a", 1, 2, "G2");
    TLOMQuoteEntry* cat = AddLine(q, "B", 1, 1);
    cat->SetProdCat("Dishes");
    EXPECT_EQ(q.IndexOfPartNo("a"), 0);
    EXPECT_EQ(q.IndexOfPartNoAndGroup("A", "g2"), 1);
    EXPECT_EQ(q.IndexOfPartNoAndGroup("b", "DISHES"), 2);  // the product category acts as group
    EXPECT_EQ(q.IndexOfPartNo("Z"), -1);

    struct Case {
        int take;
        int expectCount;
        int expectQuantity;
    } cases[] = {{2, 3, 3}, {3, 2, -1}};
    for (const Case& c : cases) {
        TLOMQuoteEntry probe;
        probe.SetPartNoText("A");
        probe.SetGroup("G1");
        probe.SetQuantity(c.take);
        q.SubtractEntry(probe);
        EXPECT_EQ(q.Count(), c.expectCount);
        if (c.expectQuantity >= 0) {
            EXPECT_EQ(q.Entry(q.IndexOfPartNoAndGroup("A", "G1"))->Quantity(), c.expectQuantity);
        }
    }
    EXPECT_EQ(q.IndexOfPartNoAndGroup("A", "G1"), -1);
    TLOMQuoteEntry absent;
    absent.SetPartNoText("NONE");
    q.SubtractEntry(absent);
    EXPECT_EQ(q.Count(), 2);
    q.DeleteByPartNo("b");
    q.DeleteByPartNo("missing");
    ASSERT_EQ(q.Count(), 1);
    EXPECT_EQ(q.Entry(0)->StoredGroup(), "G2");
    q.Entry(0)->SetDiscount(0.3);
    q.ClearDiscounts();
    EXPECT_EQ(q.Entry(0)->Discount(), 0);
}

TEST(QuoteList, NewListDefaultsAndClearing) {
    SetCurrentCurrency(ctYen);
    TLOMQuoteList q;
    SetCurrentCurrency(ctUSDollar);
    EXPECT_EQ(q.FileName(), "NewQuote");
    EXPECT_EQ(q.CurrencyType(), ctYen);
    EXPECT_EQ(q.PartRef(), prVelmar);
    EXPECT_EQ(q.TermsGroup(), "No Terms");
    EXPECT_EQ(q.DiscountSchedule(), "Default");
    EXPECT_FALSE(q.IsModified());
    EXPECT_EQ(q.ContactInfo()->PageCount(), -1);
    EXPECT_NEAR(q.ContactInfo()->ValidDate(), Now(), 1.0 / 24);

    q.SetApp("Planner");
    q.SetDescription("Tower 7");
    q.ContactInfo()->SetText(TContactInformation::cfCompanyName, "Acme");
    q.ContactInfo()->SetPageCount(3);
    q.ContactInfo()->SetValidDate(1);
    AddLine(q, "A", 1, 1);
    q.Clear();
    EXPECT_EQ(q.Count(), 0);
    EXPECT_EQ(q.Description(), "");
    EXPECT_EQ(q.App(), "Planner");
    EXPECT_EQ(q.ContactInfo()->Text(TContactInformation::cfCompanyName), "");
    EXPECT_EQ(q.ContactInfo()->PageCount(), -1);
    EXPECT_GT(q.ContactInfo()->ValidDate(), 1);
}

TEST(QuoteList, AddCatalogPartsAndQuoteEntries) {
    TLOMPartList parts;
    for (const char* p : {"C1", "C2"}) {
        TLOMEntry* e = parts.AddNewEntry();
        e->SetPartNoText(p);
        e->SetUSPrice(10);
    }
    TLOMQuoteList q;
    q.AddCatalogParts(parts);
    ASSERT_EQ(q.Count(), 2);
    EXPECT_EQ(q.Entry(1)->PartNo(), "C2");
    EXPECT_EQ(q.Entry(1)->Quantity(), 1);
    EXPECT_DOUBLE_EQ(q.Entry(1)->TotalCost(), 20);

    TLOMQuoteList other;
    other.AddQuoteEntries(q);
    ASSERT_EQ(other.Count(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(other.Entry(i), q.Entry(i));
        EXPECT_EQ(other.Entry(i)->QuoteList(), &other);
    }
    other.Entry(0)->SetQuantity(9);
    EXPECT_EQ(q.Entry(0)->Quantity(), 1);
}

namespace {
// Encodes values the way object records hold them, independently of the writer.
struct Record {
    std::string b;
    Record& Raw(std::initializer_list<int> bytes) {
        for (int x : bytes) b += static_cast<char>(x);
        return *this;
    }
    Record& Name(const std::string& s) {
        b += static_cast<char>(s.size());
        b += s;
        return *this;
    }
    Record& Str(const std::string& name, const std::string& v) { return Name(name).Raw({0x06}).Name(v); }
    Record& Ident(const std::string& name, const std::string& v) { return Name(name).Raw({0x07}).Name(v); }
    Record& False(const std::string& name) { return Name(name).Raw({0x08}); }
    Record& Int8(const std::string& name, int v) { return Name(name).Raw({0x02, v}); }
    // Record start, length, empty identifier and class name around the properties.
    static std::string Wrap(const std::string& cls, const std::string& props) {
        std::string body = std::string("\x07\x00", 2) + '\x07' + static_cast<char>(cls.size()) + cls + props + '\0';
        const uint32_t len = static_cast<uint32_t>(1 + 5 + body.size());
        std::string r = "\x01\x04";
        for (int i = 0; i < 4; ++i) r += static_cast<char>((len >> (8 * i)) & 0xFF);
        return r + body;
    }
};
}  // namespace

TEST(QuotationFile, SmallQuotationMatchesTheRecordLayoutByteForByte) {
    TLOMQuoteList q;
    q.SetCurrencyType(ctUSDollar);
    q.ContactInfo()->SetValidDate(45000.5);
    TLOMQuoteEntry* e = q.AddNew();
    e->SetPartNoText("A1");
    e->SetDesc("Dish");
    e->SetUSPrice(12.5);
    e->SetQuantity(2);

    Record entry;
    entry.Int8("SortIndex", 0).Str("Desc", "Dish").Str("PartNo", "A1");
    // 12.5 as 80-bit extended: mantissa C800000000000000, exponent 4002.
    entry.Name("USPrice").Raw({0x05, 0, 0, 0, 0, 0, 0, 0, 0xC8, 0x02, 0x40});
    entry.False("IsCable").Int8("CableLength", 0).False("Option").Int8("Quantity", 2);
    entry.False("AvailabilityChecked").False("Main");
    const std::string entryRecord = Record::Wrap("TLOMQuoteEntry", entry.b);

    const std::string pl = "\x01\x09" + entryRecord + '\0';
    Record list;
    list.Str("TermsGroup", "No Terms").Str("DiscountSchedule", "Default");
    // 45000.5 = AFC8.8 hex: mantissa AFC8800000000000, exponent 400E.
    list.Name("ContactInfo.ValidDate").Raw({0x05, 0, 0, 0, 0, 0, 0x80, 0xC8, 0xAF, 0x0E, 0x40});
    list.Ident("CurrencyType", "ctUSDollar").Ident("PartRef", "prVelmar");
    list.Name("PL").Raw({0x0A});
    const uint32_t plLen = static_cast<uint32_t>(pl.size());
    for (int i = 0; i < 4; ++i) list.b += static_cast<char>((plLen >> (8 * i)) & 0xFF);
    list.b += pl;
    const std::string expected = std::string("LOMU\xAAMOL") + Record::Wrap("TLOMQuoteList", list.b);

    const std::string bytes = SaveBytes(q);
    EXPECT_EQ(bytes, expected);

    TLOMQuoteList back;
    TReadOnlyMemoryStream in(expected);
    back.LoadFromStream(in);
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.Entry(0)->PartNo(), "A1");
    EXPECT_EQ(back.Entry(0)->Quantity(), 2);
    EXPECT_EQ(back.Entry(0)->QuoteList(), &back);
    EXPECT_EQ(back.ContactInfo()->ValidDate(), 45000.5);
    EXPECT_DOUBLE_EQ(back.Entry(0)->TotalCost(), 25);
    EXPECT_EQ(SaveBytes(back), expected);
}

TEST(QuotationFile, SaveLoadSaveIsIdentity) {
    TempDir tmp;
    TLOMQuoteList q;
    q.SetApp("Planner");
    q.SetAppFile("site.txt");
    q.SetTermsGroup("Export");
    q.SetDescription("Tower 7 \xC2\xB0 north");  // a degree sign, one byte on disk
    q.SetDiscountSchedule("Distributor - Euros");
    q.SetCurrencyType(ctEuroDollar);
    q.SetPartRef(prCustomer);
    TContactInformation& ci = *q.ContactInfo();
    ci.SetText(TContactInformation::cfCompanyName, "Acme Towers");
    ci.SetText(TContactInformation::cfZipCode, "12345");
    ci.SetFreightCharges(250.75);
    ci.SetPageCount(4);
    TLOMQuoteEntry* a = AddLine(q, "DISH-6", 1000, 2, "Site A");
    a->SetIndexedPrice(ctEuroDollar, 950);
    a->SetDiscount(0.15);
    a->SetProdCat("Dishes");
    a->SetXRef("CUST-1");
    TLOMQuoteEntry* cable = AddLine(q, "CBL-%0d", 1.2, 1, "Site A");
    cable->SetIsCable(true);
    cable->SetCableLength(120);
    cable->SetPricePerFoot(1.1);
    cable->SetBaseCablePrice(30);
    cable->SetRootPartNumber("CBL");
    TLOMQuoteEntry* option = AddLine(q, "KIT", 45, 1);
    option->SetOption(true);
    option->SetMain(true);
    option->SetAvailabilityChecked(true);
    std::string text(300, 'x');  // a long string takes the 32-bit length form
    option->SetDesc(text);

    const std::string path = tmp / "q.otq";
    q.SaveToFile(path);
    EXPECT_EQ(q.FileName(), path);
    EXPECT_FALSE(q.IsModified());
    EXPECT_GT(q.FileDate(), 0);
    const std::string first = SaveBytes(q);

    TLOMQuoteList back;
    back.SetApp("stale");
    back.SetModified();
    back.LoadFromFile(path);
    EXPECT_EQ(back.FileName(), path);
    EXPECT_EQ(back.FileTitle(), "q.otq");
    EXPECT_FALSE(back.IsModified());
    EXPECT_NEAR(back.FileDate(), Now(), 1.0 / 24);
    EXPECT_EQ(back.Description(), q.Description());
    EXPECT_EQ(back.CurrencyType(), ctEuroDollar);
    EXPECT_EQ(back.ContactInfo()->FreightCharges(), 250.75);
    EXPECT_EQ(back.ContactInfo()->PageCount(), -1);  // not kept in the file
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.Entry(0)->GetPartNumber(), "CUST-1");
    EXPECT_EQ(back.Entry(1)->GetPartNumber(), "CBL-120");
    EXPECT_EQ(back.Entry(2)->Desc(), text);
    EXPECT_DOUBLE_EQ(back.Entry(2)->TotalCost(), q.Entry(2)->TotalCost());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(back.Entry(i)->QuoteList(), &back);
    EXPECT_EQ(SaveBytes(back), first);
    EXPECT_EQ(ReadFileBytes(path), first);
}

TEST(QuotationFile, WhatTheFileLeavesOutReadsBackEmpty) {
    TLOMQuoteList q;
    q.SetTermsGroup("");
    q.SetDiscountSchedule("");
    q.ContactInfo()->SetValidDate(0);
    const std::string bytes = SaveBytes(q);
    TLOMQuoteList back;
    TReadOnlyMemoryStream in(bytes);
    back.LoadFromStream(in);
    EXPECT_EQ(back.TermsGroup(), "");
    EXPECT_EQ(back.ContactInfo()->ValidDate(), 0);
    EXPECT_EQ(SaveBytes(back), bytes);
}

TEST(QuotationFile, ForeignAndMissingFilesLeaveTheListAlone) {
    TempDir tmp;
    TLOMQuoteList q;
    AddLine(q, "KEEP", 1, 1);
    q.SetDescription("kept");
    const std::string foreign = tmp / "schedule.otdf";
    std::ofstream(foreign, std::ios::binary) << std::string("OTDU\xAA" "DTO\x01\x04\0\0\0\0", 14);
    try {
        q.LoadFromFile(foreign);
        FAIL() << "no error";
    } catch (const EInvalidFileSignature& e) {
        EXPECT_STREQ(e.what(), "Invalid File Type in TLOMQuoteList");
    }
    EXPECT_THROW(q.LoadFromFile(tmp / "missing.otq"), EFileDoesNotExist);
    EXPECT_EQ(q.Count(), 1);
    EXPECT_EQ(q.Description(), "kept");
    EXPECT_EQ(q.FileName(), "NewQuote");
    // A truncated record fails with the read error.
    const std::string good = SaveBytes(q);
    TReadOnlyMemoryStream cut(std::string_view(good).substr(0, good.size() - 20));
    TLOMQuoteList partial;
    EXPECT_THROW(partial.LoadFromStream(cut), EReadError);
}

TEST(QuoteList, AssignGoesThroughTheRecord) {
    TLOMQuoteList src;
    src.SetAppFile("");
    src.SetTermsGroup("Export");
    src.SetDescription("Copy me");
    src.SetDiscountSchedule("S - Yen");
    src.SetCurrencyType(ctYen);
    src.SetPartRef(prCustomer1);
    src.SetScheduleExpiration(40000);
    src.SetFileName("/q/src.otq");
    src.ContactInfo()->SetText(TContactInformation::cfContact, "Ann");
    src.ContactInfo()->SetPageCount(2);
    AddLine(src, "A", 10, 1)->SetIndexedPrice(ctYen, 1000);
    AddLine(src, "B", 20, 2)->SetIndexedPrice(ctYen, 2000);
    AddLine(src, "C", 30, 3)->SetIndexedPrice(ctYen, 3000);
    src.ClearModified();

    TLOMQuoteList dst;
    dst.SetApp("Keeps its app");
    dst.SetAppFile("keeps.txt");
    AddLine(dst, "OLD", 1, 1);
    int events = 0;
    dst.OnQuoteChange = [&](TObject*) { ++events; };
    dst.Assign(&src);
    EXPECT_EQ(events, 0);
    EXPECT_FALSE(dst.IsUpdating());
    EXPECT_FALSE(dst.IsModified());
    EXPECT_EQ(dst.App(), "Keeps its app");
    EXPECT_EQ(dst.AppFile(), "keeps.txt");
    EXPECT_EQ(dst.TermsGroup(), "Export");
    EXPECT_EQ(dst.Description(), "Copy me");
    EXPECT_EQ(dst.DiscountSchedule(), "S - Yen");
    EXPECT_EQ(dst.CurrencyType(), ctYen);
    EXPECT_EQ(dst.PartRef(), prCustomer1);
    EXPECT_EQ(dst.ScheduleExpiration(), 40000);
    EXPECT_EQ(dst.FileName(), "/q/src.otq");
    EXPECT_EQ(dst.ContactInfo()->Text(TContactInformation::cfContact), "Ann");
    EXPECT_EQ(dst.ContactInfo()->PageCount(), 2);
    ASSERT_EQ(dst.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(dst.Entry(i), src.Entry(i));
        EXPECT_EQ(dst.Entry(i)->PartNo(), src.Entry(i)->PartNo());
        EXPECT_EQ(dst.Entry(i)->Quantity(), src.Entry(i)->Quantity());
        EXPECT_EQ(dst.Entry(i)->QuoteList(), &dst);
    }
    EXPECT_DOUBLE_EQ(dst.Entry(2)->TotalCost(), 14000);  // priced in the copied currency
    dst.Entry(0)->SetQuantity(5);
    EXPECT_EQ(src.Entry(0)->Quantity(), 1);
}

TEST(QuoteList, ImportContactInfo) {
    TempDir tmp;
    TLOMQuoteList other;
    other.ContactInfo()->SetText(TContactInformation::cfCity, "Springfield");
    AddLine(other, "X", 1, 1);
    other.SaveToFile(tmp / "other.otq");

    TLOMQuoteList q;
    AddLine(q, "MINE", 1, 1);
    q.ImportContactInfo(tmp / "missing.otq");
    EXPECT_EQ(q.ContactInfo()->Text(TContactInformation::cfCity), "");
    q.ImportContactInfo(tmp / "other.otq");
    EXPECT_EQ(q.ContactInfo()->Text(TContactInformation::cfCity), "Springfield");
    ASSERT_EQ(q.Count(), 1);
    EXPECT_EQ(q.Entry(0)->PartNo(), "MINE");
}

TEST(QuoteClasses, RegisteredByNameWithTheirProperties) {
    for (const char* name : {"TLOMQuoteEntry", "TLOMQuoteList", "TVRIXSiteInformation", "TQuoteList",
                             "TContactInformation", "TContactInformationList", "TLOMPartList", "TSalesContact"})
        EXPECT_NE(FindClass(name), nullptr) << name;
    const TClassInfo& e = TLOMQuoteEntry::StaticClass();
    // Quote fields follow the catalog entry's, in declaration order.
    const int base = static_cast<int>(TLOMEntry::StaticClass().Properties().size());
    EXPECT_EQ(e.PropertyIndex("Total"), base);
    EXPECT_EQ(e.PropertyIndex("Main"), base + 16);
    TSalesContact sales;
    EXPECT_EQ(sales.ClassInfo().Properties().size(), 12u);
    TVRIXSiteInformation site;
    site.SetText(TVRIXSiteInformation::sfSiteName, "North");
    site.FacilityAddress()->Add("Dock 4");
    TVRIXSiteInformation copy;
    copy.Assign(&site);
    EXPECT_EQ(copy.Text(TVRIXSiteInformation::sfSiteName), "North");
    EXPECT_EQ(copy.FacilityAddress()->Count(), 1);
}

TEST(QuoteDiscounts, ProductCategoriesComeFromTheCatalog) {
    TLOMNoLoadContainer c;
    TStringList fields{"PartNo", "Desc", "ProdCat", "USPrice"};
    c.Host().DAVFields = &fields;
    c.LoadCatalogText("PartNo|Desc|ProdCat|USPrice\nc\n[A]\nP1|one|Dishes|1\nROOT|root|Cable|1\n", "f");
    TLOMQuoteList q;
    TLOMQuoteEntry* byPart = AddLine(q, "p1", 1, 1);
    byPart->SetProdCat("Old");
    TLOMQuoteEntry* byRoot = AddLine(q, "ROOT-100", 1, 1);
    byRoot->SetRootPartNumber("root");
    TLOMQuoteEntry* gone = AddLine(q, "GONE", 1, 1);
    gone->SetProdCat("Kept");
    RefreshProductCategories(c.Parts(), q);
    EXPECT_EQ(byPart->ProdCatText(), "Dishes");
    EXPECT_EQ(byRoot->ProdCatText(), "Cable");
    EXPECT_EQ(gone->ProdCatText(), "Kept");
}
