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

void RegisterCatalogEditors();

}  // namespace ortello
