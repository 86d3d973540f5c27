// The plug-ins the program binds from its own folder: the MP3 encoder at start (its absence
// only disables MP3 encoding) and the video frame grabber on demand.
#pragma once

#include <array>
#include <string>

class CPluginModule {
public:
    CPluginModule() = default;
    ~CPluginModule();
    CPluginModule(const CPluginModule&) = delete;
    CPluginModule& operator=(const CPluginModule&) = delete;

    // Loads `file` from `folder` and looks up every name; when one is missing the module is
    // unloaded again. False with Error() saying why.
    bool Load(const std::string& folder, const char* file, const char* const* names, size_t count);
    void Unload();

    bool Loaded() const { return m_pHandle != nullptr; }
    void* Symbol(size_t index) const {
        return index < m_symbols.size() ? m_symbols[index] : nullptr;
    }
    const std::string& Error() const { return m_error; }

private:
    void* m_pHandle = nullptr;
    std::array<void*, 8> m_symbols{};
    std::string m_error;
};

// The seven calls of the encoder interface, in this order.
inline constexpr const char* kMp3EncoderFunctions[] = {
    "beInitStream", "beEncodeChunk",    "beDeinitStream", "beCloseStream",
    "beVersion",    "beWriteVBRHeader", "beWriteInfoTag",
};
inline constexpr const char* kMp3EncoderFile = "libquilloenc.so";
inline constexpr const char* kVideoGrabberFile = "libquillovgrab.so";
inline constexpr const char* kVideoGrabberFunctions[] = {"GrabVideo"};

// Binds the encoder from the program folder; MP3 encoding is available when this succeeds.
bool BindMp3Encoder(CPluginModule& module, const std::string& programFolder);
// Loads the video frame grabber when video import needs it.
bool BindVideoGrabber(CPluginModule& module, const std::string& programFolder);
