// Entries copied as text: the classes that may be copied, the clipboard entry
// that reads any published property as text, the entry copy controller with its
// settings file, and the delimiter and file name choosers.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "catalog/QuoteModel.h"
#include "library/PersistComponent.h"
#include "library/PropertyEditors.h"

namespace ortello {

// A class whose entries may be copied, with its published property names
// (events excepted).
class TCopyClass : public TQorPersistent {
    ORTELLO_CLASS()
public:
    TCopyClass();
    explicit TCopyClass(const TClassInfo& cls);
    ~TCopyClass() override;

    const TClassInfo* CopiedClass() const { return class_; }
    const TStringList& PropertyNames() const { return *names_; }
    bool HasProperty(std::string_view name) const { return names_->IndexOf(name) >= 0; }

private:
    const TClassInfo* class_ = nullptr;
    std::unique_ptr<TStringList> names_;
};

class TCopyClassList : public TQorPersistList {
    ORTELLO_CLASS()
public:
    TCopyClassList() : TQorPersistList(true) {}
    // Registering a class again does nothing.
    void RegisterCopyClass(const TClassInfo& cls);
    // The entry for exactly this class (not an ancestor), or null.
    const TCopyClass* Find(const TClassInfo& cls) const;
    TCopyClass* CopyClass(int i) const { return static_cast<TCopyClass*>(Items(i)); }
};

// The program's copy classes.
TCopyClassList& CopyClasses();
// TLOMEntry and TLOMQuoteEntry.
void RegisterCopyClasses();

// A quote entry that reads its published properties as text through a property
// editor set over itself.
class TLOMClipBoardEntry : public TLOMQuoteEntry {
    ORTELLO_CLASS()
public:
    TLOMClipBoardEntry();
    ~TLOMClipBoardEntry() override;
    // The property's value as its editor shows it; false when there is no editor for it.
    bool PropertyText(std::string_view name, std::string& text);
    bool HasEditor(std::string_view name);

private:
    TComponentPropertyEditor& Editors();
    std::unique_ptr<TComponentPropertyEditor> editors_;
};

class TEntryCopyController : public TQORPersistComponent {
    ORTELLO_CLASS()
public:
    explicit TEntryCopyController(TComponent* owner = nullptr);
    ~TEntryCopyController() override;

    // The first controller created in the process: every part entry's copy text.
    static TEntryCopyController* ProcessController();

    TStringList* Selected() const { return selected_.get(); }
    void SetSelected(TStringList* v) { selected_->Assign(v); }
    TStringList* Available() const { return available_.get(); }
    void SetAvailable(TStringList* v) { available_->Assign(v); }
    TStringList* Captions() const { return captions_.get(); }
    void SetCaptions(TStringList* v) { captions_->Assign(v); }
    const std::string& Path() const { return path_; }
    void SetPath(std::string_view v) { path_.assign(v); }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string_view v) { fileName_.assign(v); }
    // A Windows-1252 character code.
    unsigned char Delimeter() const { return delimeter_; }
    void SetDelimeter(unsigned char c) { delimeter_ = c; }

    // The program folder + Path + FileName; empty without a program folder or file name.
    std::string SettingsFile() const;

    // The selected values of an entry joined by the delimiter; empty when the
    // entry's class is not a copy class.
    std::string GetCopyText(const TBasePartEntry& entry) const;
    // The captions of the selected values, each followed by the delimiter.
    std::string GetCaptionLine(const TBasePartEntry& entry) const;

    // Copies Selected, Available, Captions and Delimeter.
    void Assign(const TPersistent* source) override;
    // Outside design mode, reads the settings file when it exists.
    void Loaded() override;
    void LoadFromFile(const std::string& fileName) override;
    // "SF" and "AF": the selected and available names as lines of text.
    void DefineProperties(TFiler* filer) override;

private:
    std::string Delimiter() const;
    TLOMClipBoardEntry& ClipEntry() const;
    // Null when the entry cannot be copied; otherwise the clipboard entry holds it.
    const TCopyClass* Prepare(const TBasePartEntry& entry) const;
    void Release() const;

    std::unique_ptr<TStringList> selected_, available_, captions_;
    std::string path_, fileName_;
    unsigned char delimeter_ = ',';
    bool readingSettings_ = false;
    mutable std::unique_ptr<TLOMClipBoardEntry> clip_;
};

// The caption line of the first entry, CR LF, then every entry's copy text with
// CR LF between them; empty for an empty list.
std::string QuoteListCopyText(const TQuoteList& list, const TEntryCopyController& controller);

// ---------------------------------------------------------------- delimiter names

class TCharName : public TQorPersistent {
    ORTELLO_CLASS()
public:
    TCharName() = default;
    TCharName(std::string name, unsigned char c) : name_(std::move(name)), char_(c) {}
    const std::string& Name() const { return name_; }
    unsigned char Char() const { return char_; }

private:
    std::string name_;
    unsigned char char_ = 0;
};

// "<TAB>", "<CR>", "<LF>", "<SPACE>", then the characters 33 to 127 by themselves.
class TCharNamesList : public TQorPersistList {
    ORTELLO_CLASS()
public:
    TCharNamesList();
    TCharName* CharName(int i) const { return static_cast<TCharName*>(Items(i)); }
    // Position of the name (case ignored), or -1.
    int IndexOfName(std::string_view name) const;
    // Position of the character's name, or -1.
    int IndexOfChar(unsigned char c) const;
};

const TCharNamesList& CharNames();

// Chooser of the copy controller's delimiter by character name.
class TDelimeterPE : public TCharProperty {
    ORTELLO_CLASS()
public:
    std::string GetValue() override;
    // A text that names no character selects character 0.
    void SetValue(std::string_view text) override;
    unsigned GetAttributes() override { return eaValueList | eaReadOnly; }
    void GetValues(const std::function<void(const std::string&)>& proc) override;
};

// File open dialog for the FileName of data list components.
class TOpenFileNamePE : public TStringProperty {
    ORTELLO_CLASS()
public:
    unsigned GetAttributes() override { return eaDialog; }
    void Edit() override;
};

// The editors of quotations and entry copying; idempotent.
void RegisterQuoteEditors();

}  // namespace ortello
