#include "library/PropertyEditors.h"

#include <algorithm>
#include <cstdio>

#include "library/Controls.h"

namespace ortello {

// ---------------------------------------------------------------- class descriptions

#define ORTELLO_EDITOR_CLASS(C, Parent)                                                             \
    const TClassInfo& C::StaticClass() {                                                            \
        static const TClassInfo& info = *ClassBuilder<C>(#C, &Parent::StaticClass()).Build();       \
        return info;                                                                                \
    }

ORTELLO_EDITOR_CLASS(TRTTIPropertyEditor, TObject)
ORTELLO_EDITOR_CLASS(TPropertyEditor, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TIntegerProperty, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TCharProperty, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TEnumProperty, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TBoolProperty, TEnumProperty)
ORTELLO_EDITOR_CLASS(TFloatProperty, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TStringProperty, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TSetProperty, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TSetElementProperty, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TClassProperty, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TMethodProperty, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TComponentProperty, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TComponentNameProperty, TStringProperty)
ORTELLO_EDITOR_CLASS(TCaptionProperty, TStringProperty)
ORTELLO_EDITOR_CLASS(TFontNameProperty, TStringProperty)
ORTELLO_EDITOR_CLASS(TFontCharsetProperty, TIntegerProperty)
ORTELLO_EDITOR_CLASS(TImeNameProperty, TStringProperty)
ORTELLO_EDITOR_CLASS(TColorProperty, TIntegerProperty)
ORTELLO_EDITOR_CLASS(TCursorProperty, TIntegerProperty)
ORTELLO_EDITOR_CLASS(TFontProperty, TClassProperty)
ORTELLO_EDITOR_CLASS(TShortCutProperty, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TDateTimeProperty, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TExpandedEnumPropertyEditor, TRTTIPropertyEditor)
ORTELLO_EDITOR_CLASS(TComponentPropertyEditor, TRTTIPropertyEditor)

#undef ORTELLO_EDITOR_CLASS

namespace {
std::unique_ptr<TRTTIPropertyEditor> NewEditor(const TClassInfo& cls) {
    std::unique_ptr<TObject> obj = cls.Create();
    auto* editor = dynamic_cast<TRTTIPropertyEditor*>(obj.get());
    if (!editor) throw Exception(cls.Name() + " is not a property editor");
    obj.release();
    return std::unique_ptr<TRTTIPropertyEditor>(editor);
}

// Set members live in a 32-bit mask.
constexpr int64_t kMaxSetBit = 31;
// Sets hold at most 256 elements.
constexpr int64_t kMaxSetElement = 255;

const TTypeInfo* SetElementType(const TPropInfo* prop) {
    const TTypeInfo* t = prop->PropType->BaseType;
    return t ? t : TypeByte();
}

std::string ElementName(const TTypeInfo* elem, int64_t ord) {
    if (elem->Kind == TTypeKind::tkEnumeration) return elem->EnumName(ord);
    return IntToStr(ord);
}
}  // namespace

std::vector<const TPropInfo*> SortedPropList(const TClassInfo& cls) {
    std::vector<const TPropInfo*> list = cls.Properties();
    std::stable_sort(list.begin(), list.end(),
                     [](const TPropInfo* a, const TPropInfo* b) { return CompareText(a->Name, b->Name) < 0; });
    return list;
}

// ---------------------------------------------------------------- TRTTIPropertyEditor

TRTTIPropertyEditor::TRTTIPropertyEditor() = default;
TRTTIPropertyEditor::~TRTTIPropertyEditor() = default;

void TRTTIPropertyEditor::Init(TRTTIPropertyEditor* owner) {
    owner_ = owner;
    valid_ = true;
    pairs_.clear();
    children_.clear();
    instances_.clear();
    CreateLists();
}

void TRTTIPropertyEditor::CreateForObject(TPersistent* object, const TPropInfo* prop) {
    Init(nullptr);
    object_ = object;
    prop_ = prop;
    // The accessors cast to the property's class: never hand them another object.
    foreignObject_ = object && prop && prop->Owner && !object->InheritsFrom(*prop->Owner);
}

void TRTTIPropertyEditor::CreateForProperty(TRTTIPropertyEditor* owner, int propIndex) {
    Init(owner);
    if (!owner || owner->instances_.empty()) throw EPropertyError("Property editor owner has no objects");
    const TInstance& inst = owner->instances_.front();
    if (propIndex < 0 || propIndex >= static_cast<int>(inst.Props.size())) ListIndexError(propIndex);
    pairs_.push_back({0, propIndex});
}

void TRTTIPropertyEditor::GetInstance(int i, TPersistent*& object, const TPropInfo*& prop) const {
    if (!owner_) {
        if (i != 0 || !object_ || !prop_) ListIndexError(i);
        if (foreignObject_)
            throw EPropertyError(Fmt("%0s has no property %0s", object_->ClassName(), prop_->Name));
        object = object_;
        prop = prop_;
        return;
    }
    if (i < 0 || i >= static_cast<int>(pairs_.size())) ListIndexError(i);
    const TInstPropIndex& pair = pairs_[static_cast<size_t>(i)];
    const TInstance& inst = owner_->instances_[static_cast<size_t>(pair.Instance)];
    object = inst.Object;
    prop = inst.Props[static_cast<size_t>(pair.Prop)];
}

const TPropInfo* TRTTIPropertyEditor::GetPropInfoAt(int i) const {
    if (!owner_) {
        if (i != 0 || !prop_) ListIndexError(i);
        return prop_;
    }
    TPersistent* obj;
    const TPropInfo* prop;
    GetInstance(i, obj, prop);
    return prop;
}

TPersistent* TRTTIPropertyEditor::GetComponent(int i) const {
    if (!owner_) {
        if (i != 0) ListIndexError(i);
        return object_;
    }
    TPersistent* obj;
    const TPropInfo* prop;
    GetInstance(i, obj, prop);
    return obj;
}

std::string TRTTIPropertyEditor::GetValue() { return "srUnknown"; }
void TRTTIPropertyEditor::SetValue(std::string_view) {}
std::string TRTTIPropertyEditor::GetName() const { return GetPropInfo()->Name; }
unsigned TRTTIPropertyEditor::GetAttributes() { return eaMultiSelect; }
void TRTTIPropertyEditor::GetValues(const std::function<void(const std::string&)>&) {}
int TRTTIPropertyEditor::GetEditLimit() { return 255; }
void TRTTIPropertyEditor::Edit() {}
void TRTTIPropertyEditor::Initialize() {}
int TRTTIPropertyEditor::AddInstance(TPersistent*) { return 0; }

void TRTTIPropertyEditor::MergeInstance(int i) {
    if (!valid_) return;
    if (!(GetAttributes() & eaMultiSelect) || !owner_) {
        valid_ = false;
        return;
    }
    const TPropInfo* mine = GetPropInfo();
    const TInstance& inst = owner_->instances_.at(static_cast<size_t>(i));
    for (size_t j = 0; j < inst.Props.size(); ++j) {
        if (SameText(inst.Props[j]->Name, mine->Name)) {
            if (inst.Props[j]->PropType == mine->PropType)
                pairs_.push_back({i, static_cast<int>(j)});
            else
                valid_ = false;
            return;
        }
    }
    valid_ = false;
}

bool TRTTIPropertyEditor::IsMethodEditor() const { return GetPropInfo()->Kind() == TTypeKind::tkMethod; }

void TRTTIPropertyEditor::CollectVisible(TPropertyEditorList& visible, int filter) {
    if (!valid_) return;
    const bool method = IsMethodEditor();
    const bool admit = filter == pfAll || (filter == pfEvents ? method : !method);
    if (admit) visible.push_back(this);
}

int TRTTIPropertyEditor::IndexOfInstance(const TPersistent* object) const {
    for (size_t i = 0; i < instances_.size(); ++i)
        if (instances_[i].Object == object) return static_cast<int>(i);
    return -1;
}

int TRTTIPropertyEditor::AddToInstances(TPersistent* object) {
    instances_.push_back({object, SortedPropList(object->ClassInfo())});
    return static_cast<int>(instances_.size()) - 1;
}

void TRTTIPropertyEditor::CreateChildEditors(bool raiseOnError) {
    const TInstance& inst = instances_.front();
    for (size_t j = 0; j < inst.Props.size(); ++j) {
        const TPropInfo* p = inst.Props[j];
        if (!p->IsReadable() || !p->IsWritable()) continue;
        try {
            std::unique_ptr<TRTTIPropertyEditor> e = NewEditor(FindEditorClass(inst.Object, p));
            e->CreateForProperty(this, static_cast<int>(j));
            children_.push_back(std::move(e));
        } catch (const std::exception&) {
            if (raiseOnError) throw Exception(Fmt("Error at %0d %0s", static_cast<int>(j), p->Name));
        }
    }
}

int64_t TRTTIPropertyEditor::GetOrdValueAt(int i) const {
    TPersistent* o;
    const TPropInfo* p;
    GetInstance(i, o, p);
    if (p->GetOrd) return p->GetOrd(*o);
    if (p->GetObj) return static_cast<int64_t>(reinterpret_cast<intptr_t>(p->GetObj(*o)));
    throw EPropertyError(Fmt("Property %0s cannot be read", p->Name));
}

void TRTTIPropertyEditor::SetOrdValue(int64_t v) {
    const int n = InstanceCount();
    for (int i = 0; i < n; ++i) {
        TPersistent* o;
        const TPropInfo* p;
        GetInstance(i, o, p);
        if (!p->SetOrd) throw EPropertyError(Fmt("Property %0s is read-only", p->Name));
        p->SetOrd(*o, v);
    }
}

double TRTTIPropertyEditor::GetFloatValueAt(int i) const {
    TPersistent* o;
    const TPropInfo* p;
    GetInstance(i, o, p);
    if (p->GetFloat) return p->GetFloat(*o);
    if (p->GetOrd) return static_cast<double>(p->GetOrd(*o));
    throw EPropertyError(Fmt("Property %0s cannot be read", p->Name));
}

void TRTTIPropertyEditor::SetFloatValue(double v) {
    const int n = InstanceCount();
    for (int i = 0; i < n; ++i) {
        TPersistent* o;
        const TPropInfo* p;
        GetInstance(i, o, p);
        if (!p->SetFloat) throw EPropertyError(Fmt("Property %0s is read-only", p->Name));
        p->SetFloat(*o, v);
    }
}

std::string TRTTIPropertyEditor::GetStrValueAt(int i) const {
    TPersistent* o;
    const TPropInfo* p;
    GetInstance(i, o, p);
    if (!p->GetStr) throw EPropertyError(Fmt("Property %0s cannot be read", p->Name));
    return p->GetStr(*o);
}

void TRTTIPropertyEditor::SetStrValue(std::string_view v) {
    const int n = InstanceCount();
    for (int i = 0; i < n; ++i) {
        TPersistent* o;
        const TPropInfo* p;
        GetInstance(i, o, p);
        if (!p->SetStr) throw EPropertyError(Fmt("Property %0s is read-only", p->Name));
        p->SetStr(*o, v);
    }
}

TObject* TRTTIPropertyEditor::GetObjValueAt(int i) const {
    TPersistent* o;
    const TPropInfo* p;
    GetInstance(i, o, p);
    if (!p->GetObj) throw EPropertyError(Fmt("Property %0s cannot be read", p->Name));
    return p->GetObj(*o);
}

void TRTTIPropertyEditor::SetObjValue(TObject* v) {
    const int n = InstanceCount();
    for (int i = 0; i < n; ++i) {
        TPersistent* o;
        const TPropInfo* p;
        GetInstance(i, o, p);
        if (!p->SetObj) throw EPropertyError(Fmt("Property %0s is read-only", p->Name));
        p->SetObj(*o, v);
    }
}

// ---------------------------------------------------------------- ordinal editors

namespace {
void CheckBounds(const TTypeInfo* t, int64_t v) {
    if (v < t->MinValue || v > t->MaxValue) throw EPropertyError(Fmt(kOutOfRange, t->MinValue, t->MaxValue));
}
}  // namespace

std::string TIntegerProperty::GetValue() { return IntToStr(GetOrdValue()); }

void TIntegerProperty::SetValue(std::string_view text) {
    const int64_t v = StrToInt64(text);
    CheckBounds(GetPropInfo()->PropType, v);
    SetOrdValue(v);
}

std::string TCharProperty::GetValue() {
    int64_t v = GetOrdValue();
    // Plain chars come back sign-extended.
    if (v < 0 && GetPropInfo()->PropType->MinValue >= 0) v &= 0xFF;
    if (v >= 33 && v <= 127) return std::string(1, static_cast<char>(v));
    return "#" + IntToStr(v);
}

void TCharProperty::SetValue(std::string_view text) {
    int64_t v = 0;
    if (text.size() == 1) {
        v = static_cast<unsigned char>(text[0]);
    } else if (!text.empty()) {
        if (text[0] == '#') {
            v = StrToInt64(text.substr(1));
        } else {
            // One non-ASCII character typed as UTF-8 stands for its Windows-1252 code.
            const std::string cp = IsAscii(text) ? std::string() : Utf8ToCp1252(text);
            if (cp.size() != 1 || cp == "?") throw EPropertyError(kInvalidPropertyValue);
            v = static_cast<unsigned char>(cp[0]);
        }
    }
    CheckBounds(GetPropInfo()->PropType, v);
    SetOrdValue(v);
}

std::string TEnumProperty::GetValue() {
    const TTypeInfo* t = GetPropInfo()->PropType;
    int64_t v = GetOrdValue();
    if (v < t->MinValue || v > t->MaxValue) v = t->MaxValue;
    return t->EnumName(v);
}

void TEnumProperty::SetValue(std::string_view text) {
    const TTypeInfo* t = GetPropInfo()->PropType;
    const int64_t v = t->EnumValue(text);
    if (v < 0 || v < t->MinValue || v > t->MaxValue)
        throw EPropertyError(Fmt("%0s %0s in %0s", kInvalidPropertyValue, text, ClassName()));
    SetOrdValue(v);
}

void TEnumProperty::GetValues(const std::function<void(const std::string&)>& proc) {
    const TTypeInfo* t = GetPropInfo()->PropType;
    for (int64_t v = t->MinValue; v <= t->MaxValue; ++v) proc(t->EnumName(v));
}

void TBoolProperty::GetNames(std::string& falseName, std::string& trueName) const {
    falseName = "False";
    trueName = "True";
}

std::string TBoolProperty::GetValue() {
    std::string f, t;
    GetNames(f, t);
    return GetOrdValue() != 0 ? t : f;
}

void TBoolProperty::SetValue(std::string_view text) {
    std::string f, t;
    GetNames(f, t);
    if (SameText(text, f))
        SetOrdValue(0);
    else if (SameText(text, t))
        SetOrdValue(1);
    else
        SetOrdValue(StrToInt64(text));
}

void TBoolProperty::GetValues(const std::function<void(const std::string&)>& proc) {
    std::string f, t;
    GetNames(f, t);
    proc(f);
    proc(t);
}

// ---------------------------------------------------------------- float, string, date

std::string TFloatProperty::GetValue() {
    int precision = 18;
    switch (GetPropInfo()->PropType->FloatType) {
        case TFloatType::ftSingle: precision = 7; break;
        case TFloatType::ftDouble: precision = 15; break;
        default: break;
    }
    return FloatToStrF(GetFloatValue(), TFloatFormat::ffGeneral, precision, 0);
}

void TFloatProperty::SetValue(std::string_view text) {
    // Empty text is zero whatever the decimal separator.
    SetFloatValue(text.empty() ? 0.0 : StrToFloat(text));
}

int TStringProperty::GetEditLimit() {
    const TTypeInfo* t = GetPropInfo()->PropType;
    return t->Kind == TTypeKind::tkString ? t->MaxLength : 255;
}

std::string TDateTimeProperty::GetValue() {
    const double v = GetFloatValue();
    return v == 0 ? std::string() : DateTimeToStr(v);
}

void TDateTimeProperty::SetValue(std::string_view text) {
    SetFloatValue(text.empty() ? 0.0 : StrToDateTime(text));
}

// ---------------------------------------------------------------- sets

void TSetProperty::CreateForObject(TPersistent* object, const TPropInfo* prop) {
    TRTTIPropertyEditor::CreateForObject(object, prop);
    CreateElements();
}

void TSetProperty::CreateForProperty(TRTTIPropertyEditor* owner, int propIndex) {
    TRTTIPropertyEditor::CreateForProperty(owner, propIndex);
    CreateElements();
}

void TSetProperty::CreateElements() {
    const TTypeInfo* elem = SetElementType(GetPropInfo());
    const int64_t lo = std::max<int64_t>(elem->MinValue, 0);
    const int64_t hi = std::min<int64_t>(elem->MaxValue, kMaxSetElement);
    for (int64_t v = lo; v <= hi; ++v) {
        auto e = std::make_unique<TSetElementProperty>();
        e->CreateForElement(this, static_cast<int>(v));
        children_.push_back(std::move(e));
    }
}

std::string TSetProperty::GetValue() {
    const TTypeInfo* elem = SetElementType(GetPropInfo());
    const uint64_t mask = static_cast<uint64_t>(GetOrdValue());
    std::string r = "[";
    bool first = true;
    const int64_t lo = std::max<int64_t>(elem->MinValue, 0);
    const int64_t hi = std::min<int64_t>(elem->MaxValue, kMaxSetBit);
    for (int64_t v = lo; v <= hi; ++v) {
        if (!(mask & (uint64_t{1} << v))) continue;
        if (!first) r += ',';
        r += ElementName(elem, v);
        first = false;
    }
    r += ']';
    return r;
}

void TSetProperty::SetValue(std::string_view text) {
    const TTypeInfo* elem = SetElementType(GetPropInfo());
    std::string_view s = TrimView(text);
    if (!s.empty() && s.front() == '[') s.remove_prefix(1);
    if (!s.empty() && s.back() == ']') s.remove_suffix(1);
    uint64_t mask = 0;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ',' || static_cast<unsigned char>(s[i]) <= 32)) ++i;
        size_t j = i;
        while (j < s.size() && s[j] != ',' && static_cast<unsigned char>(s[j]) > 32) ++j;
        if (j == i) break;
        const std::string_view name = s.substr(i, j - i);
        int64_t v = -1;
        if (elem->Kind == TTypeKind::tkEnumeration) {
            v = elem->EnumValue(name);
        } else if (!TryStrToInt64(name, v)) {
            v = -1;
        }
        if (v < 0 || v < elem->MinValue || v > elem->MaxValue)
            throw EPropertyError(Fmt(kInvalidPropertyElement, name));
        if (v <= kMaxSetBit) mask |= uint64_t{1} << v;
        i = j;
    }
    SetOrdValue(static_cast<int64_t>(mask));
}

