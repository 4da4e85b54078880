// ortello-gencatalog: writes an invented catalog file (M_dav.dat) and, on
// request, a few small pictures for it. Everything it writes is made up: the
// maker, the part numbers, the prices and the customer references.
//
// The output depends only on the arguments. The program uses its own random
// generator and integer price arithmetic, so the same arguments give the same
// bytes with any compiler and standard library.

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Random numbers

class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n); the tiny modulo bias is irrelevant for invented data.
    std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : static_cast<std::uint32_t>(Next() % n); }

    bool Chance(std::uint32_t percent) { return Below(100) < percent; }

private:
    std::uint64_t state_;
};

// ---------------------------------------------------------------------------
// Catalog model

// Windows-1252 bytes for the two non-ASCII signs the descriptions use.
constexpr const char* kDeg = "\xB0";
constexpr const char* kPlusMinus = "\xB1";

std::string Deg(int value) { return std::to_string(value) + kDeg; }

struct Variant {
    std::string suffix;   // starts with '-' or is empty
    std::string desc;     // appended to the family description
    int pricePermille;    // price factor in 1/1000
};

// Every variant of `a` combined with every variant of `b`: suffixes and
// descriptions joined, price factors multiplied.
std::vector<Variant> Cross(const std::vector<Variant>& a, const std::vector<Variant>& b)
{
    std::vector<Variant> out;
    for (const Variant& x : a)
        for (const Variant& y : b)
            out.push_back({x.suffix + y.suffix, x.desc + y.desc, x.pricePermille * y.pricePermille / 1000});
    return out;
}

struct Family {
    std::vector<std::string> path;   // node names from level 1 down
    std::string stem;                // unique, no '-'
    std::string desc;
    std::string prodCat;
    std::string discGrp;
    std::string discCat;
    std::string specmaster;
    std::string begFreq;
    std::string endFreq;
    std::string installInst;
    std::string appBriefs;
    std::string instrBulletins;
    std::string refInfo;
    std::string graphic;
    std::int64_t baseCents = 0;      // US list price of the plain variant
    std::int64_t addtlCents = 0;
    bool perMetre = false;           // cable: price columns per foot, measure columns per metre
    std::vector<Variant> variants;
    std::size_t count = 0;           // parts to write
};

struct CableSize {
    const char* name;   // node name
    const char* code;   // part number code
    const char* text;   // description text
    int cents;          // per-foot US price of foam cable
};

const CableSize kFoamSizes[] = {
    {"1/4 in", "14", "1/4 in", 95},       {"3/8 in", "38", "3/8 in", 140},
    {"1/2 in", "12", "1/2 in", 210},      {"7/8 in", "78", "7/8 in", 480},
    {"1-1/4 in", "114", "1-1/4 in", 820}, {"1-5/8 in", "158", "1-5/8 in", 1150},
};
const CableSize kAirSizes[] = {
    {"7/8 in", "78", "7/8 in", 620},      {"1-5/8 in", "158", "1-5/8 in", 1480},
    {"2-1/4 in", "214", "2-1/4 in", 2350}, {"3 in", "300", "3 in", 3900},
    {"4 in", "400", "4 in", 5600},
};

struct Band {
    const char* name;
    const char* code;
    const char* beg;
    const char* end;
    int maxFeet;   // largest dish offered
    int ghzTimes10;
};

const Band kDishBands[] = {
    {"6 GHz", "59", "5925", "6425", 12, 62},   {"7 GHz", "71", "7125", "7750", 10, 74},
    {"8 GHz", "77", "7725", "8500", 10, 81},   {"11 GHz", "107", "10700", "11700", 8, 112},
    {"18 GHz", "177", "17700", "19700", 4, 187}, {"23 GHz", "212", "21200", "23600", 4, 224},
};
const Band kWaveguideBands[] = {
    {"3 GHz", "W30", "2900", "3500", 0, 32},   {"4 GHz", "W37", "3700", "4200", 0, 39},
    {"6 GHz", "W59", "5850", "7125", 0, 65},   {"7 GHz", "W71", "7125", "8500", 0, 78},
    {"10 GHz", "W100", "10000", "11700", 0, 108}, {"13 GHz", "W127", "12700", "13250", 0, 130},
};

struct Catalog {
    std::vector<Family> families;
};

