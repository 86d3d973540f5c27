// The payload that a published executable carries after its launcher program: records framed by
// their lengths, then a fixed trailer that says where the first record starts. Because nothing
// is found by searching for marker bytes, a movie may hold any bytes at all.
//
//   record:  u32 kind, u32 name length, name (UTF-8), u64 data length, data
//   trailer: u64 offset of the first record, u32 record count, u32 format version, "QLPAYLD\0"
//
// All numbers are little-endian.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

enum class EPayloadKind : uint32_t {
    Name = 1,         // the movie's base name (no data)
    File = 2,         // a file of the browser launcher's folder; the name is its relative path
    Settings = 3,     // the own player's settings lines
    Movie = 4,        // the own player's movie
    SupportFile = 5,  // one of the own player's support files, named "supportfile<i>"
};

struct SPayloadRecord {
    EPayloadKind kind = EPayloadKind::File;
    std::string name;
    uint64_t offset = 0;  // of the data in the executable
    uint64_t size = 0;
};

inline constexpr uint32_t kPayloadVersion = 1;
inline constexpr size_t kPayloadTrailerSize = 24;

// Appends records to an open file and closes them with the trailer.
class CPayloadWriter {
public:
    // Appends to `file`, whose current length is where the first record will start.
    explicit CPayloadWriter(const std::filesystem::path& file);
    bool Add(EPayloadKind kind, std::string_view name, std::string_view data);
    bool AddFile(EPayloadKind kind, std::string_view name, const std::filesystem::path& source);
    bool Finish();
    const std::string& Error() const { return m_strError; }

private:
    bool Header(EPayloadKind kind, std::string_view name, uint64_t size);

    std::ofstream m_out;
    uint64_t m_nStart = 0;
    uint32_t m_nCount = 0;
    std::string m_strError;
};

// Reads the records of the payload at the end of `file`, checking every length against the
// bytes there are. False with `why` when the file holds no whole payload.
bool ReadPayload(const std::filesystem::path& file, std::vector<SPayloadRecord>& records,
                 std::string& why);

// Copies one record's data from `file` to `target`.
bool ExtractPayloadRecord(const std::filesystem::path& file, const SPayloadRecord& record,
                          const std::filesystem::path& target, std::string& why);
std::string PayloadRecordData(const std::filesystem::path& file, const SPayloadRecord& record);

// A record name is a safe relative path: not empty, no leading "/", no "." or ".." parts, no
// empty parts, no NUL or backslash.
bool IsSafeRelativeName(std::string_view name);
