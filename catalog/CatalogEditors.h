// Property editors the catalog registers for its own properties.
#pragma once

#include "library/PropertyEditors.h"
#include "library/SharedText.h"

namespace ortello {

// PartNo also sets the entry's DefaultPartNo.
class TPartNoPropertyEditor : public TStringProperty {
    ORTELLO_CLASS()
public:
    void SetValue(std::string_view text) override;
};

// Linked-document lists: comma-separated names, ".html" added where a name has no extension.
class TBaseDAVEntryPropertyEditor : public TRTTIPropertyEditor {
    ORTELLO_CLASS()
public:
    void SetValue(std::string_view text) override;

private:
    std::string lastText_;
    TText lastItems_;
};

class TCustomDiscounts;

// The schedule chooser: "Default", then the loaded schedules' display names,
// sorted ignoring case, each once.
class TSchedulePropertyEditor : public TStringProperty {
    ORTELLO_CLASS()
public:
    unsigned GetAttributes() override { return eaValueList | eaReadOnly; }
    void GetValues(const std::function<void(const std::string&)>& proc) override;
    // The schedules offered; editors of other owners of a catalog override it.
    virtual const TCustomDiscounts* GetSchedules() const;
};

// The eight currencies by their expanded names.
class TCurrencyTypePE : public TExpandedEnumPropertyEditor {
    ORTELLO_CLASS()
};

// The part reference: the list offers Velmar and Customer; "Customer 1" is still accepted.
class TPartRefPE : public TExpandedEnumPropertyEditor {
    ORTELLO_CLASS()
public:
    void GetValues(const std::function<void(const std::string&)>& proc) override;
};

// The value list of the schedule chooser for a collection (null: only "Default").
std::vector<std::string> ScheduleChoices(const TCustomDiscounts* schedules);

void RegisterCatalogEditors();

}  // namespace ortello