void TSetProperty::CollectVisible(TPropertyEditorList& visible, int filter) {
    TRTTIPropertyEditor::CollectVisible(visible, filter);
    if (valid_ && expanded_)
        for (auto& c : children_) c->CollectVisible(visible, filter);
}

void TSetElementProperty::CreateForElement(TRTTIPropertyEditor* owner, int element) {
    if (!dynamic_cast<TSetProperty*>(owner))
        throw Exception(Fmt("Parent is not TSetProperty %0s", owner ? owner->ClassName() : std::string("nil")));
    Init(owner);
    element_ = element;
}

void TSetElementProperty::GetInstance(int i, TPersistent*& object, const TPropInfo*& prop) const {
    owner_->GetInstance(i, object, prop);
}

std::string TSetElementProperty::GetName() const {
    return ElementName(SetElementType(owner_->GetPropInfo()), element_);
}

std::string TSetElementProperty::GetValue() {
    if (element_ > kMaxSetBit) return "False";
    const uint64_t mask = static_cast<uint64_t>(owner_->GetOrdValue());
    return (mask & (uint64_t{1} << element_)) ? "True" : "False";
}

void TSetElementProperty::SetValue(std::string_view text) {
    if (element_ > kMaxSetBit) return;
    uint64_t mask = static_cast<uint64_t>(owner_->GetOrdValue());
    if (SameText(text, "True"))
        mask |= uint64_t{1} << element_;
    else
        mask &= ~(uint64_t{1} << element_);
    owner_->SetOrdValue(static_cast<int64_t>(mask));
}

