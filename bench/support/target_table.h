// The targets a benchmark program checks, each a figure measured against a baseline
// in the same run, appended to the table that `make bench` prints; and the reporter
// that keeps each benchmark's time for them.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace zbench {

// Where a row stands in the table: targets are listed in this order.
enum class Section { kSampling = 1, kDisplay = 2, kRender = 3, kBrowser = 4, kMemory = 5 };

struct TargetRow {
    Section section;
    std::string benchmark;
    std::string baseline;
    double ratio;       // benchmark / baseline
    double limit;       // the target: ratio <= limit
    std::string target; // the target as the table shows it, e.g. "<= 1.25"
};

// "<= 1.25"
std::string AtMost(double limit);

// Prints every run as the console reporter does and keeps, by the benchmark's name,
// the least CPU time per iteration (ns) over its repetitions and that run's counters.
// CPU time, not real time: on a shared machine another process's turn on the core is no
// cost of ours; the least, because noise only ever adds.
class RunKeeper : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    // The time of the run named `name`; aborts when there was none, since a target
    // without its measurement is a broken benchmark program.
    double Time(const std::string& name) const;
    double Counter(const std::string& name, const std::string& counter) const;

private:
    std::map<std::string, Run> runs_;
};

// Takes "--targets=FILE" out of the arguments and initialises the benchmark library
// with five repetitions of each benchmark, randomly interleaved so that a drift of the
// machine's speed falls on a benchmark and its baseline alike (flags given on the
// command line win). Returns FILE, or empty when absent.
std::string Initialize(int& argc, char** argv);

// Prints the rows and, when `file` is not empty, appends them to it as tab-separated
// lines: section, benchmark, baseline, ratio, target, holds.
void ReportTargets(const std::string& file, const std::vector<TargetRow>& rows);

}  // namespace zbench
