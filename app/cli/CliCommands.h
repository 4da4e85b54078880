#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/DataModule.h"
#include "app/Startup.h"

namespace ortello::cli {

// What a command gets: its arguments (after the command words), the output
// streams, and the data module, started on first use.
struct Context {
    TStartupOptions options;
    std::vector<std::string> args;
    std::ostream& out;
    std::ostream& err;
    std::unique_ptr<TDataModule1> module;

    TDataModule1& Module() {
        if (!module) {
            InitializeModule(options);
            module = std::make_unique<TDataModule1>();
        }
        return *module;
    }
};

using Command = std::function<int(Context&)>;

// Commands of one area, by their words ("catalog find"), with a usage line each.
struct CommandInfo {
    std::string words;
    std::string usage;  // arguments, for the help text
    Command run;
};
std::vector<CommandInfo> CatalogCommands();   // CliCommands.cpp
std::vector<CommandInfo> LibraryCommands();   // CliCommands.cpp
std::vector<CommandInfo> PricingCommands();   // PricingCommands.cpp
std::vector<CommandInfo> QuoteCommands();     // QuoteCommands.cpp

// Runs one command line (without the program name); returns the exit code.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace ortello::cli