void AddAntennas(Catalog& cat)
{
    const int sizes[] = {2, 4, 6, 8, 10, 12};
    const char* perfs[][3] = {{"Standard Performance", "S", "standard"},
                              {"High Performance", "H", "high performance"}};
    const char* pols[][3] = {{"Single Polarized", "", "single pol."},
                             {"Dual Polarized", "D", "dual pol."}};
    for (const Band& band : kDishBands) {
        for (int p = 0; p < 2; ++p) {
            for (int feet : sizes) {
                if (feet > band.maxFeet) continue;
                for (int q = 0; q < 2; ++q) {
                    Family f;
                    f.path = {"Antennas", "Microwave Dishes", band.name, perfs[p][0],
                              std::to_string(feet) + " ft", pols[q][0]};
                    f.stem = std::string("MD") + std::to_string(feet) + perfs[p][1] + pols[q][1] + band.code;
                    // Beamwidth falls with size and frequency; whole tenths are enough here.
                    int bw10 = std::max(3, 6890 / (feet * band.ghzTimes10));
                    f.desc = std::to_string(feet) + " ft dish " + band.beg + "-" + band.end + " MHz, "
                             + perfs[p][2] + ", " + pols[q][2] + ", HPBW " + std::to_string(bw10 / 10) + "."
                             + std::to_string(bw10 % 10) + kDeg;
                    f.prodCat = "Antennas";
                    f.discGrp = p == 0 ? "A1" : "A2";
                    f.discCat = "ANT";
                    f.specmaster = "ANTENNA";
                    f.begFreq = band.beg;
                    f.endFreq = band.end;
                    f.installInst = "II-MD" + std::to_string(feet);
                    f.appBriefs = p == 1 ? "AB-HPDISH" : "";
                    f.instrBulletins = "IB-1204,IB-1210";
                    f.refInfo = std::string("RI-BAND") + band.code;
                    f.graphic = p == 0 ? "dish_std" : "dish_hp";
                    f.baseCents = 38000 + feet * feet * 2600 + p * 90000 + q * 42000 + band.ghzTimes10 * 120;
                    f.addtlCents = feet >= 8 ? 2500 * feet : 0;   // crating of large reflectors
                    f.variants = Cross({{"", "", 1000},
                                        {"-R", ", with radome", 1180},
                                        {"-G", ", grey radome, " + Deg(0) + " to " + Deg(90) + " elevation", 1210}},
                                       {{"", "", 1000}, {"K", ", with pipe mount kit", 1090}});
                    cat.families.push_back(std::move(f));
                }
            }
        }
    }

    struct PanelBand { const char* node; const char* group; const char* code; const char* beg; const char* end; };
    const PanelBand panels[] = {
        {"698-960 MHz", "Single Band", "L", "698", "960"},
        {"1710-2690 MHz", "Single Band", "H", "1710", "2690"},
        {"3300-3800 MHz", "Single Band", "C", "3300", "3800"},
        {"698-960 / 1710-2690 MHz", "Dual Band", "LH", "698", "2690"},
        {"1710-2690 / 3300-3800 MHz", "Dual Band", "HC", "1710", "3800"},
        {"698-3800 MHz", "Multi Band", "LHC", "698", "3800"},
    };
    for (const PanelBand& b : panels) {
        const int beams[] = {33, 45, 65, 90};
        for (int beam : beams) {
            Family f;
            f.path = {"Antennas", "Panel Antennas", b.group, b.node, Deg(beam) + " Beamwidth"};
            f.stem = std::string("PA") + b.code + std::to_string(beam);
            f.desc = std::string("Panel antenna ") + b.beg + "-" + b.end + " MHz, " + Deg(beam)
                     + " horizontal beamwidth, " + kPlusMinus + "45" + kDeg + " polarization";
            f.prodCat = "Antennas";
            f.discGrp = "A3";
            f.discCat = "ANT";
            f.specmaster = "ANTENNA";
            f.begFreq = b.beg;
            f.endFreq = b.end;
            f.installInst = "II-PANEL";
            f.instrBulletins = "IB-1302";
            f.refInfo = "RI-PANEL";
            f.graphic = "panel";
            f.baseCents = 52000 + static_cast<std::int64_t>(std::strlen(b.code)) * 61000 + (90 - beam) * 900;
            f.variants = Cross({{"-00", ", fixed 0" + std::string(kDeg) + " tilt", 1000},
                                {"-06", ", fixed 6" + std::string(kDeg) + " electrical tilt", 1000},
                                {"-RT", ", remote electrical tilt 0" + std::string(kDeg) + "-10" + kDeg, 1450},
                                {"-MT", ", manual electrical tilt 2" + std::string(kDeg) + "-12" + kDeg, 1230},
                                {"-14", ", 1.4 m, fixed 3" + std::string(kDeg) + " tilt", 1120},
                                {"-20", ", 2.0 m, fixed 3" + std::string(kDeg) + " tilt", 1310}},
                               {{"D", ", 7-16 DIN ports", 1000}, {"Q", ", 4.3-10 ports", 1040}});
            cat.families.push_back(std::move(f));
        }
    }

    struct Omni { const char* group; const char* node; const char* code; const char* beg; const char* end; int cents; };
    const Omni omnis[] = {
        {"Fibreglass Collinear", "136-174 MHz", "VH", "136", "174", 31000},
        {"Fibreglass Collinear", "380-470 MHz", "UH", "380", "470", 27000},
        {"Fibreglass Collinear", "806-960 MHz", "LB", "806", "960", 24000},
        {"Low Profile", "698-2700 MHz", "LP", "698", "2700", 19000},
        {"Low Profile", "2400-5900 MHz", "WF", "2400", "5900", 14500},
    };
    for (const Omni& o : omnis) {
        Family f;
        f.path = {"Antennas", "Omni Antennas", o.group, o.node};
        f.stem = std::string("OA") + o.code;
        f.desc = std::string("Omni antenna ") + o.beg + "-" + o.end + " MHz, " + o.group;
        f.prodCat = "Antennas";
        f.discGrp = "A3";
        f.discCat = "ANT";
        f.specmaster = "ANTENNA";
        f.begFreq = o.beg;
        f.endFreq = o.end;
        f.installInst = "II-OMNI";
        f.refInfo = "RI-OMNI";
        f.graphic = o.group[0] == 'L' ? "omni_lp.jpeg" : "omni";
        f.baseCents = o.cents;
        f.variants = {{"-3", ", 3 dBi, N female", 1000},     {"-6", ", 6 dBi, N female", 1240},
                      {"-9", ", 9 dBi, N female", 1560},     {"-6D", ", 6 dBi, 4.3-10 female, " + Deg(5) + " downtilt", 1380},
                      {"-6M", ", 6 dBi, with mast clamp " + std::string(kPlusMinus) + "15" + kDeg, 1310}};
        cat.families.push_back(std::move(f));
    }
}

const std::vector<Variant>& JacketVariants()
{
    static const std::vector<Variant> v = {{"-P", ", black polyethylene jacket", 1000},
                                           {"-FR", ", fire retardant jacket", 1120},
                                           {"-LS", ", low smoke zero halogen jacket", 1180},
                                           {"-PL", ", plenum rated, -40" + std::string(kDeg) + "C to +85" + kDeg + "C", 1550}};
    return v;
}

