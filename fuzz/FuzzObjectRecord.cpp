// The object-record reader, through a list that creates its items; whatever
// loads is written back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "library/ObjectStream.h"
#include "library/Persistent.h"

using namespace ortello;

namespace {

class TFuzzContact : public TPersistent {
    ORTELLO_CLASS()
public:
    std::string Phone() const { return phone_; }
    void SetPhone(std::string_view v) { phone_ = std::string(v); }

private:
    std::string phone_;
};

const TTypeInfo* TypeTFuzzKind() {
    static const TTypeInfo* t = MakeEnumType("TFuzzKind", {"fkA", "fkB", "fkC"});
    return t;
}

class TFuzzEntry : public TQorPersistent {
    ORTELLO_CLASS()
public:
    ~TFuzzEntry() override = default;
    std::string Name() const { return name_; }
    void SetName(std::string_view v) { name_ = std::string(v); }
    int Qty() const { return qty_; }
    void SetQty(int v) { qty_ = v; }
    double Price() const { return price_; }
    void SetPrice(double v) { price_ = v; }
    int Kind() const { return kind_; }
    void SetKind(int v) { kind_ = v; }
    int64_t Kinds() const { return kinds_; }
    void SetKinds(int64_t v) { kinds_ = v; }
    bool Flag() const { return flag_; }
    void SetFlag(bool v) { flag_ = v; }
    char Code() const { return code_; }
    void SetCode(char v) { code_ = v; }
    int64_t Big() const { return big_; }
    void SetBig(int64_t v) { big_ = v; }
    TStringList* Notes() const { return const_cast<TStringList*>(&notes_); }
    TFuzzContact* Contact() const { return const_cast<TFuzzContact*>(&contact_); }

private:
    std::string name_;
    int qty_ = 0;
    double price_ = 0;
    int kind_ = 0;
    int64_t kinds_ = 0;
    bool flag_ = false;
    char code_ = 'a';
    int64_t big_ = 0;
    TStringList notes_;
    TFuzzContact contact_;
};

// A list read with "owns objects" false hands the items it made to its caller;
// this list plays that caller, and every nested list is one of these.
class TFuzzList : public TQorPersistList {
    ORTELLO_CLASS()
public:
    TFuzzList() : TQorPersistList(true) {}
    ~TFuzzList() override { DropBorrowed(); }
    std::string Title() const { return title_; }
    void SetTitle(std::string_view v) { title_ = std::string(v); }
    std::unique_ptr<TQorPersistent> CreateItem(std::string_view id, const TClassInfo& cls) override {
        if (cls.InheritsFrom(TQorPersistList::StaticClass())) return std::make_unique<TFuzzList>();
        return TQorPersistList::CreateItem(id, cls);
    }
    void Clear() override {
        DropBorrowed();
        TQorPersistList::Clear();
    }

private:
    void DropBorrowed() {
        if (OwnsObjects()) return;
        std::vector<TQorPersistent*> items(List().Raw());
        List().Raw().clear();
        for (TQorPersistent* p : items) delete p;
    }
    std::string title_;
};

const TClassInfo& TFuzzContact::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TFuzzContact>("TFuzzContact", &TPersistent::StaticClass())
                                         .Prop("Phone", TypeString(), &TFuzzContact::Phone, &TFuzzContact::SetPhone)
                                         .Build();
    return info;
}

const TClassInfo& TFuzzEntry::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TFuzzEntry>("TFuzzEntry", &TQorPersistent::StaticClass())
             .Prop("Name", TypeString(), &TFuzzEntry::Name, &TFuzzEntry::SetName)
             .Prop("Qty", TypeInteger(), &TFuzzEntry::Qty, &TFuzzEntry::SetQty)
             .Default(0)
             .Prop("Price", TypeDouble(), &TFuzzEntry::Price, &TFuzzEntry::SetPrice)
             .Prop("Kind", TypeTFuzzKind(), &TFuzzEntry::Kind, &TFuzzEntry::SetKind)
             .Prop("Kinds", MakeSetType("TFuzzKinds", TypeTFuzzKind()), &TFuzzEntry::Kinds, &TFuzzEntry::SetKinds)
             .Prop("Flag", TypeBoolean(), &TFuzzEntry::Flag, &TFuzzEntry::SetFlag)
             .Prop("Code", TypeChar(), &TFuzzEntry::Code, &TFuzzEntry::SetCode)
             .Prop("Big", TypeInt64(), &TFuzzEntry::Big, &TFuzzEntry::SetBig)
             .ReadOnly("Notes", TStringList::StaticClass().TypeInfo(), &TFuzzEntry::Notes)
             .ReadOnly("Contact", TFuzzContact::StaticClass().TypeInfo(), &TFuzzEntry::Contact)
             .Build();
    return info;
}

const TClassInfo& TFuzzList::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TFuzzList>("TFuzzList", &TQorPersistList::StaticClass())
                                         .Prop("Title", TypeString(), &TFuzzList::Title, &TFuzzList::SetTitle)
                                         .Build();
    return info;
}

bool Init() {
    RegisterPersistentClasses();
    RegisterClass(TFuzzEntry::StaticClass());
    RegisterClass(TFuzzList::StaticClass());
    RegisterAlias(TFuzzEntry::StaticClass(), "TFE");
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = Init();
    (void)ready;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TFuzzList list;
    try {
        TReadOnlyMemoryStream s(bytes);
        list.ReadFromStream(s);
    } catch (const std::exception&) {
    }
    try {
        TMemoryStream out;
        list.WriteToStream(out);
        out.SetPosition(0);
        TFuzzList again;
        again.ReadFromStream(out);
    } catch (const std::exception&) {
    }
    return 0;
}
