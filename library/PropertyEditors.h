// Run-time property editors: for one published property of one or more objects,
// turn the value into text and back, offer the allowed texts and open a dialog.
// A process-wide registry picks the editor class from the property's type, the
// object's class and the property's name.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "library/Classes.h"
#include "library/SysUtils.h"
#include "library/TypeInfo.h"

namespace ortello {

class TFont;

ORTELLO_EXCEPTION(EPropertyError, Exception)

inline constexpr const char* kOutOfRange = "Value must be between %d and %d";
inline constexpr const char* kInvalidPropertyElement = "Invalid property element: %s";

enum TPropertyAttribute : unsigned {
    eaValueList = 1,
    eaDialog = 4,
    eaMultiSelect = 8,
    eaAutoUpdate = 16,
    eaReadOnly = 64,
};

// Visible-list filters of an editor set.
enum TPropertyFilter : int { pfProperties = 0, pfEvents = 1, pfAll = 2 };

class TRTTIPropertyEditor;
using TPropertyEditorList = std::vector<TRTTIPropertyEditor*>;

// One object of an editor's object list with its published properties sorted by name.
struct TInstance {
    TPersistent* Object = nullptr;
    std::vector<const TPropInfo*> Props;
};

// (object index, property index) into the owner's object list.
struct TInstPropIndex {
    int Instance = 0;
    int Prop = 0;
};

// The published properties of a class, sorted by name (case ignored), ties in
// declaration order.
std::vector<const TPropInfo*> SortedPropList(const TClassInfo& cls);

class TRTTIPropertyEditor : public TObject {
    ORTELLO_CLASS()
public:
    TRTTIPropertyEditor();
    ~TRTTIPropertyEditor() override;
    TRTTIPropertyEditor(const TRTTIPropertyEditor&) = delete;
    TRTTIPropertyEditor& operator=(const TRTTIPropertyEditor&) = delete;

    // Constructors (called right after the class's factory made the editor).
    // Over one object and one property:
    virtual void CreateForObject(TPersistent* object, const TPropInfo* prop);
    // As a child of an editor set or of a set or object editor, for the property at
    // propIndex of each object of the owner's object list:
    virtual void CreateForProperty(TRTTIPropertyEditor* owner, int propIndex);

    virtual bool GetExpanded() const { return false; }
    virtual void SetExpanded(bool) {}
    virtual void ToggleExpanded() {}
    virtual void GetInstance(int i, TPersistent*& object, const TPropInfo*& prop) const;
    virtual const TPropInfo* GetPropInfoAt(int i) const;
    const TPropInfo* GetPropInfo() const { return GetPropInfoAt(0); }
    TPersistent* GetComponent(int i) const;

    virtual std::string GetValue();
    virtual void SetValue(std::string_view text);
    virtual std::string GetName() const;
    virtual unsigned GetAttributes();
    virtual void GetValues(const std::function<void(const std::string&)>& proc);
    virtual int GetEditLimit();
    virtual void Edit();
    // Hook run by the property attachment after it created the editor.
    virtual void Initialize();
    virtual void Rebuild() {}
    virtual bool AllEqual() { return InstanceCount() == 1; }

    // (object, property) pairs of a child editor; 0 for a one-object editor.
    virtual int PropCount() const { return static_cast<int>(pairs_.size()); }
    // Objects the editor covers: 1 for a one-object editor.
    virtual int InstanceCount() const { return owner_ ? static_cast<int>(pairs_.size()) : (object_ ? 1 : 0); }
    virtual int AddInstance(TPersistent* object);
    // Called when object i of the owner's set joined; may invalidate the editor.
    virtual void MergeInstance(int i);
    virtual int SubPropertyCount() const { return 0; }
    virtual void CollectVisible(TPropertyEditorList& visible, int filter);

    bool Valid() const { return valid_; }
    void Invalidate() { valid_ = false; }
    int IndexOfInstance(const TPersistent* object) const;
    TRTTIPropertyEditor* Owner() const { return owner_; }
    const std::vector<TInstance>& Instances() const { return instances_; }
    int ChildCount() const { return static_cast<int>(children_.size()); }
    TRTTIPropertyEditor* Child(int i) const { return children_.at(static_cast<size_t>(i)).get(); }