void AddCable(Catalog& cat)
{
    for (int air = 0; air < 2; ++air) {
        const CableSize* sizes = air ? kAirSizes : kFoamSizes;
        std::size_t n = air ? std::size(kAirSizes) : std::size(kFoamSizes);
        for (std::size_t i = 0; i < n; ++i) {
            const CableSize& s = sizes[i];
            Family f;
            f.path = {"Coaxial Cable", air ? "Air Dielectric" : "Foam Dielectric", s.name};
            f.stem = std::string(air ? "HCA" : "HCF") + s.code;
            f.desc = std::string(s.text) + (air ? " air dielectric" : " foam dielectric")
                     + " coaxial cable, 50 ohm, per foot";
            f.prodCat = "Cable";
            f.discGrp = air ? "B2" : "B1";
            f.discCat = "CAB";
            f.specmaster = "CABLE";
            f.installInst = air ? "II-AIRCAB" : "II-FOAMCAB";
            f.appBriefs = "AB-PRESSURE";
            f.instrBulletins = air ? "IB-0870" : "";
            f.refInfo = "RI-CABLE";
            f.graphic = air ? "cable_air" : "cable_foam";
            f.baseCents = s.cents;
            f.perMetre = true;
            f.variants = JacketVariants();
            if (air) f.variants.resize(3);   // no plenum grade for air lines
            cat.families.push_back(std::move(f));
        }
    }

    // Jumper assemblies: a natural home for many part numbers.
    const CableSize jumpers[] = {kFoamSizes[0], kFoamSizes[1], kFoamSizes[2], kFoamSizes[3]};
    const char* pairs[][3] = {{"N Male - N Male", "NMNM", "N male to N male"},
                              {"N Male - 7-16 DIN Male", "NMDM", "N male to 7-16 DIN male"},
                              {"7-16 DIN Male - 7-16 DIN Male", "DMDM", "7-16 DIN male to 7-16 DIN male"},
                              {"4.3-10 Male - 4.3-10 Male", "QMQM", "4.3-10 male to 4.3-10 male"},
                              {"4.3-10 Male - 7-16 DIN Female", "QMDF", "4.3-10 male to 7-16 DIN female"}};
    const int decimetres[] = {5, 10, 15, 20, 25, 30, 40, 50, 60, 75, 100, 120, 150, 200, 250, 300};
    for (const CableSize& s : jumpers) {
        for (const auto& pr : pairs) {
            Family f;
            f.path = {"Coaxial Cable", "Jumper Assemblies", s.name, pr[0]};
            f.stem = std::string("JA") + s.code + pr[1];
            f.desc = std::string("Jumper assembly ") + s.text + " foam cable, " + pr[2];
            f.prodCat = "Cable";
            f.discGrp = "B3";
            f.discCat = "CAB";
            f.specmaster = "CABLE";
            f.installInst = "II-JUMPER";
            f.refInfo = "RI-CABLE";
            f.graphic = "jumper";
            f.baseCents = 3400 + s.cents * 3;
            for (int dm : decimetres) {
                char len[16];
                std::snprintf(len, sizeof len, "-%03d", dm);
                std::string metres = std::to_string(dm / 10) + (dm % 10 ? "." + std::to_string(dm % 10) : "");
                f.variants.push_back({len, ", " + metres + " m", 1000 + dm * 11 * s.cents / 100});
            }
            cat.families.push_back(std::move(f));
        }
    }
}

void AddWaveguide(Catalog& cat)
{
    for (const Band& b : kWaveguideBands) {
        Family wg;
        wg.path = {"Elliptical Waveguide", b.name, "Waveguide"};
        wg.stem = std::string("EW") + b.code;
        wg.desc = std::string("Elliptical waveguide ") + b.beg + "-" + b.end + " MHz, per foot";
        wg.prodCat = "Waveguide";
        wg.discGrp = "W1";
        wg.discCat = "WG";
        wg.specmaster = "WAVEGUIDE";
        wg.begFreq = b.beg;
        wg.endFreq = b.end;
        wg.installInst = "II-WG";
        wg.appBriefs = "AB-PRESSURE";
        wg.instrBulletins = "IB-0911";
        wg.refInfo = "RI-WG";
        wg.graphic = "waveguide";
        wg.baseCents = 2400 - b.ghzTimes10 * 10;
        wg.perMetre = true;
        wg.variants = {{"-S", ", standard jacket", 1000}, {"-F", ", fire retardant jacket", 1140}};
        cat.families.push_back(std::move(wg));

        const char* flanges[][3] = {{"CPR Flange", "C", "CPR"}, {"PDR Flange", "P", "PDR"}, {"UDR Flange", "U", "UDR"}};
        for (const auto& fl : flanges) {
            Family f;
            f.path = {"Elliptical Waveguide", b.name, "Waveguide Connectors", fl[0]};
            f.stem = std::string("EC") + b.code + fl[1];
            f.desc = std::string("Waveguide connector ") + b.beg + "-" + b.end + " MHz, " + fl[2] + " flange";
            f.prodCat = "Connectors";
            f.discGrp = "W2";
            f.discCat = "WG";
            f.specmaster = "WAVEGUIDE";
            f.begFreq = b.beg;
            f.endFreq = b.end;
            f.installInst = "II-WGCON";
            f.refInfo = "RI-WG";
            f.graphic = "wg_connector";
            f.baseCents = 21000 + b.ghzTimes10 * 90;
            f.variants = {{"-F", ", fixed, pressurisable", 1000},
                          {"-T", ", tunable, pressurisable, VSWR " + std::string("1.05"), 1320},
                          {"-N", ", fixed, non-pressurisable", 910}};
            cat.families.push_back(std::move(f));
        }
    }
}

