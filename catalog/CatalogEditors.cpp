#include "catalog/CatalogEditors.h"

#include "catalog/CatalogEntries.h"

namespace ortello {

const TClassInfo& TPartNoPropertyEditor::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TPartNoPropertyEditor>("TPartNoPropertyEditor", &TStringProperty::StaticClass()).Build();
    return info;
}

void TPartNoPropertyEditor::SetValue(std::string_view text) {
    TStringProperty::SetValue(text);
    for (int i = 0; i < InstanceCount(); ++i) {
        TPersistent* obj = nullptr;
        const TPropInfo* prop = nullptr;
        GetInstance(i, obj, prop);
        if (auto* entry = dynamic_cast<TBasePartEntry*>(obj)) entry->SetDefaultPartNo(text);
    }
}

const TClassInfo& TBaseDAVEntryPropertyEditor::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TBaseDAVEntryPropertyEditor>("TBaseDAVEntryPropertyEditor", &TRTTIPropertyEditor::StaticClass())
             .Build();
    return info;
}

void TBaseDAVEntryPropertyEditor::SetValue(std::string_view text) {
    if (text.empty()) return;
    TStringList items;
    items.SetCommaText(text);
    for (int i = 0; i < items.Count(); ++i)
        if (ExtractFileExt(items[i]).empty()) items.Put(i, items[i] + ".html");
    for (int i = 0; i < InstanceCount(); ++i)
        if (auto* list = dynamic_cast<TStrings*>(GetObjValueAt(i))) list->Assign(&items);
}

void RegisterCatalogEditors() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterEditor(TypeString(), &TBasePartEntry::StaticClass(), "PartNo", TPartNoPropertyEditor::StaticClass());
    for (const char* name : {"Install_Inst", "App_Briefs", "Instr_Bulletins", "Ref_Info"})
        RegisterEditor(TypeTStrings(), &TLOMEntry::StaticClass(), name, TBaseDAVEntryPropertyEditor::StaticClass());
}

}  // namespace ortello