    // Typed access: object 0 for reads, every covered object for writes.
    int64_t GetOrdValue() const { return GetOrdValueAt(0); }
    int64_t GetOrdValueAt(int i) const;
    void SetOrdValue(int64_t v);
    double GetFloatValue() const { return GetFloatValueAt(0); }
    double GetFloatValueAt(int i) const;
    void SetFloatValue(double v);
    std::string GetStrValue() const { return GetStrValueAt(0); }
    std::string GetStrValueAt(int i) const;
    void SetStrValue(std::string_view v);
    TObject* GetObjValue() const { return GetObjValueAt(0); }
    TObject* GetObjValueAt(int i) const;
    void SetObjValue(TObject* v);

protected:
    void Init(TRTTIPropertyEditor* owner);
    virtual void CreateLists() {}
    // Adds an object to this editor's own object list; returns its index.
    int AddToInstances(TPersistent* object);
    // Builds child editors for every read-write property of instance 0 (editor sets
    // and object editors).
    void CreateChildEditors(bool raiseOnError);
    bool IsMethodEditor() const;
    // A one-object editor over an object that does not have the property.
    bool foreignObject_ = false;

    TRTTIPropertyEditor* owner_ = nullptr;
    TPersistent* object_ = nullptr;
    const TPropInfo* prop_ = nullptr;
    bool valid_ = true;
    std::vector<TInstPropIndex> pairs_;
    std::vector<std::unique_ptr<TRTTIPropertyEditor>> children_;
    std::vector<TInstance> instances_;
};

// ---------------------------------------------------------------- enumeration name lists

// One line per identifier of an enumeration, lowest ordinal first.
class TEnumList : public TStringList {
public:
    explicit TEnumList(const TTypeInfo* enumType);
    int64_t Ordinal(int index) const { return ordinals_.at(static_cast<size_t>(index)); }
    // Line index of an ordinal, or -1.
    int IndexOfOrdinal(int64_t ordinal) const;

protected:
    std::vector<int64_t> ordinals_;
};

// Lines "identifier=Expanded Name".
class TExpandedEnumList : public TEnumList {
public:
    explicit TExpandedEnumList(const TTypeInfo* enumType);
    // The expanded name of an ordinal, or empty.
    std::string ExpandedName(int64_t ordinal) const;
    // Ordinal whose expanded name equals text, case ignored; -1 if none.
    int64_t OrdinalOf(std::string_view expanded) const;
};

// "ctUSDollar" -> "U S Dollar", "prCustomer1" -> "Customer 1".
std::string ExpandedEnumName(std::string_view identifier);

// ---------------------------------------------------------------- editors by kind

// Wide characters and variants: the base behaviour.
class TPropertyEditor : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
};

class TIntegerProperty : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
};

class TCharProperty : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
};

class TEnumProperty : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
    unsigned GetAttributes() override { return eaValueList | eaMultiSelect | eaReadOnly; }
    void GetValues(const std::function<void(const std::string&)>& proc) override;
};

class TBoolProperty : public TEnumProperty {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
    void GetValues(const std::function<void(const std::string&)>& proc) override;
    // The names for false and true.
    virtual void GetNames(std::string& falseName, std::string& trueName) const;
};

class TFloatProperty : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
};

class TStringProperty : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    std::string GetValue() override { return GetStrValue(); }
    void SetValue(std::string_view text) override { SetStrValue(text); }
    int GetEditLimit() override;
};

class TSetProperty : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    void CreateForObject(TPersistent* object, const TPropInfo* prop) override;
    void CreateForProperty(TRTTIPropertyEditor* owner, int propIndex) override;
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
    unsigned GetAttributes() override { return eaMultiSelect | eaReadOnly; }
    bool GetExpanded() const override { return expanded_; }
    void SetExpanded(bool v) override { expanded_ = v; }
    void ToggleExpanded() override { expanded_ = !expanded_; }
    int SubPropertyCount() const override { return ChildCount(); }
    void CollectVisible(TPropertyEditorList& visible, int filter) override;

private:
    void CreateElements();
    bool expanded_ = false;
};

// One element of a set; reaches the value through its set editor.
class TSetElementProperty : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    void CreateForElement(TRTTIPropertyEditor* owner, int element);
    void GetInstance(int i, TPersistent*& object, const TPropInfo*& prop) const override;
    int InstanceCount() const override { return owner_ ? owner_->InstanceCount() : 0; }
    std::string GetName() const override;
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
    unsigned GetAttributes() override { return eaValueList | eaMultiSelect; }
    void GetValues(const std::function<void(const std::string&)>& proc) override;
    int Element() const { return element_; }

private:
    int element_ = 0;
};