void AddConnectors(Catalog& cat)
{
    struct Iface { const char* name; const char* code; int cents; };
    const Iface ifaces[] = {{"N", "N", 1800}, {"7-16 DIN", "D", 2900}, {"4.3-10", "Q", 3100}};
    for (int air = 0; air < 2; ++air) {
        const CableSize* sizes = air ? kAirSizes : kFoamSizes;
        std::size_t n = air ? std::size(kAirSizes) : std::size(kFoamSizes);
        for (std::size_t i = 0; i < n; ++i) {
            const CableSize& s = sizes[i];
            std::string group = air ? "Air Cable Connectors" : "Foam Cable Connectors";
            std::string cable = std::string(air ? "HCA" : "HCF") + s.code;
            auto base = [&](Family& f) {
                f.prodCat = "Connectors";
                f.discGrp = "C1";
                f.discCat = "CON";
                f.specmaster = "CONNECTOR";
                f.installInst = std::string("II-CON") + s.code;
                f.instrBulletins = air ? "IB-0870,IB-0871" : "IB-0655";
                f.refInfo = "RI-CON";
                f.graphic = "connector";
            };
            for (const Iface& fc : ifaces) {
                // 4.3-10 is offered for the smaller foam sizes only.
                if (fc.code[0] == 'Q' && (air || i > 3)) continue;
                for (int g = 0; g < 2; ++g) {
                    for (int r = 0; r < 2; ++r) {
                        Family f;
                        f.path = {"Connectors", group, s.name, fc.name, g ? "Female" : "Male",
                                  r ? "Right Angle" : "Straight"};
                        f.stem = std::string(air ? "KA" : "KF") + s.code + fc.code + (g ? "F" : "M") + (r ? "R" : "S");
                        f.desc = std::string(fc.name) + (g ? " female" : " male") + (r ? " right angle (90" + std::string(kDeg) + ")" : " straight")
                                 + " connector for " + s.text + " " + cable + " cable";
                        base(f);
                        f.baseCents = fc.cents + s.cents * 9 + r * 1400 + g * 150;
                        f.variants = Cross({{"-S", ", silver plated", 1000},
                                            {"-T", ", tri-metal plated", 1060},
                                            {"-G", ", gold plated centre contact", 1210},
                                            {"-A", ", low PIM grade", 1330}},
                                           {{"", "", 1000}, {"W", ", with weatherproof boot", 1150}});
                        cat.families.push_back(std::move(f));
                    }
                }
            }
            if (std::strcmp(s.code, "78") == 0 || std::strlen(s.code) == 3) {
                for (int sw = 0; sw < 2; ++sw) {
                    Family f;
                    f.path = {"Connectors", group, s.name, "EIA Flange", sw ? "Swivel" : "Fixed"};
                    f.stem = std::string(air ? "KA" : "KF") + s.code + (sw ? "EW" : "EF");
                    f.desc = std::string("EIA flange connector, ") + (sw ? "swivel" : "fixed") + ", for " + s.text + " "
                             + cable + " cable";
                    base(f);
                    f.discGrp = "C2";
                    f.baseCents = 6200 + s.cents * 14 + sw * 2100;
                    f.variants = {{"-P", ", pressurisable", 1000}, {"-G", ", with gas port", 1120}};
                    cat.families.push_back(std::move(f));
                }
            }
        }
    }
}

void AddAccessories(Catalog& cat)
{
    auto base = [](Family& f, const char* spec, const char* grp) {
        f.prodCat = "Accessories";
        f.discGrp = grp;
        f.discCat = "ACC";
        f.specmaster = spec;
        f.refInfo = "RI-ACC";
    };
    // Hangers, per cable size (sizes shared by both dielectrics are listed once).
    std::vector<const CableSize*> sizes;
    for (const CableSize& s : kFoamSizes) sizes.push_back(&s);
    for (const CableSize& s : kAirSizes)
        if (std::none_of(sizes.begin(), sizes.end(), [&](const CableSize* t) { return std::strcmp(t->code, s.code) == 0; }))
            sizes.push_back(&s);
    for (const CableSize* s : sizes) {
        Family f;
        f.path = {"Accessories", "Hangers", s->name};
        f.stem = std::string("HG") + s->code;
        f.desc = std::string("Cable hanger for ") + s->text + " cable";
        base(f, "HANGER", "D1");
        f.installInst = "II-HANGER";
        f.graphic = "hanger";
        f.baseCents = 1900 + s->cents * 3;
        f.variants = {{"-10", ", snap-in, pack of 10", 1000},
                      {"-S10", ", stackable, pack of 10", 1350},
                      {"-R10", ", with threaded rod adapter, pack of 10", 1600},
                      {"-B", ", double hanger for two cables", 780}};
        cat.families.push_back(std::move(f));
    }
    for (const CableSize* s : sizes) {
        Family f;
        f.path = {"Accessories", "Grounding Kits", "Coaxial Cable"};
        f.stem = std::string("GK") + s->code;
        f.desc = std::string("Grounding kit for ") + s->text + " cable";
        base(f, "GROUNDING", "D1");
        f.installInst = "II-GROUND";
        f.graphic = "ground_kit";
        f.baseCents = 2600 + s->cents * 2;
        f.variants = {{"-1", ", 1 m lead", 1000}, {"-2", ", 2 m lead, lug kit", 1140}};
        cat.families.push_back(std::move(f));
    }
    for (const Band& b : kWaveguideBands) {
        Family f;
        f.path = {"Accessories", "Grounding Kits", "Elliptical Waveguide"};
        f.stem = std::string("GK") + b.code;
        f.desc = std::string("Grounding kit for elliptical waveguide ") + b.beg + "-" + b.end + " MHz";
        base(f, "GROUNDING", "D1");
        f.installInst = "II-GROUND";
        f.graphic = "ground_kit";
        f.baseCents = 4300;
        f.variants = {{"-1", ", 1 m lead", 1000}};
        cat.families.push_back(std::move(f));
    }
    {
        Family f;
        f.path = {"Accessories", "Wall Feed-throughs"};
        f.stem = "WF";
        f.desc = "Wall feed-through panel";
        base(f, "FEEDTHRU", "D2");
        f.installInst = "II-WALL";
        f.appBriefs = "AB-SHELTER";
        f.graphic = "wall_panel";
        f.baseCents = 14500;
        f.variants = {{"-4", ", 4 ports", 1000},   {"-8", ", 8 ports", 1650},   {"-12", ", 12 ports", 2200},
                      {"-B12", ", boot for 1/2 in cable", 95}, {"-B78", ", boot for 7/8 in cable", 110},
                      {"-B158", ", boot for 1-5/8 in cable", 140}};
        cat.families.push_back(std::move(f));
    }
    const char* toolGroups[][3] = {{"Cable Preparation Tools", "TP", "Cable preparation tool"},
                                   {"Installation Tools", "TI", "Installation tool"}};
    for (const auto& tg : toolGroups) {
        Family f;
        f.path = {"Accessories", "Tools", tg[0]};
        f.stem = tg[1];
        f.desc = tg[2];
        base(f, "TOOL", "D3");
        f.prodCat = "Tools";
        f.installInst = "II-TOOLS";
        f.graphic = "tool";
        f.baseCents = 6800;
        if (tg[1][1] == 'P')
            f.variants = {{"-12", ", for 1/2 in cable", 1000},   {"-78", ", for 7/8 in cable", 1250},
                          {"-158", ", for 1-5/8 in cable", 1700}, {"-K", ", kit in case", 3900}};
        else
            f.variants = {{"-HG", ", hoisting grip", 1400},   {"-TW", ", torque wrench, " + std::string(kPlusMinus) + "4 %", 2600},
                          {"-IC", ", inclinometer " + std::string(kPlusMinus) + "0.1" + kDeg, 3300},
                          {"-CU", ", cable cutter", 900}};
        cat.families.push_back(std::move(f));
    }
}

