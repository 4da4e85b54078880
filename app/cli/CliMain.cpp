// ortello-cli: the headless companion. Every command prints UTF-8 JSON on
// standard output; a failure prints a message on standard error and exits non-zero.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/CliCommands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return ortello::cli::Run(args, std::cout, std::cerr);
}