void TSetElementProperty::GetValues(const std::function<void(const std::string&)>& proc) {
    proc("False");
    proc("True");
}

// ---------------------------------------------------------------- objects, methods

void TClassProperty::CreateForObject(TPersistent*, const TPropInfo*) {
    // Object editors only live inside an editor set or another object editor.
    throw Exception("");
}

void TClassProperty::CreateForProperty(TRTTIPropertyEditor* owner, int propIndex) {
    if (!dynamic_cast<TComponentPropertyEditor*>(owner) && !dynamic_cast<TClassProperty*>(owner))
        throw Exception("");
    TRTTIPropertyEditor::CreateForProperty(owner, propIndex);
    AddValueObject(0);
    if (!instances_.empty()) CreateChildEditors(true);
}

void TClassProperty::AddValueObject(int i) {
    auto* value = dynamic_cast<TPersistent*>(GetObjValueAt(i));
    if (!value) return;
    // An object graph that leads back to an object being edited is not expanded again.
    for (const TRTTIPropertyEditor* e = this; e; e = e->Owner())
        if (e->IndexOfInstance(value) >= 0) return;
    AddToInstances(value);
}

void TClassProperty::MergeInstance(int i) {
    TRTTIPropertyEditor::MergeInstance(i);
    if (!valid_ || instances_.empty()) return;
    const size_t before = instances_.size();
    AddValueObject(InstanceCount() - 1);
    if (instances_.size() == before) {
        // The new object has no value object: the children cannot cover it.
        for (auto& c : children_) c->Invalidate();
        return;
    }
    const int idx = static_cast<int>(instances_.size()) - 1;
    for (auto& c : children_) c->MergeInstance(idx);
}

