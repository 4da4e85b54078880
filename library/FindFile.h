// A file search component: the files of one folder, or of a folder tree
// breadth first, whose names match a wildcard filter and whose attributes pass
// an attribute mask.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "library/Classes.h"

namespace ortello {

// The ordinals are the bit positions of the file system's attribute bits.
enum TAttrOption { ffReadOnly, ffHidden, ffSystem, ffVolumeID, ffDirectory, ffArchive };
using TAttrOptions = uint32_t;  // bit mask of TAttrOption ordinals
constexpr TAttrOptions AttrBit(TAttrOption o) { return TAttrOptions{1} << o; }
inline constexpr TAttrOptions kDefaultFindAttributes =
    AttrBit(ffReadOnly) | AttrBit(ffHidden) | AttrBit(ffSystem) | AttrBit(ffArchive);

const TTypeInfo* TypeTAttrOption();
const TTypeInfo* TypeTAttrOptions();

using TNewPathEvent = std::function<void(TObject* sender, const std::string& newPath, bool& abort)>;
using TFileFound = std::function<void(TObject* sender, const std::string& path, bool& abort)>;

// The attributes of a directory entry as the search sees them: hidden when the
// name starts with '.', read-only when the mode bits deny the user writing,
// directory, archive for a regular file. System and volume id never occur.
TAttrOptions FileAttributes(const std::string& path, std::string_view name, bool* isDirectory = nullptr,
                            int64_t* size = nullptr);

// Wildcard match of a file name: '*' any run, '?' one character, ASCII case
// ignored; "*.*" matches every name, as the platform's searches do.
bool MatchesFileMask(std::string_view name, std::string_view mask);

class TFindFile : public TComponent {
    ORTELLO_CLASS()
public:
    explicit TFindFile(TComponent* owner = nullptr);
    ~TFindFile() override;

    bool Recurse() const { return recurse_; }
    void SetRecurse(bool v) { recurse_ = v; }
    const std::string& Directory() const { return directory_; }
    void SetDirectory(std::string_view v) { directory_.assign(v); }
    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string_view v) { filter_.assign(v); }
    // Full paths of the files found by the last Execute.
    TStringList* Files() const { return files_.get(); }
    void SetFiles(TStrings* v);
    TAttrOptions Attributes() const { return attributes_; }
    void SetAttributes(TAttrOptions v) { attributes_ = v & 0x3F; }

    TNotifyEvent BeforeExecute;
    TNotifyEvent AfterExecute;
    TNewPathEvent OnNewPath;
    TFileFound OnFileFound;

    void Execute();

    bool Aborted() const { return abort_; }
    void Abort() { abort_ = true; }
    // Sum of the sizes of the entries met in the searched folders (folders count 0).
    int64_t TotalSize() const { return totalSize_; }
    int DirectoryCount() const { return dirCount_; }
    int FileCount() const { return fileCount_; }

private:
    void SearchDirectory(const std::string& dir);
    void SearchTree(const std::string& dir);

    std::string directory_;
    std::string filter_ = "*.bpl";
    std::unique_ptr<TStringList> files_;
    TAttrOptions attributes_ = kDefaultFindAttributes;
    bool recurse_ = false;
    bool abort_ = false;
    int64_t totalSize_ = 0;
    int dirCount_ = 0;
    int fileCount_ = 0;
};

void RegisterFindFileClasses();

}  // namespace ortello
