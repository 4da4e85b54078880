#include "library/SectionIniFile.h"

#include <algorithm>
#include <climits>
#include <unordered_set>

namespace ortello {

namespace {

// Hexadecimal is limited to 32 bits and wraps, so "0xFFFFFFFF" reads as -1.
int TextToInt(std::string_view text, int defaultValue) {
    int64_t v;
    if (!TryStrToInt64(text, v)) return defaultValue;
    if (v >= INT32_MIN && v <= INT32_MAX) return static_cast<int>(v);
    const std::string_view t = TrimView(text);
    const bool hex = !t.empty() && (t[0] == '$' || (t.size() > 2 && t[0] == '0' && LowChar(t[1]) == 'x'));
    if (hex && v > 0 && v <= int64_t{UINT32_MAX}) return static_cast<int>(static_cast<uint32_t>(v));
    return defaultValue;
}

double TextToFloat(std::string_view text, double defaultValue) {
    double v;
    return TryStrToFloat(text, v) ? v : defaultValue;
}

template <class Convert>
TDateTime TextToDate(std::string_view text, TDateTime defaultValue, Convert convert) {
    if (text.empty()) return defaultValue;
    try {
        return convert(text);
    } catch (const EConvertError&) {
        return defaultValue;
    }
}

std::string TimeToText(TDateTime value) { return FormatDateTime(FormatSettings().LongTimeFormat, value); }

// A name or value must stay on its line, or it would add lines and sections to the file.
std::string SingleLine(std::string_view s) {
    std::string r(s);
    std::replace(r.begin(), r.end(), '\r', ' ');
    std::replace(r.begin(), r.end(), '\n', ' ');
    return r;
}

void WriteLine(TStrings& lines, std::string_view key, std::string_view value) {
    const std::string name = SingleLine(key);
    const std::string line = name + "=" + SingleLine(value);
    const int i = lines.IndexOfName(name);
    if (i >= 0)
        lines.Put(i, line);
    else
        lines.Add(line);
}

std::string ReadLine(const TStrings& lines, std::string_view key, std::string_view defaultValue) {
    const int i = lines.IndexOfName(key);
    return i < 0 ? std::string(defaultValue) : lines.ValueFromIndex(i);
}

void ReadKeys(const TStrings& lines, TStrings& keys) {
    keys.BeginUpdate();
    keys.Clear();
    for (int i = 0; i < lines.Count(); ++i) keys.Add(lines.Name(i));
    keys.EndUpdate();
}

void CopyLines(const TStrings& lines, TStrings& out) {
    out.BeginUpdate();
    out.Clear();
    for (int i = 0; i < lines.Count(); ++i) out.Add(lines.Get(i));
    out.EndUpdate();
}

// Decimal only, as section numbers are written.
bool ParseSectionNumber(std::string_view s, int& out) {
    size_t i = 0;
    bool neg = false;
    if (!s.empty() && s[0] == '-') {
        neg = true;
        i = 1;
    }
    if (i >= s.size()) return false;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
        if (v > int64_t{INT32_MAX} + 1) return false;
    }
    if (neg) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

// ---------------------------------------------------------------- TCustomIniFile

int TCustomIniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    return TextToInt(ReadString(section, key, ""), defaultValue);
}

void TCustomIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, IntToStr(value));
}

bool TCustomIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

TDateTime TCustomIniFile::ReadDate(std::string_view section, std::string_view key, TDateTime defaultValue) const {
    return TextToDate(ReadString(section, key, ""), defaultValue, StrToDate);
}

TDateTime TCustomIniFile::ReadDateTime(std::string_view section, std::string_view key,
                                       TDateTime defaultValue) const {
    return TextToDate(ReadString(section, key, ""), defaultValue, StrToDateTime);
}

double TCustomIniFile::ReadFloat(std::string_view section, std::string_view key, double defaultValue) const {
    return TextToFloat(ReadString(section, key, ""), defaultValue);
}

TDateTime TCustomIniFile::ReadTime(std::string_view section, std::string_view key, TDateTime defaultValue) const {
    return TextToDate(ReadString(section, key, ""), defaultValue, StrToDateTime);
}

void TCustomIniFile::WriteDate(std::string_view section, std::string_view key, TDateTime value) {
    WriteString(section, key, DateToStr(value));
}

void TCustomIniFile::WriteDateTime(std::string_view section, std::string_view key, TDateTime value) {
    WriteString(section, key, DateTimeToStr(value));
}

void TCustomIniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
    WriteString(section, key, FloatToStr(value));
}

void TCustomIniFile::WriteTime(std::string_view section, std::string_view key, TDateTime value) {
    WriteString(section, key, TimeToText(value));
}

