// Times one extraction and then the library's reads of the same records, in
// the process itself, so that the figures of a build run under Wine hold
// nothing of Wine's start-up. Built in both builds; bench/report runs the
// Win32 one under Wine beside the native figures.
//
//   extraction_clock KIND COUNT   prints "EXTRACTION_SECONDS READ_SECONDS"
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/extraction_kinds.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const ExtractionKind* kind = argc == 3 ? FindExtractionKind(argv[1]) : nullptr;
    const int count = argc == 3 ? std::atoi(argv[2]) : 0;
    if (kind == nullptr || count <= 0) {
        std::fprintf(stderr, "usage: extraction_clock v4|v5m2|v5m3|v5m4|v5m5 COUNT\n");
        return 2;
    }
    Clock::time_point start = Clock::now();
    Extract(*kind, count);
    const double extraction = SecondsSince(start);
    start = Clock::now();
    ReadThroughLibrary(*kind, count);
    const double reads = SecondsSince(start);
    std::printf("%.6f %.6f\n", extraction, reads);
    return 0;
}
