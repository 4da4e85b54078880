#include "library/PartRecords.h"

#include "library/PropertyEditors.h"

namespace ortello {

void SplitPartFields(std::string_view line, char delimiter, std::vector<std::string_view>& fields) {
    fields.clear();
    const size_t n0 = line.find('\0');
    if (n0 != std::string_view::npos) line = line.substr(0, n0);
    auto isControl = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 1 && u <= 31;
    };
    size_t i = 0;
    const size_t n = line.size();
    while (i < n && isControl(line[i])) ++i;
    while (i < n) {
        size_t j = i;
        while (j < n && line[j] != delimiter && !isControl(line[j])) ++j;
        fields.push_back(line.substr(i, j - i));
        i = j;
        while (i < n && isControl(line[i])) ++i;
        if (i < n && line[i] == delimiter) {
            ++i;
            while (i < n && isControl(line[i])) ++i;
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
        if (e >= 0)
            bound_[static_cast<size_t>(i)] = editors_->Editors(e);
        else if (raise_)
            BindField(i);
    }
}

bool TPartProps::ParseLine(std::string_view line) {
    if (IsMarkerOrBlankLine(line)) return false;
    template_->Clear();
    SplitPartFields(line, Delimiter(), values_);
    const size_t n = std::min(values_.size(), bound_.size());
    for (size_t i = 0; i < n; ++i) {
        TRTTIPropertyEditor* ed = bound_[i];
        if (!ed) continue;
        try {
            ed->SetValue(values_[i]);
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
