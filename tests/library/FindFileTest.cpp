#include "library/FindFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace ortello {
namespace {

namespace fs = std::filesystem;

// A folder tree under the system's temporary folder, removed afterwards.
class TempTree {
public:
    TempTree() {
        std::string templ = (fs::temp_directory_path() / "findfile-XXXXXX").string();
        if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
        root_ = templ;
    }
    ~TempTree() {
        std::error_code ec;
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root_, ec);
    }
    // Creates a file of `size` bytes (folders on the way are made).
    void File(const std::string& rel, size_t size = 0) {
        const fs::path p = root_ / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << std::string(size, 'x');
    }
    void Dir(const std::string& rel) { fs::create_directories(root_ / rel); }
    std::string Path(const std::string& rel = "") const { return rel.empty() ? root_.string() : (root_ / rel).string(); }
    // The root with a trailing '/', as the search reports folders.
    std::string Folder(const std::string& rel = "") const {
        std::string s = (root_ / rel).string();
        if (s.back() != '/') s += '/';
        return s;
    }

private:
    fs::path root_;
};

std::vector<std::string> FilesOf(const TFindFile& f) { return f.Files()->ToVector(); }

TEST(FindFile, PublishedDefaults) {
    TFindFile f;
    EXPECT_FALSE(f.Recurse());
    EXPECT_EQ(f.Filter(), "*.bpl");
    EXPECT_EQ(f.Attributes(), AttrBit(ffReadOnly) | AttrBit(ffHidden) | AttrBit(ffSystem) | AttrBit(ffArchive));

    const TClassInfo& cls = TFindFile::StaticClass();
    const TPropInfo* attrs = cls.FindProperty("Attributes");
    ASSERT_NE(attrs, nullptr);
    ASSERT_EQ(attrs->Kind(), TTypeKind::tkSet);
    EXPECT_EQ(attrs->PropType->BaseType->Names,
              (std::vector<std::string>{"ffReadOnly", "ffHidden", "ffSystem", "ffVolumeID", "ffDirectory", "ffArchive"}));
    EXPECT_EQ(attrs->Default, 39);  // read-only, hidden, system, archive
    attrs->SetOrd(f, AttrBit(ffDirectory));
    EXPECT_EQ(f.Attributes(), AttrBit(ffDirectory));

    std::vector<std::string> names;
    for (const TPropInfo* p : cls.Properties()) names.push_back(p->Name);
    for (const char* n : {"Recurse", "Directory", "Filter", "Files", "Attributes", "BeforeExecute", "AfterExecute",
                          "OnNewPath", "OnFileFound"})
        EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
    EXPECT_EQ(cls.FindProperty("OnFileFound")->Kind(), TTypeKind::tkMethod);

    // Assigning Files copies the list; the component keeps its own.
    TStringList other{"one", "two"};
    cls.FindProperty("Files")->SetObj(f, &other);
    EXPECT_NE(f.Files(), &other);
    EXPECT_EQ(FilesOf(f), (std::vector<std::string>{"one", "two"}));
}

