// The record's JPEG decoder: libjpeg does the decoding, reading the data
// through a source manager over the record's file object; the decoded lines
// are stored bottom line first, colours as blue, green, red.

#include "image/cimagefile.h"
#include "image/cimagerecord.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

// jpeglib.h needs <cstdio> before it.
#include <jerror.h>
#include <jpeglib.h>

using qvdib::RGBQUAD;

namespace {

/// Size of the data source's input buffer: each refill reads up to this many bytes.
constexpr std::size_t JPEG_INPUT_BUFFER_BYTES = 4096;

/// libjpeg's error manager with a way back into the decoder on a fatal error.
struct JpegErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    /// Where the fatal error's text goes (the record's last-error field).
    char* text;
    std::size_t textSize;
    /// Where the first warning's text goes (the record's last-warning field).
    char* warning;
    std::size_t warningSize;
};

/// Fatal errors: keep libjpeg's message and return to the decoder, which cleans up.
void JpegErrorExit(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    char message[JMSG_LENGTH_MAX] = {};
    (*cinfo->err->format_message)(cinfo, message);
    std::snprintf(manager->text, manager->textSize, "%s", message);
    std::longjmp(manager->jump, 1);
}

/// Warnings (libjpeg passes on the first of each decode): kept in the record instead of being
/// printed, so that the program can say which file they are about.
void JpegOutputMessage(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    char message[JMSG_LENGTH_MAX] = {};
    (*cinfo->err->format_message)(cinfo, message);
    std::snprintf(manager->warning, manager->warningSize, "%s", message);
}

/// The data source over a file object.
struct JpegFileSource
{
    jpeg_source_mgr pub;
    CImageFile* file;
    JOCTET* buffer;
    /// True until the first refill has delivered data.
    boolean startOfFile;
};

void InitSource(j_decompress_ptr cinfo)
{
    reinterpret_cast<JpegFileSource*>(cinfo->src)->startOfFile = TRUE;
}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    auto* source = reinterpret_cast<JpegFileSource*>(cinfo->src);
    std::size_t count = source->file->Read(source->buffer, 1, JPEG_INPUT_BUFFER_BYTES);
    if (count == 0) {
        if (source->startOfFile) {
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        }
        // A truncated file: warn, and end the picture with an inserted end-of-image marker so
        // that what has been read can still be shown.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->buffer[0] = static_cast<JOCTET>(0xFF);
        source->buffer[1] = static_cast<JOCTET>(JPEG_EOI);
        count = 2;
    }
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = count;
    source->startOfFile = FALSE;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long numBytes)
{
    if (numBytes <= 0) {
        return;
    }
    jpeg_source_mgr* source = cinfo->src;
    while (numBytes > static_cast<long>(source->bytes_in_buffer)) {
        numBytes -= static_cast<long>(source->bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    source->next_input_byte += numBytes;
    source->bytes_in_buffer -= static_cast<std::size_t>(numBytes);
}

void TermSource(j_decompress_ptr /*cinfo*/) {}

/// Attaches a data source over file to cinfo. Source and buffer come from libjpeg's permanent
/// pool, so that destroying the decompression object releases them on every path.
void AttachFileSource(j_decompress_ptr cinfo, CImageFile* file)
{
    auto* common = reinterpret_cast<j_common_ptr>(cinfo);
    auto* source = static_cast<JpegFileSource*>(
        (*cinfo->mem->alloc_small)(common, JPOOL_PERMANENT, sizeof(JpegFileSource)));
    source->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(
        common, JPOOL_PERMANENT, JPEG_INPUT_BUFFER_BYTES * sizeof(JOCTET)));
    source->file = file;
    source->startOfFile = TRUE;
    source->pub.init_source = InitSource;
    source->pub.fill_input_buffer = FillInputBuffer;
    source->pub.skip_input_data = SkipInputData;
    source->pub.resync_to_restart = jpeg_resync_to_restart;
    source->pub.term_source = TermSource;
    source->pub.bytes_in_buffer = 0;
    source->pub.next_input_byte = nullptr;
    cinfo->src = &source->pub;
}

} // namespace

/// Everything a decode shares with libjpeg's error exit. It lives on the heap, not in the frame
/// that calls setjmp, so the longjmp back cannot leave it indeterminate.
struct JpegDecoder
{
    jpeg_decompress_struct cinfo;
    JpegErrorManager errors;
    bool created;
    bool decoded;
};

bool CImageRecord::DecodeJpeg(CImageFile& file)
{
    const auto decoder = std::make_unique<JpegDecoder>();
    jpeg_decompress_struct& cinfo = decoder->cinfo;
    cinfo.err = jpeg_std_error(&decoder->errors.pub);
    decoder->errors.pub.error_exit = JpegErrorExit;
    decoder->errors.pub.output_message = JpegOutputMessage;
    decoder->errors.text = info.szLastError;
    decoder->errors.textSize = sizeof(info.szLastError);
    decoder->errors.warning = szLastWarning;
    decoder->errors.warningSize = sizeof(szLastWarning);
    // The frames a fatal error jumps over (libjpeg's, the data source's and ReadJpeg's) hold no
    // objects with destructors, so the jump leaks nothing: destroying the decompression object
    // frees all libjpeg memory.
    if (setjmp(decoder->errors.jump) == 0) {
        jpeg_create_decompress(&cinfo);
        decoder->created = true;
        AttachFileSource(&cinfo, &file);
        decoder->decoded = ReadJpeg(cinfo);
    }
    // The one way out, after success, a refusal or a fatal libjpeg error alike.
    if (decoder->created) {
        jpeg_destroy_decompress(&cinfo);
    }
    if (!decoder->decoded) {
        Destroy();
    }
    return decoder->decoded;
}

