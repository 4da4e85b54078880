// Part-record files read into a small entry class with one property of each
// kind the readers convert. Library exceptions are expected; anything else is a
// finding. The first byte chooses the list kind, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/Startup.h"
#include "library/ListComponents.h"
#include "library/PartRecords.h"

using namespace ortello;

namespace {

const TTypeInfo* TypeTFuzzColor() {
    static const TTypeInfo* t = MakeEnumType("TFuzzColor", {"fcRed", "fcGreen", "fcBlue"});
    return t;
}
const TTypeInfo* TypeTFuzzColors() {
    static const TTypeInfo* t = MakeSetType("TFuzzColors", TypeTFuzzColor());
    return t;
}
const TTypeInfo* TypeTPercent() {
    static const TTypeInfo* t = MakeSubrangeType("TPercent", TypeInteger(), 0, 100);
    return t;
}

class TFuzzEntry : public TQorPersistent {
    ORTELLO_CLASS()
public:
    int count = 0, percent = 0, color = 0;
    uint32_t colors = 0;
    char letter = 0;
    bool flag = false;
    double price = 0;
    std::string name;

    int Count() const { return count; }
    void SetCount(int v) { count = v; }
    int Percent() const { return percent; }
    void SetPercent(int v) { percent = v; }
    int Color() const { return color; }
    void SetColor(int v) { color = v; }
    uint32_t Colors() const { return colors; }
    void SetColors(uint32_t v) { colors = v; }
    char Letter() const { return letter; }
    void SetLetter(char v) { letter = v; }
    bool Flag() const { return flag; }
    void SetFlag(bool v) { flag = v; }
    double Price() const { return price; }
    void SetPrice(double v) { price = v; }
    const std::string& Name() const { return name; }
    void SetName(std::string_view v) { name.assign(v); }

    void Clear() override {
        count = percent = color = 0;
        colors = 0;
        letter = 0;
        flag = false;
        price = 0;
        name.clear();
    }
    void Assign(const TPersistent* source) override {
        if (auto* o = dynamic_cast<const TFuzzEntry*>(source)) {
            count = o->count;
            percent = o->percent;
            color = o->color;
            colors = o->colors;
            letter = o->letter;
            flag = o->flag;
            price = o->price;
            name = o->name;
        }
    }
};

const TClassInfo& TFuzzEntry::StaticClass() {
    using C = TFuzzEntry;
    static const TClassInfo& info = *ClassBuilder<C>("TFuzzEntry", &TQorPersistent::StaticClass())
                                         .Prop("Count", TypeInteger(), &C::Count, &C::SetCount)
                                         .Prop("Percent", TypeTPercent(), &C::Percent, &C::SetPercent)
                                         .Prop("Color", TypeTFuzzColor(), &C::Color, &C::SetColor)
                                         .Prop("Colors", TypeTFuzzColors(), &C::Colors, &C::SetColors)
                                         .Prop("Letter", TypeChar(), &C::Letter, &C::SetLetter)
                                         .Prop("Flag", TypeBoolean(), &C::Flag, &C::SetFlag)
                                         .Prop("Price", TypeDouble(), &C::Price, &C::SetPrice)
                                         .Prop("Name", TypeString(), &C::Name, &C::SetName)
                                         .Build();
    return info;
}

template <class Base>
class TFuzzList : public Base {
public:
    TFuzzList() : Base(true) {}
    const TClassInfo* ItemClass() const override { return &TFuzzEntry::StaticClass(); }
};

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

template <class List>
void Load(std::string_view text) {
    List list;
    int progress = 0, lastNumber = -1;
    list.OnProgress = [&](int number, int count) {
        Check(number >= lastNumber && number <= count);
        lastNumber = number;
        ++progress;
    };
    bool ok = false;
    try {
        list.LoadRecordsFromText(text, "fuzz.dat");
        ok = true;
    } catch (const Exception&) {
        // Malformed files are reported by message.
    }
    const size_t lines = SplitLines(text).size();
    Check(static_cast<size_t>(list.Count()) + 2 <= lines || list.Count() == 0);
    if (ok) {
        Check(progress >= 2);
        Check(lastNumber == static_cast<int>(lines));
    }
    for (int i = 0; i < list.Count(); ++i) {
        auto* e = dynamic_cast<TFuzzEntry*>(list.Items(i));
        Check(e != nullptr);
        Check(e->percent >= 0 && e->percent <= 100);
        Check(e->color >= 0 && e->color <= 2);
        Check((e->colors & ~7u) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (RegisterAllClasses(), true);
    (void)registered;
    if (size == 0) return 0;
    const std::string text = Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    if (data[0] & 1)
        Load<TFuzzList<TOSKDataList>>(text);
    else
        Load<TFuzzList<TQORFileDataList>>(text);
    return 0;
}