std::string TClassProperty::GetValue() { return "(" + GetPropInfo()->PropType->Name + ")"; }

void TClassProperty::CollectVisible(TPropertyEditorList& visible, int filter) {
    TRTTIPropertyEditor::CollectVisible(visible, filter);
    if (valid_ && expanded_)
        for (auto& c : children_) c->CollectVisible(visible, filter);
}

std::string TMethodProperty::GetValue() {
    // Events are procedures: method kind 0.
    return Fmt("%0d %0s", 0, GetPropInfo()->PropType->MethodParams);
}

// ---------------------------------------------------------------- platform-list editors

void TFontNameProperty::GetValues(const std::function<void(const std::string&)>& proc) {
    for (const std::string& s : EditorPlatform().FontNames()) proc(s);
}

void TImeNameProperty::GetValues(const std::function<void(const std::string&)>& proc) {
    for (const std::string& s : EditorPlatform().ImeNames()) proc(s);
}

namespace {
void IdentValues(const std::vector<TIdentMapEntry>& map, const std::function<void(const std::string&)>& proc) {
    for (const TIdentMapEntry& e : map) proc(e.Name);
}
}  // namespace

std::string TFontCharsetProperty::GetValue() {
    const int64_t v = GetOrdValue();
    const std::string* name = IntToIdent(EditorPlatform().Charsets(), v);
    return name ? *name : IntToStr(v);
}

void TFontCharsetProperty::SetValue(std::string_view text) {
    int64_t v;
    if (IdentToInt(EditorPlatform().Charsets(), text, v))
        SetOrdValue(v);
    else
        TIntegerProperty::SetValue(text);
}

void TFontCharsetProperty::GetValues(const std::function<void(const std::string&)>& proc) {
    IdentValues(EditorPlatform().Charsets(), proc);
}

std::string TColorProperty::GetValue() { return ColorToString(GetOrdValue()); }