// Shares out `parts` in proportion to each family's natural variant count
// (largest remainders first, earlier families first on ties).
void ShareOut(Catalog& cat, std::size_t parts)
{
    std::uint64_t total = 0;
    for (const Family& f : cat.families) total += f.variants.size();
    std::vector<std::pair<std::uint64_t, std::size_t>> rest;
    std::size_t given = 0;
    for (std::size_t i = 0; i < cat.families.size(); ++i) {
        // No overflow: parts <= 1e8 and each weight is a handful of variants.
        std::uint64_t share = static_cast<std::uint64_t>(parts) * cat.families[i].variants.size();
        cat.families[i].count = static_cast<std::size_t>(share / total);
        given += cat.families[i].count;
        rest.push_back({share % total, i});
    }
    std::stable_sort(rest.begin(), rest.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t k = 0; given < parts; ++k, ++given) cat.families[rest[k % rest.size()].second].count++;
}

// ---------------------------------------------------------------------------
// Output

// Currency factors against the US price, in 1/10000 (CAD, DEM, EUR, JPY, GBP, BRL, CNY).
constexpr std::int64_t kRates[7] = {13500, 18500, 9500, 1450000, 8000, 52000, 71000};
constexpr int kYen = 3;

class Writer {
public:
    explicit Writer(std::FILE* file) : file_(file) { buf_.reserve(kFlush + 4096); }

    void Put(std::string_view s) { buf_.append(s); }
    void Put(char c) { buf_.push_back(c); }
    void Sep() { buf_.push_back('|'); }
    void EndLine()
    {
        buf_.append("\r\n");
        if (buf_.size() >= kFlush) Flush();
    }
    void Int(std::int64_t v)
    {
        char tmp[24];
        auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
        buf_.append(tmp, r.ptr);
    }
    // Cents as a decimal number with two places; zero as "0".
    void Money(std::int64_t cents)
    {
        if (cents == 0) { buf_.push_back('0'); return; }
        if (cents < 0) { buf_.push_back('-'); cents = -cents; }
        Int(cents / 100);
        buf_.push_back('.');
        buf_.push_back(static_cast<char>('0' + cents / 10 % 10));
        buf_.push_back(static_cast<char>('0' + cents % 10));
    }
    void Price(std::int64_t cents, int currency)
    {
        if (currency == kYen) Int(cents / 100);
        else Money(cents);
    }
    bool Flush()
    {
        if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), file_) != buf_.size()) ok_ = false;
        buf_.clear();
        return ok_;
    }
    bool Ok() const { return ok_; }

private:
    static constexpr std::size_t kFlush = 1 << 20;
    std::FILE* file_;
    std::string buf_;
    bool ok_ = true;
};

// Columns of the catalog file. The last three are not catalog columns: readers
// must pass over them.
const char* const kColumns[][2] = {
    {"PartNo", "Part Number"},           {"XRef", "Customer Ref"},
    {"SecondXRef", "Customer Ref 2"},    {"Desc", "Description"},
    {"ProdCat", "Product Category"},     {"DiscGrps", "Discount Group"},
    {"DiscCats", "Discount Category"},   {"Avail_Code", "Availability"},
    {"Specmaster", "Spec Type"},         {"BegFreq", "Begin Freq (MHz)"},
    {"EndingFreq", "End Freq (MHz)"},    {"USPrice", "US$ List"},
    {"Cancel", "CAN$ List"},             {"DK", "DM List"},
    {"Eureka", "Euro List"},             {"Yes", "Yen List"},
    {"Graphic", "GBP List"},             {"Bro_ham", "R$ List"},
    {"Change", "RMB List"},              {"Cancel_ME", "CAN$ per m"},
    {"DK_ME", "DM per m"},               {"Eureka_ME", "Euro per m"},
    {"Yes_ME", "Yen per m"},             {"Graphic_ME", "GBP per m"},
    {"Bro_ham_ME", "R$ per m"},          {"Change_ME", "RMB per m"},
    {"AddtlCost", "Additional Cost"},    {"DefaultPartNo", "Default Part Number"},
    {"Install_Inst", "Installation Instructions"}, {"App_Briefs", "Application Briefs"},
    {"Instr_Bulletins", "Instruction Bulletins"},  {"Ref_Info", "Reference Information"},
    {"GraphicFile", "Picture"},          {"Can_price", "CAN$ Previous List"},
    {"Notes", "Notes"},
};

