// The column machinery of part-record text files: a header line of field names
// bound to the published properties of an entry class, record lines applied to a
// template object through property editors.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "library/Classes.h"
#include "library/Persistent.h"

namespace ortello {

class TRTTIPropertyEditor;
class TComponentPropertyEditor;

// Failures of the catalog units.
ORTELLO_EXCEPTION(EBaseVRIXException, Exception)
ORTELLO_EXCEPTION(EInvalidFieldName, EBaseVRIXException)

inline constexpr const char* kInvalidFieldName = "Invalid Field Name - Field \"%0s\"";
inline constexpr const char* kInvalidFieldValue = "Invalid Field Value \"%0s\" = \"%0s\"";

// Splits one line into fields: fields end at the delimiter or at any control
// character; control characters around a delimiter are skipped; code 0 ends the
// text. No trimming and no quote handling. Views point into line.
void SplitPartFields(std::string_view line, char delimiter, std::vector<std::string_view>& fields);

// A line that carries no record: blank, or starting with one of # ; [ ^ ` { ~.
bool IsMarkerOrBlankLine(std::string_view line);

class TPartStrings : public TStringList {
    ORTELLO_CLASS()
public:
    TPartStrings() = default;
    char Delimiter() const { return delimiter_; }
    // A space is never a delimiter: '|' is stored instead.
    void SetDelimiter(char c) { delimiter_ = c == ' ' ? '|' : c; }
    // Text assignment: splits the line into this list's strings.
    void SetLine(std::string_view line);

private:
    char delimiter_ = '|';
};

class TPartProps : public TPartStrings {
    ORTELLO_CLASS()
public:
    TPartProps(std::string_view headerLine, bool raiseErrors, const TClassInfo& itemClass);
    ~TPartProps() override;

    // The editor bound to header field i, or null.
    virtual TRTTIPropertyEditor* Editor(int i) const;
    virtual void BindFields();
    // Applies one record line to the template; false for a blank or marker line.
    bool ParseLine(std::string_view line);

    TQorPersistent* Template() const { return template_.get(); }
    const TClassInfo& ItemClass() const { return *itemClass_; }
    bool RaiseErrors() const { return raise_; }
    int BoundCount() const;
    // When set, a header field without a property is reported here and binding goes
    // on; otherwise EInvalidFieldName is raised.
    std::function<void(const std::string& message)> OnBindError;
    // Last record's field views (valid until the next ParseLine).
    const std::vector<std::string_view>& Values() const { return values_; }

protected:
    // For descendants that must set state before binding.
    struct NoBind {};
    TPartProps(std::string_view headerLine, bool raiseErrors, const TClassInfo& itemClass, NoBind);
    virtual void CreateTemplate();
    // Binds field i to the editor of the property of the same name; raises or reports.
    void BindField(int i);

    std::vector<TRTTIPropertyEditor*> bound_;

private:
    // Columns whose editor is the plain float or string editor are set straight
    // through the property: the same conversion without the editor's dispatch.
    enum class Direct : uint8_t { None, Float, String };
    void Classify(size_t i);
    std::vector<Direct> direct_;
    std::vector<const TPropInfo*> directProp_;
    void Setup(std::string_view headerLine);

    std::unique_ptr<TComponentPropertyEditor> editors_;
    std::vector<std::string_view> values_;
    const TClassInfo* itemClass_;
    bool raise_;
    std::unique_ptr<TQorPersistent> template_;
};

class TNoExceptPartProps : public TPartProps {
    ORTELLO_CLASS()
public:
    // onBindError: see TPartProps::OnBindError (binding happens in the constructor).
    TNoExceptPartProps(std::string_view headerLine, const TStrings* allowedFields, const TClassInfo& itemClass,
                       std::function<void(const std::string&)> onBindError = nullptr);
    void BindFields() override;
    const TStrings* AllowedFields() const { return allowed_; }

private:
    const TStrings* allowed_;
};

}  // namespace ortello
