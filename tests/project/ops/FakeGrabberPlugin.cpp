// A grabber plug-in for the import tests: the "video" is a text file with one line per frame,
// "rate width height colour", and every frame is a picture of that one colour with a dot at
// the frame's number. "end" stops the file early without the end call.
#include <cstdio>
#include <string>
#include <vector>

#include "video/VideoGrabber.h"

extern "C" __attribute__((visibility("default"))) int GrabVideo(const char16_t* pszFileName,
                                                                TGrabVideoCallback callback,
                                                                void* pUser) {
    std::string name;
    for (const char16_t* p = pszFileName; *p != 0; ++p) {
        name += static_cast<char>(*p);
    }
    std::FILE* f = std::fopen(name.c_str(), "r");
    if (f == nullptr) {
        return 0;
    }
    double fRate = 0;
    int nWidth = 0;
    int nHeight = 0;
    unsigned nColour = 0;
    int nFrame = 0;
    bool bGo = true;
    while (bGo && std::fscanf(f, "%lf %d %d %x", &fRate, &nWidth, &nHeight, &nColour) == 4) {
        const size_t nRow = GrabberRowBytes(nWidth);
        std::vector<unsigned char> pixels(
            nWidth > 0 && nHeight > 0 && nWidth < 100000 ? nRow * static_cast<size_t>(nHeight) : 4);
        for (size_t i = 0; i + 2 < pixels.size(); i += 3) {
            pixels[i] = static_cast<unsigned char>(nColour);
            pixels[i + 1] = static_cast<unsigned char>(nColour >> 8);
            pixels[i + 2] = static_cast<unsigned char>(nColour >> 16);
        }
        if (nFrame < nWidth && pixels.size() >= nRow * static_cast<size_t>(nHeight)) {
            pixels[static_cast<size_t>(nFrame) * 3] ^= 0xFF;
        }
        ++nFrame;
        bGo = callback(fRate, 0.5, nWidth, nHeight, pixels.data(), pUser) != 0;
    }
    std::fclose(f);
    if (bGo) {
        callback(0, 1, 0, 0, nullptr, pUser);
    }
    return nFrame > 0;
}
