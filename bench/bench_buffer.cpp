// Pixel buffer benchmarks. Each copy is measured next to a plain memcpy of
// the same number of bytes in the same run, and the ratios are printed at
// the end: whole-buffer assignment should stay within 1.1 times memcpy.
//
// Run: ./build/bench/bench_buffer (any Google Benchmark flags apply, e.g.
// --benchmark_repetitions=5).

#include "bench/benchsupport.h"
#include "image/cimagerecord.h"
#include "render/cbuffer2d.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
constexpr std::size_t BUFFER_BYTES = sizeof(PixelType) * WIDTH * HEIGHT;

void FillPattern(CBuffer2D& buffer)
{
    for (int row = 0; row < buffer.Height(); ++row) {
        for (int col = 0; col < buffer.Width(); ++col) {
            buffer.PutPixel(col, row, (col * 31 + row * 17) & MAXCOLOUR);
        }
    }
}

void MakePicture(CImageRecord& image)
{
    image.Create(WIDTH, HEIGHT, 24, IMAGE_FORMAT_BMP);
    for (int y = 0; y < HEIGHT; ++y) {
        BYTE* row = image.GetBits() + static_cast<std::size_t>(y) * image.GetEffWidth();
        for (int x = 0; x < 3 * WIDTH; ++x) {
            row[x] = static_cast<BYTE>(x * 7 + y);
        }
    }
}

void BM_Assignment(benchmark::State& state)
{
    CBuffer2D source(WIDTH, HEIGHT, false);
    FillPattern(source);
    CBuffer2D target(WIDTH, HEIGHT, false);
    while (state.KeepRunning()) {
        target = source;
        benchmark::DoNotOptimize(target.GetPixels());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * BUFFER_BYTES);
}
BENCHMARK(BM_Assignment);

// The bytes an assignment or a picture copy writes, copied by memcpy.
void BM_FrameMemcpy(benchmark::State& state)
{
    BenchmarkFrameMemcpy(state, static_cast<std::size_t>(WIDTH) * HEIGHT);
}
BENCHMARK(BM_FrameMemcpy);

void BM_CopyImage(benchmark::State& state)
{
    CImageRecord image;
    MakePicture(image);
    CBuffer2D target(WIDTH, HEIGHT, false);
    while (state.KeepRunning()) {
        target.CopyImage(ORIGIN, image);
        benchmark::DoNotOptimize(target.GetPixels());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * BUFFER_BYTES);
}
BENCHMARK(BM_CopyImage);

void BM_RenderLineDiagonal(benchmark::State& state)
{
    CBuffer2D target(WIDTH, HEIGHT, false);
    const CPoint2D from(0, 0);
    const CPoint2D to(WIDTH - 1, HEIGHT - 1);
    while (state.KeepRunning()) {
        target.RenderLine(from, to, 0x00FF00);
        benchmark::DoNotOptimize(target.GetPixels());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * WIDTH);
    state.counters["pixels"] = WIDTH;
}
BENCHMARK(BM_RenderLineDiagonal);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv, [](const CRatioReporter& reporter) {
        reporter.PrintRatio("640 x 480 buffer assignment:", "BM_Assignment", "BM_FrameMemcpy",
                            "memcpy", "  (goal: at most 1.10)");
        reporter.PrintRatio("640 x 480 picture copy:", "BM_CopyImage", "BM_FrameMemcpy", "memcpy",
                            "  (24-bit rows widened to 32-bit pixels)");
    });
}
