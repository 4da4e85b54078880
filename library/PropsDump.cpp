#include "library/PropsDump.h"

#include "library/Classes.h"
#include "library/Json.h"
#include "library/PropertyEditors.h"

namespace ortello {

std::string_view TypeKindName(TTypeKind kind) {
    static constexpr std::string_view names[] = {
        "tkUnknown", "tkInteger", "tkChar",   "tkEnumeration", "tkFloat",  "tkString",
        "tkSet",     "tkClass",   "tkMethod", "tkWChar",       "tkLString", "tkWString",
        "tkVariant", "tkArray",   "tkRecord", "tkInterface",   "tkInt64",  "tkDynArray"};
    const auto i = static_cast<size_t>(kind);
    return i < std::size(names) ? names[i] : "tkUnknown";
}

std::string DumpClassPropsJson(const TClassInfo& cls) {
    std::unique_ptr<TObject> obj = cls.Create();
    auto* instance = dynamic_cast<TPersistent*>(obj.get());

    // Object editors only exist inside an editor set, so values come from one
    // where the property has a child editor there.
    TComponentPropertyEditor set;
    if (instance) set.AddInstance(instance);

    JsonWriter w;
    w.BeginArray();
    for (const TPropInfo* p : cls.Properties()) {
        w.BeginObject();
        w.Field("name", p->Name);
        w.Field("kind", TypeKindName(p->Kind()));
        w.Field("type", p->PropType->Name);
        w.Field("stored", p->IsStored(*obj));
        w.Key("default");
        if (p->Default == kNoDefault)
            w.Null();
        else
            w.Int(p->Default);
        w.Field("readable", p->IsReadable());
        w.Field("writable", p->IsWritable());

        TRTTIPropertyEditor* editor = nullptr;
        std::unique_ptr<TRTTIPropertyEditor> own;
        const TClassInfo* editorClass = nullptr;
        if (instance) {
            try {
                editorClass = &FindEditorClass(instance, p);
                for (int i = 0; i < set.EditorCount() && !editor; ++i)
                    if (set.Editors(i)->GetPropInfo() == p) editor = set.Editors(i);
                if (!editor) {
                    own = CreateEditor(instance, p);
                    editor = own.get();
                }
            } catch (const std::exception&) {
                editor = nullptr;
            }
        }
        w.Key("editor");
        if (editorClass)
            w.String(editorClass->Name());
        else
            w.Null();
        w.Key("value");
        bool valueList = false;
        if (editor) {
            try {
                const std::string v = editor->GetValue();
                w.String(v);
                valueList = (editor->GetAttributes() & eaValueList) != 0;
            } catch (const std::exception&) {
                w.Null();
            }
        } else {
            w.Null();
        }
        if (valueList) {
            std::vector<std::string> values;
            try {
                editor->GetValues([&](const std::string& s) { values.push_back(s); });
                w.Key("values").BeginArray();
                for (const std::string& s : values) w.String(s);
                w.EndArray();
            } catch (const std::exception&) {
                w.Key("values").Null();
            }
        }
        w.EndObject();
    }
    w.EndArray();
    return w.str();
}

}  // namespace ortello
