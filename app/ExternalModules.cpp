#include "app/ExternalModules.h"

#include <dlfcn.h>

CPluginModule::~CPluginModule() {
    Unload();
}

bool CPluginModule::Load(const std::string& folder, const char* file, const char* const* names,
                         size_t count) {
    Unload();
    m_error.clear();
    if (count > m_symbols.size()) {
        m_error = "too many functions";
        return false;
    }
    std::string path = folder;
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    path += file;
    m_pHandle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_pHandle == nullptr) {
        const char* why = ::dlerror();
        m_error = why != nullptr ? why : path + ": cannot be loaded";
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        m_symbols[i] = ::dlsym(m_pHandle, names[i]);
        if (m_symbols[i] == nullptr) {
            m_error = path + ": the function " + names[i] + " is missing";
            Unload();
            return false;
        }
    }
    return true;
}

void CPluginModule::Unload() {
    if (m_pHandle != nullptr) {
        ::dlclose(m_pHandle);
        m_pHandle = nullptr;
    }
    m_symbols.fill(nullptr);
}

bool BindMp3Encoder(CPluginModule& module, const std::string& programFolder) {
    return module.Load(programFolder, kMp3EncoderFile, kMp3EncoderFunctions,
                       std::size(kMp3EncoderFunctions));
}

bool BindVideoGrabber(CPluginModule& module, const std::string& programFolder) {
    return module.Load(programFolder, kVideoGrabberFile, kVideoGrabberFunctions,
                       std::size(kVideoGrabberFunctions));
}
