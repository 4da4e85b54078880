#include "catalog/CatalogEditors.h"

#include <algorithm>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogEntries.h"

#include <unordered_map>
#include "catalog/Discounts.h"
#include "library/MessagePort.h"

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
        if (!obj) continue;
        if (obj->InheritsFrom(TBaseDAVEntry::StaticClass()))
            static_cast<TBaseDAVEntry*>(obj)->DefaultPartNoFromPartNo();
        else if (obj->InheritsFrom(TBasePartEntry::StaticClass()))
            static_cast<TBasePartEntry*>(obj)->SetDefaultPartNo(text);
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
    // Catalog lines repeat a few lists: each distinct text is normalised once and
    // its result shared by every entry that names it.
    if (text != lastText_) {
        static std::unordered_map<std::string, TText> normalised;
        lastText_.assign(text);
        auto it = normalised.find(lastText_);
        if (it == normalised.end()) {
            TStringList items;
            items.SetCommaText(text);
            for (int i = 0; i < items.Count(); ++i)
                if (ExtractFileExt(items[i]).empty()) items.Put(i, items[i] + ".html");
            if (normalised.size() >= 8192) normalised.clear();
            it = normalised.emplace(lastText_, TText(items.CommaText())).first;
        }
        lastItems_ = it->second;
    }
    for (int i = 0; i < InstanceCount(); ++i) {
        TPersistent* obj = nullptr;
        const TPropInfo* prop = nullptr;
        GetInstance(i, obj, prop);
        TBaseDAVEntry::TDocList which;
        if (obj && obj->InheritsFrom(TBaseDAVEntry::StaticClass()) && DocListOf(prop->Name, which)) {
            static_cast<TBaseDAVEntry*>(obj)->SetDocumentsText(which, lastItems_);
        } else if (auto* list = dynamic_cast<TStrings*>(GetObjValueAt(i))) {
            list->SetCommaText(lastItems_.view());
        }
    }
}

// ---------------------------------------------------------------- schedule chooser

const TClassInfo& TSchedulePropertyEditor::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TSchedulePropertyEditor>("TSchedulePropertyEditor", &TStringProperty::StaticClass()).Build();
    return info;
}

std::vector<std::string> ScheduleChoices(const TCustomDiscounts* schedules) {
    std::vector<std::string> names;
    if (schedules)
        for (int i = 0; i < schedules->Count(); ++i) names.push_back(schedules->Item(i)->DisplayName());
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    names.erase(std::unique(names.begin(), names.end(),
                            [](const std::string& a, const std::string& b) { return SameText(a, b); }),
                names.end());
    names.insert(names.begin(), "Default");
    return names;
}

const TCustomDiscounts* TSchedulePropertyEditor::GetSchedules() const {
    TPersistent* obj = nullptr;
    const TPropInfo* prop = nullptr;
    GetInstance(0, obj, prop);
    auto* nodeData = dynamic_cast<TLOMNodeData*>(obj);
    return nodeData ? &nodeData->Schedules() : nullptr;
}

void TSchedulePropertyEditor::GetValues(const std::function<void(const std::string&)>& proc) {
    std::vector<std::string> names;
    try {
        names = ScheduleChoices(GetSchedules());
    } catch (const std::exception&) {
        ShowMessage(ClassName());
        return;
    }
    for (const std::string& n : names) proc(n);
}

// ---------------------------------------------------------------- currency and part reference

const TClassInfo& TCurrencyTypePE::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TCurrencyTypePE>("TCurrencyTypePE", &TExpandedEnumPropertyEditor::StaticClass()).Build();
    return info;
}

const TClassInfo& TPartRefPE::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TPartRefPE>("TPartRefPE", &TExpandedEnumPropertyEditor::StaticClass()).Build();
    return info;
}

void TPartRefPE::GetValues(const std::function<void(const std::string&)>& proc) {
    const TExpandedEnumList& list = ExpandedList();
    for (int i = 0; i < list.Count() && i < 2; ++i) proc(list.ValueFromIndex(i));
}

void RegisterCatalogEditors() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterEditor(TypeString(), &TBasePartEntry::StaticClass(), "PartNo", TPartNoPropertyEditor::StaticClass());
    for (const char* name : {"Install_Inst", "App_Briefs", "Instr_Bulletins", "Ref_Info"})
        RegisterEditor(TypeTStrings(), &TLOMEntry::StaticClass(), name, TBaseDAVEntryPropertyEditor::StaticClass());
    RegisterEditor(TypeString(), &TLOMNodeData::StaticClass(), "Schedule", TSchedulePropertyEditor::StaticClass());
    RegisterEditor(TypeTCurrencyType(), &TLOMNodeData::StaticClass(), "CurrencyType", TCurrencyTypePE::StaticClass());
    RegisterEditor(TypeTPartRef(), nullptr, "PartRef", TPartRefPE::StaticClass());
}

}  // namespace ortello
