// Quotation files from the command line: show, re-save, copy text, build.
#include <string>
#include <vector>

#include "app/cli/CliCommands.h"
#include "catalog/EntryCopy.h"
#include "catalog/QuoteDiscounts.h"
#include "catalog/QuoteModel.h"
#include "library/Json.h"

namespace ortello::cli {

namespace {

void WriteContact(JsonWriter& j, const TContactInformation& ci) {
    j.BeginObject();
    for (const TPropInfo* p : ci.ClassInfo().Properties()) {
        j.Key(p->Name);
        if (p->PropType->IsString())
            j.String(p->GetStr(ci));
        else if (p->Kind() == TTypeKind::tkFloat)
            j.Number(p->GetFloat(ci));
        else if (p->GetOrd)
            j.Int(p->GetOrd(ci));
        else
            j.Null();
    }
    j.EndObject();
}

std::string QuoteJson(const TLOMQuoteList& q) {
    JsonWriter j;
    j.BeginObject();
    j.Field("FileName", q.FileName());
    j.Field("App", q.App());
    j.Field("AppFile", q.AppFile());
    j.Field("TermsGroup", q.TermsGroup());
    j.Field("Description", q.Description());
    j.Field("DiscountSchedule", q.DiscountSchedule());
    j.Field("CurrencyType", TypeTCurrencyType()->EnumName(q.CurrencyType()));
    j.Field("PartRef", TypeTPartRef()->EnumName(q.PartRef()));
    j.Key("ContactInfo");
    WriteContact(j, *q.ContactInfo());
    j.Key("Lines").BeginArray();
    for (int i = 0; i < q.Count(); ++i) {
        const TLOMQuoteEntry& e = *q.Entry(i);
        j.BeginObject();
        j.Field("PartNo", e.PartNo());
        j.Field("PartNumber", e.GetPartNumber());
        j.Field("Desc", e.Desc());
        j.Field("Group", e.Group());
        j.Field("ProdCat", e.ProdCatText());
        j.Field("Quantity", e.Quantity());
        j.Field("Option", e.Option());
        j.Field("IsCable", e.IsCable());
        j.Field("CableLength", e.CableLength());
        j.Field("Discount", e.Discount());
        j.Field("Price", e.GetPrice());
        j.Field("Total", e.GetTotal());
        j.Field("Extended", e.Extended());
        j.Field("GroupTotal", e.GroupTotal());
        j.Field("SubTotal", e.SubTotal());
        j.Field("TotalCost", e.TotalCost());
        j.EndObject();
    }
    j.EndArray();
    j.Field("Total", q.Total());
    j.EndObject();
    return j.str();
}

int Quote(Context& ctx) {
    std::string file, saveTo;
    bool copyText = false;
    for (size_t i = 0; i < ctx.args.size(); ++i) {
        const std::string& a = ctx.args[i];
        if (a == "--save") {
            if (i + 1 >= ctx.args.size()) throw Exception("--save needs a file");
            saveTo = ctx.args[++i];
        } else if (a == "--copy-text") {
            copyText = true;
        } else if (file.empty()) {
            file = a;
        } else {
            throw Exception("quote takes one file");
        }
    }
    if (file.empty()) throw Exception("quote needs a file");
    if (copyText && !saveTo.empty()) throw Exception("--save and --copy-text do not go together");
    RegisterAllClasses();
    TLOMQuoteList q;
    q.LoadFromFile(file);
    if (!saveTo.empty()) {
        q.SaveToFile(saveTo);
        return 0;
    }
    if (copyText) {
        ctx.out << QuoteListCopyText(q, *ctx.Module().EntryCopyController1);
        return 0;
    }
    ctx.out << QuoteJson(q) << "\n";
    return 0;
}

struct PartSpec {
    std::string partNo, group;
    int quantity = 1;
    int position = -1;
};

int ParsePositive(const std::string& text, const std::string& what) {
    int64_t v = 0;
    if (!TryStrToInt64(text, v) || v < 1 || v > INT32_MAX)
        throw Exception(Fmt("Invalid %0s \"%0s\": a whole number from 1 up is needed", what, text));
    return static_cast<int>(v);
}

double ParseAmount(const std::string& text, const std::string& what) {
    double v = 0;
    if (!TryStrToFloat(text, v)) throw Exception(Fmt("Invalid %0s \"%0s\"", what, text));
    return v;
}

int Build(Context& ctx) {
    std::string out, schedule, terms, currency;
    std::vector<std::string> options, cables;
    std::vector<PartSpec> specs;
    for (size_t i = 0; i < ctx.args.size(); ++i) {
        const std::string& a = ctx.args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= ctx.args.size()) throw Exception(a + " needs a value");
            return ctx.args[++i];
        };
        if (a == "-o")
            out = value();
        else if (a == "--currency")
            currency = value();
        else if (a == "--schedule")
            schedule = value();
        else if (a == "--terms")
            terms = value();
        else if (a == "--option")
            options.push_back(value());
        else if (a == "--cable")
            cables.push_back(value());
        else if (!a.empty() && a[0] == '-')
            throw Exception("unknown option " + a);
        else {
            PartSpec s;
            const size_t c1 = a.find(':');
            s.partNo = a.substr(0, c1);
            if (c1 != std::string::npos) {
                const size_t c2 = a.find(':', c1 + 1);
                s.quantity = ParsePositive(a.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1),
                                           "quantity");
                if (c2 != std::string::npos) s.group = a.substr(c2 + 1);
            }
            if (s.partNo.empty()) throw Exception("empty part number in \"" + a + "\"");
            specs.push_back(std::move(s));
        }
    }
    if (out.empty()) throw Exception("quote build needs -o OUT");
    if (specs.empty()) throw Exception("quote build needs at least one part");
    TCurrencyType c = ctUSDollar;
    if (!currency.empty() && !CurrencyFromIdent(currency, c)) throw Exception("Unknown currency \"" + currency + "\"");

    TLOMNodeData& catalog = *ctx.Module().DAVNodeData1;
    TLOMPartList& parts = catalog.GetParts();
    std::string unknown;
    for (PartSpec& s : specs) {
        s.position = parts.FindByPartNo(s.partNo);
        if (s.position < 0) unknown += (unknown.empty() ? "" : ", ") + s.partNo;
    }
    if (!unknown.empty()) {
        ctx.err << "Unknown part number(s): " << unknown << "; nothing written\n";
        return 1;
    }
    if (!schedule.empty() && !SameText(schedule, "Default") && catalog.Schedules().IndexOfDisplayName(schedule) < 0) {
        ctx.err << "Unknown discount schedule \"" << schedule << "\"; nothing written\n";
        return 1;
    }

    TLOMQuoteList q;
    q.SetCurrencyType(currency.empty() ? catalog.CurrencyType() : c);
    if (!terms.empty()) q.SetTermsGroup(terms);
    for (const PartSpec& s : specs) {
        const TLOMEntry* part = parts.Entry(s.position);
        const std::string key = s.group.empty() ? std::string(part->ProdCatText()) : s.group;
        const int line = q.IndexOfPartNoAndGroup(part->PartNo(), key);
        if (line >= 0) {
            q.Entry(line)->SetQuantity(q.Entry(line)->Quantity() + s.quantity);
            continue;
        }
        TLOMQuoteEntry* e = q.AddNew();
        e->Assign(part);
        e->SetQuantity(s.quantity);
        if (!s.group.empty()) e->SetGroup(s.group);
    }
    auto linesOf = [&](const std::string& partNo) {
        std::vector<TLOMQuoteEntry*> found;
        for (int i = 0; i < q.Count(); ++i)
            if (SameText(q.Entry(i)->PartNo(), partNo)) found.push_back(q.Entry(i));
        if (found.empty()) throw Exception("\"" + partNo + "\" is not a line of the quotation");
        return found;
    };
    for (const std::string& o : options)
        for (TLOMQuoteEntry* e : linesOf(o)) e->SetOption(true);
    for (const std::string& spec : cables) {
        // PARTNO:LENGTH:PERFOOT[:BASE]
        std::vector<std::string> f;
        size_t s = 0;
        for (size_t e; (e = spec.find(':', s)) != std::string::npos; s = e + 1) f.push_back(spec.substr(s, e - s));
        f.push_back(spec.substr(s));
        if (f.size() < 3 || f.size() > 4) throw Exception("--cable needs PARTNO:LENGTH:PERFOOT[:BASE], not \"" + spec + "\"");
        const int length = ParsePositive(f[1], "cable length");
        const double perFoot = ParseAmount(f[2], "price per foot");
        const double base = f.size() == 4 ? ParseAmount(f[3], "base cable price") : 0.0;
        for (TLOMQuoteEntry* e : linesOf(f[0])) {
            e->SetIsCable(true);
            e->SetCableLength(length);
            e->SetPricePerFoot(perFoot);
            e->SetBaseCablePrice(base);
        }
    }
    // Lines carry the catalog's discounts; the quotation's own schedule decides.
    ApplyScheduleToQuote(catalog, q, schedule.empty() ? "Default" : schedule);
    q.RecalculateTotals();
    q.SaveToFile(out);
    ctx.out << QuoteJson(q) << "\n";
    return 0;
}

}  // namespace

std::vector<CommandInfo> QuoteCommands() {
    return {
        {"quote", "FILE [--save OUT | --copy-text]", Quote},
        {"quote build",
         "-o OUT [--currency ctX] [--schedule DISPLAYNAME] [--terms NAME] [--option PARTNO]... "
         "[--cable PARTNO:LENGTH:PERFOOT[:BASE]]... PARTNO[:QTY[:GROUP]]...",
         Build},
    };
}

}  // namespace ortello::cli