TEST(FindFile, OneFolderFilterAndAttributeMask) {
    TempTree t;
    t.File("a.txt", 3);
    t.File("B.TXT", 5);
    t.File("c.dat", 7);
    t.File(".hidden.txt", 11);
    t.Dir("sub.txt");
    t.Dir(".git.txt");
    t.File("sub.txt/inner.txt", 13);

    struct Case {
        const char* name;
        TAttrOptions attrs;
        std::vector<std::string> files;
        int dirs;
        int64_t size;
    };
    const TAttrOptions def = kDefaultFindAttributes;
    const Case cases[] = {
        {"default mask lists hidden files, not folders", def, {".hidden.txt", "a.txt", "B.TXT"}, 0, 19},
        {"without hidden", AttrBit(ffArchive), {"a.txt", "B.TXT"}, 0, 8},
        // A folder is never listed as a file, hidden or not.
        {"with folders", def | AttrBit(ffDirectory), {".hidden.txt", "a.txt", "B.TXT"}, 2, 19},
        {"folders but not hidden", AttrBit(ffDirectory), {"a.txt", "B.TXT"}, 1, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFindFile f;
        f.SetDirectory(t.Path());  // without trailing '/'
        f.SetFilter("*.txt");
        f.SetAttributes(c.attrs);
        f.Execute();
        std::vector<std::string> want;
        for (const std::string& n : c.files) want.push_back(t.Folder() + n);
        EXPECT_EQ(FilesOf(f), want);
        EXPECT_EQ(f.FileCount(), static_cast<int>(want.size()));
        EXPECT_EQ(f.DirectoryCount(), c.dirs);
        EXPECT_EQ(f.TotalSize(), c.size);
        EXPECT_FALSE(f.Aborted());
    }
}

TEST(FindFile, BackslashesAndEmptyDirectory) {
    TempTree t;
    t.File("x.bpl");
    TFindFile f;
    std::string dir = t.Path();
    std::replace(dir.begin(), dir.end(), '/', '\\');
    f.SetDirectory(dir + "\\");
    f.Execute();
    EXPECT_EQ(FilesOf(f), std::vector<std::string>{t.Folder() + "x.bpl"});

    // No directory: nothing searched, both notifications still fire, and the
    // results of the run before are gone.
    int before = 0, after = 0;
    f.BeforeExecute = [&](TObject* s) { before += s == &f; };
    f.AfterExecute = [&](TObject* s) { after += s == &f; };
    f.SetDirectory("");
    f.Execute();
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(f.Files()->Count(), 0);
    EXPECT_EQ(f.FileCount(), 0);

    // A folder that does not exist is announced and yields nothing.
    std::vector<std::string> paths;
    f.OnNewPath = [&](TObject*, const std::string& p, bool&) { paths.push_back(p); };
    f.SetDirectory(t.Path("missing"));
    f.Execute();
    EXPECT_EQ(paths, std::vector<std::string>{t.Folder("missing")});
    EXPECT_EQ(f.Files()->Count(), 0);
}

TEST(FindFile, RecursionIsBreadthFirst) {
    TempTree t;
    t.File("top.txt");
    t.File("b/b1.txt");
    t.File("a/a1.txt");
    t.File("a/deep/d.txt");
    t.File("a/deep/deeper/x.txt");
    t.File("c/skip.dat");
    t.Dir(".cache");

    TFindFile f;
    f.SetDirectory(t.Path());
    f.SetFilter("*.txt");
    f.SetRecurse(true);
    std::vector<std::string> paths;
    f.OnNewPath = [&](TObject*, const std::string& p, bool&) { paths.push_back(p); };
    f.Execute();
    // Subfolders are found with every attribute, hidden ones included.
    EXPECT_EQ(paths, (std::vector<std::string>{t.Folder(), t.Folder(".cache"), t.Folder("a"), t.Folder("b"),
                                               t.Folder("c"), t.Folder("a/deep"), t.Folder("a/deep/deeper")}));
    EXPECT_EQ(FilesOf(f), (std::vector<std::string>{t.Folder() + "top.txt", t.Folder("a") + "a1.txt",
                                                    t.Folder("b") + "b1.txt", t.Folder("a/deep") + "d.txt",
                                                    t.Folder("a/deep/deeper") + "x.txt"}));

    // Without Recurse only the start folder is searched.
    paths.clear();
    f.SetRecurse(false);
    f.Execute();
    EXPECT_EQ(paths, std::vector<std::string>{t.Folder()});
    EXPECT_EQ(FilesOf(f), std::vector<std::string>{t.Folder() + "top.txt"});
}

TEST(FindFile, LinkCycleEnds) {
    TempTree t;
    t.File("a/f.txt");
    fs::create_directory_symlink(t.Path(), t.Path("a/back"));
    fs::create_directory_symlink(t.Path("a"), t.Path("again"));
    TFindFile f;
    f.SetDirectory(t.Path());
    f.SetFilter("*");
    f.SetRecurse(true);
    std::vector<std::string> paths;
    f.OnNewPath = [&](TObject*, const std::string& p, bool&) { paths.push_back(p); };
    f.Execute();
    EXPECT_EQ(paths, (std::vector<std::string>{t.Folder(), t.Folder("a")}));
    EXPECT_EQ(FilesOf(f), std::vector<std::string>{t.Folder("a") + "f.txt"});
}

TEST(FindFile, AbortStopsTheSearch) {
    TempTree t;
    t.File("1.txt");
    t.File("2.txt");
    t.File("sub/3.txt");
    t.File("sub2/4.txt");

    struct Case {
        const char* name;
        bool fromFileFound;  // else from OnNewPath
        int at;              // the call (1-based) that aborts
        std::vector<std::string> files;
        int pathsSeen;
    };
    const Case cases[] = {
        {"first file", true, 1, {"1.txt"}, 1},
        {"third file, in the first subfolder", true, 3, {"1.txt", "2.txt", "sub/3.txt"}, 2},
        {"start folder", false, 1, {}, 1},
        {"second folder", false, 2, {"1.txt", "2.txt"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFindFile f;
        f.SetDirectory(t.Path());
        f.SetFilter("*.txt");
        f.SetRecurse(true);
        int calls = 0, paths = 0;
        bool afterRan = false;
        if (c.fromFileFound)
            f.OnFileFound = [&](TObject*, const std::string&, bool& abort) { abort = ++calls == c.at; };
        f.OnNewPath = [&](TObject*, const std::string&, bool& abort) {
            ++paths;
            if (!c.fromFileFound) abort = paths == c.at;
        };
        f.AfterExecute = [&](TObject*) { afterRan = true; };
        f.Execute();
        std::vector<std::string> want;
        for (const std::string& n : c.files) want.push_back(t.Folder() + n);
        EXPECT_EQ(FilesOf(f), want);
        EXPECT_EQ(paths, c.pathsSeen);
        EXPECT_TRUE(f.Aborted());
        EXPECT_TRUE(afterRan);
    }
}

TEST(FindFile, Attributes) {
    TempTree t;
    t.File("plain.txt", 4);
    t.File(".dot", 1);
    t.Dir("folder");
    t.File("locked.txt");
    fs::permissions(t.Path("locked.txt"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_symlink(t.Path("nowhere"), t.Path("dangling"));

    struct Case {
        const char* name;
        TAttrOptions attrs;
        bool dir;
        int64_t size;
    };
    const Case cases[] = {
        {"plain.txt", AttrBit(ffArchive), false, 4},
        {".dot", AttrBit(ffArchive) | AttrBit(ffHidden), false, 1},
        {"folder", AttrBit(ffDirectory), true, 0},
        {"locked.txt", AttrBit(ffArchive) | AttrBit(ffReadOnly), false, 0},
        {"dangling", 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool dir = !c.dir;
        int64_t size = -1;
        EXPECT_EQ(FileAttributes(t.Path(c.name), c.name, &dir, &size), c.attrs);
        EXPECT_EQ(dir, c.dir);
        EXPECT_EQ(size, c.size);
    }
}

TEST(FindFile, FileMask) {
    struct Case {
        const char* name;
        const char* mask;
        bool match;
    };
    const Case cases[] = {
        {"a.otdf", "*.otdf", true},      {"A.OTDF", "*.otdf", true},   {"a.otdf.bak", "*.otdf", false},
        {"x.otd", "*.otdf", false},      {"noext", "*.*", true},       {"noext", "*", true},
        {"abc", "a?c", true},            {"ac", "a?c", false},         {"abc", "", false},
        {"abcabd", "*ab?", true},        {"mississippi", "m*iss*p*i", true},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*c", false},
    };
    for (const Case& c : cases) EXPECT_EQ(MatchesFileMask(c.name, c.mask), c.match) << c.name << " ~ " << c.mask;
}

}  // namespace
}  // namespace ortello
