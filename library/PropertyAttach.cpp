#include "library/PropertyAttach.h"

#include <algorithm>

#include "library/Controls.h"
#include "library/MessagePort.h"

namespace ortello {

// ---------------------------------------------------------------- property path lists

int TBasePropInfoList::IndexOf(std::string_view name) const {
    for (size_t i = 0; i < recs_.size(); ++i)
        if (SameText(recs_[i].Name, name)) return static_cast<int>(i);
    return -1;
}

void TQORPropertiesList::Build(TObject* root, std::string_view rootPrefix) {
    recs_.clear();
    if (!root) return;
    std::vector<const TObject*> path;
    Add(root, std::string(rootPrefix), path);
}

void TQORPropertiesList::Add(TObject* obj, const std::string& prefix, std::vector<const TObject*>& path) {
    // An object graph that leads back to an object on the current path is not entered again.
    if (std::find(path.begin(), path.end(), obj) != path.end()) return;
    path.push_back(obj);
    for (const TPropInfo* p : SortedPropList(obj->ClassInfo())) {
        if (p->Kind() == TTypeKind::tkMethod || !p->IsReadable() || !p->IsWritable()) continue;
        const std::string name = prefix + p->Name;
        if (p->Kind() == TTypeKind::tkClass) {
            TObject* value = p->GetObj ? p->GetObj(*obj) : nullptr;
            if (!value || dynamic_cast<TComponent*>(value)) continue;
            TPropPathRec rec{name, value, p};
            if (!AcceptObjectProp(rec)) continue;
            recs_.push_back(rec);
            Add(value, name + ".", path);
        } else {
            TPropPathRec rec{name, obj, p};
            if (AcceptProp(rec)) recs_.push_back(rec);
        }
    }
    path.pop_back();
}

void TPropertyList::Build(TObject* root) {
    items_.clear();
    if (!root) return;
    std::vector<const TObject*> path;
    Add(root, {}, path);
}

void TPropertyList::Add(TObject* obj, const std::string& prefix, std::vector<const TObject*>& path) {
    if (std::find(path.begin(), path.end(), obj) != path.end()) return;
    path.push_back(obj);
    for (const TPropInfo* p : SortedPropList(obj->ClassInfo())) {
        if (p->Kind() == TTypeKind::tkClass) {
            TObject* value = p->GetObj ? p->GetObj(*obj) : nullptr;
            if (value && !dynamic_cast<TComponent*>(value))
                Add(value, prefix.empty() ? p->Name : prefix + "." + p->Name, path);
            continue;
        }
        auto item = std::make_unique<TProperty>();
        item->Kind = p->Kind();
        item->Name = p->Name;
        item->Prefix = prefix;
        item->Object = obj;
        item->Prop = p;
        items_.push_back(std::move(item));
    }
    path.pop_back();
}

bool ResolveObject(TObject* component, std::string_view path, TObject*& obj) {
    TQORPropertiesList list(component);
    const int i = list.IndexOf(path);
    if (i < 0) return false;
    obj = list.Items(i).Object;
    return true;
}

bool CreateEditorForPath(TObject* component, std::string_view path, std::unique_ptr<TRTTIPropertyEditor>& editor) {
    editor.reset();
    TQORPropertiesList list(component);
    const int i = list.IndexOf(path);
    if (i < 0) return false;
    const TPropPathRec& rec = list.Items(i);
    auto* object = dynamic_cast<TPersistent*>(rec.Object);
    if (!object) return false;
    editor = CreateEditor(object, rec.Prop);
    return true;
}

std::string SpacedName(std::string_view name) {
    std::string r;
    r.reserve(name.size() + 8);
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (i > 0 && c >= 'A' && c <= 'Z' && !(name[i - 1] >= '0' && name[i - 1] <= '9')) r += ' ';
        r += c;
    }
    return r;
}

// ---------------------------------------------------------------- component look-ups

namespace {
bool SearchOwned(const TComponent* owner, const TClassInfo& cls, std::string_view name, TComponent*& found) {
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        TComponent* c = owner->Components(i);
        if (&c->ClassInfo() == &cls && (name.empty() || SameText(c->Name(), name))) {
            found = c;
            return true;
        }
    }
    return false;
}
}  // namespace

