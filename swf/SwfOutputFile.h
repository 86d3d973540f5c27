// A file written beside its target under a temporary "$wf" name and renamed over the target only
// when everything has been written, so that a failed write never destroys an existing movie.
#pragma once

#include <cstdio>
#include <string>

class CSwfOutputFile {
public:
    CSwfOutputFile() = default;
    ~CSwfOutputFile();
    CSwfOutputFile(const CSwfOutputFile&) = delete;
    CSwfOutputFile& operator=(const CSwfOutputFile&) = delete;

    // Creates the temporary file in the target's folder. False, with Error() set, on failure.
    bool Open(const std::string& target);
    std::FILE* File() const { return m_pFile; }
    // Flushes and closes the file and renames it over the target. False, with Error() set, on
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