bool TCustomIniFile::SectionExists(std::string_view section) const {
    TStringList keys;
    ReadSection(section, keys);
    return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(std::string_view section, std::string_view key) const {
    TStringList keys;
    ReadSection(section, keys);
    return keys.IndexOf(key) >= 0;
}

// ---------------------------------------------------------------- TQORINIFile

TQORINIFile::TQORINIFile(std::string fileName) : TCustomIniFile(std::move(fileName)) {
    if (!FileName().empty() && FileExists(FileName())) SetText(Cp1252ToUtf8(ReadFileBytes(FileName())));
}

TQORINIFile::~TQORINIFile() = default;

void TQORINIFile::CheckIndex(int index) const {
    if (index < 0 || index >= SectionCount()) ListIndexError(index);
}

const std::string& TQORINIFile::SectionName(int index) const {
    CheckIndex(index);
    return sections_[static_cast<size_t>(index)].name;
}

TStringList& TQORINIFile::SectionLines(int index) {
    CheckIndex(index);
    return *sections_[static_cast<size_t>(index)].lines;
}

const TStringList& TQORINIFile::SectionLines(int index) const {
    CheckIndex(index);
    return *sections_[static_cast<size_t>(index)].lines;
}

int TQORINIFile::IndexOfSection(std::string_view name) const {
    for (size_t i = 0; i < sections_.size(); ++i)
        if (SameText(sections_[i].name, name)) return static_cast<int>(i);
    return -1;
}

int TQORINIFile::AddSection(std::string_view name) {
    sections_.push_back({SingleLine(name), std::make_unique<TStringList>()});
    return SectionCount() - 1;
}

void TQORINIFile::DeleteSection(int index) {
    CheckIndex(index);
    sections_.erase(sections_.begin() + index);
}

void TQORINIFile::Clear() { sections_.clear(); }

void TQORINIFile::SetText(std::string_view text) {
    Clear();
    TStringList* current = nullptr;
    size_t i = 0;
    while (i < text.size()) {
        size_t j = i;
        while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
        const std::string_view line = text.substr(i, j - i);
        // CR LF, CR or LF ends a line.
        i = j;
        if (i < text.size()) i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;

        if (line.empty() || line.front() == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current = &SectionLines(AddSection(line.substr(1, line.size() - 2)));
        } else if (current) {
            current->Add(line);
        }
    }
}

std::string TQORINIFile::Text() const {
    std::string r;
    for (const Section& s : sections_) {
        r += '[';
        r += s.name;
        r += "]\r\n";
        for (int k = 0; k < s.lines->Count(); ++k) {
            r += s.lines->Get(k);
            r += "\r\n";
        }
        r += "\r\n";
    }
    return r;
}

void TQORINIFile::UpdateFile() { WriteFileAtomic(FileName(), Utf8ToCp1252(Text())); }

std::string TQORINIFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const int s = IndexOfSection(section);
    return s < 0 ? std::string(defaultValue) : ReadLine(SectionLines(s), key, defaultValue);
}

void TQORINIFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    int s = IndexOfSection(SingleLine(section));
    if (s < 0) s = AddSection(section);
    WriteLine(SectionLines(s), key, value);
}

void TQORINIFile::ReadSection(std::string_view section, TStrings& keys) const {
    const int s = IndexOfSection(section);
    if (s < 0) {
        keys.Clear();
        return;
    }
    ReadKeys(SectionLines(s), keys);
}

void TQORINIFile::ReadSections(TStrings& sections) const {
    sections.BeginUpdate();
    sections.Clear();
    for (const Section& s : sections_) sections.Add(s.name);
    sections.EndUpdate();
}

void TQORINIFile::ReadSectionValues(std::string_view section, TStrings& lines) const {
    const int s = IndexOfSection(section);
    if (s < 0) {
        lines.Clear();
        return;
    }
    CopyLines(SectionLines(s), lines);
}

void TQORINIFile::EraseSection(std::string_view section) {
    const int s = IndexOfSection(section);
    if (s >= 0) DeleteSection(s);
}

void TQORINIFile::DeleteKey(std::string_view section, std::string_view key) {
    const int s = IndexOfSection(section);
    if (s < 0) return;
    TStringList& lines = SectionLines(s);
    const int k = lines.IndexOfName(key);
    if (k >= 0) lines.Delete(k);
}

// ---------------------------------------------------------------- TINISection

const TClassInfo& TINISection::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TINISection>("TINISection", &TStringList::StaticClass()).Build();
    return info;
}

TINISection::TINISection(int number, std::string prefix, std::string title)
    : number_(number), prefix_(std::move(prefix)), title_(std::move(title)) {}

