#include "swf/SwfCompress.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/ReplacingFile.h"
#include "swf/SwfTagStream.h"

namespace {

constexpr size_t kChunk = 32000;

struct SCloseFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool Fail(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
    return false;
}

}  // namespace

bool CompressSwfFile(const std::string& path, std::string* error) {
    std::unique_ptr<std::FILE, SCloseFile> in(std::fopen(path.c_str(), "rb"));
    if (!in) {
        return Fail(error, "Cannot open " + path + ": " + std::strerror(errno));
    }
    unsigned char head[8];
    if (std::fread(head, 1, sizeof head, in.get()) != sizeof head ||
        std::memcmp(head, "FWS", 3) != 0) {
        return Fail(error, path + " is not an uncompressed SWF movie.");
    }

    CReplacingFile out;
    if (!out.Open(path, kSwfTempPrefix)) {
        return Fail(error, out.Error());
    }
    head[0] = 'C';
    if (std::fwrite(head, 1, sizeof head, out.File()) != sizeof head) {
        return Fail(error, "Cannot write " + path + ": " + std::strerror(errno));
    }

    z_stream z{};
    if (deflateInit(&z, 9) != Z_OK) {
        return Fail(error, "Cannot start compressing " + path + ".");
    }
    std::vector<unsigned char> input(kChunk);
    std::vector<unsigned char> output(kChunk);
    bool ok = true;
    int flush = Z_NO_FLUSH;
    while (ok && flush != Z_FINISH) {
        const size_t read = std::fread(input.data(), 1, kChunk, in.get());
        if (std::ferror(in.get())) {
            ok = false;
            break;
        }
        flush = std::feof(in.get()) ? Z_FINISH : Z_NO_FLUSH;
        z.next_in = input.data();
        z.avail_in = static_cast<uInt>(read);
        int result = Z_OK;
        do {
            z.next_out = output.data();
            z.avail_out = static_cast<uInt>(kChunk);
            result = deflate(&z, flush);
            if (result == Z_STREAM_ERROR) {
                ok = false;
                break;
            }
            const size_t produced = kChunk - z.avail_out;
            if (std::fwrite(output.data(), 1, produced, out.File()) != produced) {
                ok = false;
                break;
            }
        } while (z.avail_out == 0);
        if (ok && flush == Z_FINISH && result != Z_STREAM_END) {
            ok = false;
        }
    }
    deflateEnd(&z);
    if (!ok) {
        return Fail(error, "Cannot compress " + path + ".");
    }
    in.reset();
    if (!out.Commit()) {
        return Fail(error, out.Error());
    }
    return true;
}
