// List components that own an object list filled from a data file, the list
// controller that loads them at start-up, and the part-record file lists.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "library/Classes.h"
#include "library/DataLocations.h"
#include "library/Persistent.h"

namespace ortello {

using TLoadError = std::function<void(TObject* sender, const std::string& msg)>;
using TListStatus = std::function<void(int number, int count)>;
using TListStartLoad = std::function<void(const std::string& fileName, int fileNo, int files)>;

// An open failure: the file is missing or cannot be opened. Reported only when Required.
ORTELLO_EXCEPTION(EListFileOpenError, EFOpenError)

class TQORBaseListComponent : public TComponent {
    ORTELLO_CLASS()
public:
    explicit TQORBaseListComponent(TComponent* owner = nullptr);
    ~TQORBaseListComponent() override;

    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string_view v) { fileName_.assign(v); }
    std::string Path() const { return GetPath(); }
    const std::string& ConfiguredPath() const { return path_; }
    void SetPath(std::string_view v) { path_.assign(v); }
    bool AutoLoad() const { return autoLoad_; }
    void SetAutoLoad(bool v) { autoLoad_ = v; }
    bool Required() const { return required_; }
    void SetRequired(bool v) { required_ = v; }
    TLoadError OnLoadError;

    TQORObjectList* List() const { return list_.get(); }

    virtual std::function<void(const std::string&)> GetOnLoadStart() const;
    virtual TListStatus GetOnProgress() const;
    virtual void SetOnLoadStart(std::function<void(const std::string&)> handler);
    virtual void SetOnProgress(TListStatus handler);
    virtual void DoProgress(int number, int count);
    virtual void DoLoadStart(const std::string& fileName);
    // The folder part of the file's location.
    virtual std::string GetPath() const;
    // Never raises; failures go to DoLoadError.
    virtual void LoadData();
    virtual void DoLoadError(const std::string& msg);

    void Loaded() override;
    void Assign(const TPersistent* source) override;

protected:
    // Every concrete component creates its own list kind; call from the constructor.
    virtual std::unique_ptr<TQORObjectList> CreateList();
    void SetList(std::unique_ptr<TQORObjectList> list) { list_ = std::move(list); }
    // Loads path into the list; the base calls List()->LoadRecords.
    virtual void LoadFile(const std::string& path);
    // Folder text with '\' turned into '/'.
    std::string NativePath() const { return ToNativePath(path_); }

private:
    std::string fileName_;
    std::string path_;
    bool autoLoad_ = true;
    bool required_ = false;
    std::unique_ptr<TQORObjectList> list_;
};

class TVelmarDataListComponent : public TQORBaseListComponent {
    ORTELLO_CLASS()
public:
    explicit TVelmarDataListComponent(TComponent* owner = nullptr) : TQORBaseListComponent(owner) {}
    TRegistryPaths DataPath() const { return dataPath_; }
    void SetDataPath(TRegistryPaths v) { dataPath_ = v; }
    std::string GetPath() const override;
    void Assign(const TPersistent* source) override;

private:
    TRegistryPaths dataPath_ = rpDefaultPath;
};

class TQORListController : public TComponent {
    ORTELLO_CLASS()
public:
    explicit TQORListController(TComponent* owner = nullptr);
    ~TQORListController() override;

    TStringList& LoadErrors() { return loadErrors_; }
    const TStringList& LoadErrors() const { return loadErrors_; }
    TListStatus OnStatus;
    TListStartLoad OnListStart;
    bool MultiThreaded() const { return multiThreaded_; }
    void SetMultiThreaded(bool v) { multiThreaded_ = v; }

    int Files() const { return files_; }
    int FileNo() const { return fileNo_; }
    TQORBaseListComponent* CurrentComponent() const { return current_; }
    const std::vector<TQORBaseListComponent*>& Components() const { return components_; }

    void LoadLists();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::vector<TQORBaseListComponent*> components_;
    TStringList loadErrors_;
    TQORBaseListComponent* current_ = nullptr;
    int files_ = 0;
    int fileNo_ = 0;
    bool multiThreaded_ = false;
};

// An object list filled from a part-record text file.
class TQORFileDataList : public TQORObjectList {
    ORTELLO_CLASS()
public:
    using TQORObjectList::TQORObjectList;
    TStringList& FieldCaptions() { return fieldCaptions_; }
    const TStringList& FieldCaptions() const { return fieldCaptions_; }
    void LoadRecords(const std::string& fileName) override;
    // Loads records from text already in memory; fileName names it in messages.
    void LoadRecordsFromText(std::string_view text, const std::string& fileName);
    virtual bool IsDataLine(std::string_view line) const;

private:
    TStringList fieldCaptions_;
};

class TOSKDataList : public TQORFileDataList {
    ORTELLO_CLASS()
public:
    using TQORFileDataList::TQORFileDataList;
    bool IsDataLine(std::string_view line) const override;
};

// Splits text into lines at CR LF, CR or LF.
std::vector<std::string_view> SplitLines(std::string_view text);

void RegisterListComponentClasses();

}  // namespace ortello
