// Play-loop and picture-loading benchmarks, each measured next to its
// baseline in the same run; the ratios are printed at the end.
//
// - One pass of the play loop (background copy, ship, ten flying asteroids,
//   present through the window module) against a bare pass that only copies
//   the background and presents, and against a memcpy of one frame.
//   Goal: the full pass costs at most 1.25 times the bare pass.
// - Loading a 1024 x 768 colour JPEG through the image record's format
//   detection against a plain libjpeg decode of the same file to memory.
//   Goal: at most 1.15 times.
//
// Run: SDL_VIDEODRIVER=dummy ./build/bench/bench_game

#include "bench/benchsupport.h"
#include "game/casteroidfield.h"
#include "game/commands.h"
#include "image/cimagerecord.h"
#include "render/cscreen.h"
#include "support/jpegfixtures.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

// The screen is opened once for the whole run (only one may be open).
struct PlayWorld
{
    PlayWorld()
    {
        JpegFixtureOptions options;
        options.width = WIDTH;
        options.height = HEIGHT;
        WriteBytes(directory.File("field.jpg"), MakeJpeg(options));
        picture = std::make_unique<CImageRecord>(directory.File("field.jpg").c_str(),
                                                 IMAGE_FORMAT_UNKNOWN);
        screen = std::make_unique<CScreen>("bench", *picture, false);
        screen->SetBackground(*picture);
        field = std::make_unique<CAsteroidField>(*screen);
        StartGame();
    }

    void StartGame()
    {
        field->Reset();
        for (int i = 0; i < CAsteroidField::NUM_ASTEROIDS; ++i) {
            field->AddAsteroid();
        }
    }

    FixtureDirectory directory;
    std::unique_ptr<CImageRecord> picture;
    std::unique_ptr<CScreen> screen;
    std::unique_ptr<CAsteroidField> field;
};

PlayWorld& World()
{
    static PlayWorld world;
    return world;
}

void BM_PlayLoopPass(benchmark::State& state)
{
    PlayWorld& world = World();
    world.StartGame();
    while (state.KeepRunning()) {
        world.field->Update(CMD_NONE);
        if (world.field->IsOver()) {
            world.StartGame(); // keep ten asteroids and the ship on view
        }
    }
}
BENCHMARK(BM_PlayLoopPass)->MinTime(1.0);

void BM_BarePass(benchmark::State& state)
{
    CScreen& screen = *World().screen;
    while (state.KeepRunning()) {
        screen.DrawBackground();
        screen.Refresh();
    }
}
BENCHMARK(BM_BarePass)->MinTime(1.0);

void BM_FrameMemcpy(benchmark::State& state)
{
    BenchmarkFrameMemcpy(state, static_cast<std::size_t>(WIDTH) * HEIGHT);
}
BENCHMARK(BM_FrameMemcpy);

const std::string& LargePicture()
{
    static FixtureDirectory directory;
    static const std::string path = [] {
        JpegFixtureOptions options;
        options.width = 1024;
        options.height = 768;
        std::string file = directory.File("large.jpg");
        WriteBytes(file, MakeJpeg(options));
        return file;
    }();
    return path;
}

void BM_LoadPicture(benchmark::State& state)
{
    const std::string& path = LargePicture();
    while (state.KeepRunning()) {
        const CImageRecord image(path.c_str(), IMAGE_FORMAT_UNKNOWN);
        if (!image.IsValid()) {
            state.SkipWithError("the picture did not load");
            break;
        }
        benchmark::DoNotOptimize(image.GetBits());
    }
}
BENCHMARK(BM_LoadPicture);

// libjpeg straight from the file into one block of RGB rows.
void BM_LoadPictureLibjpeg(benchmark::State& state)
{
    const std::string& path = LargePicture();
    while (state.KeepRunning()) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        jpeg_decompress_struct decoder;
        jpeg_error_mgr errors;
        decoder.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&decoder);
        jpeg_stdio_src(&decoder, file);
        jpeg_read_header(&decoder, TRUE);
        jpeg_start_decompress(&decoder);
        const std::size_t stride = decoder.output_width * decoder.output_components;
        std::vector<JSAMPLE> pixels(stride * decoder.output_height);
        while (decoder.output_scanline < decoder.output_height) {
            JSAMPROW row = &pixels[decoder.output_scanline * stride];
            jpeg_read_scanlines(&decoder, &row, 1);
        }
        jpeg_finish_decompress(&decoder);
        jpeg_destroy_decompress(&decoder);
        std::fclose(file);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_LoadPictureLibjpeg);

} // namespace

int main(int argc, char** argv)
{
    // The window module needs a video driver; the dummy one measures our own
    // work instead of a desktop's.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    return RunBenchmarks(argc, argv, [](const CRatioReporter& reporter) {
        reporter.PrintRatio("Play-loop pass:", "BM_PlayLoopPass", "BM_BarePass", "bare pass",
                            "  (goal: at most 1.25)");
        reporter.PrintRatio("Play-loop pass:", "BM_PlayLoopPass", "BM_FrameMemcpy", "frame memcpy",
                            "");
        reporter.PrintRatio("Bare pass:", "BM_BarePass", "BM_FrameMemcpy", "frame memcpy", "");
        reporter.PrintRatio("1024 x 768 JPEG load:", "BM_LoadPicture", "BM_LoadPictureLibjpeg",
                            "plain libjpeg", "  (goal: at most 1.15)");
        World().field.reset(); // closes the window before SDL shuts down
        World().screen.reset();
    });
}