void TColorProperty::SetValue(std::string_view text) {
    int64_t v;
    if (IdentToInt(EditorPlatform().Colors(), text, v))
        SetOrdValue(v);
    else
        TIntegerProperty::SetValue(text);
}

void TColorProperty::GetValues(const std::function<void(const std::string&)>& proc) {
    IdentValues(EditorPlatform().Colors(), proc);
}

namespace {
TCustomColorStore& ColorStore() {
    static TCustomColorStore store;
    return store;
}
}  // namespace

void SetCustomColorStore(TCustomColorStore store) { ColorStore() = std::move(store); }

void TColorProperty::Edit() {
    TStringList custom;
    if (ColorStore().Load) {
        try {
            ColorStore().Load(custom);
        } catch (const std::exception&) {
            // Custom colours are a convenience; the dialog opens without them.
        }
    }
    int64_t color = GetOrdValue();
    const bool ok = EditorDialogs().ExecuteColorDialog(color, custom, kColorDialogHelpContext);
    if (ColorStore().Save) ColorStore().Save(custom);
    if (ok) SetOrdValue(color);
}

std::string TCursorProperty::GetValue() {
    const int64_t v = GetOrdValue();
    const std::string* name = IntToIdent(EditorPlatform().Cursors(), v);
    return name ? *name : IntToStr(v);
}

void TCursorProperty::SetValue(std::string_view text) {
    int64_t v;
    if (IdentToInt(EditorPlatform().Cursors(), text, v))
        SetOrdValue(v);
    else
        TIntegerProperty::SetValue(text);
}

void TCursorProperty::GetValues(const std::function<void(const std::string&)>& proc) {
    IdentValues(EditorPlatform().Cursors(), proc);
}

void TFontProperty::Edit() {
    auto* font = dynamic_cast<TFont*>(GetObjValue());
    if (!font) return;
    TFont chosen;
    chosen.Assign(font);
    if (EditorDialogs().ExecuteFontDialog(chosen, true, kFontDialogHelpContext)) SetObjValue(&chosen);
}

namespace {
// The shortcuts offered by the shortcut editor, after "(None)".
const std::vector<uint16_t>& StandardShortCuts() {
    static const std::vector<uint16_t> list = [] {
        constexpr uint16_t shift = 0x2000, ctrl = 0x4000, alt = 0x8000;
        std::vector<uint16_t> v;
        for (uint16_t k = 'A'; k <= 'Z'; ++k) v.push_back(ctrl | k);
        for (uint16_t k = 0x70; k <= 0x7B; ++k) v.push_back(k);
        for (uint16_t k = 0x70; k <= 0x7B; ++k) v.push_back(ctrl | k);
        for (uint16_t k = 0x70; k <= 0x7B; ++k) v.push_back(shift | k);
        for (uint16_t k = 0x70; k <= 0x7B; ++k) v.push_back(shift | ctrl | k);
        const uint16_t ins = 0x2D, del = 0x2E, bksp = 0x08;
        for (uint16_t k : {ins, static_cast<uint16_t>(shift | ins), static_cast<uint16_t>(ctrl | ins), del,
                           static_cast<uint16_t>(shift | del), static_cast<uint16_t>(ctrl | del),
                           static_cast<uint16_t>(alt | bksp), static_cast<uint16_t>(shift | alt | bksp)})
            v.push_back(k);
        return v;
    }();
    return list;
}
}  // namespace

std::string TShortCutProperty::GetValue() {
    const int64_t v = GetOrdValue();
    if (v == 0) return "(None)";
    return EditorPlatform().ShortCutToText(static_cast<uint16_t>(v));
}

void TShortCutProperty::SetValue(std::string_view text) {
    if (text.empty() || SameText(text, "(None)")) {
        SetOrdValue(0);
        return;
    }
    const uint16_t sc = EditorPlatform().TextToShortCut(text);
    if (sc == 0) throw EPropertyError(kInvalidPropertyValue);
    SetOrdValue(sc);
}

void TShortCutProperty::GetValues(const std::function<void(const std::string&)>& proc) {
    proc("(None)");
    for (uint16_t sc : StandardShortCuts()) proc(EditorPlatform().ShortCutToText(sc));
}

// ---------------------------------------------------------------- expanded enumerations

const TTypeInfo* TExpandedEnumPropertyEditor::EnumType() const {
    const TTypeInfo* t = GetEnumType();
    return t ? t : GetPropInfo()->PropType;
}

const TExpandedEnumList& TExpandedEnumPropertyEditor::ExpandedList() const {
    const TTypeInfo* t = EnumType();
    if (!list_ || listType_ != t) {
        list_ = std::make_unique<TExpandedEnumList>(t);
        listType_ = t;
    }
    return *list_;
}

std::string TExpandedEnumPropertyEditor::GetValue() { return ExpandedList().ExpandedName(GetOrdValue()); }

void TExpandedEnumPropertyEditor::SetValue(std::string_view text) {
    const int64_t v = ExpandedList().OrdinalOf(text);
    if (v < 0) throw Exception(Fmt("Invalid Value in %0s, %0s", ClassName(), text));
    SetOrdValue(v);
}

void TExpandedEnumPropertyEditor::GetValues(const std::function<void(const std::string&)>& proc) {
    const TExpandedEnumList& list = ExpandedList();
    for (int i = 0; i < list.Count(); ++i) proc(list.ValueFromIndex(i));
}

// ---------------------------------------------------------------- editor set

int TComponentPropertyEditor::AddInstance(TPersistent* object) {
    if (!object || IndexOfInstance(object) >= 0) return 0;
    const int idx = AddToInstances(object);
    if (idx == 0) {
        CreateChildEditors(false);
    } else {
        for (auto& c : children_) c->MergeInstance(idx);
    }
    Rebuild();
    return 1;
}

int TComponentPropertyEditor::IndexOfName(std::string_view name) const {
    for (size_t i = 0; i < children_.size(); ++i)
        if (SameText(children_[i]->GetName(), name)) return static_cast<int>(i);
    return -1;
}