bool FindComponentOfClass(const TClassInfo& cls, TComponent*& component, std::string_view name) {
    for (const TCustomForm* f : ScreenForms())
        if (SearchOwned(f, cls, name, component)) return true;
    for (const TDataModule* d : ScreenDataModules())
        if (SearchOwned(d, cls, name, component)) return true;
    return false;
}

TComponent* OwnerFormOf(const TComponent* component) {
    for (TComponent* c = component ? component->Owner() : nullptr; c; c = c->Owner())
        if (c->InheritsFrom(TCustomForm::StaticClass()) || c->InheritsFrom(TDataModule::StaticClass())) return c;
    return nullptr;
}

int IndexOfInstanceOf(const TObject* object, const std::vector<const TClassInfo*>& classes) {
    if (!object) return -1;
    for (size_t i = 0; i < classes.size(); ++i)
        if (classes[i] && object->InheritsFrom(*classes[i])) return static_cast<int>(i);
    return -1;
}

int IndexOfClass(const TObject* object, const std::vector<const TClassInfo*>& classes) {
    if (!object) return -1;
    for (size_t i = 0; i < classes.size(); ++i)
        if (classes[i] == &object->ClassInfo()) return static_cast<int>(i);
    return -1;
}

// ---------------------------------------------------------------- change notifier

const TClassInfo& TQORComponentPropertyNotification::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TQORComponentPropertyNotification>("TQORComponentPropertyNotification",
                                                         &TComponent::StaticClass())
             .Factory([] { return std::unique_ptr<TObject>(new TQORComponentPropertyNotification(nullptr)); })
             .Build();
    return info;
}

TQORComponentPropertyNotification::~TQORComponentPropertyNotification() {
    for (TComponent* c : subscribers_) RemoveFreeNotification(c);
    subscribers_.clear();
}

void TQORComponentPropertyNotification::Subscribe(TComponent* c) {
    if (!c || std::find(subscribers_.begin(), subscribers_.end(), c) != subscribers_.end()) return;
    subscribers_.push_back(c);
    // A subscriber that goes away leaves the list by itself.
    FreeNotification(c);
}

void TQORComponentPropertyNotification::Unsubscribe(TComponent* c) {
    subscribers_.erase(std::remove(subscribers_.begin(), subscribers_.end(), c), subscribers_.end());
}

void TQORComponentPropertyNotification::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove) Unsubscribe(component);
}

void TQORComponentPropertyNotification::Change(intptr_t a, intptr_t b) {
    if (IsDesigning() || IsLoading()) return;
    if (nesting_ == 0 && OnStartChange) OnStartChange(this, b);
    ++nesting_;
    {
        // The counter comes back down even when a subscriber raises.
        struct Guard {
            int& n;
            ~Guard() { --n; }
        } guard{nesting_};
        const std::vector<TComponent*> list = subscribers_;
        for (TComponent* c : list) {
            if (std::find(subscribers_.begin(), subscribers_.end(), c) == subscribers_.end()) continue;
            TMessage m;
            m.Msg = kPropertyChangeMessage;
            m.WParam = reinterpret_cast<intptr_t>(this);
            m.LParam = a;
            c->Dispatch(m);
        }
    }
    if (nesting_ == 0 && OnEndChange) OnEndChange(this);
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- attachments

namespace {
template <class C>
const TClassInfo& AttachClass(const char* name, const TClassInfo* parent) {
    return *ClassBuilder<C>(name, parent)
                .Factory([] { return std::unique_ptr<TObject>(new C(nullptr)); })
                .Prop("Component", TComponent::StaticClass().TypeInfo(), &C::Component, &C::SetComponent)
                .Prop("Prop", TypeString(), &C::Prop, &C::SetProp)
                .Build();
}
}  // namespace

const TClassInfo& TBASEQORAttachComponent::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TBASEQORAttachComponent>("TBASEQORAttachComponent",
                                                                           &TPersistent::StaticClass())
                                         .Factory([] { return std::unique_ptr<TObject>(new TBASEQORAttachComponent(nullptr)); })
                                         .Build();
    return info;
}

