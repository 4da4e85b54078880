// A temporary application home with its own settings store, for tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/SettingsStore.h"

namespace ortello {

struct TTestHome {
    std::filesystem::path dir;

    // tag names the folder; the test's name and the process make it unique.
    explicit TTestHome(const std::string& tag) {
        namespace fs = std::filesystem;
        dir = fs::temp_directory_path() / ("ortello-" + tag + "-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "data");
        fs::create_directories(dir / "discounts");
        TSettingsStore::SetDefaultPath((dir / "registry.ini").string());
    }
    ~TTestHome() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
        TSettingsStore::SetDefaultPath("");
    }
    TTestHome(const TTestHome&) = delete;
    TTestHome& operator=(const TTestHome&) = delete;

    void Write(const std::filesystem::path& rel, const std::string& bytes) const {
        std::filesystem::create_directories((dir / rel).parent_path());
        std::ofstream(dir / rel, std::ios::binary) << bytes;
    }
    std::string Path(const std::string& rel) const { return (dir / rel).string(); }
};

}  // namespace ortello