void TComponentPropertyEditor::Rebuild() {
    if (OnBeforeRebuild) OnBeforeRebuild(this);
    visible_.clear();
    for (auto& c : children_) c->CollectVisible(visible_, filter_);
    if (OnAfterRebuild) OnAfterRebuild(this, ObjectCount(), VisibleCount());
}

void TComponentPropertyEditor::SetFilter(int filter) {
    if (filter == filter_) return;
    const int old = filter_;
    filter_ = filter;
    if (instances_.empty()) return;
    for (auto& c : children_) c->SetExpanded(false);
    Rebuild();
    if (OnFilterChange) OnFilterChange(this, old, VisibleCount(), filter_);
}

// ---------------------------------------------------------------- enumeration name lists

TEnumList::TEnumList(const TTypeInfo* enumType) {
    const TTypeInfo* base = enumType->BaseType ? enumType->BaseType : enumType;
    const int64_t hi = std::min<int64_t>(enumType->MaxValue, static_cast<int64_t>(base->Names.size()) - 1);
    for (int64_t v = std::max<int64_t>(enumType->MinValue, 0); v <= hi; ++v) {
        Add(base->Names[static_cast<size_t>(v)]);
        ordinals_.push_back(v);
    }
}

int TEnumList::IndexOfOrdinal(int64_t ordinal) const {
    for (size_t i = 0; i < ordinals_.size(); ++i)
        if (ordinals_[i] == ordinal) return static_cast<int>(i);
    return -1;
}

TExpandedEnumList::TExpandedEnumList(const TTypeInfo* enumType) : TEnumList(enumType) {
    for (int i = 0; i < Count(); ++i) {
        const std::string ident = Get(i);
        Put(i, ident + "=" + ExpandedEnumName(ident));
    }
}

std::string TExpandedEnumList::ExpandedName(int64_t ordinal) const {
    const int i = IndexOfOrdinal(ordinal);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

int64_t TExpandedEnumList::OrdinalOf(std::string_view expanded) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& line = Get(i);
        const size_t eq = line.find('=');
        if (SameText(std::string_view(line).substr(eq + 1), expanded)) return ordinals_[static_cast<size_t>(i)];
    }
    return -1;
}

std::string ExpandedEnumName(std::string_view identifier) {
    enum Cls { kLower, kUpper, kDigit, kOther };
    auto classify = [](char c) {
        if (c >= 'a' && c <= 'z') return kLower;
        if (c >= 'A' && c <= 'Z') return kUpper;
        if (c >= '0' && c <= '9') return kDigit;
        return kOther;
    };
    const std::string s = " " + std::string(identifier);
    std::vector<std::string> words;
    size_t start = 0;
    for (size_t i = 1; i < s.size(); ++i) {
        const Cls prev = classify(s[i - 1]);
        const Cls cur = classify(s[i]);
        bool starts = false;
        if (prev == kLower || prev == kUpper)
            starts = cur == kUpper || cur == kDigit;
        else if (prev == kDigit)
            starts = cur != kDigit;
        if (starts) {
            words.push_back(Trim(std::string_view(s).substr(start, i - start)));
            start = i;
        }
    }
    words.push_back(Trim(std::string_view(s).substr(start)));
    size_t first = 0;
    if (!words.empty() && !words[0].empty() && classify(words[0][0]) == kLower) first = 1;
    std::string r;
    for (size_t i = first; i < words.size(); ++i) {
        if (words[i].empty()) continue;
        if (!r.empty()) r += ' ';
        r += words[i];
    }
    return r;
}

// ---------------------------------------------------------------- registry

void TPropClassList::RegisterEditor(const TTypeInfo* propType, const TClassInfo* objectClass,
                                    std::string propName, const TClassInfo& editorClass) {
    if (!propType) throw Exception("RegisterEditor: no property type");
    if (!editorClass.InheritsFrom(TRTTIPropertyEditor::StaticClass()) || !editorClass.CanCreate())
        throw Exception(editorClass.Name() + " is not a property editor class");
    recs_.push_back({propType, std::move(propName), objectClass, &editorClass});
}

const TClassInfo& TPropClassList::FindEditorClass(const TPersistent* object, const TPropInfo* prop) const {
    if (!prop || !prop->PropType) throw Exception("FindEditorClass: no property");
    const TTypeInfo* t = prop->PropType;
    const TClassInfo* oc = object ? &object->ClassInfo() : nullptr;
    auto classFits = [&](const TPropClassRec& r) { return r.ObjectClass && oc && oc->InheritsFrom(*r.ObjectClass); };
    for (int pass = 1; pass <= 4; ++pass) {
        for (auto it = recs_.rbegin(); it != recs_.rend(); ++it) {
            const TPropClassRec& r = *it;
            if (r.PropType != t) continue;
            bool hit = false;
            switch (pass) {
                case 1: hit = classFits(r) && r.PropName == prop->Name; break;
                case 2: hit = classFits(r) && r.PropName.empty(); break;
                case 3: hit = !r.ObjectClass && r.PropName.empty(); break;
                default: hit = !r.ObjectClass && !r.PropName.empty() && r.PropName == prop->Name; break;
            }
            if (hit) return *r.EditorClass;
        }
    }
    switch (t->Kind) {
        case TTypeKind::tkInteger: return TIntegerProperty::StaticClass();
        case TTypeKind::tkChar: return TCharProperty::StaticClass();
        case TTypeKind::tkEnumeration: return TEnumProperty::StaticClass();
        case TTypeKind::tkFloat: return TFloatProperty::StaticClass();
        case TTypeKind::tkString:
        case TTypeKind::tkLString:
        case TTypeKind::tkWString: return TStringProperty::StaticClass();
        case TTypeKind::tkSet: return TSetProperty::StaticClass();
        case TTypeKind::tkClass: return TClassProperty::StaticClass();
        case TTypeKind::tkMethod: return TMethodProperty::StaticClass();
        case TTypeKind::tkWChar:
        case TTypeKind::tkVariant: return TPropertyEditor::StaticClass();
        default: throw Exception(Fmt("Unknown Class %0s", t->Name));
    }
}

