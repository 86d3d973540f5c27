#include "video/VideoGrabber.h"

#include <dlfcn.h>

#include <filesystem>

namespace fs = std::filesystem;

CVideoGrabber::~CVideoGrabber() {
    if (m_pLibrary != nullptr) {
        ::dlclose(m_pLibrary);
    }
}

std::string CVideoGrabber::ProgramFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

bool CVideoGrabber::Load(const std::string& path) {
    if (m_pLibrary != nullptr) {
        ::dlclose(m_pLibrary);
        m_pLibrary = nullptr;
        m_pGrab = nullptr;
    }
    m_pLibrary = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_pLibrary == nullptr) {
        return false;
    }
    m_pGrab = reinterpret_cast<TGrabVideo>(::dlsym(m_pLibrary, kGrabVideoSymbol));
    if (m_pGrab == nullptr) {
        ::dlclose(m_pLibrary);
        m_pLibrary = nullptr;
        return false;
    }
    return true;
}

bool CVideoGrabber::LoadFromProgramFolder() {
    return Load((fs::path(ProgramFolder()) / kVideoGrabberFile).string());
}

int CVideoGrabber::Grab(const std::u16string& fileName, TGrabVideoCallback callback,
                        void* pUser) const {
    if (m_pGrab == nullptr) {
        return 0;
    }
    return m_pGrab(fileName.c_str(), callback, pUser);
}
