// A file written beside its target under a temporary name and renamed over the target only once
// it is complete and on the disk, so that a failure, a cancel or a crash leaves either the old
// file or the new one, never part of one.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class CReplacingFile {
public:
    CReplacingFile() = default;
    // Removes a temporary file that was not committed.
    ~CReplacingFile();
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    // Creates the temporary file in the target's folder, named `prefix` and six random
    // characters, or without a prefix the target's name, a dot and six random characters. It
    // gets the permissions of a new file (0666 less the umask). False, with Error() set, on
    // failure.
    bool Open(const std::string& target, std::string_view prefix = {});
    std::FILE* File() const { return m_pFile; }
    const std::string& TempPath() const { return m_strTemp; }
    // Flushes the file to the disk and closes it; from then on it may be written by its name.
    // False, with Error() set, on failure; the temporary file is then removed.
    bool Close();
    // Closes the file when open and renames it over the target. False, with Error() set, on
    // failure; the temporary file is then removed and the target left as it was.
    bool Commit();
    // Closes and removes the temporary file.
    void Discard();

    const std::string& Error() const { return m_strError; }

private:
    std::string m_strTarget;
    std::string m_strTemp;
    std::FILE* m_pFile = nullptr;
    std::string m_strError;
};

// Replaces the file's content with `bytes` in one step. False, with `error` set when given, on
// failure.
bool WriteFileReplacing(const std::string& path, std::string_view bytes,
                        std::string* error = nullptr);