namespace {
void RegisterLibraryEditorsInto(TPropClassList& list) {
    const TClassInfo& component = TComponentProperty::StaticClass();
    list.RegisterEditor(TypeTDateTime(), nullptr, "", TDateTimeProperty::StaticClass());
    list.RegisterEditor(TFont::StaticClass().TypeInfo(), nullptr, "", TFontProperty::StaticClass());
    list.RegisterEditor(TypeTCursor(), nullptr, "", TCursorProperty::StaticClass());
    list.RegisterEditor(TypeTComponentName(), nullptr, "", TComponentNameProperty::StaticClass());
    list.RegisterEditor(TWinControl::StaticClass().TypeInfo(), &TCustomForm::StaticClass(), "ActiveControl",
                        component);
    list.RegisterEditor(TWinControl::StaticClass().TypeInfo(), nullptr, "FocusControl", component);
    list.RegisterEditor(TPopupMenu::StaticClass().TypeInfo(), nullptr, "", component);
    list.RegisterEditor(TMenuItem::StaticClass().TypeInfo(), nullptr, "", component);
    list.RegisterEditor(TMainMenu::StaticClass().TypeInfo(), nullptr, "", component);
    list.RegisterEditor(TIcon::StaticClass().TypeInfo(), nullptr, "", component);
    list.RegisterEditor(TypeTFontName(), nullptr, "", TFontNameProperty::StaticClass());
    list.RegisterEditor(TypeTFontCharset(), nullptr, "", TFontCharsetProperty::StaticClass());
    list.RegisterEditor(TypeTImeName(), nullptr, "", TImeNameProperty::StaticClass());
    list.RegisterEditor(TypeTCaption(), nullptr, "", TCaptionProperty::StaticClass());
    list.RegisterEditor(TypeTShortCut(), nullptr, "", TShortCutProperty::StaticClass());
    list.RegisterEditor(TypeTColor(), nullptr, "", TColorProperty::StaticClass());
    for (const TTypeInfo* t : {TypeBoolean(), TypeByteBool(), TypeWordBool(), TypeLongBool()})
        list.RegisterEditor(t, nullptr, "", TBoolProperty::StaticClass());
}
}  // namespace

TPropClassList& PropClassList() {
    static TPropClassList& list = *[] {
        auto* l = new TPropClassList;  // lives for the process
        RegisterLibraryEditorsInto(*l);
        return l;
    }();
    return list;
}

void RegisterEditor(const TTypeInfo* propType, const TClassInfo* objectClass, std::string propName,
                    const TClassInfo& editorClass) {
    PropClassList().RegisterEditor(propType, objectClass, std::move(propName), editorClass);
}

const TClassInfo& FindEditorClass(const TPersistent* object, const TPropInfo* prop) {
    return PropClassList().FindEditorClass(object, prop);
}

std::unique_ptr<TRTTIPropertyEditor> CreateEditor(TPersistent* object, const TPropInfo* prop) {
    std::unique_ptr<TRTTIPropertyEditor> e = NewEditor(FindEditorClass(object, prop));
    e->CreateForObject(object, prop);
    return e;
}

void RegisterLibraryEditors() { PropClassList(); }

// ---------------------------------------------------------------- platform lists

bool IdentToInt(const std::vector<TIdentMapEntry>& map, std::string_view name, int64_t& value) {
    for (const TIdentMapEntry& e : map) {
        if (SameText(e.Name, name)) {
            value = e.Value;
            return true;
        }
    }
    return false;
}

const std::string* IntToIdent(const std::vector<TIdentMapEntry>& map, int64_t value) {
    for (const TIdentMapEntry& e : map)
        if (e.Value == value) return &e.Name;
    return nullptr;
}

std::string ColorToString(int64_t color) {
    if (const std::string* name = IntToIdent(EditorPlatform().Colors(), color)) return *name;
    return "$" + IntToHex(static_cast<uint32_t>(color), 8);
}

std::vector<std::string> TEditorPlatform::FontNames() const {
    return {"DejaVu Sans", "DejaVu Sans Mono", "DejaVu Serif", "Liberation Mono", "Liberation Sans",
            "Liberation Serif", "MS Sans Serif"};
}

std::vector<std::string> TEditorPlatform::ImeNames() const { return {}; }

const std::vector<TIdentMapEntry>& TEditorPlatform::Colors() const {
    static const std::vector<TIdentMapEntry> map = {
        {0x000000, "clBlack"},          {0x000080, "clMaroon"},
        {0x008000, "clGreen"},          {0x008080, "clOlive"},
        {0x800000, "clNavy"},           {0x800080, "clPurple"},
        {0x808000, "clTeal"},           {0x808080, "clGray"},
        {0xC0C0C0, "clSilver"},         {0x0000FF, "clRed"},
        {0x00FF00, "clLime"},           {0x00FFFF, "clYellow"},
        {0xFF0000, "clBlue"},           {0xFF00FF, "clFuchsia"},
        {0xFFFF00, "clAqua"},           {0xFFFFFF, "clWhite"},
        {-2147483648LL + 0, "clScrollBar"},       {-2147483648LL + 1, "clBackground"},
        {-2147483648LL + 2, "clActiveCaption"},   {-2147483648LL + 3, "clInactiveCaption"},
        {-2147483648LL + 4, "clMenu"},            {-2147483648LL + 5, "clWindow"},
        {-2147483648LL + 6, "clWindowFrame"},     {-2147483648LL + 7, "clMenuText"},
        {-2147483648LL + 8, "clWindowText"},      {-2147483648LL + 9, "clCaptionText"},
        {-2147483648LL + 10, "clActiveBorder"},   {-2147483648LL + 11, "clInactiveBorder"},
        {-2147483648LL + 12, "clAppWorkSpace"},   {-2147483648LL + 13, "clHighlight"},
        {-2147483648LL + 14, "clHighlightText"},  {-2147483648LL + 15, "clBtnFace"},
        {-2147483648LL + 16, "clBtnShadow"},      {-2147483648LL + 17, "clGrayText"},
        {-2147483648LL + 18, "clBtnText"},        {-2147483648LL + 19, "clInactiveCaptionText"},
        {-2147483648LL + 20, "clBtnHighlight"},   {-2147483648LL + 21, "cl3DDkShadow"},
        {-2147483648LL + 22, "cl3DLight"},        {-2147483648LL + 23, "clInfoText"},
        {-2147483648LL + 24, "clInfoBk"},         {0x1FFFFFFF, "clNone"},
        {0x20000000, "clDefault"},
    };
    return map;
}

