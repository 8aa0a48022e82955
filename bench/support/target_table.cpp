#include "bench/support/target_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zbench {

std::string AtMost(double limit) {
    char text[32];
    std::snprintf(text, sizeof text, "<= %.3g", limit);
    return text;
}

void RunKeeper::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration) continue;
        // Kept by the name it was registered with, without what a fixed iteration count
        // or repetition count adds to it.
        std::string name = run.benchmark_name();
        for (const char* suffix : {"/iterations:", "/repeats:", "/min_time:"})
            if (const auto at = name.find(suffix); at != std::string::npos) name.erase(at);
        const auto kept = runs_.find(name);
        if (kept == runs_.end() || run.cpu_accumulated_time / static_cast<double>(run.iterations) <
                                       kept->second.cpu_accumulated_time / static_cast<double>(kept->second.iterations))
            runs_.insert_or_assign(name, run);
    }
    ConsoleReporter::ReportRuns(runs);
}

double RunKeeper::Time(const std::string& name) const {
    const auto it = runs_.find(name);
    if (it == runs_.end() || it->second.error_occurred) {
        std::fprintf(stderr, "no measurement of %s\n", name.c_str());
        std::abort();
    }
    return it->second.cpu_accumulated_time / static_cast<double>(it->second.iterations) * 1e9;
}

double RunKeeper::Counter(const std::string& name, const std::string& counter) const {
    const auto it = runs_.find(name);
    const auto c = it == runs_.end() ? decltype(it->second.counters)::const_iterator{} : it->second.counters.find(counter);
    if (it == runs_.end() || c == it->second.counters.end()) {
        std::fprintf(stderr, "no counter %s of %s\n", counter.c_str(), name.c_str());
        std::abort();
    }
    return c->second.value;
}

std::string Initialize(int& argc, char** argv) {
    constexpr const char* kFlag = "--targets=";
    static std::vector<std::string> defaults = {"--benchmark_repetitions=5",
                                                "--benchmark_enable_random_interleaving=true",
                                                "--benchmark_min_time=0.1"};
    std::string file;
    static std::vector<char*> args;
    args.assign(argv, argv + 1);
    for (std::string& flag : defaults) args.push_back(flag.data());
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kFlag, std::strlen(kFlag)) == 0)
            file = argv[i] + std::strlen(kFlag);
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) std::exit(1);
    return file;
}

void ReportTargets(const std::string& file, const std::vector<TargetRow>& rows) {
    std::FILE* out = file.empty() ? nullptr : std::fopen(file.c_str(), "a");
    if (!file.empty() && out == nullptr) {
        std::perror(file.c_str());
        std::exit(1);
    }
    std::printf("\ntargets:\n");
    for (const TargetRow& row : rows) {
        const bool holds = row.ratio <= row.limit;
        std::printf("  %-48s %-40s %8.3f  %-9s %s\n", row.benchmark.c_str(), row.baseline.c_str(), row.ratio,
                    row.target.c_str(), holds ? "holds" : "FAILS");
        if (out != nullptr)
            std::fprintf(out, "%d\t%s\t%s\t%.3f\t%s\t%s\n", static_cast<int>(row.section), row.benchmark.c_str(),
                         row.baseline.c_str(), row.ratio, row.target.c_str(), holds ? "holds" : "FAILS");
    }
    if (out != nullptr) std::fclose(out);
}

}  // namespace zbench
