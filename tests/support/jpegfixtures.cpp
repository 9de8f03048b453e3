#include "support/jpegfixtures.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <jpeglib.h>
#include <random>

ByteVector MakeJpeg(const JpegFixtureOptions& options)
{
    const int w = options.width, h = options.height, kind = static_cast<int>(options.kind);
    const int components = kind == 0 ? 3 : kind == 1 ? 1 : 4; // by JpegKind
    const ByteVector noise = RandomBytes(static_cast<std::size_t>(w) * h, w * 31 + h);
    ByteVector samples;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int across = x * 255 / std::max(w - 1, 1), down = y * 255 / std::max(h - 1, 1);
            const int n = noise[static_cast<std::size_t>(y) * w + x] % 24;
            const int values[4] = {components == 1 ? (across + down) / 2 : across, down,
                                   (((x / 24 + y / 24) % 2) * 120 + n + across / 4) % 256,
                                   (255 - down / 2 + n) % 256};
            samples.insert(samples.end(), values, values + components);
        }
    // The fixtures only make and read pictures libjpeg accepts: its errors end the test program.
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    jpeg_create_compress(&cinfo), jpeg_mem_dest(&cinfo, &output, &outputSize);
    cinfo.image_width = JDIMENSION(w), cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = components;
    cinfo.in_color_space = kind == 0 ? JCS_RGB : kind == 1 ? JCS_GRAYSCALE : JCS_CMYK;
    jpeg_set_defaults(&cinfo), jpeg_set_quality(&cinfo, 90, TRUE);
    if (options.progressive)
        jpeg_simple_progression(&cinfo);
    cinfo.restart_in_rows = options.restartRows;
    cinfo.density_unit = static_cast<UINT8>(options.densityUnit);
    cinfo.X_density = UINT16(options.xDensity), cinfo.Y_density = UINT16(options.yDensity);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg takes non-const rows but only reads them.
        auto* row = const_cast<JSAMPLE*>(&samples[cinfo.next_scanline * w * components]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    ByteVector result(output, output + outputSize);
    jpeg_destroy_compress(&cinfo), std::free(output);
    return result;
}
ByteVector MakeJpegDeclaringSize(int width, int height, bool progressive, JpegKind kind)
{
    ByteVector data = MakeJpeg({16, 16, kind, progressive});
    // Patch the frame header (SOF0 or SOF2): marker, length (2), precision, height, width.
    for (std::size_t i = 2; i + 8 < data.size(); ++i)
        if (data[i] == 0xFF && (data[i + 1] == 0xC0 || data[i + 1] == 0xC2)) {
            const int size[4] = {height >> 8, height & 0xFF, width >> 8, width & 0xFF};
            std::copy(size, size + 4, data.begin() + static_cast<long>(i) + 5);
            return data;
        }
    return {};
}
ByteVector RandomBytes(std::size_t count, unsigned seed)
{
    unsigned state = seed * 2654435761U + 1U; // a linear congruential generator, stable anywhere
    ByteVector bytes(count);
    for (auto& byte : bytes)
        byte = ((state = state * 1664525U + 1013904223U) >> 8) & 0xFF;
    return bytes;
}
ReferenceDecode DecodeWithLibjpeg(const ByteVector& data)
{
    ReferenceDecode result;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    errors.emit_message = [](j_common_ptr, int) {}; // a cut picture's warning is expected
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE), jpeg_start_decompress(&cinfo);
    result.width = int(cinfo.output_width), result.height = int(cinfo.output_height);
    result.components = cinfo.output_components;
    const std::size_t rowBytes = static_cast<std::size_t>(result.width) * result.components;
    result.samples.resize(rowBytes * result.height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = result.samples.data() + cinfo.output_scanline * rowBytes;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo), jpeg_destroy_decompress(&cinfo);
    return result;
}
bool WriteBytes(const std::string& path, const ByteVector& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return static_cast<bool>(file.flush());
}
FixtureDirectory::FixtureDirectory()
{
    std::random_device random; // create_directory fails on a name somebody else holds
    std::filesystem::path path;
    do
        path = std::filesystem::temp_directory_path() / ("qv-image-" + std::to_string(random()));
    while (!std::filesystem::create_directory(path));
    m_path = path.generic_string();
}
FixtureDirectory::~FixtureDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}