std::int64_t Convert(std::int64_t usCents, int currency)
{
    std::int64_t v = (usCents * kRates[currency] + 5000) / 10000;
    if (currency == kYen) v = (v + 50) / 100 * 100;   // whole yen
    return v;
}

// Feet per metre as 3.28084, in 1/100000.
std::int64_t PerMetre(std::int64_t perFootCents) { return (perFootCents * 328084 + 50000) / 100000; }

void WriteXRef(Writer& w, SplitMix64& rng)
{
    char tmp[24];
    switch (rng.Below(3)) {
    case 0: std::snprintf(tmp, sizeof tmp, "TX-%05u", rng.Below(100000)); break;
    case 1: std::snprintf(tmp, sizeof tmp, "NW%06u", rng.Below(1000000)); break;
    default: {
        // Drawn one after the other: argument evaluation order differs between compilers.
        std::uint32_t series = rng.Below(10000);
        std::uint32_t item = rng.Below(100);
        std::snprintf(tmp, sizeof tmp, "A%04u-%02u", series, item);
        break;
    }
    }
    w.Put(tmp);
}

const char* const kNotes[] = {"", "", "", "", "", "", "Made to order", "Replaces earlier series",
                              "Export licence may apply", "Price subject to change", "Lead time on request"};

void WritePart(Writer& w, SplitMix64& rng, const Family& f, std::size_t k)
{
    const Variant& v = f.variants[k % f.variants.size()];
    std::size_t option = k / f.variants.size();   // beyond the natural variants

    std::string partNo = f.stem + v.suffix;
    if (option > 0) {
        partNo += "-";
        partNo += std::to_string(option);
    }
    w.Put(partNo);
    w.Sep();
    if (rng.Chance(12)) WriteXRef(w, rng);
    w.Sep();
    if (rng.Chance(5)) WriteXRef(w, rng);
    w.Sep();
    w.Put(f.desc);
    w.Put(v.desc);
    if (option > 0) {
        w.Put(", opt. ");
        w.Int(static_cast<std::int64_t>(option));
    }
    w.Sep();
    w.Put(f.prodCat);
    w.Sep();
    w.Put(f.discGrp);
    w.Sep();
    w.Put(f.discCat);
    w.Sep();
    std::uint32_t a = rng.Below(100);
    w.Put(a < 62 ? "S" : a < 82 ? "L" : a < 86 ? "X" : "");
    w.Sep();
    w.Put(f.specmaster);
    w.Sep();
    w.Put(f.begFreq);
    w.Sep();
    w.Put(f.endFreq);
    w.Sep();

    // Price: family base x variant factor x a small spread, kept in whole cents.
    std::int64_t us = f.baseCents * v.pricePermille / 1000;
    us = us * (970 + static_cast<std::int64_t>(rng.Below(61))) / 1000 + static_cast<std::int64_t>(option) * 7;
    if (us < 1) us = 1;
    w.Money(us);
    for (int c = 0; c < 7; ++c) {
        w.Sep();
        w.Price(Convert(us, c), c);
    }
    for (int c = 0; c < 7; ++c) {
        w.Sep();
        w.Price(f.perMetre ? Convert(PerMetre(us), c) : 0, c);
    }
    w.Sep();
    w.Money(f.addtlCents);
    w.Sep();
    w.Put(partNo);
    w.Sep();
    w.Put(f.installInst);
    w.Sep();
    w.Put(f.appBriefs);
    w.Sep();
    w.Put(f.instrBulletins);
    w.Sep();
    w.Put(f.refInfo);
    w.Sep();
    w.Put(f.graphic);
    w.Sep();
    // An older Canadian price that differs from the live one on purpose.
    w.Money(Convert(us, 0) * 96 / 100);
    w.Sep();
    w.Put(kNotes[rng.Below(static_cast<std::uint32_t>(std::size(kNotes)))]);
    w.EndLine();
}

const char kMarkers[6][2] = {{'[', ']'}, {'{', '}'}, {'~', '~'}, {'#', '#'}, {'`', '`'}, {'^', '^'}};

bool WriteCatalog(std::FILE* file, const Catalog& cat, std::size_t parts, std::uint64_t seed)
{
    Writer w(file);
    for (std::size_t i = 0; i < std::size(kColumns); ++i) {
        if (i) w.Sep();
        w.Put(kColumns[i][0]);
    }
    w.EndLine();
    for (std::size_t i = 0; i < std::size(kColumns); ++i) {
        if (i) w.Sep();
        w.Put(kColumns[i][1]);
    }
    w.EndLine();
    w.Put("; Invented sample catalog of an imaginary maker. All part numbers and prices are made up.");
    w.EndLine();
    w.Put("; ortello-gencatalog --parts ");
    w.Int(static_cast<std::int64_t>(parts));
    w.Put(" --seed ");
    w.Put(std::to_string(seed));
    w.EndLine();

    SplitMix64 rng(seed);
    const std::vector<std::string>* previous = nullptr;
    for (const Family& f : cat.families) {
        std::size_t common = 0;
        if (previous) {
            while (common < previous->size() && common < f.path.size() && (*previous)[common] == f.path[common])
                ++common;
            // Parts go to the last node read: a family may share the node of the one
            // before it, but may not sit above it.
            if (common == f.path.size() && previous->size() != f.path.size()) {
                std::fprintf(stderr, "ortello-gencatalog: internal error: family order at %s\n", f.stem.c_str());
                return false;
            }
        }
        if (common == 0) {
            w.Put("; ---- ");
            w.Put(f.path[0]);
            w.Put(" ----");
            w.EndLine();
        }
        for (std::size_t level = common; level < f.path.size(); ++level) {
            w.Put(kMarkers[level][0]);
            w.Put(f.path[level]);
            w.Put(kMarkers[level][1]);
            w.EndLine();
        }
        for (std::size_t k = 0; k < f.count; ++k) WritePart(w, rng, f, k);
        previous = &f.path;
    }
    return w.Flush();
}

