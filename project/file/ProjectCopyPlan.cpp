#include "project/file/ProjectCopyPlan.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "project/file/ProjectFile.h"
#include "project/file/ProjectFileSupport.h"
#include "project/model/DemoProject.h"

using namespace projectfile;

namespace {

std::string LittleEndian(std::uint64_t value, std::uint32_t nBytes) {
    std::string out(nBytes, '\0');
    for (std::uint32_t i = 0; i < nBytes; ++i) {
        out[i] = static_cast<char>(value >> (8 * i));
    }
    return out;
}

bool ReadAt(int fd, char* data, std::size_t size, std::uint64_t pos) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size, static_cast<off_t>(pos));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        pos += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool WriteFd(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteFdAt(int fd, const char* data, std::size_t size, std::uint64_t pos) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(pos));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        pos += static_cast<std::uint64_t>(n);
    }
    return true;
}

}  // namespace

bool PrepareProjectCopy(CProjectFile& file, CDemoProject& project, SProjectCopyPlan& plan) {
    std::FILE* f = project.m_pFile.get();
    if (project.m_bCorrupted || f == nullptr) {
        return false;
    }
    const auto size = FileSize(f);
    SOffsetTable table;
    if (!size || !ReadOffsetTable(f, *size, table) || table.DataEnd() > *size) {
        return false;
    }
    SProjectCopyPlan made;
    made.head.resize(static_cast<std::size_t>(table.nSlotPos));
    if (!ReadAt(::fileno(f), made.head.data(), made.head.size(), 0)) {
        return false;
    }
    made.head += LittleEndian(kUnfinishedTrailer, table.EntrySize());
    made.nDataStart = table.nDataStart;
    made.nDataEnd = table.DataEnd();
    made.trailer = file.BuildTrailer(project.m_pszFileName);
    made.nSlotPos = table.nSlotPos;
    made.slot = LittleEndian(table.DataEnd(), table.EntrySize());
    made.nSourceFd = ::fcntl(::fileno(f), F_DUPFD_CLOEXEC, 0);
    if (made.nSourceFd < 0) {
        return false;
    }
    plan = std::move(made);
    return true;
}

bool WriteProjectCopy(const SProjectCopyPlan& plan, const char* tempName, const char* fileName) {
    // One copy runs at a time: the program writes it once, after a crash.
    static char piece[CProjectFile::kCopyPiece];
    const int out = ::open(tempName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        return false;
    }
    bool ok = WriteFd(out, plan.head.data(), plan.head.size());
    for (std::uint64_t pos = plan.nDataStart; ok && pos < plan.nDataEnd;) {
        const std::uint64_t left = plan.nDataEnd - pos;
        const std::size_t n = left < sizeof piece ? static_cast<std::size_t>(left) : sizeof piece;
        ok = ReadAt(plan.nSourceFd, piece, n, pos) && WriteFd(out, piece, n);
        pos += n;
    }
    ok = ok && WriteFd(out, plan.trailer.data(), plan.trailer.size()) && ::fsync(out) == 0 &&
         WriteFdAt(out, plan.slot.data(), plan.slot.size(), plan.nSlotPos) && ::fsync(out) == 0;
    ok = ::close(out) == 0 && ok;
    ok = ok && ::rename(tempName, fileName) == 0;
    if (!ok) {
        ::unlink(tempName);
    }
    return ok;
}
