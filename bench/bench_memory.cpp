// Peak memory of a field viewer of 201 x 201 x 201 samples over one vortex after a
// full resample: the process's peak resident size, everything the program loaded
// included, against 24 bytes per sample (a position and a force vector).
// Target: at most 1.1 x (24 bytes x samples) + 64 MB.
#include <sys/resource.h>

#include <cstdio>
#include <string>

#include "bench/support/bench_scene.h"
#include "bench/support/target_table.h"

namespace {

constexpr int kSide = 201;
constexpr double kBytesPerSample = 24.0;
constexpr double kSlack = 1.1;
constexpr double kFixedBytes = 64e6;

}  // namespace

int main(int argc, char** argv) {
    const std::string targets = zbench::Initialize(argc, argv);
    double samples = 0.0;
    {
        zbench::ViewerScene scene(kSide, kSide, kSide);
        scene.AddForceNode(zbench::MakeBuiltin("Vortex"));
        scene.Resample(0);
        samples = scene.Samples();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak = static_cast<double>(usage.ru_maxrss) * 1024.0;
    const double table = kBytesPerSample * samples;
    std::printf("peak resident size of a %dx%dx%d viewer: %.1f MB for %.0f samples (%.1f MB of tables)\n", kSide,
                kSide, kSide, peak / 1e6, samples, table / 1e6);
    zbench::ReportTargets(targets, {{zbench::Section::kMemory, "peak memory, 201^3 viewer", "24 bytes x samples",
                                     peak / table, kSlack + kFixedBytes / table, "<= 1.1 + 64 MB"}});
    return 0;
}