const std::vector<TIdentMapEntry>& TEditorPlatform::Cursors() const {
    static const std::vector<TIdentMapEntry> map = {
        {0, "crDefault"},     {-1, "crNone"},      {-2, "crArrow"},     {-3, "crCross"},
        {-4, "crIBeam"},      {-6, "crSizeNESW"},  {-7, "crSizeNS"},    {-8, "crSizeNWSE"},
        {-9, "crSizeWE"},     {-10, "crUpArrow"},  {-11, "crHourGlass"}, {-12, "crDrag"},
        {-13, "crNoDrop"},    {-14, "crHSplit"},   {-15, "crVSplit"},   {-16, "crMultiDrag"},
        {-17, "crSQLWait"},   {-18, "crNo"},       {-19, "crAppStart"}, {-20, "crHelp"},
        {-21, "crHandPoint"}, {-22, "crSizeAll"},
    };
    return map;
}

const std::vector<TIdentMapEntry>& TEditorPlatform::Charsets() const {
    static const std::vector<TIdentMapEntry> map = {
        {0, "ANSI_CHARSET"},          {1, "DEFAULT_CHARSET"},     {2, "SYMBOL_CHARSET"},
        {77, "MAC_CHARSET"},          {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"},
        {130, "JOHAB_CHARSET"},       {134, "GB2312_CHARSET"},    {136, "CHINESEBIG5_CHARSET"},
        {161, "GREEK_CHARSET"},       {162, "TURKISH_CHARSET"},   {163, "VIETNAMESE_CHARSET"},
        {177, "HEBREW_CHARSET"},      {178, "ARABIC_CHARSET"},    {186, "BALTIC_CHARSET"},
        {204, "RUSSIAN_CHARSET"},     {222, "THAI_CHARSET"},      {238, "EASTEUROPE_CHARSET"},
        {255, "OEM_CHARSET"},
    };
    return map;
}

namespace {
constexpr uint16_t kShift = 0x2000, kCtrl = 0x4000, kAlt = 0x8000;

struct KeyName {
    uint16_t Key;
    const char* Name;
};
constexpr KeyName kKeyNames[] = {
    {0x08, "BkSp"}, {0x09, "Tab"},  {0x0D, "Enter"}, {0x1B, "Esc"},   {0x20, "Space"},
    {0x21, "PgUp"}, {0x22, "PgDn"}, {0x23, "End"},   {0x24, "Home"},  {0x25, "Left"},
    {0x26, "Up"},   {0x27, "Right"}, {0x28, "Down"}, {0x2D, "Ins"},   {0x2E, "Del"},
};

std::string KeyText(uint16_t key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
    if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x70 + 1);
    for (const KeyName& k : kKeyNames)
        if (k.Key == key) return k.Name;
    return {};
}

uint16_t KeyOf(std::string_view text) {
    if (text.size() == 1) {
        const char c = UpChar(text[0]);
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<uint16_t>(c);
        return 0;
    }
    if (text.size() >= 2 && UpChar(text[0]) == 'F') {
        int64_t n;
        if (TryStrToInt64(text.substr(1), n) && n >= 1 && n <= 24 && text[1] >= '0' && text[1] <= '9')
            return static_cast<uint16_t>(0x70 + n - 1);
    }
    for (const KeyName& k : kKeyNames)
        if (SameText(k.Name, text)) return k.Key;
    return 0;
}
}  // namespace

std::string TEditorPlatform::ShortCutToText(uint16_t shortCut) const {
    const std::string key = KeyText(shortCut & 0x0FFF);
    if (key.empty()) return {};
    std::string r;
    if (shortCut & kShift) r += "Shift+";
    if (shortCut & kCtrl) r += "Ctrl+";
    if (shortCut & kAlt) r += "Alt+";
    return r + key;
}

uint16_t TEditorPlatform::TextToShortCut(std::string_view text) const {
    uint16_t mods = 0;
    for (;;) {
        if (StartsText("Shift+", text)) {
            mods |= kShift;
            text.remove_prefix(6);
        } else if (StartsText("Ctrl+", text)) {
            mods |= kCtrl;
            text.remove_prefix(5);
        } else if (StartsText("Alt+", text)) {
            mods |= kAlt;
            text.remove_prefix(4);
        } else {
            break;
        }
    }
    const uint16_t key = KeyOf(text);
    return key ? static_cast<uint16_t>(mods | key) : 0;
}

namespace {
std::unique_ptr<TEditorPlatform>& PlatformSlot() {
    static std::unique_ptr<TEditorPlatform> p = std::make_unique<TEditorPlatform>();
    return p;
}
std::unique_ptr<TEditorDialogPort>& DialogSlot() {
    static std::unique_ptr<TEditorDialogPort> p = std::make_unique<TEditorDialogPort>();
    return p;
}
}  // namespace

TEditorPlatform& EditorPlatform() { return *PlatformSlot(); }

void SetEditorPlatform(std::unique_ptr<TEditorPlatform> platform) {
    PlatformSlot() = platform ? std::move(platform) : std::make_unique<TEditorPlatform>();
}

bool TEditorDialogPort::ExecuteColorDialog(int64_t&, TStrings&, int) { return false; }
bool TEditorDialogPort::ExecuteFontDialog(TFont&, bool, int) { return false; }
bool TEditorDialogPort::ExecuteOpenFileDialog(TOpenFileRequest&) { return false; }

TEditorDialogPort& EditorDialogs() { return *DialogSlot(); }

void SetEditorDialogPort(std::unique_ptr<TEditorDialogPort> port) {
    DialogSlot() = port ? std::move(port) : std::make_unique<TEditorDialogPort>();
}

}  // namespace ortello
