// The video frame grabber plug-in: decodes any video file FFmpeg reads and delivers its frames
// as 24-bit bottom-up pictures to the caller's callback.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <string>
#include <vector>

#include "platform/TextCodec.h"
#include "video/VideoGrabber.h"

namespace {

class CDecoder {
public:
    ~CDecoder() {
        sws_freeContext(m_pScale);
        av_frame_free(&m_pFrame);
        av_packet_free(&m_pPacket);
        avcodec_free_context(&m_pCodec);
        avformat_close_input(&m_pFormat);
    }

    bool Open(const std::string& name) {
        if (avformat_open_input(&m_pFormat, name.c_str(), nullptr, nullptr) < 0 ||
            avformat_find_stream_info(m_pFormat, nullptr) < 0) {
            return false;
        }
        const AVCodec* pCodec = nullptr;
        m_nStream = av_find_best_stream(m_pFormat, AVMEDIA_TYPE_VIDEO, -1, -1, &pCodec, 0);
        if (m_nStream < 0 || pCodec == nullptr) {
            return false;
        }
        AVStream* pStream = m_pFormat->streams[m_nStream];
        m_pCodec = avcodec_alloc_context3(pCodec);
        if (m_pCodec == nullptr || avcodec_parameters_to_context(m_pCodec, pStream->codecpar) < 0 ||
            avcodec_open2(m_pCodec, pCodec, nullptr) < 0) {
            return false;
        }
        const AVRational rate = av_guess_frame_rate(m_pFormat, pStream, nullptr);
        m_fRate = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 25.0;
        m_fTimeBase = av_q2d(pStream->time_base);
        if (pStream->duration > 0) {
            m_fDuration = static_cast<double>(pStream->duration) * m_fTimeBase;
        } else if (m_pFormat->duration > 0) {
            m_fDuration = static_cast<double>(m_pFormat->duration) / AV_TIME_BASE;
        }
        m_pPacket = av_packet_alloc();
        m_pFrame = av_frame_alloc();
        return m_pPacket != nullptr && m_pFrame != nullptr;
    }

    // Decodes every frame; false when the callback asked to stop.
    bool Run(TGrabVideoCallback callback, void* pUser) {
        while (av_read_frame(m_pFormat, m_pPacket) >= 0) {
            bool bGo = true;
            if (m_pPacket->stream_index == m_nStream) {
                bGo = Send(m_pPacket, callback, pUser);
            }
            av_packet_unref(m_pPacket);
            if (!bGo) {
                return false;
            }
        }
        return Send(nullptr, callback, pUser);
    }

    int Frames() const { return m_nFrames; }

private:
    bool Send(const AVPacket* pPacket, TGrabVideoCallback callback, void* pUser) {
        if (avcodec_send_packet(m_pCodec, pPacket) < 0 && pPacket != nullptr) {
            return true;
        }
        while (avcodec_receive_frame(m_pCodec, m_pFrame) >= 0) {
            const bool bGo = Deliver(callback, pUser);
            av_frame_unref(m_pFrame);
            if (!bGo) {
                return false;
            }
        }
        return true;
    }

    bool Deliver(TGrabVideoCallback callback, void* pUser) {
        const int nWidth = m_pFrame->width;
        const int nHeight = m_pFrame->height;
        if (nWidth <= 0 || nHeight <= 0) {
            return true;
        }
        m_pScale = sws_getCachedContext(
            m_pScale, nWidth, nHeight, static_cast<AVPixelFormat>(m_pFrame->format), nWidth,
            nHeight, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (m_pScale == nullptr) {
            return true;
        }
        const size_t nRow = GrabberRowBytes(nWidth);
        m_Pixels.assign(nRow * static_cast<size_t>(nHeight), 0);
        // The last row of the buffer first and a negative stride: rows come out bottom to top.
        uint8_t* pDst[4] = {m_Pixels.data() + nRow * static_cast<size_t>(nHeight - 1), nullptr,
                            nullptr, nullptr};
        int nDstStride[4] = {-static_cast<int>(nRow), 0, 0, 0};
        sws_scale(m_pScale, m_pFrame->data, m_pFrame->linesize, 0, nHeight, pDst, nDstStride);
        double fDone = 0;
        if (m_fDuration > 0 && m_pFrame->best_effort_timestamp != AV_NOPTS_VALUE) {
            fDone =
                static_cast<double>(m_pFrame->best_effort_timestamp) * m_fTimeBase / m_fDuration;
            fDone = fDone < 0 ? 0 : (fDone > 1 ? 1 : fDone);
        }
        ++m_nFrames;
        return callback(m_fRate, fDone, nWidth, nHeight, m_Pixels.data(), pUser) != 0;
    }

    AVFormatContext* m_pFormat = nullptr;
    AVCodecContext* m_pCodec = nullptr;
    AVPacket* m_pPacket = nullptr;
    AVFrame* m_pFrame = nullptr;
    SwsContext* m_pScale = nullptr;
    int m_nStream = -1;
    double m_fRate = 25.0;
    double m_fTimeBase = 0;
    double m_fDuration = 0;
    int m_nFrames = 0;
    std::vector<uint8_t> m_Pixels;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int GrabVideo(const char16_t* pszFileName,
                                                                TGrabVideoCallback callback,
                                                                void* pUser) {
    if (pszFileName == nullptr || callback == nullptr) {
        return 0;
    }
    av_log_set_level(AV_LOG_QUIET);
    CDecoder decoder;
    if (!decoder.Open(Utf16ToUtf8(pszFileName != nullptr ? std::u16string_view(pszFileName)
                                                         : std::u16string_view()))) {
        callback(0, 1, 0, 0, nullptr, pUser);
        return 0;
    }
    if (decoder.Run(callback, pUser)) {
        callback(0, 1, 0, 0, nullptr, pUser);
    }
    return decoder.Frames() > 0 ? 1 : 0;
}
