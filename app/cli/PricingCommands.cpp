// Schedules, prices under a currency and schedule, and building a schedule from
// customer price files, through the catalog component as the windows use it.
#include <algorithm>
#include <cstdio>
#include <optional>

#include "app/cli/CliCommands.h"
#include "catalog/CustomerPrices.h"
#include "catalog/Discounts.h"
#include "library/Json.h"
#include "library/MessagePort.h"
#include "library/SysUtils.h"

namespace ortello::cli {

namespace {

std::string CurrencyIdent(TCurrencyType c) { return TypeTCurrencyType()->EnumName(c); }

TCurrencyType ParseCurrency(const std::string& text) {
    TCurrencyType c;
    if (!CurrencyFromIdent(text, c))
        throw EConvertError(Fmt("Unknown currency \"%0s\" (use ctUSDollar, ctCanada, ctDeutschemark, ctEuroDollar, "
                                "ctYen, ctGreatBritainPound, ctBrazil or ctChina)",
                                text));
    return c;
}

// "yyyy-mm-dd", optionally with " hh:nn:ss".
TDateTime ParseIsoDate(const std::string& text) {
    int y = 0, m = 0, d = 0, hh = 0, nn = 0, ss = 0;
    char tail = 0;
    const int n = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &m, &d, &hh, &nn, &ss, &tail);
    TDateTime date = 0;
    if ((n != 3 && n != 6) || !TryEncodeDate(y, m, d, date) || hh > 23 || nn > 59 || ss > 59 || hh < 0 || nn < 0 ||
        ss < 0)
        throw EConvertError(Fmt("Invalid date \"%0s\" (use yyyy-mm-dd or yyyy-mm-dd hh:nn:ss)", text));
    return date + EncodeTime(hh, nn, ss, 0);
}

std::string IsoDate(TDateTime dt) { return FormatDateTime("yyyy-mm-dd hh:nn:ss", dt); }

// Messages the catalog component shows go to the command's error output and
// make it fail.
class TCollectingPort : public TMessagePort {
public:
    std::vector<std::string> messages;
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
};

struct PortGuard {
    TCollectingPort* port;
    PortGuard() {
        auto p = std::make_unique<TCollectingPort>();
        port = p.get();
        SetMessagePort(std::move(p));
    }
    ~PortGuard() { SetMessagePort(nullptr); }
    PortGuard(const PortGuard&) = delete;
    PortGuard& operator=(const PortGuard&) = delete;
};

// Options of the form "--name VALUE"; anything else is a positional argument.
struct Options {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> named;
    bool Has(std::string_view n) const {
        for (auto& [k, v] : named)
            if (k == n) return true;
        return false;
    }
    std::string Get(std::string_view n) const {
        for (auto& [k, v] : named)
            if (k == n) return v;
        return {};
    }
};

Options ParseOptions(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                     const std::vector<std::string>& flags = {}) {
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (std::find(flags.begin(), flags.end(), a) != flags.end()) {
            o.named.emplace_back(a, "");
        } else if (std::find(valued.begin(), valued.end(), a) != valued.end()) {
            if (i + 1 >= args.size()) throw Exception(a + " needs a value");
            o.named.emplace_back(a, args[++i]);
        } else if (a.size() > 1 && a[0] == '-') {
            throw Exception("unknown option " + a);
        } else {
            o.positional.push_back(a);
        }
    }
    return o;
}

int Schedules(Context& ctx) {
    if (!ctx.args.empty()) throw Exception("schedules takes no arguments");
    const TCustomDiscounts& schedules = ctx.Module().DAVNodeData1->Schedules();
    JsonWriter j;
    j.BeginArray();
    for (int i = 0; i < schedules.Count(); ++i) {
        const TCustomDiscount& s = *schedules.Item(i);
        j.BeginObject();
        j.Field("Name", s.Name());
        j.Field("DisplayName", s.DisplayName());
        j.Field("CurrencyType", CurrencyIdent(s.CurrencyType()));
        j.Field("ExpirationDate", IsoDate(s.ExpirationDate()));
        j.Field("File", s.FileName());
        j.Field("Items", s.Count());
        j.EndObject();
    }
    j.EndArray();
    ctx.out << j.str() << "\n";
    return 0;
}

