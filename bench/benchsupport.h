#ifndef QV_BENCH_BENCHSUPPORT_H
#define QV_BENCH_BENCHSUPPORT_H

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Remembers the CPU time per iteration of every benchmark for the summary
// (CPU time, because the machine may be busy with other work).
class CRatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean") {
                m_times[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
    }

    /// Prints measured's time as a multiple of baseline's, naming the
    /// baseline as baselineName, followed by goal.
    void PrintRatio(const char* what, const std::string& measured, const std::string& baseline,
                    const char* baselineName, const char* goal) const
    {
        const auto m = m_times.find(measured);
        const auto b = m_times.find(baseline);
        if (m == m_times.end() || b == m_times.end() || b->second <= 0.0) {
            return;
        }
        std::printf("%-32s %6.2f x %s%s\n", what, m->second / b->second, baselineName, goal);
    }

private:
    std::map<std::string, double> m_times;
};

/// Runs the benchmarks chosen on the command line, then prints the summary
/// that summary writes from the measured times. Returns main's status.
inline int RunBenchmarks(int argc, char** argv,
                         const std::function<void(const CRatioReporter&)>& summary)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    summary(reporter);
    benchmark::Shutdown();
    return 0;
}

/// The baseline of the frame benchmarks: a plain memcpy of a frame of
/// pixelCount 32-bit pixels, bytes processed counted.
inline void BenchmarkFrameMemcpy(benchmark::State& state, std::size_t pixelCount)
{
    const std::vector<std::int32_t> source(pixelCount, 0x123456);
    std::vector<std::int32_t> target(pixelCount);
    const std::size_t bytes = pixelCount * sizeof(std::int32_t);
    while (state.KeepRunning()) {
        std::memcpy(target.data(), source.data(), bytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes));
}

#endif
