#include "app/cli/CliCommands.h"

#include <functional>
#include <map>
#include <memory>

#include "app/DataModule.h"
#include "app/Startup.h"
#include "library/Json.h"
#include "library/ObjectDump.h"
#include "library/PropsDump.h"
#include "library/TypeInfo.h"
#include "library/SysUtils.h"

namespace ortello::cli {

namespace {

void WriteEntry(JsonWriter& j, const TLOMEntry& e) {
    j.BeginObject();
    j.Field("PartNo", e.PartNo());
    j.Field("XRef", e.XRef());
    j.Field("SecondXRef", e.SecondXRef());
    j.Field("PartNumber", e.GetPartNumber());
    j.Field("Desc", e.Desc());
    j.Field("ProdCat", e.ProdCatText());
    j.Field("DiscGrps", e.DiscGrps());
    j.Field("DiscCats", e.DiscCats());
    j.Field("Avail_Code", e.Avail_Code());
    j.Field("Specmaster", e.Specmaster());
    j.Field("BegFreq", e.BegFreq());
    j.Field("EndingFreq", e.EndingFreq());
    j.Key("NodePath");
    if (e.Parent())
        j.String(static_cast<const TLOMBaseNode*>(e.Parent())->Path());
    else
        j.Null();
    j.Key("Prices").BeginArray();
    for (int c = 0; c < kCurrencyCount; ++c) j.Number(e.GetIndexedPrice(c));
    j.EndArray();
    j.Key("MeasurePrices").BeginArray();
    for (int c = 0; c < kCurrencyCount; ++c) j.Number(e.GetMeasurePrice(c));
    j.EndArray();
    j.Field("Discount", e.Discount());
    j.EndObject();
}

int CatalogStats(Context& ctx) {
    TDataModule1& dm = ctx.Module();
    TLOMNodeData& cat = *dm.DAVNodeData1;
    JsonWriter j;
    j.BeginObject();
    j.Key("file");
    if (cat.LoadedFile().empty())
        j.Null();
    else
        j.String(cat.LoadedFile());
    j.Field("nodes", cat.Container().Count());
    j.Field("parts", cat.GetParts().Count());
    j.Key("loadErrors").BeginArray();
    for (int i = 0; i < dm.LoadErrors().Count(); ++i) j.String(dm.LoadErrors()[i]);
    j.EndArray();
    j.EndObject();
    ctx.out << j.str() << "\n";
    return 0;
}

int CatalogFind(Context& ctx) {
    if (ctx.args.size() != 1) throw Exception("catalog find needs one part number");
    TLOMNodeData& cat = *ctx.Module().DAVNodeData1;
    const int pos = cat.GetParts().FindByPartNo(ctx.args[0]);
    if (pos < 0) {
        ctx.err << "Part \"" << ctx.args[0] << "\" was not found in the catalog\n";
        return 1;
    }
    JsonWriter j;
    WriteEntry(j, *cat.EntryAt(pos));
    ctx.out << j.str() << "\n";
    return 0;
}

int CatalogNode(Context& ctx) {
    if (ctx.args.size() != 1) throw Exception("catalog node needs one node path");
    TLOMNodeData& cat = *ctx.Module().DAVNodeData1;
    const int pos = cat.Container().FindNodeByPath(ctx.args[0]);
    if (pos < 0) {
        ctx.err << "Node \"" << ctx.args[0] << "\" was not found in the catalog\n";
        return 1;
    }
    const TLOMBaseNode& node = *cat.Container().Node(pos);
    JsonWriter j;
    j.BeginObject();
    j.Field("Path", node.Path());
    j.Field("Name", node.NodeName());
    j.Key("Children").BeginArray();
    for (int i = 0; i < node.Children().Count(); ++i) j.String(node.Children().Node(i)->NodeName());
    j.EndArray();
    j.Key("Parts").BeginArray();
    for (int i = 0; i < node.Parts().Count(); ++i) j.String(node.Parts().Entry(i)->PartNo());
    j.EndArray();
    j.EndObject();
    ctx.out << j.str() << "\n";
    return 0;
}

int Props(Context& ctx) {
    if (ctx.args.size() != 1) throw Exception("props needs one class name");
    RegisterAllClasses();
    const TClassInfo* cls = FindClass(ctx.args[0]);
    if (!cls) {
        ctx.err << "Class \"" << ctx.args[0] << "\" is not registered\n";
        return 1;
    }
    ctx.out << DumpClassPropsJson(*cls) << "\n";
    return 0;
}

int Dump(Context& ctx) {
    std::string key, file;
    for (size_t i = 0; i < ctx.args.size(); ++i) {
        if (ctx.args[i] == "--key" && i + 1 < ctx.args.size())
            key = ctx.args[++i];
        else if (file.empty())
            file = ctx.args[i];
        else
            throw Exception("dump takes one file");
    }
    if (file.empty()) throw Exception("dump needs a file");
    RegisterAllClasses();
    ctx.out << DumpObjectFileJson(ReadFileBytes(file), key) << "\n";
    return 0;
}

int IniDump(Context& ctx) {
    if (ctx.args.size() != 2) throw Exception("ini-dump needs a file and a section prefix");
    if (!FileExists(ctx.args[0])) throw EFOpenError(Fmt("Cannot Find File \"%0s\"", ctx.args[0]));
    ctx.out << DumpIniFormJson(ctx.args[0], ctx.args[1]) << "\n";
    return 0;
}

}  // namespace

std::vector<CommandInfo> CatalogCommands() {
    return {
        {"catalog stats", "", CatalogStats},
        {"catalog find", "PARTNO", CatalogFind},
        {"catalog node", "PATH", CatalogNode},
    };
}

std::vector<CommandInfo> LibraryCommands() {
    return {
        {"props", "CLASS", Props},
        {"dump", "[--key KEY] FILE", Dump},
        {"ini-dump", "FILE PREFIX", IniDump},
    };
}

namespace {
// Every area's commands; an area adds its function here.
const std::vector<CommandInfo>& AllCommands() {
    static const std::vector<CommandInfo> all = [] {
        std::vector<CommandInfo> v;
        for (auto area : {CatalogCommands, LibraryCommands, PricingCommands, QuoteCommands})
            for (CommandInfo& c : area()) v.push_back(std::move(c));
        return v;
    }();
    return all;
}

std::string Usage() {
    std::string u = "usage: ortello-cli [--home DIR] COMMAND ...\ncommands:\n";
    for (const CommandInfo& c : AllCommands()) u += "  " + c.words + (c.usage.empty() ? "" : " " + c.usage) + "\n";
    return u;
}
}  // namespace

int Run(const std::vector<std::string>& argsIn, std::ostream& out, std::ostream& err) {
    Context ctx{{}, {}, out, err, nullptr};
    std::vector<std::string> words;
    for (size_t i = 0; i < argsIn.size(); ++i) {
        const std::string& a = argsIn[i];
        if (a == "--home") {
            if (i + 1 >= argsIn.size()) {
                err << "--home needs a folder\n";
                return 2;
            }
            ctx.options.Home = argsIn[++i];
        } else if (a.rfind("--home=", 0) == 0) {
            ctx.options.Home = a.substr(7);
        } else if (a == "--help" || a == "-h") {
            out << Usage();
            return 0;
        } else {
            words.push_back(a);
        }
    }
    // The longest command that the words start with.
    const Command* found = nullptr;
    size_t used = 0;
    for (const CommandInfo& info : AllCommands()) {
        const std::string& name = info.words;
        const Command& cmd = info.run;
        std::vector<std::string> parts;
        size_t s = 0;
        while (s <= name.size()) {
            const size_t e = name.find(' ', s);
            parts.push_back(name.substr(s, e == std::string::npos ? std::string::npos : e - s));
            if (e == std::string::npos) break;
            s = e + 1;
        }
        if (parts.size() > words.size() || parts.size() <= used) continue;
        bool match = true;
        for (size_t k = 0; k < parts.size(); ++k) match = match && words[k] == parts[k];
        if (match) {
            found = &cmd;
            used = parts.size();
        }
    }
    if (!found) {
        err << (words.empty() ? std::string("no command given") : "unknown command: " + words[0]) << "\n"
            << Usage();
        return 2;
    }
    ctx.args.assign(words.begin() + static_cast<long>(used), words.end());
    try {
        return (*found)(ctx);
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
}

}  // namespace ortello::cli
