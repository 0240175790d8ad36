#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "project/listing.h"

// Reading a disassembly's listing: the real one is about 16 MB, and opening a project whose
// build is current reads it whole before the first level is drawn. The listing here is made
// up in the assembler's format at that size: page headers every 60 lines, include depths,
// bytes of data lines continued over several lines, macro lines and their expansions, BINCLUDE
// lines and boundary lines, then the symbol table.

namespace {

std::filesystem::path gWritten;  // the listing file, once written

// A listing of about `bytes` bytes, written once to a temporary file.
std::filesystem::path listingFile(std::size_t bytes) {
    static const std::filesystem::path path = [bytes] {
        const auto file = std::filesystem::temp_directory_path() /
                          ("orvex-listing-" + std::to_string(::getpid()) + ".lst");
        std::ofstream out(file, std::ios::binary);
        std::string text;
        std::size_t written = 0;
        std::int64_t address = 0;
        char line[256];
        for (std::int32_t n = 1; written < bytes; ++n) {
            if (n % 60 == 1) {
                text +=
                    "\f AS V1.42 Beta [Bld 212] - Source File s2.asm(s2.macrosetup.asm) - "
                    "Page " +
                    std::to_string(n / 60 + 1) + " - 12/08/2026 06:00:00 PM\n\n\n";
            }
            const char* depth = n % 7 == 0 ? "(1)" : "";
            switch (n % 5) {
                case 0:
                    std::snprintf(line, sizeof line,
                                  "%s%*d/%8llX :                     Art_%d:\tBINCLUDE\t\"art/"
                                  "kosinski/Zone %d.kos\"\n",
                                  depth, n % 7 == 0 ? 5 : 8, n,
                                  static_cast<unsigned long long>(address), n, n);
                    address += 0x1A0;
                    break;
                case 1:
                    std::snprintf(line, sizeof line,
                                  "%8d/%8llX : (MACRO)             \tzoneTableEntry.w\t$0,\t$29A0,"
                                  "\t$0,\t$320\t; Act 1\n%8d/%8llX : 0000                      "
                                  "          dc.w $0\n",
                                  n, static_cast<unsigned long long>(address), n,
                                  static_cast<unsigned long long>(address));
                    address += 8;
                    break;
                default:
                    std::snprintf(line, sizeof line,
                                  "%8d/%8llX : 4EB9 0000 1234 4E75 \tjsr\t(Sub_%d).l\t; call\n"
                                  "                   3038 FE10 E218\n",
                                  n, static_cast<unsigned long long>(address), n);
                    address += 14;
                    break;
            }
            text += line;
            if (text.size() > (1 << 20)) {
                out << text;
                written += text.size();
                text.clear();
            }
        }
        out << text << "\f AS V1.42 Beta [Bld 212] - Source File s2.asm - Page 9999\n\n"
            << "  Symbol Table (* = unused):\n  ------------------------\n";
        gWritten = file;
        return file;
    }();
    return path;
}

void BM_ReadListing16MB(benchmark::State& state) {
    const auto path = listingFile(16 << 20);
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    std::size_t files = 0;
    for (auto _ : state) {
        auto listing = orvex::readListing(path);
        if (!listing) {
            state.SkipWithError(listing.error().message.c_str());
            return;
        }
        files = listing->files.size();
        benchmark::DoNotOptimize(listing->files.data());
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["files"] = static_cast<double>(files);
    state.counters["MB"] = static_cast<double>(size) / 1e6;
}
BENCHMARK(BM_ReadListing16MB)->Unit(benchmark::kMillisecond);

// Removes the listing when the program ends.
struct Cleanup {
    ~Cleanup() {
        std::error_code ignored;
        if (!gWritten.empty()) {
            std::filesystem::remove(gWritten, ignored);
        }
    }
} cleanup;

}  // namespace
