#include "library/PartRecords.h"

#include <cstring>

#include "library/PropertyEditors.h"

namespace ortello {

namespace {
constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = 0x8080808080808080ull;

// Bit 7 of each byte of the result is set where w holds the delimiter or a
// control character (codes 0 to 31); bytes of 128 and above never match.
inline uint64_t StopBytes(uint64_t w, uint64_t delimiters) {
    const uint64_t d = w ^ delimiters;
    const uint64_t isDelimiter = (d - kOnes) & ~d & kHighs;
    const uint64_t isControl = (w - 0x2020202020202020ull) & ~w & kHighs;
    return isDelimiter | isControl;
}
}  // namespace

void SplitPartFields(std::string_view line, char delimiter, std::vector<std::string_view>& fields) {
    fields.clear();
    auto isControl = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= 31;
    };
    const char* p = line.data();
    const char* e = p + line.size();
    const uint64_t delimiters = kOnes * static_cast<unsigned char>(delimiter);
    // Code 0 ends the text; it also stops every field scan below.
    while (p < e && isControl(*p) && *p != '\0') ++p;
    while (p < e && *p != '\0') {
        const char* q = p;
        // Eight bytes at a time to the next delimiter or control character.
        for (;;) {
            if (e - q >= 8) {
                uint64_t w;
                std::memcpy(&w, q, 8);
                const uint64_t m = StopBytes(w, delimiters);
                if (m) {
                    q += __builtin_ctzll(m) / 8;
                    break;
                }
                q += 8;
            } else {
                while (q < e && *q != delimiter && !isControl(*q)) ++q;
                break;
            }
        }
        fields.emplace_back(p, static_cast<size_t>(q - p));
        p = q;
        if (p == e) break;
        if (*p == delimiter && delimiter != '\0') {
            // The usual case: a delimiter straight after the field.
            ++p;
            while (p < e && isControl(*p) && *p != '\0') ++p;
            continue;
        }
        if (*p == '\0') break;
        while (p < e && isControl(*p) && *p != '\0') ++p;
        if (p < e && *p == '\0') break;
        if (p < e && *p == delimiter) {
            ++p;
            while (p < e && isControl(*p) && *p != '\0') ++p;
        }
    }
}

bool IsMarkerOrBlankLine(std::string_view line) {
    bool blank = true;
    for (char c : line)
        if (static_cast<unsigned char>(c) > 32) {
            blank = false;
            break;
        }
    if (blank) return true;
    switch (line[0]) {
        case '#': case ';': case '[': case '^': case '`': case '{': case '~': return true;
        default: return false;
    }
}

// ---------------------------------------------------------------- TPartStrings

const TClassInfo& TPartStrings::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TPartStrings>("TPartStrings", &TStringList::StaticClass()).Build();
    return info;
}

void TPartStrings::SetLine(std::string_view line) {
    std::vector<std::string_view> fields;
    SplitPartFields(line, delimiter_, fields);
    BeginUpdate();
    Clear();
    for (auto f : fields) Add(f);
    EndUpdate();
}

// ---------------------------------------------------------------- TPartProps

const TClassInfo& TPartProps::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TPartProps>("TPartProps", &TPartStrings::StaticClass())
                                         .Abstract()
                                         .Build();
    return info;
}

TPartProps::TPartProps(std::string_view headerLine, bool raiseErrors, const TClassInfo& itemClass)
    : itemClass_(&itemClass), raise_(raiseErrors) {
    Setup(headerLine);
    BindFields();
}

TPartProps::TPartProps(std::string_view headerLine, bool raiseErrors, const TClassInfo& itemClass, NoBind)
    : itemClass_(&itemClass), raise_(raiseErrors) {
    Setup(headerLine);
}

TPartProps::~TPartProps() = default;

void TPartProps::Setup(std::string_view headerLine) {
    TPartProps::CreateTemplate();
    editors_ = std::make_unique<TComponentPropertyEditor>();
    editors_->AddInstance(template_.get());
    SetLine(headerLine);
    bound_.assign(static_cast<size_t>(Count()), nullptr);
    direct_.assign(bound_.size(), Direct::None);
    directProp_.assign(bound_.size(), nullptr);
}

