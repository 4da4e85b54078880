// Large invented catalogs for the benchmarks, made by the build's generator on
// first use and kept outside the repository ($TMPDIR/ortello-bench).
#pragma once

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "library/SysUtils.h"

#ifndef ORTELLO_GENCATALOG
#error "ORTELLO_GENCATALOG must name the catalog generator"
#endif

extern char** environ;

namespace ortello::bench {

inline std::string BenchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp && *tmp ? tmp : "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir + "ortello-bench/";
}

inline int64_t FileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

// The catalog of `parts` part lines (seed 1), generated when missing; exits on failure.
inline std::string CatalogFile(int64_t parts) {
    const std::string dir = BenchFolder();
    const std::string path = dir + "m_dav_" + std::to_string(parts) + ".dat";
    if (FileSize(path) > 0) return path;
    if (!ForceDirectories(dir)) {
        std::fprintf(stderr, "cannot create %s\n", dir.c_str());
        std::exit(2);
    }
    const std::string part = path + ".part";
    std::vector<std::string> args = {ORTELLO_GENCATALOG, "--parts", std::to_string(parts), "--seed", "1", "-o", part};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 ||
        ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::rename(part.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "generating %s with %s failed\n", path.c_str(), ORTELLO_GENCATALOG);
        std::exit(2);
    }
    return path;
}

}  // namespace ortello::bench
