// INI files kept wholly in memory, and a numbered-section view over one of them.
//
// A plain file is sections of "key=value" lines:
//
//   TQORINIFile ini(path);                  // missing file: empty
//   ini.WriteString("Setup", "Mode", "2");
//   ini.UpdateFile();                       // nothing reaches disk before this
//
// A family of sections sharing a name prefix ("CustomPartList0",
// "CustomPartList1 - Parts", ...) is handled as numbered sections:
//
//   TQORSectionINIFile view("CustomPartList", ini);
//   view.TakePrefixed();                    // family moves out of `ini`
//   view.ReadInteger(0, "Item Count", 0);
//   ...
//   view.RemovePrefixed();                  // or: start a fresh family
//   TINISection& s = view.Sections().Add(0, "");
//   s.WriteInteger("Item Count", 4);
//   view.Commit();                          // family goes back, sorted by number
//   ini.UpdateFile();
//
// Section names and keys compare ignoring ASCII case; the first of duplicate
// sections or keys wins. Values are kept exactly as written (no trimming).
// Files are Windows-1252 on disk and UTF-8 in memory.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "library/Classes.h"
#include "library/SysUtils.h"

namespace ortello {

// The abstract INI file: what every INI flavour offers to its readers and writers.
// Typed values travel as text through ReadString/WriteString:
// - integers are decimal; "0x1F" (and "$1F") read as hexadecimal; a missing or
//   malformed text gives the default;
// - Booleans are integers (not 0 is true), written "0" and "1";
// - floats, dates and times use the program's regional settings; an empty or
//   malformed text gives the default.
class TCustomIniFile : public TObject {
public:
    explicit TCustomIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const std::string& FileName() const { return fileName_; }

    virtual std::string ReadString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const = 0;
    virtual void WriteString(std::string_view section, std::string_view key, std::string_view value) = 0;
    // Keys of the section's lines, in order ("" for a line without "=").
    virtual void ReadSection(std::string_view section, TStrings& keys) const = 0;
    virtual void ReadSections(TStrings& sections) const = 0;
    // The section's lines as they stand.
    virtual void ReadSectionValues(std::string_view section, TStrings& lines) const = 0;
    virtual void EraseSection(std::string_view section) = 0;
    virtual void DeleteKey(std::string_view section, std::string_view key) = 0;
    virtual void UpdateFile() = 0;

    virtual int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
    virtual void WriteInteger(std::string_view section, std::string_view key, int value);
    virtual bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    virtual void WriteBool(std::string_view section, std::string_view key, bool value);
    virtual TDateTime ReadDate(std::string_view section, std::string_view key, TDateTime defaultValue) const;
    virtual TDateTime ReadDateTime(std::string_view section, std::string_view key, TDateTime defaultValue) const;
    virtual double ReadFloat(std::string_view section, std::string_view key, double defaultValue) const;
    virtual TDateTime ReadTime(std::string_view section, std::string_view key, TDateTime defaultValue) const;
    virtual void WriteDate(std::string_view section, std::string_view key, TDateTime value);
    virtual void WriteDateTime(std::string_view section, std::string_view key, TDateTime value);
    virtual void WriteFloat(std::string_view section, std::string_view key, double value);
    virtual void WriteTime(std::string_view section, std::string_view key, TDateTime value);

    // A section exists when it has at least one line.
    virtual bool SectionExists(std::string_view section) const;
    virtual bool ValueExists(std::string_view section, std::string_view key) const;

private:
    std::string fileName_;
};

// A plain INI file read completely at construction and written only by UpdateFile.
class TQORINIFile : public TCustomIniFile {
public:
    // Reads and parses the file when the name is not empty and the file exists.
    // An unreadable existing file raises EFOpenError.
    explicit TQORINIFile(std::string fileName = {});
    ~TQORINIFile() override;  // unsaved changes are discarded

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const override;
    // Creates the section at the end when missing; replaces the first line of
    // the key or appends "key=value". Line breaks in names and values become
    // spaces, so a value can never add lines or sections to the file.
    void WriteString(std::string_view section, std::string_view key, std::string_view value) override;
    void ReadSection(std::string_view section, TStrings& keys) const override;
    void ReadSections(TStrings& sections) const override;
    void ReadSectionValues(std::string_view section, TStrings& lines) const override;
    void EraseSection(std::string_view section) override;
    void DeleteKey(std::string_view section, std::string_view key) override;
    // Writes Text(), encoded as Windows-1252, to FileName atomically.
    // Raises EFCreateError/EWriteError.
    void UpdateFile() override;

