#include "library/FindFile.h"

#include <algorithm>
#include <deque>
#include <set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ortello {

const TTypeInfo* TypeTAttrOption() {
    static const TTypeInfo* t =
        MakeEnumType("TAttrOption", {"ffReadOnly", "ffHidden", "ffSystem", "ffVolumeID", "ffDirectory", "ffArchive"});
    return t;
}

const TTypeInfo* TypeTAttrOptions() {
    static const TTypeInfo* t = MakeSetType("TAttrOptions", TypeTAttrOption());
    return t;
}

namespace {
const TTypeInfo* TypeTNewPathEvent() {
    static const TTypeInfo* t =
        MakeMethodType("TNewPathEvent", "Sender: TObject; NewPath: string; var Abort: Boolean");
    return t;
}
const TTypeInfo* TypeTFileFound() {
    static const TTypeInfo* t = MakeMethodType("TFileFound", "Sender: TObject; Path: string; var Abort: Boolean");
    return t;
}

// An event property: readable as "assigned", set in code only.
template <class Member>
TPropInfo EventProp(const char* name, const TTypeInfo* type, Member member) {
    TPropInfo p;
    p.Name = name;
    p.PropType = type;
    p.GetOrd = [member](const TObject& o) {
        return int64_t{static_cast<bool>(static_cast<const TFindFile&>(o).*member)};
    };
    p.StoredConst = false;
    return p;
}

bool UserMayWrite(const struct stat& st) {
    const uid_t uid = ::geteuid();
    if (st.st_uid == uid) return (st.st_mode & S_IWUSR) != 0;
    if (st.st_gid == ::getegid()) return (st.st_mode & S_IWGRP) != 0;
    // Supplementary groups are not consulted: the attribute is a hint, not access control.
    return (st.st_mode & S_IWOTH) != 0;
}

// The names in a folder but "." and "..", in a stable order (readdir has none).
std::vector<std::string> FolderEntries(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return names;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view n(e->d_name);
        if (n == "." || n == "..") continue;
        names.emplace_back(n);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = CompareText(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

bool FolderIdentity(const std::string& path, std::pair<dev_t, ino_t>& id) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    id = {st.st_dev, st.st_ino};
    return true;
}
}  // namespace

TAttrOptions FileAttributes(const std::string& path, std::string_view name, bool* isDirectory, int64_t* size) {
    struct stat st {};
    // A dangling link still is an entry: fall back to the link itself.
    if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0) st = {};
    TAttrOptions a = 0;
    const bool dir = S_ISDIR(st.st_mode);
    if (!name.empty() && name[0] == '.') a |= AttrBit(ffHidden);
    if (st.st_mode != 0 && !UserMayWrite(st)) a |= AttrBit(ffReadOnly);
    if (dir) a |= AttrBit(ffDirectory);
    if (S_ISREG(st.st_mode)) a |= AttrBit(ffArchive);
    if (isDirectory) *isDirectory = dir;
    if (size) *size = S_ISREG(st.st_mode) ? static_cast<int64_t>(st.st_size) : 0;
    return a;
}

bool MatchesFileMask(std::string_view name, std::string_view mask) {
    if (mask == "*.*" || mask == "*") return true;
    // Greedy match with one backtrack point: linear in practice, never exponential.
    size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || UpChar(mask[m]) == UpChar(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

// ---------------------------------------------------------------- TFindFile

const TClassInfo& TFindFile::StaticClass() {
    using C = TFindFile;
    static const TClassInfo& info =
        *ClassBuilder<C>("TFindFile", &TComponent::StaticClass())
             .Prop("Recurse", TypeBoolean(), &C::Recurse, &C::SetRecurse)
             .Default(0)
             .Prop("Directory", TypeString(), &C::Directory, &C::SetDirectory)
             .Prop("Filter", TypeString(), &C::Filter, &C::SetFilter)
             .Prop("Files", TStrings::StaticClass().TypeInfo(), &C::Files, &C::SetFiles)
             .Prop("Attributes", TypeTAttrOptions(), &C::Attributes, &C::SetAttributes)
             .Default(kDefaultFindAttributes)
             .Custom(EventProp("BeforeExecute", TypeTNotifyEvent(), &C::BeforeExecute))
             .Custom(EventProp("AfterExecute", TypeTNotifyEvent(), &C::AfterExecute))
             .Custom(EventProp("OnNewPath", TypeTNewPathEvent(), &C::OnNewPath))
             .Custom(EventProp("OnFileFound", TypeTFileFound(), &C::OnFileFound))
             .Build();
    return info;
}

TFindFile::TFindFile(TComponent* owner) : TComponent(owner), files_(std::make_unique<TStringList>()) {}

TFindFile::~TFindFile() = default;

void TFindFile::SetFiles(TStrings* v) {
    if (v && v != files_.get())
        files_->Assign(v);
    else if (!v)
        files_->Clear();
}

void TFindFile::Execute() {
    abort_ = false;
    files_->Clear();
    totalSize_ = 0;
    dirCount_ = 0;
    fileCount_ = 0;
    if (BeforeExecute) BeforeExecute(this);
    if (!directory_.empty()) {
        const std::string dir = IncludeTrailingPathDelimiter(ToNativePath(directory_));
        if (recurse_)
            SearchTree(dir);
        else
            SearchDirectory(dir);
    }
    if (AfterExecute) AfterExecute(this);
}

void TFindFile::SearchDirectory(const std::string& dir) {
    const std::string d = IncludeTrailingPathDelimiter(dir);
    if (OnNewPath) OnNewPath(this, d, abort_);
    if (abort_) return;
    // Entries carrying an attribute outside the mask are not met at all; read-only
    // and archive never exclude (as with the platform's search masks).
    constexpr TAttrOptions excluding =
        AttrBit(ffHidden) | AttrBit(ffSystem) | AttrBit(ffVolumeID) | AttrBit(ffDirectory);
    for (const std::string& name : FolderEntries(d)) {
        if (abort_) break;
        if (!MatchesFileMask(name, filter_)) continue;
        const std::string path = d + name;
        bool isDir = false;
        int64_t size = 0;
        const TAttrOptions attrs = FileAttributes(path, name, &isDir, &size);
        if (attrs & excluding & ~attributes_) continue;
        totalSize_ += size;
        if (isDir) {
            ++dirCount_;
            continue;
        }
        ++fileCount_;
        files_->Add(path);
        if (OnFileFound) OnFileFound(this, path, abort_);
    }
}

void TFindFile::SearchTree(const std::string& dir) {
    std::deque<std::string> queue{dir};
    // Folders reached twice through links are searched once, so a link cycle ends.
    std::set<std::pair<dev_t, ino_t>> seen;
    std::pair<dev_t, ino_t> id;
    if (FolderIdentity(dir, id)) seen.insert(id);
    while (!queue.empty() && !abort_) {
        const std::string current = queue.front();
        for (const std::string& name : FolderEntries(current)) {
            const std::string sub = current + name;
            if (FolderIdentity(sub, id) && seen.insert(id).second) queue.push_back(sub + "/");
        }
        SearchDirectory(current);
        queue.pop_front();
    }
}

void RegisterFindFileClasses() { RegisterClass(TFindFile::StaticClass()); }

}  // namespace ortello
