// The build command of the tests' synthetic projects: assembles the project in the current
// folder (or the one given) into s2built.bin and s2.lst, as the real build does.
#include <cstdio>

#include "project/testassembler.h"

int main(int argc, char** argv) {
    const char* folder = argc > 1 ? argv[1] : ".";
    std::printf("Assembling s2.asm in %s\n", folder);
    std::fflush(stdout);
    const orvex::Status built = orvex::testing::assembleTestProject(folder);
    if (!built) {
        std::fprintf(stderr, "error: %s\n", built.error().describe().c_str());
        return 1;
    }
    std::printf("Wrote s2built.bin and s2.lst\n");
    return 0;
}