int CatalogPrice(Context& ctx) {
    const Options o = ParseOptions(ctx.args, {"--currency", "--schedule"});
    if (o.positional.size() != 1) throw Exception("catalog price needs one part number");
    std::optional<TCurrencyType> currency;
    if (o.Has("--currency")) currency = ParseCurrency(o.Get("--currency"));
    TLOMNodeData& cat = *ctx.Module().DAVNodeData1;
    PortGuard port;
    if (currency) cat.SetCurrencyType(*currency);
    if (o.Has("--schedule")) cat.SetSchedule(o.Get("--schedule"));
    for (const std::string& m : port.port->messages) ctx.err << m << "\n";
    if (!port.port->messages.empty()) return 1;
    const int pos = cat.GetParts().FindByPartNo(o.positional[0]);
    if (pos < 0) {
        ctx.err << "Part \"" << o.positional[0] << "\" was not found in the catalog\n";
        return 1;
    }
    const TLOMEntry& e = *cat.EntryAt(pos);
    JsonWriter j;
    j.BeginObject();
    j.Field("PartNo", e.PartNo());
    j.Field("Schedule", cat.Schedule());
    j.Field("CurrencyType", CurrencyIdent(cat.CurrencyType()));
    j.Field("Discount", e.Discount());
    j.Field("ListPrice", e.GetIndexedPrice(cat.CurrencyType()));
    j.Field("Price", e.GetPrice());
    j.Field("PriceText", e.FormattedPrice());
    j.EndObject();
    ctx.out << j.str() << "\n";
    return 0;
}

// Loads one customer file into its component; a named file that is not there is an error here,
// since a mistyped name would otherwise build an empty schedule.
void LoadCustomerFile(TCustomerPriceComponent& c, TLOMNodeData& cat, const std::string& file) {
    c.SetDataPath(rpDefaultPath);
    c.SetPath("discounts\\");
    c.SetFileName(file);
    c.SetDAVNodeData(&cat);
    if (c.ResolveFile().empty()) throw EFileDoesNotExist(Fmt(kFileDoesNotExist, file));
    c.LoadData();
}

int ScheduleBuild(Context& ctx) {
    const Options o = ParseOptions(ctx.args, {"--name", "--currency", "--net", "--group", "-o", "--expires"}, {"--yes"});
    if (!o.positional.empty()) throw Exception("schedule build takes no positional arguments");
    if (!o.Has("--name")) throw Exception("schedule build needs --name NAME");
    if (!o.Has("-o") || o.Get("-o").empty()) throw Exception("schedule build needs -o FILE");
    const TCurrencyType currency = o.Has("--currency") ? ParseCurrency(o.Get("--currency")) : ctUSDollar;
    std::optional<TDateTime> expires;
    if (o.Has("--expires")) expires = ParseIsoDate(o.Get("--expires"));
    const std::string name = o.Get("--name");

    TLOMNodeData& cat = *ctx.Module().DAVNodeData1;
    // The name checks of saving a schedule under a new name.
    const std::string trimmed = Trim(name);
    if (trimmed.empty()) throw Exception("Discount Schedule Must Have a Name");
    if (SameText(trimmed, "Default")) throw Exception("'Default' Used By System");
    if (cat.Schedules().IndexOfName(trimmed) >= 0 && !o.Has("--yes"))
        throw Exception(Fmt("Discount Schedule With the Name %0s Already Exists, Save Anyway?", trimmed) +
                        " (give --yes to save anyway)");

    PortGuard port;
    cat.SetCurrencyType(currency);
    TCustomDiscount& working = cat.WorkingDiscount();
    working.Clear();
    working.SetCurrencyType(currency);
    working.SetExpirationDate(expires ? *expires : Now());

    // The customer discounting steps.
    cat.ResetDiscounts();
    TCustomerNetPrices net;
    TCustomerGroupPrices group;
    const bool withNet = o.Has("--net"), withGroup = o.Has("--group");
    if (withNet) LoadCustomerFile(net, cat, o.Get("--net"));
    if (withGroup) LoadCustomerFile(group, cat, o.Get("--group"));
    if (withNet && withGroup && net.CurrencyType() != group.CurrencyType())
        throw Exception("Currency Type Does Not Match On Discount Files");
    if (withNet) {
        net.ApplyNetPrices();
        working.SetCurrencyType(net.CurrencyType());
    }
    if (withGroup) {
        group.ApplyGroupDiscounts();
        working.SetCurrencyType(group.CurrencyType());
    }
    cat.CollectCommonDiscounts();

    cat.CaptureCustomDiscount();
    working.SetName(name);
    working.SaveToFile(o.Get("-o"));
    for (const std::string& m : port.port->messages) ctx.err << m << "\n";

    JsonWriter j;
    j.BeginObject();
    j.Field("File", working.FileName());
    j.Field("Name", working.Name());
    j.Field("DisplayName", working.DisplayName());
    j.Field("CurrencyType", CurrencyIdent(working.CurrencyType()));
    j.Field("Items", working.Count());
    j.EndObject();
    ctx.out << j.str() << "\n";
    return 0;
}

}  // namespace

std::vector<CommandInfo> PricingCommands() {
    return {
        {"schedules", "", Schedules},
        {"catalog price", "PARTNO [--currency ctX] [--schedule DISPLAYNAME]", CatalogPrice},
        {"schedule build",
         "--name NAME [--currency ctX] [--net FILE] [--group FILE] [--expires yyyy-mm-dd] [--yes] -o OUT.otdf",
         ScheduleBuild},
    };
}

}  // namespace ortello::cli