std::string TINISection::SectionName() const {
    std::string r = prefix_ + IntToStr(number_);
    if (!title_.empty()) r += " - " + title_;
    return SingleLine(r);
}

std::string TINISection::FullName() const { return "[" + SectionName() + "]"; }

std::string TINISection::ReadString(std::string_view key, std::string_view defaultValue) const {
    return ReadLine(*this, key, defaultValue);
}

void TINISection::WriteString(std::string_view key, std::string_view value) { WriteLine(*this, key, value); }

int TINISection::ReadInteger(std::string_view key, int defaultValue) const {
    return TextToInt(ReadString(key, ""), defaultValue);
}

void TINISection::WriteInteger(std::string_view key, int value) { WriteString(key, IntToStr(value)); }

bool TINISection::ReadBool(std::string_view key, bool defaultValue) const {
    return ReadInteger(key, defaultValue ? 1 : 0) != 0;
}

void TINISection::WriteBool(std::string_view key, bool value) { WriteString(key, value ? "1" : "0"); }

TDateTime TINISection::ReadDate(std::string_view key, TDateTime defaultValue) const {
    return TextToDate(ReadString(key, ""), defaultValue, StrToDate);
}

TDateTime TINISection::ReadDateTime(std::string_view key, TDateTime defaultValue) const {
    return TextToDate(ReadString(key, ""), defaultValue, StrToDateTime);
}

double TINISection::ReadFloat(std::string_view key, double defaultValue) const {
    return TextToFloat(ReadString(key, ""), defaultValue);
}

TDateTime TINISection::ReadTime(std::string_view key, TDateTime defaultValue) const {
    return TextToDate(ReadString(key, ""), defaultValue, StrToDateTime);
}

void TINISection::WriteDate(std::string_view key, TDateTime value) { WriteString(key, DateToStr(value)); }

void TINISection::WriteDateTime(std::string_view key, TDateTime value) { WriteString(key, DateTimeToStr(value)); }

void TINISection::WriteFloat(std::string_view key, double value) { WriteString(key, FloatToStr(value)); }

void TINISection::WriteTime(std::string_view key, TDateTime value) { WriteString(key, TimeToText(value)); }

void TINISection::DeleteKey(std::string_view key) {
    const int i = IndexOfName(key);
    if (i >= 0) Delete(i);
}

// ---------------------------------------------------------------- TINISections

TINISection& TINISections::Items(int index) const {
    if (index < 0 || index >= Count()) ListIndexError(index);
    return *items_[static_cast<size_t>(index)];
}

int TINISections::IndexOfName(std::string_view fullName) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (SameText(items_[i]->FullName(), fullName)) return static_cast<int>(i);
    return -1;
}

int TINISections::IndexOfNumber(int number) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Number() == number) return static_cast<int>(i);
    return -1;
}

TINISection& TINISections::Add(int number, std::string_view title) {
    if (number < 0) number = Count();
    items_.push_back(std::make_unique<TINISection>(number, view_.Prefix(), std::string(title)));
    return *items_.back();
}

void TINISections::Delete(int index) {
    if (index < 0 || index >= Count()) ListIndexError(index);
    items_.erase(items_.begin() + index);
}

void TINISections::SortByNumber() {
    std::stable_sort(items_.begin(), items_.end(),
                     [](const auto& a, const auto& b) { return a->Number() < b->Number(); });
}

// ---------------------------------------------------------------- TQORSectionINIFile

TQORSectionINIFile::TQORSectionINIFile(std::string prefix, TQORINIFile& file)
    : TCustomIniFile(file.FileName()),
      prefix_(std::move(prefix)),
      file_(file),
      sections_(std::make_unique<TINISections>(*this)) {}

TQORSectionINIFile::~TQORSectionINIFile() = default;

TINISection* TQORSectionINIFile::FindSection(int number) const {
    const int i = sections_->IndexOfNumber(number);
    return i < 0 ? nullptr : &sections_->Items(i);
}

TINISection* TQORSectionINIFile::FindByName(std::string_view fullName) const {
    const int i = sections_->IndexOfName(fullName);
    return i < 0 ? nullptr : &sections_->Items(i);
}

void TQORSectionINIFile::RemovePrefixed() {
    auto& all = file_.sections_;
    all.erase(std::remove_if(all.begin(), all.end(),
                             [&](const TQORINIFile::Section& s) { return s.name.starts_with(prefix_); }),
              all.end());
}