// ---------------------------------------------------------------------------
// Pictures

// A GIF whose LZW stream stays at 3-bit codes by clearing the table every two
// pixels, so no real compressor is needed. Four colours at most.
std::string MakeGif(int width, int height, const std::array<std::uint8_t, 12>& palette,
                    const std::vector<std::uint8_t>& pixels)
{
    std::string out = "GIF89a";
    auto u16 = [&](int v) {
        out.push_back(static_cast<char>(v & 0xFF));
        out.push_back(static_cast<char>(v >> 8 & 0xFF));
    };
    u16(width);
    u16(height);
    out.push_back(static_cast<char>(0x81));   // global colour table of 4 entries, 1 bit per primary left as is
    out.push_back(0);
    out.push_back(0);
    out.append(reinterpret_cast<const char*>(palette.data()), palette.size());
    out.push_back(',');
    u16(0);
    u16(0);
    u16(width);
    u16(height);
    out.push_back(0);
    out.push_back(2);   // LZW minimum code size

    std::string data;
    std::uint32_t acc = 0;
    int bits = 0;
    auto code = [&](std::uint32_t c) {
        acc |= c << bits;
        bits += 3;
        while (bits >= 8) {
            data.push_back(static_cast<char>(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    };
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (i % 2 == 0) code(4);   // clear
        code(pixels[i] & 3);
    }
    code(5);   // end of information
    if (bits > 0) data.push_back(static_cast<char>(acc & 0xFF));
    for (std::size_t i = 0; i < data.size(); i += 255) {
        std::size_t n = std::min<std::size_t>(255, data.size() - i);
        out.push_back(static_cast<char>(n));
        out.append(data, i, n);
    }
    out.push_back(0);
    out.push_back(';');
    return out;
}

// A baseline greyscale JPEG, 16 x 16, one flat tone per 8 x 8 block (DC terms only).
std::string MakeJpeg(const std::array<int, 4>& blockLevels)
{
    std::string out;
    auto byte = [&](int v) { out.push_back(static_cast<char>(v & 0xFF)); };
    auto u16 = [&](int v) { byte(v >> 8); byte(v); };
    byte(0xFF); byte(0xD8);
    byte(0xFF); byte(0xE0); u16(16);
    out.append("JFIF", 5);
    byte(1); byte(1); byte(0); u16(1); u16(1); byte(0); byte(0);
    // Quantisation: 8 for DC, 1 elsewhere (no AC term is ever coded).
    byte(0xFF); byte(0xDB); u16(67); byte(0);
    for (int i = 0; i < 64; ++i) byte(i == 0 ? 8 : 1);
    byte(0xFF); byte(0xC0); u16(11); byte(8); u16(16); u16(16); byte(1); byte(1); byte(0x11); byte(0);
    // DC table: the usual luminance code lengths for categories 0 to 11.
    const int dcCounts[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    byte(0xFF); byte(0xC4); u16(3 + 16 + 12); byte(0x00);
    for (int c : dcCounts) byte(c);
    for (int i = 0; i < 12; ++i) byte(i);
    // AC table: end of block only.
    byte(0xFF); byte(0xC4); u16(3 + 16 + 1); byte(0x10);
    for (int i = 0; i < 16; ++i) byte(i == 0 ? 1 : 0);
    byte(0x00);
    byte(0xFF); byte(0xDA); u16(8); byte(1); byte(1); byte(0x00); byte(0); byte(63); byte(0);

    // Canonical codes of the DC table above, by category.
    struct Code { std::uint32_t bits; int len; };
    Code dc[12];
    {
        std::uint32_t c = 0;
        int k = 0;
        for (int len = 1; len <= 16; ++len) {
            for (int n = 0; n < dcCounts[len - 1]; ++n) dc[k++] = {c++, len};
            c <<= 1;
        }
    }
    std::uint32_t acc = 0;
    int nbits = 0;
    auto put = [&](std::uint32_t value, int len) {
        for (int i = len - 1; i >= 0; --i) {
            acc = acc << 1 | (value >> i & 1);
            if (++nbits == 8) {
                byte(static_cast<int>(acc));
                if ((acc & 0xFF) == 0xFF) byte(0);   // byte stuffing
                acc = 0;
                nbits = 0;
            }
        }
    };
    int previous = 0;
    for (int level : blockLevels) {
        // DC coefficient of a flat block is 8 x (level - 128); quantised by 8.
        int dcValue = level - 128;
        int diff = dcValue - previous;
        previous = dcValue;
        int magnitude = diff < 0 ? -diff : diff;
        int cat = 0;
        while ((1 << cat) <= magnitude) ++cat;
        put(dc[cat].bits, dc[cat].len);
        if (cat > 0) put(static_cast<std::uint32_t>(diff < 0 ? diff + (1 << cat) - 1 : diff), cat);
        put(0, 1);   // end of block
    }
    if (nbits > 0) put((1u << (8 - nbits)) - 1, 8 - nbits);
    byte(0xFF); byte(0xD9);
    return out;
}

enum class Shape { Disc, Panel, Mast, Rings, Bar };

std::vector<std::uint8_t> Draw(Shape shape, int size)
{
    std::vector<std::uint8_t> px(static_cast<std::size_t>(size) * size, 0);
    int c = size / 2;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int dx = x - c, dy = y - c, r2 = dx * dx + dy * dy;
            std::uint8_t v = 0;
            switch (shape) {
            case Shape::Disc: v = r2 < (c - 2) * (c - 2) ? (r2 < 9 ? 3 : 1) : 0; break;
            case Shape::Panel: v = (x > size / 3 && x < 2 * size / 3 && y > 2 && y < size - 3) ? 1 : 0; break;
            case Shape::Mast: v = (dx >= -1 && dx <= 1 && y > 1) ? 1 : (y > size - 4 ? 2 : 0); break;
            case Shape::Rings: v = r2 < 16 ? 3 : r2 < 64 ? 2 : r2 < (c - 1) * (c - 1) ? 1 : 0; break;
            case Shape::Bar: v = (dy >= -2 && dy <= 2) ? 1 : ((dx >= -2 && dx <= 2 && dy > 2) ? 2 : 0); break;
            }
            px[static_cast<std::size_t>(y) * size + x] = v;
        }
    }
    return px;
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "ortello-gencatalog: cannot create \"%s\": %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::fprintf(stderr, "ortello-gencatalog: cannot write \"%s\"\n", path.c_str());
    return ok;
}

