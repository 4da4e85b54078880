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

namespace {
bool DocListOf(std::string_view name, TBaseDAVEntry::TDocList& which) {
    static const std::pair<const char*, TBaseDAVEntry::TDocList> names[] = {
        {"Install_Inst", TBaseDAVEntry::dlInstallInst},
        {"App_Briefs", TBaseDAVEntry::dlAppBriefs},
        {"Instr_Bulletins", TBaseDAVEntry::dlInstrBulletins},
        {"Ref_Info", TBaseDAVEntry::dlRefInfo}};
    for (auto& [n, w] : names)
        if (SameText(n, name)) {
            which = w;
            return true;
        }
    return false;
}
}  // namespace

void TBaseDAVEntryPropertyEditor::SetValue(std::string_view text) {
    if (text.empty()) return;
    // Catalog lines repeat the same lists: normalise each distinct text once.
    if (text != lastText_) {
        TStringList items;
        items.SetCommaText(text);
        for (int i = 0; i < items.Count(); ++i)
            if (ExtractFileExt(items[i]).empty()) items.Put(i, items[i] + ".html");
        lastText_.assign(text);
        lastItems_ = TText(items.CommaText());
    }
    for (int i = 0; i < InstanceCount(); ++i) {
        TPersistent* obj = nullptr;
        const TPropInfo* prop = nullptr;
        GetInstance(i, obj, prop);
        TBaseDAVEntry::TDocList which;
        if (auto* entry = dynamic_cast<TBaseDAVEntry*>(obj); entry && DocListOf(prop->Name, which)) {
            entry->SetDocumentsText(which, lastItems_);
        } else if (auto* list = dynamic_cast<TStrings*>(GetObjValueAt(i))) {
            list->SetCommaText(lastItems_.view());
        }
    }
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
