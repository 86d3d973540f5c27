#include "swf/JpegFile.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jpeglib.h>

namespace {

// Larger pictures are refused rather than risking an allocation the system cannot honour.
constexpr uint64_t kMaxPixelBytes = uint64_t{1} << 30;

// Lives in memory for the whole call so that its fields survive the jump back from the library.
struct SJpegContext {
    jpeg_error_mgr m_error;
    std::jmp_buf m_jump;
    char m_szMessage[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void JumpBack(j_common_ptr cinfo) {
    auto* context = static_cast<SJpegContext*>(cinfo->client_data);
    (*cinfo->err->format_message)(cinfo, context->m_szMessage);
    std::longjmp(context->m_jump, 1);
}

void Silent(j_common_ptr, int) {}

struct SDecodeState {
    jpeg_decompress_struct m_cinfo;
    SJpegContext m_context;
    std::vector<uint8_t> m_pixels;
    std::string m_failure;
};

// Decodes from a source set up by `attach`; the state's fields carry the outcome.
template <typename Attach>
void Decode(SDecodeState& s, Attach attach) {
    s.m_cinfo.err = jpeg_std_error(&s.m_context.m_error);
    s.m_context.m_error.error_exit = JumpBack;
    s.m_context.m_error.emit_message = Silent;
    s.m_cinfo.client_data = &s.m_context;
    if (setjmp(s.m_context.m_jump)) {
        jpeg_destroy_decompress(&s.m_cinfo);
        s.m_pixels.clear();
        s.m_failure = std::string("JPEG :\n") + s.m_context.m_szMessage;
        return;
    }
    jpeg_create_decompress(&s.m_cinfo);
    attach(s.m_cinfo);
    jpeg_read_header(&s.m_cinfo, TRUE);
    if (s.m_cinfo.jpeg_color_space != JCS_GRAYSCALE && s.m_cinfo.jpeg_color_space != JCS_YCbCr &&
        s.m_cinfo.jpeg_color_space != JCS_RGB) {
        jpeg_destroy_decompress(&s.m_cinfo);
        s.m_failure = "JPEG :\nUnsupported colour space";
        return;
    }
    s.m_cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&s.m_cinfo);
    const uint64_t stride = uint64_t{s.m_cinfo.output_width} * 3;
    const uint64_t size = stride * s.m_cinfo.output_height;
    if (s.m_cinfo.output_components != 3 || size > kMaxPixelBytes) {
        jpeg_destroy_decompress(&s.m_cinfo);
        s.m_failure = "JpegFile :\nOut of memory";
        return;
    }
    try {
        s.m_pixels.resize(size);
    } catch (const std::bad_alloc&) {
        jpeg_destroy_decompress(&s.m_cinfo);
        s.m_failure = "JpegFile :\nOut of memory";
        return;
    }
    while (s.m_cinfo.output_scanline < s.m_cinfo.output_height) {
        JSAMPROW row = s.m_pixels.data() + stride * s.m_cinfo.output_scanline;
        jpeg_read_scanlines(&s.m_cinfo, &row, 1);
    }
    jpeg_finish_decompress(&s.m_cinfo);
    jpeg_destroy_decompress(&s.m_cinfo);
}

SJpegResult Finish(SDecodeState& s) {
    SJpegResult result;
    if (!s.m_failure.empty()) {
        result.strError = std::move(s.m_failure);
        return result;
    }
    result.nWidth = int(s.m_cinfo.output_width);
    result.nHeight = int(s.m_cinfo.output_height);
    result.data = std::move(s.m_pixels);
    return result;
}

// Destination that grows a vector, so that a failure midway leaves nothing to free by hand.
struct SVectorDestination {
    jpeg_destination_mgr m_manager;
    std::vector<uint8_t>* m_pData;
};

constexpr size_t kOutputStep = 64 * 1024;

void InitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<SVectorDestination*>(cinfo->dest);
    dest->m_pData->resize(kOutputStep);
    dest->m_manager.next_output_byte = dest->m_pData->data();
    dest->m_manager.free_in_buffer = dest->m_pData->size();
}

boolean GrowDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<SVectorDestination*>(cinfo->dest);
    const size_t used = dest->m_pData->size();
    dest->m_pData->resize(used + kOutputStep);
    dest->m_manager.next_output_byte = dest->m_pData->data() + used;
    dest->m_manager.free_in_buffer = kOutputStep;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<SVectorDestination*>(cinfo->dest);
    dest->m_pData->resize(dest->m_pData->size() - dest->m_manager.free_in_buffer);
}