    // Replaces the whole content by parsing text (UTF-8): empty lines and lines
    // starting with ";" are skipped; "[name]" (first and last character) starts a
    // section (duplicates stay separate); other lines belong to the current
    // section, and lines before the first section are dropped.
    void SetText(std::string_view text);
    // "[name]", its lines, an empty line, for every section; CR LF line breaks.
    std::string Text() const;
    void Clear();

    // Sections by position, in file order.
    int SectionCount() const { return static_cast<int>(sections_.size()); }
    const std::string& SectionName(int index) const;
    TStringList& SectionLines(int index);
    const TStringList& SectionLines(int index) const;
    // The first section of that name (ASCII case ignored), or -1.
    int IndexOfSection(std::string_view name) const;
    // Appends a section even when one of that name exists; returns its index.
    int AddSection(std::string_view name);
    void DeleteSection(int index);

private:
    struct Section {
        std::string name;
        std::unique_ptr<TStringList> lines;
    };
    friend class TQORSectionINIFile;
    void CheckIndex(int index) const;

    std::vector<Section> sections_;
};

// The lines of one numbered section ("key=value"), with its number, family
// prefix and optional title.
class TINISection : public TStringList {
    ORTELLO_CLASS()
public:
    TINISection() = default;
    TINISection(int number, std::string prefix, std::string title = {});

    int Number() const { return number_; }
    void SetNumber(int n) { number_ = n; }
    const std::string& Prefix() const { return prefix_; }
    void SetPrefix(std::string p) { prefix_ = std::move(p); }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string t) { title_ = std::move(t); }
    // "[" Prefix Number (" - " Title) "]"
    std::string FullName() const;
    // The full name without the brackets, as it stands in a file's header.
    std::string SectionName() const;

    // The same conversions as TCustomIniFile, for this section's lines.
    virtual std::string ReadString(std::string_view key, std::string_view defaultValue) const;
    // Replaces the first line of the key or appends "key=value"; line breaks become spaces.
    virtual void WriteString(std::string_view key, std::string_view value);
    virtual int ReadInteger(std::string_view key, int defaultValue) const;
    virtual void WriteInteger(std::string_view key, int value);
    virtual bool ReadBool(std::string_view key, bool defaultValue) const;
    virtual void WriteBool(std::string_view key, bool value);
    virtual TDateTime ReadDate(std::string_view key, TDateTime defaultValue) const;
    virtual TDateTime ReadDateTime(std::string_view key, TDateTime defaultValue) const;
    virtual double ReadFloat(std::string_view key, double defaultValue) const;
    virtual TDateTime ReadTime(std::string_view key, TDateTime defaultValue) const;
    virtual void WriteDate(std::string_view key, TDateTime value);
    virtual void WriteDateTime(std::string_view key, TDateTime value);
    virtual void WriteFloat(std::string_view key, double value);
    virtual void WriteTime(std::string_view key, TDateTime value);
    // Removes the first line of the key.
    virtual void DeleteKey(std::string_view key);

    bool ValueExists(std::string_view key) const { return IndexOfName(key) >= 0; }

private:
    int number_ = 0;
    std::string prefix_;
    std::string title_;
};

class TQORSectionINIFile;

// The numbered sections of one view; owns them.
class TINISections : public TObject {
public:
    explicit TINISections(TQORSectionINIFile& view) : view_(view) {}
    TINISections(const TINISections&) = delete;
    TINISections& operator=(const TINISections&) = delete;