bool WriteImages(const std::string& dir)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "ortello-gencatalog: cannot create folder \"%s\": %s\n", dir.c_str(), ec.message().c_str());
        return false;
    }
    std::string base = dir;
    if (!base.empty() && base.back() != '/') base += '/';
    const std::array<std::uint8_t, 12> grey = {255, 255, 255, 120, 130, 140, 40, 60, 90, 200, 40, 30};
    const std::array<std::uint8_t, 12> copper = {255, 255, 255, 30, 30, 30, 200, 200, 205, 190, 110, 50};
    struct Gif { const char* name; Shape shape; const std::array<std::uint8_t, 12>* palette; };
    const Gif gifs[] = {
        {"dish_std.gif", Shape::Disc, &grey},     {"dish_hp.gif", Shape::Disc, &copper},
        {"panel.gif", Shape::Panel, &grey},       {"omni.gif", Shape::Mast, &grey},
        {"cable_foam.gif", Shape::Rings, &copper}, {"cable_air.gif", Shape::Rings, &grey},
        {"connector.gif", Shape::Bar, &copper},   {"hanger.gif", Shape::Bar, &grey},
    };
    for (const Gif& g : gifs)
        if (!WriteFile(base + g.name, MakeGif(32, 32, *g.palette, Draw(g.shape, 32)))) return false;
    // Named with and without extension in the catalog, so both look-ups are exercised.
    if (!WriteFile(base + "omni_lp.jpeg", MakeJpeg({60, 120, 120, 200}))) return false;
    if (!WriteFile(base + "waveguide.jpg", MakeJpeg({90, 140, 140, 90}))) return false;
    if (!WriteFile(base + "tool.jpeg", MakeJpeg({200, 80, 80, 200}))) return false;
    return true;
}

// ---------------------------------------------------------------------------

void Usage(std::FILE* to)
{
    std::fprintf(to,
                 "usage: ortello-gencatalog [--parts N] [--seed S] -o FILE [--images DIR]\n"
                 "  --parts N     number of part lines (default 3000, at most 100000000)\n"
                 "  --seed S      seed of the invented values (default 1)\n"
                 "  -o FILE       catalog file to write (Windows-1252, CR LF)\n"
                 "  --images DIR  also write small pictures named as in the catalog into DIR\n");
}

bool ParseCount(const char* text, std::uint64_t max, std::uint64_t& out)
{
    std::string_view s(text);
    if (s.empty()) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && out <= max;
}

}   // namespace

int main(int argc, char** argv)
{
    std::uint64_t parts = 3000, seed = 1;
    std::string output, images;
    for (int i = 1; i < argc; ++i) {
        std::string_view a(argv[i]);
        auto value = [&](const char* what) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "ortello-gencatalog: %s needs a value\n", what);
                return nullptr;
            }
            return argv[++i];
        };
        if (a == "-h" || a == "--help") {
            Usage(stdout);
            return 0;
        } else if (a == "--parts") {
            const char* v = value("--parts");
            if (!v) return 2;
            if (!ParseCount(v, 100000000, parts)) {
                std::fprintf(stderr, "ortello-gencatalog: --parts wants a whole number from 0 to 100000000, not \"%s\"\n", v);
                return 2;
            }
        } else if (a == "--seed") {
            const char* v = value("--seed");
            if (!v) return 2;
            if (!ParseCount(v, UINT64_MAX, seed)) {
                std::fprintf(stderr, "ortello-gencatalog: --seed wants a whole number, not \"%s\"\n", v);
                return 2;
            }
        } else if (a == "-o") {
            const char* v = value("-o");
            if (!v) return 2;
            output = v;
        } else if (a == "--images") {
            const char* v = value("--images");
            if (!v) return 2;
            images = v;
        } else {
            std::fprintf(stderr, "ortello-gencatalog: unknown argument \"%s\"\n", argv[i]);
            Usage(stderr);
            return 2;
        }
    }
    if (output.empty()) {
        std::fprintf(stderr, "ortello-gencatalog: -o FILE is required\n");
        Usage(stderr);
        return 2;
    }

    Catalog cat;
    AddAntennas(cat);
    AddCable(cat);
    AddWaveguide(cat);
    AddConnectors(cat);
    AddAccessories(cat);
    ShareOut(cat, static_cast<std::size_t>(parts));

    // A regular file is written beside the target and renamed, so a failed run
    // leaves no half file; anything else (a pipe, a device) is written in place
    // and never replaced.
    std::error_code ec;
    auto status = std::filesystem::status(output, ec);
    bool inPlace = !ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
    std::string target = inPlace ? output : output + ".tmp";
    std::FILE* file = std::fopen(target.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "ortello-gencatalog: cannot create \"%s\": %s\n", target.c_str(), std::strerror(errno));
        return 1;
    }
    bool ok = WriteCatalog(file, cat, static_cast<std::size_t>(parts), seed);
    ok = std::fclose(file) == 0 && ok;
    if (!inPlace && ok && std::rename(target.c_str(), output.c_str()) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "ortello-gencatalog: cannot write \"%s\"\n", output.c_str());
        if (!inPlace) std::remove(target.c_str());
        return 1;
    }
    if (!images.empty() && !WriteImages(images)) return 1;
    return 0;
}
