// The video frame grabber: a plug-in shared object in the program's folder that decodes a
// video file and hands every frame to a callback. It is loaded only when a video is imported;
// without it a chosen file is opened as a project.
#pragma once

#include <string>

extern "C" {
// Called for every decoded frame with the frame rate (frames per second), the fraction of the
// file done (0..1), the size and the pixels: 24-bit, blue byte first, rows bottom to top, each
// row padded to a multiple of 4 bytes. A last call with a rate of 0 and no pixels reports the
// end. Returning 0 stops the decoding.
typedef int (*TGrabVideoCallback)(double fRate, double fDone, int nWidth, int nHeight,
                                  const unsigned char* pPixels, void* pUser);
// Decodes the file (UTF-16 name, zero-terminated). Returns 0 when it could not be read.
typedef int (*TGrabVideo)(const char16_t* pszFileName, TGrabVideoCallback callback, void* pUser);
}

// The plug-in's file name in the program's folder.
inline constexpr const char* kVideoGrabberFile = "quillo-vgrab.so";
inline constexpr const char* kGrabVideoSymbol = "GrabVideo";

class CVideoGrabber {
public:
    CVideoGrabber() = default;
    ~CVideoGrabber();
    CVideoGrabber(const CVideoGrabber&) = delete;
    CVideoGrabber& operator=(const CVideoGrabber&) = delete;

    // The folder of the running program.
    static std::string ProgramFolder();

    // Loads the plug-in from a file; false when it or its GrabVideo is missing.
    bool Load(const std::string& path);
    // Loads kVideoGrabberFile from the program's folder.
    bool LoadFromProgramFolder();
    bool Loaded() const { return m_pGrab != nullptr; }

    int Grab(const std::u16string& fileName, TGrabVideoCallback callback, void* pUser) const;

private:
    void* m_pLibrary = nullptr;
    TGrabVideo m_pGrab = nullptr;
};

// The padded length of one 24-bit row the grabber delivers.
inline size_t GrabberRowBytes(int nWidth) {
    return (static_cast<size_t>(nWidth) * 3 + 3) & ~static_cast<size_t>(3);
}