struct SEncodeState {
    jpeg_compress_struct m_cinfo;
    SJpegContext m_context;
    SVectorDestination m_dest;
    std::vector<uint8_t> m_output;
    std::vector<uint8_t> m_grey;
    std::string m_failure;
};

void Encode(SEncodeState& s, std::span<const uint8_t> rgb, int width, int height, bool color,
            int quality) {
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    if (width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION ||
        rgb.size() < pixels * 3) {
        s.m_failure = "JPEG :\nInvalid picture size";
        return;
    }
    if (!color) {
        try {
            s.m_grey.resize(pixels);
        } catch (const std::bad_alloc&) {
            s.m_failure = "Memory error";
            return;
        }
        for (uint64_t i = 0; i < pixels; ++i) {
            const uint8_t* p = rgb.data() + i * 3;
            s.m_grey[i] = uint8_t((299u * p[0] + 587u * p[1] + 114u * p[2]) / 1000u);
        }
    }
    s.m_cinfo.err = jpeg_std_error(&s.m_context.m_error);
    s.m_context.m_error.error_exit = JumpBack;
    s.m_context.m_error.emit_message = Silent;
    s.m_cinfo.client_data = &s.m_context;
    if (setjmp(s.m_context.m_jump)) {
        jpeg_destroy_compress(&s.m_cinfo);
        s.m_output.clear();
        s.m_failure = std::string("JPEG :\n") + s.m_context.m_szMessage;
        return;
    }
    jpeg_create_compress(&s.m_cinfo);
    s.m_dest.m_manager.init_destination = InitDestination;
    s.m_dest.m_manager.empty_output_buffer = GrowDestination;
    s.m_dest.m_manager.term_destination = TermDestination;
    s.m_dest.m_pData = &s.m_output;
    s.m_cinfo.dest = &s.m_dest.m_manager;
    s.m_cinfo.image_width = JDIMENSION(width);
    s.m_cinfo.image_height = JDIMENSION(height);
    s.m_cinfo.input_components = color ? 3 : 1;
    s.m_cinfo.in_color_space = color ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&s.m_cinfo);
    jpeg_set_quality(&s.m_cinfo, quality < 0 ? 0 : (quality > 100 ? 100 : quality), TRUE);
    jpeg_start_compress(&s.m_cinfo, TRUE);
    const size_t stride = color ? size_t(width) * 3 : size_t(width);
    const uint8_t* base = color ? rgb.data() : s.m_grey.data();
    while (s.m_cinfo.next_scanline < s.m_cinfo.image_height) {
        // The library does not write through the row pointer.
        auto row = const_cast<JSAMPROW>(base + stride * s.m_cinfo.next_scanline);
        jpeg_write_scanlines(&s.m_cinfo, &row, 1);
    }
    jpeg_finish_compress(&s.m_cinfo);
    jpeg_destroy_compress(&s.m_cinfo);
}

}  // namespace

SJpegResult CJpegFile::ReadJpegFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return {.strError = "JPEG :\nCan't open " + path + "\n"};
    }
    SDecodeState state;
    Decode(state, [file](jpeg_decompress_struct& cinfo) { jpeg_stdio_src(&cinfo, file); });
    std::fclose(file);
    return Finish(state);
}

SJpegResult CJpegFile::DecodeJpeg(std::span<const uint8_t> data) {
    SDecodeState state;
    Decode(state, [data](jpeg_decompress_struct& cinfo) {
        jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    });
    return Finish(state);
}

SJpegResult CJpegFile::EncodeJpeg(std::span<const uint8_t> rgb, int width, int height, bool color,
                                  int quality) {
    SEncodeState state;
    Encode(state, rgb, width, height, color, quality);
    if (!state.m_failure.empty()) {
        return {.strError = std::move(state.m_failure)};
    }
    return {.data = std::move(state.m_output)};
}

SJpegResult CJpegFile::WriteJpegFile(const std::string& path, std::span<const uint8_t> rgb,
                                     int width, int height, bool color, int quality) {
    SJpegResult made = EncodeJpeg(rgb, width, height, color, quality);
    if (!made.Ok()) {
        return made;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return {.strError = "JPEG :\nCan't open " + path + "\n"};
    }
    const bool written =
        std::fwrite(made.data.data(), 1, made.data.size(), file) == made.data.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        return {.strError = "JPEG :\nCan't write " + path + "\n"};
    }
    return made;
}
