#include "fuzz/project/file/ProjectFileFuzz.h"

#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "platform/ScriptedPrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"

namespace {

// Walking more frames finds nothing new and only slows the fuzzer down.
constexpr uint32_t kMaxWalkedFrames = 64;

}  // namespace

int FuzzProjectOpen(const uint8_t* pData, size_t nSize) {
    const int fd = ::memfd_create("fuzz.lumo", 0);
    if (fd < 0) {
        return 0;
    }
    size_t done = 0;
    while (done < nSize) {
        const ssize_t n = ::write(fd, pData + done, nSize - done);
        if (n <= 0) {
            ::close(fd);
            return 0;
        }
        done += static_cast<size_t>(n);
    }
    {
        CDemoProject project;
        CScriptedPrompter prompter;
        CProjectFile file(project, prompter);
        if (file.Open("/proc/self/fd/" + std::to_string(fd))) {
            CFrameCompositor compositor(project);
            compositor.SetSources(file.StreamSources());
            RegisterFollowingPictures(project, compositor);
            for (uint32_t i = 0; i < project.FrameCount() && i < kMaxWalkedFrames; ++i) {
                compositor.GoToFrame(i);
                compositor.ShownPicture();
            }
        }
    }
    ::close(fd);
    return 0;
}
