#include "support/jpegfixtures.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <jpeglib.h>

namespace {

/// A linear congruential generator: the same bytes on every run and machine.
unsigned NextRandom(unsigned& state)
{
    state = state * 1664525U + 1013904223U;
    return state >> 8;
}

struct FixtureErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void FixtureErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<FixtureErrorManager*>(cinfo->err)->jump, 1);
}

void SilentMessage(j_common_ptr /*cinfo*/, int /*level*/) {}

int ComponentsOf(JpegKind kind)
{
    return kind == JpegKind::GREY ? 1 : (kind == JpegKind::CMYK_ADOBE ? 4 : 3);
}

/// Rows top first, components per pixel as the kind has them (RGB, grey or inverted CMYK).
ByteVector FixtureSamples(const JpegFixtureOptions& options)
{
    const int components = ComponentsOf(options.kind);
    ByteVector samples(static_cast<std::size_t>(options.width) * options.height * components);
    unsigned state = static_cast<unsigned>(options.width * 31 + options.height) * 2654435761U + 1U;
    const int w = options.width > 1 ? options.width - 1 : 1;
    const int h = options.height > 1 ? options.height - 1 : 1;
    std::size_t i = 0;
    for (int y = 0; y < options.height; ++y) {
        for (int x = 0; x < options.width; ++x) {
            const int across = x * 255 / w;
            const int down = y * 255 / h;
            const int checker = ((x / 24 + y / 24) % 2) * 120;
            const int noise = static_cast<int>(NextRandom(state) % 24);
            const int values[4] = {across, down, (checker + noise + across / 4) % 256,
                                   (255 - down / 2 + noise) % 256};
            for (int c = 0; c < components; ++c) {
                samples[i++] =
                    static_cast<unsigned char>(components == 1 ? (across + down) / 2 : values[c]);
            }
        }
    }
    return samples;
}

} // namespace

ByteVector MakeJpeg(const JpegFixtureOptions& options)
{
    const ByteVector samples = FixtureSamples(options);
    jpeg_compress_struct cinfo;
    FixtureErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = FixtureErrorExit;
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_compress(&cinfo);
        std::free(output);
        return {};
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &output, &outputSize);
    const int components = ComponentsOf(options.kind);
    cinfo.image_width = static_cast<JDIMENSION>(options.width);
    cinfo.image_height = static_cast<JDIMENSION>(options.height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : (components == 4 ? JCS_CMYK : JCS_RGB);
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    if (options.progressive) {
        jpeg_simple_progression(&cinfo);
    }
    cinfo.restart_in_rows = options.restartRows;
    cinfo.density_unit = static_cast<UINT8>(options.densityUnit);
    cinfo.X_density = static_cast<UINT16>(options.xDensity);
    cinfo.Y_density = static_cast<UINT16>(options.yDensity);
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t rowBytes = static_cast<std::size_t>(options.width) * components;
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg takes non-const rows but only reads them.
        auto* row = const_cast<JSAMPLE*>(samples.data() + cinfo.next_scanline * rowBytes);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    ByteVector result(output, output + outputSize);
    jpeg_destroy_compress(&cinfo);
    std::free(output);
    return result;
}

ByteVector MakeJpegDeclaringSize(int width, int height, bool progressive, JpegKind kind)
{
    JpegFixtureOptions options;
    options.kind = kind;
    options.width = 16;
    options.height = 16;
    options.progressive = progressive;
    ByteVector data = MakeJpeg(options);
    // Patch the frame header (SOF0 or SOF2): marker, length (2), precision, height, width.
    for (std::size_t i = 2; i + 8 < data.size(); ++i) {
        if (data[i] == 0xFF && (data[i + 1] == 0xC0 || data[i + 1] == 0xC2)) {
            data[i + 5] = static_cast<unsigned char>(height >> 8);
            data[i + 6] = static_cast<unsigned char>(height & 0xFF);
            data[i + 7] = static_cast<unsigned char>(width >> 8);
            data[i + 8] = static_cast<unsigned char>(width & 0xFF);
            return data;
        }
    }
    return {};
}

ByteVector RandomBytes(std::size_t count, unsigned seed)
{
    unsigned state = seed * 2654435761U + 1U;
    ByteVector bytes(count);
    for (auto& byte : bytes) {
        byte = static_cast<unsigned char>(NextRandom(state) & 0xFF);
    }
    return bytes;
}

ReferenceDecode DecodeWithLibjpeg(const ByteVector& data)
{
    ReferenceDecode result;
    jpeg_decompress_struct cinfo;
    FixtureErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = FixtureErrorExit;
    errors.pub.emit_message = SilentMessage;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return ReferenceDecode{};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    result.width = static_cast<int>(cinfo.output_width);
    result.height = static_cast<int>(cinfo.output_height);
    result.components = cinfo.output_components;
    const std::size_t rowBytes = static_cast<std::size_t>(result.width) * result.components;
    result.samples.resize(rowBytes * result.height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = result.samples.data() + cinfo.output_scanline * rowBytes;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    result.ok = true;
    return result;
}

bool WriteBytes(const std::string& path, const ByteVector& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool ok =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

int WriteImageSeedCorpus(const std::string& directory)
{
    const auto variant = [](JpegKind kind, int width, bool progressive, int restartRows) {
        JpegFixtureOptions options;
        options.width = width;
        options.height = 23;
        options.kind = kind;
        options.progressive = progressive;
        options.restartRows = restartRows;
        options.densityUnit = restartRows != 0 ? 2 : 1;
        return MakeJpeg(options);
    };
    const ByteVector colour = variant(JpegKind::COLOUR, 37, false, 0);
    const std::pair<const char*, ByteVector> seeds[] = {
        {"colour.jpg", colour},
        {"grey.jpg", variant(JpegKind::GREY, 37, false, 0)},
        {"cmyk.jpg", variant(JpegKind::CMYK_ADOBE, 37, false, 0)},
        {"progressive.jpg", variant(JpegKind::COLOUR, 37, true, 0)},
        {"restarts.jpg", variant(JpegKind::COLOUR, 37, false, 1)},
        {"narrow.jpg", variant(JpegKind::COLOUR, 3, false, 0)},
        {"truncated.jpg", ByteVector(colour.begin(), colour.begin() + colour.size() / 2)},
        {"huge.jpg", MakeJpegDeclaringSize(65000, 65000)},
        {"bmp.bin", ByteVector{'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0}},
        {"gif.bin", ByteVector{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}},
        {"ico.bin", ByteVector{0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0}},
        {"wmf.bin", ByteVector{0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0}},
        {"random.bin", RandomBytes(300, 7)},
    };
    for (const auto& [name, bytes] : seeds) {
        if (bytes.empty() || !WriteBytes(directory + "/" + name, bytes)) {
            return -1;
        }
    }
    return static_cast<int>(std::size(seeds));
}

FixtureDirectory::FixtureDirectory()
{
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    std::string pattern = (error ? std::string("/tmp") : base.string()) + "/qv-image-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) {
        m_path = pattern;
    }
}

FixtureDirectory::~FixtureDirectory()
{
    std::error_code error;
    if (!m_path.empty()) {
        std::filesystem::remove_all(m_path, error);
    }
}
