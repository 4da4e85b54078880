// Runs the command-line companion in-process on a test home.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "app/cli/CliCommands.h"
#include "tests/TestHome.h"

namespace ortello {

inline int RunCli(const TTestHome& home, std::vector<std::string> args, std::string& out, std::string& err) {
    std::vector<std::string> full{"--home", home.dir.string()};
    full.insert(full.end(), args.begin(), args.end());
    std::ostringstream o, e;
    const int rc = cli::Run(full, o, e);
    out = o.str();
    err = e.str();
    return rc;
}

}  // namespace ortello