    TQORSectionINIFile& View() const { return view_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Raises EListError out of range.
    TINISection& Items(int index) const;
    TINISection& operator[](int index) const { return Items(index); }
    // The first section whose full bracketed name matches (ASCII case ignored), or -1.
    int IndexOfName(std::string_view fullName) const;
    // The first section with that number, or -1.
    int IndexOfNumber(int number) const;
    // Appends a section with the view's prefix; a negative number stands for
    // the new section's position in the list.
    TINISection& Add(int number, std::string_view title = {});
    void Delete(int index);
    void Clear() { items_.clear(); }
    // Ascending by number; sections of equal number keep their order.
    void SortByNumber();

private:
    TQORSectionINIFile& view_;
    std::vector<std::unique_ptr<TINISection>> items_;
};

// A view over a TQORINIFile that handles one family of numbered sections.
// Generic (TCustomIniFile) access names a section by its full bracketed name,
// "[CustomPartList1]"; writing through that interface is refused, writes go
// through the numbered sections. The view never writes the file to disk.
class TQORSectionINIFile : public TCustomIniFile {
public:
    // `file` is not owned and must outlive the view.
    TQORSectionINIFile(std::string prefix, TQORINIFile& file);
    ~TQORSectionINIFile() override;

    const std::string& Prefix() const { return prefix_; }
    TQORINIFile& File() const { return file_; }
    TINISections& Sections() { return *sections_; }
    const TINISections& Sections() const { return *sections_; }
    // The first numbered section with that number, or nullptr.
    TINISection* FindSection(int number) const;

    // Removes from the file every section whose name starts with Prefix (case-sensitive).
    void RemovePrefixed();
    // Moves the family out of the file, in file order: for every section whose
    // name starts with Prefix (case-sensitive), the name is cut at its first
    // space (unless that is the first character), every occurrence of Prefix is
    // removed ignoring case, and the rest is read as a decimal number. A section
    // whose number does not parse is not part of the family and stays in the file.
    void TakePrefixed();
    // Sorts the numbered sections by number and appends them to the file after
    // its other sections, titles included. A file section of the same name is
    // replaced, so committing twice does not leave stale duplicates. The
    // numbered sections stay in the view. The caller then calls File().UpdateFile().
    void Commit();

    // Numbered access; writes to a missing section are ignored.
    std::string ReadString(int number, std::string_view key, std::string_view defaultValue) const;
    void WriteString(int number, std::string_view key, std::string_view value);
    int ReadInteger(int number, std::string_view key, int defaultValue) const;
    void WriteInteger(int number, std::string_view key, int value);
    bool ReadBool(int number, std::string_view key, bool defaultValue) const;
    void WriteBool(int number, std::string_view key, bool value);
    std::string ReadString(const TINISection& section, std::string_view key,
                           std::string_view defaultValue) const;
    void WriteString(TINISection& section, std::string_view key, std::string_view value);
    int ReadInteger(const TINISection& section, std::string_view key, int defaultValue) const;
    void WriteBool(TINISection& section, std::string_view key, bool value);

    // The generic interface, by full bracketed name.
    using TCustomIniFile::ReadBool;
    using TCustomIniFile::ReadInteger;
    using TCustomIniFile::WriteBool;
    using TCustomIniFile::WriteInteger;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const override;
    // Always raises Exception "dont do it".
    void WriteString(std::string_view section, std::string_view key, std::string_view value) override;
    void ReadSection(std::string_view section, TStrings& keys) const override;
    // The full bracketed names of the numbered sections.
    void ReadSections(TStrings& sections) const override;
    void ReadSectionValues(std::string_view section, TStrings& lines) const override;
    // Removes the numbered section.
    void EraseSection(std::string_view section) override;
    void DeleteKey(std::string_view section, std::string_view key) override;
    // Does nothing: the plain file is written by its own UpdateFile.
    void UpdateFile() override {}

private:
    TINISection* FindByName(std::string_view fullName) const;

    std::string prefix_;
    TQORINIFile& file_;
    std::unique_ptr<TINISections> sections_;
};

}  // namespace ortello