void TQORSectionINIFile::TakePrefixed() {
    auto& all = file_.sections_;
    std::vector<TQORINIFile::Section> kept;
    kept.reserve(all.size());
    for (TQORINIFile::Section& s : all) {
        int number;
        bool taken = false;
        if (s.name.starts_with(prefix_)) {
            std::string_view name = s.name;
            const size_t space = name.find(' ');
            if (space != std::string_view::npos && space > 0) name = name.substr(0, space);
            if (ParseSectionNumber(StringReplace(name, prefix_, "", true), number)) {
                // Add reads a negative number as "next position"; a taken number stays as read.
                TINISection& section = sections_->Add(number, {});
                section.SetNumber(number);
                section.AddStrings(*s.lines);
                taken = true;
            }
        }
        if (!taken) kept.push_back(std::move(s));
    }
    all = std::move(kept);
}

void TQORSectionINIFile::Commit() {
    sections_->SortByNumber();
    std::unordered_set<std::string> committed;
    for (int i = 0; i < sections_->Count(); ++i) committed.insert(UpperCase(sections_->Items(i).SectionName()));
    auto& all = file_.sections_;
    all.erase(std::remove_if(all.begin(), all.end(),
                             [&](const TQORINIFile::Section& s) { return committed.count(UpperCase(s.name)) > 0; }),
              all.end());

    // Through the text form, so the family reads back exactly as it will from disk.
    std::string text = file_.Text();
    for (int i = 0; i < sections_->Count(); ++i) {
        const TINISection& s = sections_->Items(i);
        text += s.FullName();
        text += "\r\n";
        for (int k = 0; k < s.Count(); ++k) {
            text += s.Get(k);
            text += "\r\n";
        }
    }
    file_.SetText(text);
}

std::string TQORSectionINIFile::ReadString(int number, std::string_view key, std::string_view defaultValue) const {
    const TINISection* s = FindSection(number);
    return s ? s->ReadString(key, defaultValue) : std::string(defaultValue);
}

void TQORSectionINIFile::WriteString(int number, std::string_view key, std::string_view value) {
    if (TINISection* s = FindSection(number)) s->WriteString(key, value);
}

int TQORSectionINIFile::ReadInteger(int number, std::string_view key, int defaultValue) const {
    const TINISection* s = FindSection(number);
    return s ? s->ReadInteger(key, defaultValue) : defaultValue;
}

void TQORSectionINIFile::WriteInteger(int number, std::string_view key, int value) {
    if (TINISection* s = FindSection(number)) s->WriteInteger(key, value);
}

bool TQORSectionINIFile::ReadBool(int number, std::string_view key, bool defaultValue) const {
    const TINISection* s = FindSection(number);
    return s ? s->ReadBool(key, defaultValue) : defaultValue;
}

void TQORSectionINIFile::WriteBool(int number, std::string_view key, bool value) {
    if (TINISection* s = FindSection(number)) s->WriteBool(key, value);
}

std::string TQORSectionINIFile::ReadString(const TINISection& section, std::string_view key,
                                           std::string_view defaultValue) const {
    return section.ReadString(key, defaultValue);
}

void TQORSectionINIFile::WriteString(TINISection& section, std::string_view key, std::string_view value) {
    section.WriteString(key, value);
}

int TQORSectionINIFile::ReadInteger(const TINISection& section, std::string_view key, int defaultValue) const {
    return section.ReadInteger(key, defaultValue);
}

void TQORSectionINIFile::WriteBool(TINISection& section, std::string_view key, bool value) {
    section.WriteBool(key, value);
}

std::string TQORSectionINIFile::ReadString(std::string_view section, std::string_view key,
                                           std::string_view defaultValue) const {
    const TINISection* s = FindByName(section);
    return s ? s->ReadString(key, defaultValue) : std::string(defaultValue);
}

void TQORSectionINIFile::WriteString(std::string_view, std::string_view, std::string_view) {
    throw Exception("dont do it");
}

void TQORSectionINIFile::ReadSection(std::string_view section, TStrings& keys) const {
    if (const TINISection* s = FindByName(section))
        ReadKeys(*s, keys);
    else
        keys.Clear();
}

void TQORSectionINIFile::ReadSections(TStrings& sections) const {
    sections.BeginUpdate();
    sections.Clear();
    for (int i = 0; i < sections_->Count(); ++i) sections.Add(sections_->Items(i).FullName());
    sections.EndUpdate();
}

void TQORSectionINIFile::ReadSectionValues(std::string_view section, TStrings& lines) const {
    if (const TINISection* s = FindByName(section))
        CopyLines(*s, lines);
    else
        lines.Clear();
}

void TQORSectionINIFile::EraseSection(std::string_view section) {
    const int i = sections_->IndexOfName(section);
    if (i >= 0) sections_->Delete(i);
}

void TQORSectionINIFile::DeleteKey(std::string_view section, std::string_view key) {
    if (TINISection* s = FindByName(section)) s->DeleteKey(key);
}

}  // namespace ortello