void TPartProps::Classify(size_t i) {
    TRTTIPropertyEditor* ed = bound_[i];
    direct_[i] = Direct::None;
    if (!ed || ed->InstanceCount() != 1) return;
    const TClassInfo& cls = ed->ClassInfo();
    const TPropInfo* prop = ed->GetPropInfo();
    if (&cls == &TFloatProperty::StaticClass() && prop->SetFloat)
        direct_[i] = Direct::Float;
    else if (&cls == &TStringProperty::StaticClass() && prop->SetStr)
        direct_[i] = Direct::String;
    directProp_[i] = prop;
}

void TPartProps::CreateTemplate() {
    std::unique_ptr<TObject> obj = itemClass_->Create();
    auto* p = dynamic_cast<TQorPersistent*>(obj.get());
    if (!p) throw EQorException(itemClass_->Name() + " is not a persistent class");
    obj.release();
    template_.reset(p);
}

TRTTIPropertyEditor* TPartProps::Editor(int i) const {
    return i >= 0 && i < static_cast<int>(bound_.size()) ? bound_[static_cast<size_t>(i)] : nullptr;
}

int TPartProps::BoundCount() const {
    int n = 0;
    for (auto* e : bound_) n += e != nullptr;
    return n;
}

void TPartProps::BindField(int i) {
    const std::string& name = Get(i);
    const int e = editors_->IndexOfName(name);
    if (e >= 0) {
        bound_[static_cast<size_t>(i)] = editors_->Editors(e);
        Classify(static_cast<size_t>(i));
        return;
    }
    const std::string msg = Fmt(kInvalidFieldName, name);
    if (OnBindError)
        OnBindError(msg);
    else
        throw EInvalidFieldName(msg);
}

void TPartProps::BindFields() {
    for (int i = 0; i < Count(); ++i) {
        const int e = editors_->IndexOfName(Get(i));
        if (e >= 0) {
            bound_[static_cast<size_t>(i)] = editors_->Editors(e);
            Classify(static_cast<size_t>(i));
        } else if (raise_)
            BindField(i);
    }
}

bool TPartProps::ParseLine(std::string_view line) {
    if (IsMarkerOrBlankLine(line)) return false;
    template_->Clear();
    SplitPartFields(line, Delimiter(), values_);
    const size_t n = std::min(values_.size(), bound_.size());
    const char decimal = FormatSettings().DecimalSeparator;
    for (size_t i = 0; i < n; ++i) {
        TRTTIPropertyEditor* ed = bound_[i];
        if (!ed) continue;
        try {
            switch (direct_[i]) {
                case Direct::Float: {
                    double v = 0;
                    if (!values_[i].empty() && !TryPlainDecimal(values_[i], decimal, v) && !TryStrToFloat(values_[i], v))
                        StrToFloat(values_[i]);
                    directProp_[i]->SetFloat(*template_, v);
                    break;
                }
                case Direct::String: directProp_[i]->SetStr(*template_, values_[i]); break;
                default: ed->SetValue(values_[i]);
            }
        } catch (const std::exception&) {
            if (raise_)
                throw EInvalidFieldValue(Fmt(kInvalidFieldValue, ed->GetName(), values_[i]));
        }
    }
    return true;
}

// ---------------------------------------------------------------- TNoExceptPartProps

const TClassInfo& TNoExceptPartProps::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TNoExceptPartProps>("TNoExceptPartProps", &TPartProps::StaticClass()).Abstract().Build();
    return info;
}

TNoExceptPartProps::TNoExceptPartProps(std::string_view headerLine, const TStrings* allowedFields,
                                       const TClassInfo& itemClass,
                                       std::function<void(const std::string&)> onBindError)
    : TPartProps(headerLine, true, itemClass, NoBind{}), allowed_(allowedFields) {
    OnBindError = std::move(onBindError);
    TNoExceptPartProps::BindFields();
}

void TNoExceptPartProps::BindFields() {
    for (int i = 0; i < Count(); ++i) {
        if (!allowed_ || allowed_->IndexOf(Get(i)) < 0) continue;  // not a column we read
        BindField(i);
    }
}

}  // namespace ortello
