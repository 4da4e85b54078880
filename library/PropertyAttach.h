// Pointing one component at a property of another by a dotted path
// ("QuoteList.ContactInfo.City"), reacting when that link changes, and the
// component look-ups shared across the library.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "library/Classes.h"
#include "library/PropertyEditors.h"

namespace ortello {

class TCustomForm;

// Component message of a property change notifier.
inline constexpr unsigned kPropertyChangeMessage = 46057;  // B3E9

// ---------------------------------------------------------------- property path lists

struct TPropPathRec {
    std::string Name;           // dotted path from the root
    TObject* Object = nullptr;  // the held object for object properties, else the owner
    const TPropInfo* Prop = nullptr;
};

class TBasePropInfoList {
public:
    virtual ~TBasePropInfoList() = default;
    int Count() const { return static_cast<int>(recs_.size()); }
    const TPropPathRec& Items(int i) const { return recs_.at(static_cast<size_t>(i)); }
    // Record whose name equals name, case ignored; -1 if none.
    int IndexOf(std::string_view name) const;

protected:
    std::vector<TPropPathRec> recs_;
};

// Every read-write, non-method property reachable from a root object; objects held
// by properties (not components) are entered with "name." prefixes.
class TQORPropertiesList : public TBasePropInfoList {
public:
    TQORPropertiesList() = default;
    TQORPropertiesList(TObject* root, std::string_view rootPrefix = {}) { Build(root, rootPrefix); }
    void Build(TObject* root, std::string_view rootPrefix = {});

protected:
    virtual bool AcceptObjectProp(const TPropPathRec&) { return true; }
    virtual bool AcceptProp(const TPropPathRec&) { return true; }

private:
    void Add(TObject* obj, const std::string& prefix, std::vector<const TObject*>& path);
};

// One non-object property of a flattened object.
class TProperty : public TObject {
public:
    TTypeKind Kind = TTypeKind::tkUnknown;
    std::string Name;
    std::string Prefix;  // dotted path of the nested object; empty at the root
    TObject* Object = nullptr;
    const TPropInfo* Prop = nullptr;
    std::string FullName() const { return Prefix.empty() ? Name : Prefix + "." + Name; }
};

class TPropertyList {
public:
    TPropertyList() = default;
    explicit TPropertyList(TObject* root) { Build(root); }
    void Build(TObject* root);
    int Count() const { return static_cast<int>(items_.size()); }
    TProperty& Items(int i) const { return *items_.at(static_cast<size_t>(i)); }

private:
    void Add(TObject* obj, const std::string& prefix, std::vector<const TObject*>& path);
    std::vector<std::unique_ptr<TProperty>> items_;
};

// The object the path names (see TPropPathRec::Object); false when not found.
bool ResolveObject(TObject* component, std::string_view path, TObject*& obj);
// The registry's editor for the path's object and property; false (and no editor)
// when the path is not found.
bool CreateEditorForPath(TObject* component, std::string_view path, std::unique_ptr<TRTTIPropertyEditor>& editor);
// "CompanyName" -> "Company Name"; no space after a digit ("Address1Line").
std::string SpacedName(std::string_view name);

// ---------------------------------------------------------------- component look-ups

// The first component owned by an open form, then by a data module, whose class is
// exactly cls (and whose name is name, case ignored, when given).
bool FindComponentOfClass(const TClassInfo& cls, TComponent*& component, std::string_view name = {});
// The first form or data module up the owner chain, or null.
TComponent* OwnerFormOf(const TComponent* component);
int IndexOfInstanceOf(const TObject* object, const std::vector<const TClassInfo*>& classes);
int IndexOfClass(const TObject* object, const std::vector<const TClassInfo*>& classes);

class TCustomComponentList {
public:
    int Add(TComponent* c) {
        items_.push_back(c);
        return Count() - 1;
    }
    int Count() const { return static_cast<int>(items_.size()); }
    TComponent* Components(int i) const { return items_.at(static_cast<size_t>(i)); }

private:
    std::vector<TComponent*> items_;
};

// ---------------------------------------------------------------- change notifier

// Broadcasts property changes to subscribed components as message 46057
// (WParam: the notifier, LParam: the change's first argument).
class TQORComponentPropertyNotification : public TComponent {
    ORTELLO_CLASS()
public:
    explicit TQORComponentPropertyNotification(TComponent* owner = nullptr) : TComponent(owner) {}
    ~TQORComponentPropertyNotification() override;

    void Subscribe(TComponent* c);
    void Unsubscribe(TComponent* c);
    int SubscriberCount() const { return static_cast<int>(subscribers_.size()); }
    virtual void Change(intptr_t a, intptr_t b);

    TNotifyEvent OnChange;
    TNotifyEvent OnEndChange;
    std::function<void(TObject* sender, intptr_t value)> OnStartChange;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::vector<TComponent*> subscribers_;
    int nesting_ = 0;
};

// ---------------------------------------------------------------- attachments

// A (component, property path) pair owned by a component. The owner forwards its
// Notification calls to the attachment.
class TBASEQORAttachComponent : public TPersistent {
    ORTELLO_CLASS()
public:
    explicit TBASEQORAttachComponent(TComponent* owner = nullptr) : owner_(owner) {}
    ~TBASEQORAttachComponent() override;
    TBASEQORAttachComponent(const TBASEQORAttachComponent&) = delete;
    TBASEQORAttachComponent& operator=(const TBASEQORAttachComponent&) = delete;

    const std::string& Prop() const { return prop_; }
    virtual void SetProp(std::string_view value);
    TComponent* Component() const { return component_; }
    virtual void SetComponent(TComponent* value);
    // Replaces the editor by the path's editor; true when both Component and Prop are set.
    virtual bool Load();
    virtual void Notification(TComponent* component, TOperation operation);
    void Assign(const TPersistent* source) override;

    TRTTIPropertyEditor* PropertyEditor() const { return editor_.get(); }
    TComponent* AttachOwner() const { return owner_; }
    const std::string& ComponentName() const { return componentName_; }
    // Called with this attachment when the link changes.
    TNotifyEvent OnPropertyChange;

protected:
    void DoPropertyChange();
    void DetachPropNotifier();

    std::string componentName_;
    std::unique_ptr<TRTTIPropertyEditor> editor_;
    TComponent* owner_;
    std::string prop_;
    TComponent* component_ = nullptr;
};

class TQORAttachComponent : public TBASEQORAttachComponent {
    ORTELLO_CLASS()
public:
    using TBASEQORAttachComponent::TBASEQORAttachComponent;
};

// Links without subscribing or asking for destruction notices.
class TQORAttachClassProp : public TBASEQORAttachComponent {
    ORTELLO_CLASS()
public:
    using TBASEQORAttachComponent::TBASEQORAttachComponent;
    void SetComponent(TComponent* value) override;
    void SetProp(std::string_view value) override;

private:
    void MarkFormModified();
};

}  // namespace ortello