class TClassProperty : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    void CreateForObject(TPersistent* object, const TPropInfo* prop) override;
    void CreateForProperty(TRTTIPropertyEditor* owner, int propIndex) override;
    std::string GetValue() override;
    void SetValue(std::string_view) override {}
    unsigned GetAttributes() override { return eaMultiSelect | eaReadOnly; }
    bool GetExpanded() const override { return expanded_; }
    void SetExpanded(bool v) override { expanded_ = v; }
    void ToggleExpanded() override { expanded_ = !expanded_; }
    int SubPropertyCount() const override { return ChildCount(); }
    void MergeInstance(int i) override;
    void CollectVisible(TPropertyEditorList& visible, int filter) override;

private:
    void AddValueObject(int i);
    bool expanded_ = false;
};

class TMethodProperty : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    void SetValue(std::string_view) override {}
    unsigned GetAttributes() override { return eaValueList | eaMultiSelect; }
};

class TComponentProperty : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    std::string GetValue() override { return {}; }
    void SetValue(std::string_view) override {}
    unsigned GetAttributes() override { return eaValueList | eaMultiSelect; }
};

class TComponentNameProperty : public TStringProperty {
    ORTELLO_CLASS()
public:
    unsigned GetAttributes() override { return 0; }
    int GetEditLimit() override { return 63; }
};

class TCaptionProperty : public TStringProperty {
    ORTELLO_CLASS()
public:
    unsigned GetAttributes() override { return eaMultiSelect | eaAutoUpdate; }
};

class TFontNameProperty : public TStringProperty {
    ORTELLO_CLASS()
public:
    unsigned GetAttributes() override { return eaValueList | eaMultiSelect | eaReadOnly; }
    void GetValues(const std::function<void(const std::string&)>& proc) override;
};

class TFontCharsetProperty : public TIntegerProperty {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
    unsigned GetAttributes() override { return eaValueList | eaMultiSelect | eaReadOnly; }
    void GetValues(const std::function<void(const std::string&)>& proc) override;
};

class TImeNameProperty : public TStringProperty {
    ORTELLO_CLASS()
public:
    unsigned GetAttributes() override { return eaValueList | eaMultiSelect | eaReadOnly; }
    void GetValues(const std::function<void(const std::string&)>& proc) override;
};

class TColorProperty : public TIntegerProperty {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
    unsigned GetAttributes() override { return eaValueList | eaDialog | eaMultiSelect; }
    void GetValues(const std::function<void(const std::string&)>& proc) override;
    void Edit() override;
};

class TCursorProperty : public TIntegerProperty {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
    unsigned GetAttributes() override { return eaValueList | eaMultiSelect; }
    void GetValues(const std::function<void(const std::string&)>& proc) override;
};

class TFontProperty : public TClassProperty {
    ORTELLO_CLASS()
public:
    unsigned GetAttributes() override { return eaDialog | eaMultiSelect | eaReadOnly; }
    void Edit() override;
};

class TShortCutProperty : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
    unsigned GetAttributes() override { return eaValueList | eaMultiSelect | eaReadOnly; }
    void GetValues(const std::function<void(const std::string&)>& proc) override;
};

class TDateTimeProperty : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
};

// Base of enumeration editors that show expanded names ("U S Dollar").
class TExpandedEnumPropertyEditor : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    void SetValue(std::string_view text) override;
    unsigned GetAttributes() override { return eaValueList | eaReadOnly; }
    void GetValues(const std::function<void(const std::string&)>& proc) override;
    // The enumeration to expand; none here, so the property's own type is used.
    virtual const TTypeInfo* GetEnumType() const { return nullptr; }

protected:
    const TTypeInfo* EnumType() const;
    // The name list of EnumType, built once per type.
    const TExpandedEnumList& ExpandedList() const;

private:
    mutable const TTypeInfo* listType_ = nullptr;
    mutable std::unique_ptr<TExpandedEnumList> list_;
};

// ---------------------------------------------------------------- editor set

class TComponentPropertyEditor : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    // 1 when the object joined, 0 when it was already in the set or is null.
    int AddInstance(TPersistent* object) override;
    // First child editor whose name equals name, case ignored; -1 if none.
    int IndexOfName(std::string_view name) const;
    int EditorCount() const { return ChildCount(); }
    TRTTIPropertyEditor* Editors(int i) const { return Child(i); }
    int ObjectCount() const { return static_cast<int>(instances_.size()); }
    unsigned GetAttributes() override { return eaMultiSelect | eaReadOnly; }
    std::string GetName() const override { return {}; }

    int Filter() const { return filter_; }
    virtual void SetFilter(int filter);
    void Rebuild() override;
    int VisibleCount() const { return static_cast<int>(visible_.size()); }
    TRTTIPropertyEditor* Visible(int i) const { return visible_.at(static_cast<size_t>(i)); }

    std::function<void(TObject* sender)> OnBeforeRebuild;
    std::function<void(TObject* sender, int objects, int visible)> OnAfterRebuild;
    std::function<void(TObject* sender, int oldFilter, int visible, int newFilter)> OnFilterChange;

