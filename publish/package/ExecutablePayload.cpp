#include "publish/package/ExecutablePayload.h"

#include <array>
#include <cstring>

namespace fs = std::filesystem;

namespace {

constexpr char kMagic[8] = {'Q', 'L', 'P', 'A', 'Y', 'L', 'D', '\0'};
constexpr size_t kCopyBlock = 65536;
// A name longer than this is damage, not a name.
constexpr uint32_t kMaxName = 4096;

template <size_t N>
void Put(std::array<char, N>& bytes, size_t at, uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
    }
}

uint64_t Get(const char* bytes, size_t size) {
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i) {
        value |= uint64_t(uint8_t(bytes[i])) << (8 * i);
    }
    return value;
}

}  // namespace

CPayloadWriter::CPayloadWriter(const fs::path& file) {
    std::error_code ec;
    m_nStart = fs::file_size(file, ec);
    if (ec) {
        m_strError = "cannot read " + file.string() + ": " + ec.message();
        return;
    }
    m_out.open(file, std::ios::binary | std::ios::app);
    if (!m_out) {
        m_strError = "cannot open " + file.string();
    }
}

bool CPayloadWriter::Header(EPayloadKind kind, std::string_view name, uint64_t size) {
    if (!m_strError.empty()) {
        return false;
    }
    std::array<char, 8> head{};
    Put(head, 0, uint32_t(kind), 4);
    Put(head, 4, name.size(), 4);
    std::array<char, 8> length{};
    Put(length, 0, size, 8);
    m_out.write(head.data(), head.size());
    m_out.write(name.data(), std::streamsize(name.size()));
    m_out.write(length.data(), length.size());
    ++m_nCount;
    return bool(m_out);
}

bool CPayloadWriter::Add(EPayloadKind kind, std::string_view name, std::string_view data) {
    if (!Header(kind, name, data.size())) {
        return false;
    }
    m_out.write(data.data(), std::streamsize(data.size()));
    if (!m_out) {
        m_strError = "cannot write the payload";
    }
    return m_strError.empty();
}

bool CPayloadWriter::AddFile(EPayloadKind kind, std::string_view name, const fs::path& source) {
    std::ifstream in(source, std::ios::binary);
    std::error_code ec;
    const uint64_t size = fs::file_size(source, ec);
    if (!in || ec) {
        m_strError = "cannot open " + source.string();
        return false;
    }
    if (!Header(kind, name, size)) {
        return false;
    }
    std::string block(kCopyBlock, '\0');
    uint64_t left = size;
    while (left > 0 && in) {
        in.read(block.data(), std::streamsize(std::min<uint64_t>(left, block.size())));
        const auto got = uint64_t(in.gcount());
        m_out.write(block.data(), std::streamsize(got));
        left -= got;
    }
    if (left != 0 || !m_out) {
        m_strError = "cannot copy " + source.string() + " into the payload";
    }
    return m_strError.empty();
}

bool CPayloadWriter::Finish() {
    if (!m_strError.empty()) {
        return false;
    }
    std::array<char, kPayloadTrailerSize> trailer{};
    Put(trailer, 0, m_nStart, 8);
    Put(trailer, 8, m_nCount, 4);
    Put(trailer, 12, kPayloadVersion, 4);
    std::memcpy(trailer.data() + 16, kMagic, sizeof kMagic);
    m_out.write(trailer.data(), trailer.size());
    m_out.close();
    if (!m_out) {
        m_strError = "cannot write the payload";
    }
    return m_strError.empty();
}

bool ReadPayload(const fs::path& file, std::vector<SPayloadRecord>& records, std::string& why) {
    records.clear();
    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    const uint64_t size = fs::file_size(file, ec);
    if (!in || ec) {
        why = "cannot open " + file.string();
        return false;
    }
    if (size < kPayloadTrailerSize) {
        why = "no payload: the file is too short";
        return false;
    }
    char trailer[kPayloadTrailerSize];
    in.seekg(std::streamoff(size - kPayloadTrailerSize));
    in.read(trailer, sizeof trailer);
    if (!in || std::memcmp(trailer + 16, kMagic, sizeof kMagic) != 0) {
        why = "no payload at the end of " + file.string();
        return false;
    }
    const uint64_t start = Get(trailer, 8);
    const uint64_t count = Get(trailer + 8, 4);
    const uint64_t version = Get(trailer + 12, 4);
    const uint64_t end = size - kPayloadTrailerSize;
    if (version != kPayloadVersion) {
        why = "payload format " + std::to_string(version) + " is not known";
        return false;
    }
    if (start > end) {
        why = "damaged payload: it starts after its end";
        return false;
    }
    uint64_t at = start;
    for (uint64_t i = 0; i < count; ++i) {
        char head[8];
        if (end - at < sizeof head) {
            why = "damaged payload: record " + std::to_string(i) + " is cut short";
            return false;
        }
        in.seekg(std::streamoff(at));
        in.read(head, sizeof head);
        at += sizeof head;
        SPayloadRecord record;
        record.kind = EPayloadKind(Get(head, 4));
        const uint64_t nameLength = Get(head + 4, 4);
        if (nameLength > kMaxName || end - at < nameLength + 8) {
            why = "damaged payload: record " + std::to_string(i) + " is cut short";
            return false;
        }
        record.name.resize(nameLength);
        in.read(record.name.data(), std::streamsize(nameLength));
        char length[8];
        in.read(length, sizeof length);
        at += nameLength + sizeof length;
        record.size = Get(length, 8);
        record.offset = at;
        if (!in || record.size > end - at) {
            why = "damaged payload: record " + std::to_string(i) + " runs past the end";
            return false;
        }
        at += record.size;
        records.push_back(std::move(record));
    }
    if (at != end) {
        why = "damaged payload: bytes between the last record and the trailer";
        return false;
    }
    return true;
}

bool ExtractPayloadRecord(const fs::path& file, const SPayloadRecord& record,
                          const fs::path& target, std::string& why) {
    std::ifstream in(file, std::ios::binary);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!in || !out) {
        why = "cannot write " + target.string();
        return false;
    }
    in.seekg(std::streamoff(record.offset));
    std::string block(kCopyBlock, '\0');
    uint64_t left = record.size;
    while (left > 0 && in) {
        in.read(block.data(), std::streamsize(std::min<uint64_t>(left, block.size())));
        const auto got = uint64_t(in.gcount());
        out.write(block.data(), std::streamsize(got));
        left -= got;
    }
    out.close();
    if (left != 0 || !out) {
        why = "cannot write " + target.string();
        return false;
    }
    return true;
}

std::string PayloadRecordData(const fs::path& file, const SPayloadRecord& record) {
    std::ifstream in(file, std::ios::binary);
    std::string data(record.size, '\0');
    in.seekg(std::streamoff(record.offset));
    in.read(data.data(), std::streamsize(data.size()));
    if (!in) {
        data.clear();
    }
    return data;
}

bool IsSafeRelativeName(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.back() == '/' ||
        name.find('\0') != std::string_view::npos || name.find('\\') != std::string_view::npos) {
        return false;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t slash = name.find('/', start);
        if (slash == std::string_view::npos) {
            slash = name.size();
        }
        const std::string_view part = name.substr(start, slash - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        start = slash + 1;
    }
    return true;
}
