// orvex-tool: the editor's level operations from the command line.

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "toolcommands.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    orvex::ToolIo io{std::cin,  std::cout,
                     std::cerr, ::isatty(STDERR_FILENO) == 1,
                     {},        orvex::kDefaultBuildTimeoutSeconds};
    return orvex::runTool(args, io);
}