private:
    TPropertyEditorList visible_;
    int filter_ = pfProperties;
};

// ---------------------------------------------------------------- registry

struct TPropClassRec {
    const TTypeInfo* PropType = nullptr;
    std::string PropName;                    // empty: any name
    const TClassInfo* ObjectClass = nullptr;  // null: any class
    const TClassInfo* EditorClass = nullptr;
};

class TPropClassList {
public:
    void RegisterEditor(const TTypeInfo* propType, const TClassInfo* objectClass, std::string propName,
                        const TClassInfo& editorClass);
    const TClassInfo& FindEditorClass(const TPersistent* object, const TPropInfo* prop) const;
    const std::vector<TPropClassRec>& Records() const { return recs_; }

private:
    std::vector<TPropClassRec> recs_;
};

// The process-wide registry; the library's own editors are registered first,
// when it is first used.
TPropClassList& PropClassList();

void RegisterEditor(const TTypeInfo* propType, const TClassInfo* objectClass /*may be null*/,
                    std::string propName /*may be empty*/, const TClassInfo& editorClass);
const TClassInfo& FindEditorClass(const TPersistent* object, const TPropInfo* prop);
std::unique_ptr<TRTTIPropertyEditor> CreateEditor(TPersistent* object, const TPropInfo* prop);
// The library's registrations, in their order; idempotent.
void RegisterLibraryEditors();

// ---------------------------------------------------------------- platform lists and dialogs

struct TIdentMapEntry {
    int64_t Value;
    std::string Name;
};

// The platform's identifier lists and texts that some editors offer. The core
// default has fixed lists; a window system may install its own (font families).
class TEditorPlatform {
public:
    virtual ~TEditorPlatform() = default;
    virtual std::vector<std::string> FontNames() const;
    virtual std::vector<std::string> ImeNames() const;
    virtual const std::vector<TIdentMapEntry>& Colors() const;
    virtual const std::vector<TIdentMapEntry>& Cursors() const;
    virtual const std::vector<TIdentMapEntry>& Charsets() const;
    // "Shift+Ctrl+F1"; empty for 0 or an unknown key.
    virtual std::string ShortCutToText(uint16_t shortCut) const;
    // 0 when the text is not a shortcut.
    virtual uint16_t TextToShortCut(std::string_view text) const;
};

TEditorPlatform& EditorPlatform();
// Installs a provider (null restores the core default).
void SetEditorPlatform(std::unique_ptr<TEditorPlatform> platform);

// Identifier look-ups over a list (names compared ignoring case).
bool IdentToInt(const std::vector<TIdentMapEntry>& map, std::string_view name, int64_t& value);
const std::string* IntToIdent(const std::vector<TIdentMapEntry>& map, int64_t value);
// Identifier, else "$" and eight hexadecimal digits.
std::string ColorToString(int64_t color);

struct TOpenFileRequest {
    std::string Title;
    std::string Filter;  // "(Text Files *.txt)|*.txt|..."
    std::string FileName;
    std::string InitialDir;
    bool OverwritePrompt = false;
    bool PathMustExist = false;
};

// The dialogs that editors open. The core default confirms nothing.
class TEditorDialogPort {
public:
    virtual ~TEditorDialogPort() = default;
    // customColors holds "name=value" lines; the dialog may change them.
    virtual bool ExecuteColorDialog(int64_t& color, TStrings& customColors, int helpContext);
    virtual bool ExecuteFontDialog(TFont& font, bool existingFontsOnly, int helpContext);
    virtual bool ExecuteOpenFileDialog(TOpenFileRequest& request);
};

TEditorDialogPort& EditorDialogs();
void SetEditorDialogPort(std::unique_ptr<TEditorDialogPort> port);

// Where the colour dialog keeps its custom colours between runs.
inline constexpr const char* kCustomColorsKey = "\\Software\\QORLAB\\OIINSPECT\\1.0";
inline constexpr const char* kCustomColorsSubKey = "Custom Colors";
inline constexpr int kColorDialogHelpContext = 25010;
inline constexpr int kFontDialogHelpContext = 25000;

// Custom colour persistence; the default keeps nothing. Read failures are ignored
// by the colour editor.
struct TCustomColorStore {
    std::function<void(TStrings& colors)> Load;
    std::function<void(const TStrings& colors)> Save;
};
void SetCustomColorStore(TCustomColorStore store);

}  // namespace ortello