bool CImageRecord::ReadJpeg(jpeg_decompress_struct& cinfo)
{
    jpeg_read_header(&cinfo, TRUE);
    // Colour pictures are decoded straight into the bitmap's blue, green,
    // red order, which saves a pass over the picture to swap red and blue.
    if (cinfo.out_color_space == JCS_RGB) {
        cinfo.out_color_space = JCS_EXT_BGR;
    }

    // Check the picture before libjpeg sets up its own buffers, which for a progressive file
    // hold the whole picture: a few bytes can declare a picture of many gigabytes.
    jpeg_calc_output_dimensions(&cinfo);
    const int components = cinfo.output_components;
    if (components != 1 && components != 3 && components != 4) {
        std::snprintf(info.szLastError, sizeof(info.szLastError),
                      "JPEG pictures with %d colour components are not supported", components);
        return false;
    }
    if (!CheckSize(cinfo.output_width, cinfo.output_height, 8U * components)) {
        return false;
    }
    // A progressive picture is decoded through a buffer of all its coefficients, two bytes for
    // every sample of every component; keep that within the same limit as the bitmap.
    if (cinfo.progressive_mode) {
        std::uint64_t coefficientBytes = 0;
        for (int i = 0; i < cinfo.num_components; ++i) {
            const jpeg_component_info& component = cinfo.comp_info[i];
            coefficientBytes += static_cast<std::uint64_t>(component.width_in_blocks) *
                                component.height_in_blocks * DCTSIZE2 * sizeof(JCOEF);
        }
        if (coefficientBytes > IMAGE_MAX_BITMAP_BYTES) {
            std::snprintf(info.szLastError, sizeof(info.szLastError),
                          "JPEG: decoding the progressive %u x %u picture needs more than the "
                          "%llu MiB limit",
                          static_cast<unsigned>(cinfo.image_width),
                          static_cast<unsigned>(cinfo.image_height),
                          static_cast<unsigned long long>(IMAGE_MAX_BITMAP_BYTES >> 20));
            return false;
        }
    }
    // And a backstop for whatever else libjpeg would allocate for its own work.
    cinfo.mem->max_memory_to_use = static_cast<long>(IMAGE_MAX_BITMAP_BYTES);

    jpeg_start_decompress(&cinfo);
    if (Create(cinfo.output_width, cinfo.output_height, 8U * cinfo.output_components,
               IMAGE_FORMAT_JPG) == nullptr) {
        return false;
    }

    // Resolution. Unit 2 is dots per centimetre, unit 1 dots per inch; unit 0 gives only the
    // pixels' aspect ratio, which says nothing about the resolution, so the default stays.
    if (cinfo.density_unit == 2) {
        if (cinfo.X_density > 0 && cinfo.Y_density > 0) {
            SetXDPI(static_cast<long>(cinfo.X_density) * 254 / 100);
            SetYDPI(static_cast<long>(cinfo.Y_density) * 254 / 100);
        }
    } else if (cinfo.density_unit == 1) {
        if (cinfo.X_density > 0 && cinfo.Y_density > 0) {
            SetXDPI(cinfo.X_density);
            SetYDPI(cinfo.Y_density);
        }
    }

    // A greyscale picture gets a grey ramp as its palette. (libjpeg's default settings never
    // quantise the colours, so there is no other palette to take over.)
    if (cinfo.out_color_space == JCS_GRAYSCALE) {
        RGBQUAD* palette = GetPalette();
        for (int i = 0; i < 256; ++i) {
            const auto level = static_cast<BYTE>(i);
            palette[i] = RGBQUAD{level, level, level, 0};
        }
    }

    // CMYK lines are decoded into a line of their own and converted from there.
    JSAMPARRAY line = nullptr;
    if (cinfo.output_components == 4) {
        line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                          cinfo.output_width * 4, 1);
    }

    // The first scanline is the top of the picture, which is the last row of the bitmap.
    const std::size_t stride = info.dwEffWidth;
    std::size_t pixelsPerRow = stride / 3;
    if (pixelsPerRow > cinfo.output_width) {
        pixelsPerRow = cinfo.output_width;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        if (info.nEscape != 0) {
            SetLastError("JPEG decoding was stopped");
            return false;
        }
        BYTE* row = info.pImage + (cinfo.output_height - 1 - cinfo.output_scanline) * stride;
        // Grey and colour lines fit the bitmap's row as they are.
        JSAMPROW target = line != nullptr ? line[0] : row;
        if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) {
            SetLastError("JPEG decoding delivered no scanline");
            return false;
        }
        if (line != nullptr) {
            // CMYK as libjpeg delivers it from Adobe files (inverted): k x y / 255 gives blue.
            const JSAMPLE* samples = line[0];
            for (std::size_t x = 0; x < pixelsPerRow; ++x) {
                const unsigned c = samples[4 * x];
                const unsigned m = samples[4 * x + 1];
                const unsigned y = samples[4 * x + 2];
                const unsigned k = samples[4 * x + 3];
                row[3 * x] = static_cast<BYTE>(k * y / 255);
                row[3 * x + 1] = static_cast<BYTE>(k * m / 255);
                row[3 * x + 2] = static_cast<BYTE>(k * c / 255);
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}
