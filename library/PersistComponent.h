// A component that stores itself as a component stream (class name, name,
// properties, end tags) with its owner as root, or in the INI form.
#pragma once

#include <string>
#include <string_view>

#include "library/Classes.h"
#include "library/Persistent.h"

namespace ortello {

class TQORPersistComponent : public TComponent {
    ORTELLO_CLASS()
public:
    explicit TQORPersistComponent(TComponent* owner = nullptr) : TComponent(owner) {}

    // Reader errors are raised: the base leaves Handled false.
    virtual void ReaderError(TQorReader* reader, const std::string& message, bool& handled);
    // 8 bytes, all zero (none) in the base.
    virtual void GetSignature(TSignature& signature) const;
    // EFileDoesNotExist for a missing file.
    virtual void LoadFromFile(const std::string& fileName);
    // Written beside the target and renamed over it.
    virtual void SaveToFile(const std::string& fileName);
    virtual void LoadFromStream(TStream& stream);
    virtual void SaveToStream(TStream& stream);
    // Section 0 names the section of the component's properties under the
    // component's name; mismatches are skipped silently.
    virtual void LoadFromINIFile(const std::string& fileName, std::string_view prefix = {});
    virtual void SaveToINIFile(const std::string& fileName, std::string_view prefix = {});

    // The class name without a leading "T" or "t".
    std::string GetDefaultPrefix() const;
};

}  // namespace ortello