const TClassInfo& TQORAttachComponent::StaticClass() {
    static const TClassInfo& info =
        AttachClass<TQORAttachComponent>("TQORAttachComponent", &TBASEQORAttachComponent::StaticClass());
    return info;
}

const TClassInfo& TQORAttachClassProp::StaticClass() {
    static const TClassInfo& info =
        AttachClass<TQORAttachClassProp>("TQORAttachClassProp", &TBASEQORAttachComponent::StaticClass());
    return info;
}

TBASEQORAttachComponent::~TBASEQORAttachComponent() {
    try {
        DetachPropNotifier();
    } catch (const std::exception&) {
        ShowMessage("TBASEQORAttachComponent.DetachPropNotifier - " + componentName_);
    }
}

void TBASEQORAttachComponent::DetachPropNotifier() {
    if (auto* n = dynamic_cast<TQORComponentPropertyNotification*>(component_))
        if (!n->IsDestroying() && owner_) n->Unsubscribe(owner_);
}

void TBASEQORAttachComponent::SetComponent(TComponent* value) {
    if (value == component_) return;
    try {
        DetachPropNotifier();
        component_ = value;
        if (value) {
            if (owner_) value->FreeNotification(owner_);
            auto* n = dynamic_cast<TQORComponentPropertyNotification*>(value);
            if (n && owner_ && !value->IsDesigning()) n->Subscribe(owner_);
            componentName_ = value->Name();
        }
        DoPropertyChange();
    } catch (const std::exception&) {
        ShowMessage("TBASEQORAttachComponent.SetComponent");
    }
}

void TBASEQORAttachComponent::SetProp(std::string_view value) {
    if (value == prop_) return;
    try {
        prop_.assign(value);
        DoPropertyChange();
    } catch (const std::exception&) {
        ShowMessage("SetProperty");
    }
}

void TBASEQORAttachComponent::DoPropertyChange() {
    if (owner_ && owner_->IsDesigning()) return;
    try {
        if (OnPropertyChange) OnPropertyChange(this);
    } catch (const std::exception&) {
        ShowMessage(component_ ? "DoPropertyChange 1" + component_->Name() : std::string("DoPropertyChange 1"));
    }
}

void TBASEQORAttachComponent::Notification(TComponent* component, TOperation operation) {
    if (operation != TOperation::opRemove || !component || component != component_ || component == owner_) return;
    try {
        // The editor may point into the component that is going away.
        editor_.reset();
        component_ = nullptr;
        DoPropertyChange();
    } catch (const std::exception&) {
        ShowMessage("TBASEQORAttachComponent.Notification");
    }
}

bool TBASEQORAttachComponent::Load() {
    try {
        bool result = false;
        editor_.reset();
        if (component_ && !prop_.empty()) {
            CreateEditorForPath(component_, prop_, editor_);
            result = true;
        }
        if (editor_) editor_->Initialize();
        return result;
    } catch (const std::exception&) {
        editor_.reset();
        ShowMessage("TBASEQORAttachComponent.Load");
        return false;
    }
}

void TBASEQORAttachComponent::Assign(const TPersistent* source) {
    if (const auto* other = dynamic_cast<const TBASEQORAttachComponent*>(source)) {
        SetProp(other->prop_);
        return;
    }
    TPersistent::Assign(source);
}

void TQORAttachClassProp::MarkFormModified() {
    if (!owner_ || !owner_->IsDesigning()) return;
    if (auto* form = dynamic_cast<TCustomForm*>(OwnerFormOf(owner_))) form->SetModified(true);
}

void TQORAttachClassProp::SetComponent(TComponent* value) {
    if (value == component_) return;
    try {
        component_ = value;
        componentName_ = value ? value->Name() : std::string();
        // No subscription, but the link must not outlive the component.
        if (value && owner_) value->FreeNotification(owner_);
        DoPropertyChange();
        MarkFormModified();
    } catch (const std::exception&) {
        ShowMessage("TBASEQORAttachComponent.SetComponent");
    }
}

void TQORAttachClassProp::SetProp(std::string_view value) {
    if (value == prop_) return;
    try {
        prop_.assign(value);
        DoPropertyChange();
        MarkFormModified();
    } catch (const std::exception&) {
        ShowMessage("SetProperty");
    }
}

}  // namespace ortello
