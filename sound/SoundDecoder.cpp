#include "sound/SoundDecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sound/ImaAdpcm.h"
#include "sound/WavFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

struct CSoundDecoder::SState {
    AVFormatContext* pFormat = nullptr;
    AVCodecContext* pCodec = nullptr;
    SwrContext* pSwr = nullptr;
    AVPacket* pPacket = nullptr;
    AVFrame* pFrame = nullptr;
    int nStream = -1;
    int nChannels = 0;
    int nSourceChannels = 0;
    int nRate = 0;
    int nBits = 16;
    AVSampleFormat outFormat = AV_SAMPLE_FMT_S16;
    // Sources with more than 16 bits are converted to 32 bits first and rounded to 16 here, as
    // the converter itself only truncates.
    bool bRoundFrom32 = false;
    std::vector<uint8_t> wide;
    bool bInputDone = false;
    bool bDecoderDone = false;
    // Converted samples not yet handed out.
    std::vector<uint8_t> pending;
    // IMA ADPCM WAV files are decoded here with the standard step rather than FFmpeg's.
    std::FILE* pIma = nullptr;
    uint64_t nImaPos = 0;
    uint64_t nImaEnd = 0;
    uint32_t nImaBlock = 0;

    ~SState() {
        if (pIma) {
            std::fclose(pIma);
        }
        swr_free(&pSwr);
        av_frame_free(&pFrame);
        av_packet_free(&pPacket);
        avcodec_free_context(&pCodec);
        avformat_close_input(&pFormat);
    }
};

namespace {

std::string AvError(int err) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    return text;
}

bool IsEightBit(AVSampleFormat f) {
    return f == AV_SAMPLE_FMT_U8 || f == AV_SAMPLE_FMT_U8P;
}

}  // namespace

CSoundDecoder::CSoundDecoder() : m_p(std::make_unique<SState>()) {}
CSoundDecoder::~CSoundDecoder() = default;

int CSoundDecoder::Channels() const {
    return m_p->nChannels;
}
int CSoundDecoder::Rate() const {
    return m_p->nRate;
}
int CSoundDecoder::Bits() const {
    return m_p->nBits;
}

int64_t CSoundDecoder::DeclaredFrames() const {
    if (m_p->pIma) {
        const uint64_t nPerBlock = (m_p->nImaBlock - 4u * m_p->nChannels) * 2u / m_p->nChannels + 1;
        return static_cast<int64_t>((m_p->nImaEnd - m_p->nImaPos) / m_p->nImaBlock * nPerBlock);
    }
    if (!m_p->pFormat || m_p->nStream < 0) {
        return 0;
    }
    const AVStream* s = m_p->pFormat->streams[m_p->nStream];
    if (s->duration > 0) {
        return av_rescale_q(s->duration, s->time_base, AVRational{1, m_p->nRate});
    }
    if (m_p->pFormat->duration > 0) {
        return av_rescale(m_p->pFormat->duration, m_p->nRate, AV_TIME_BASE);
    }
    return 0;
}

bool CSoundDecoder::Open(const std::string& path, std::string& why) {
    m_p = std::make_unique<SState>();
    SState& st = *m_p;
    if (const auto wav = ReadWavInfoFromFile(path);
        wav && wav->bHasData && wav->format.nFormatTag == kWaveFormatImaAdpcm &&
        wav->format.nBitsPerSample == 4 &&
        (wav->format.nChannels == 1 || wav->format.nChannels == 2) &&
        wav->format.nBlockAlign > 4u * wav->format.nChannels && wav->format.nSamplesPerSec > 0) {
        st.pIma = std::fopen(path.c_str(), "rb");
        if (!st.pIma) {
            why = "cannot open " + path;
            return false;
        }
        st.nChannels = wav->format.nChannels;
        st.nRate = static_cast<int>(wav->format.nSamplesPerSec);
        st.nBits = 16;
        st.nImaPos = wav->nDataOffset;
        st.nImaEnd = wav->nDataOffset + wav->nDataBytes;
        st.nImaBlock = wav->format.nBlockAlign;
        return true;
    }
    int err = avformat_open_input(&st.pFormat, path.c_str(), nullptr, nullptr);
    if (err < 0) {
        why = "cannot open " + path + ": " + AvError(err);
        return false;
    }
    if ((err = avformat_find_stream_info(st.pFormat, nullptr)) < 0) {
        why = "cannot read " + path + ": " + AvError(err);
        return false;
    }
    const AVCodec* pDecoder = nullptr;
    st.nStream = av_find_best_stream(st.pFormat, AVMEDIA_TYPE_AUDIO, -1, -1, &pDecoder, 0);
    if (st.nStream < 0 || !pDecoder) {
        why = path + " holds no sound that can be decoded";
        return false;
    }
    st.pCodec = avcodec_alloc_context3(pDecoder);
    if (!st.pCodec ||
        avcodec_parameters_to_context(st.pCodec, st.pFormat->streams[st.nStream]->codecpar) < 0 ||
        (err = avcodec_open2(st.pCodec, pDecoder, nullptr)) < 0) {
        why = "cannot start the decoder for " + path;
        return false;
    }
    st.nChannels = st.pCodec->ch_layout.nb_channels;
    st.nSourceChannels = st.nChannels;
    st.nRate = st.pCodec->sample_rate;
    if (st.nChannels <= 0 || st.nRate <= 0) {
        why = path + " declares no channels or no rate";
        return false;
    }
    // Eight-bit samples are kept as they are only for mono and stereo sources; a six-channel
    // source is mixed down to 16-bit stereo by the cache and any other count to stereo here.
    st.nBits = IsEightBit(st.pCodec->sample_fmt) && st.nChannels <= 2 ? 8 : 16;
    if (st.nChannels > 2 && st.nChannels != 6) {
        st.nChannels = 2;
    }
    st.outFormat = st.nBits == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
    const AVSampleFormat packed = av_get_packed_sample_fmt(st.pCodec->sample_fmt);
    st.bRoundFrom32 = packed == AV_SAMPLE_FMT_S32 || packed == AV_SAMPLE_FMT_S64;
    st.pPacket = av_packet_alloc();
    st.pFrame = av_frame_alloc();
    if (!st.pPacket || !st.pFrame) {
        why = "out of memory";
        return false;
    }
    return true;
}

int64_t CSoundDecoder::Read(std::vector<uint8_t>& out, size_t nMaxBytes) {
    SState& st = *m_p;
    if (st.pIma) {
        return ReadIma(out, nMaxBytes);
    }
    if (!st.pCodec) {
        return -1;
    }
    const size_t nFrameBytes = static_cast<size_t>(BytesPerFrame());
    nMaxBytes = std::max(nMaxBytes - nMaxBytes % nFrameBytes, nFrameBytes);
    while (st.pending.size() < nMaxBytes && !st.bDecoderDone) {
        int err = avcodec_receive_frame(st.pCodec, st.pFrame);
        if (err == AVERROR_EOF) {
            st.bDecoderDone = true;
            break;
        }
        if (err == AVERROR(EAGAIN)) {
            if (st.bInputDone) {
                st.bDecoderDone = true;
                break;
            }
            err = av_read_frame(st.pFormat, st.pPacket);
            if (err < 0) {
                st.bInputDone = true;
                avcodec_send_packet(st.pCodec, nullptr);
                continue;
            }
            if (st.pPacket->stream_index == st.nStream) {
                // A damaged packet is dropped; the decoder goes on with the next one.
                avcodec_send_packet(st.pCodec, st.pPacket);
            }
            av_packet_unref(st.pPacket);
            continue;
        }
        if (err < 0) {
            return -1;
        }
        if (!st.pSwr) {
            AVChannelLayout outLayout;
            av_channel_layout_default(&outLayout, st.nChannels);
            // The decoder's own layout may be unspecified; the source order is kept either way.
            AVChannelLayout inLayout;
            if (av_channel_layout_copy(&inLayout, &st.pFrame->ch_layout) < 0 ||
                inLayout.order == AV_CHANNEL_ORDER_UNSPEC) {
                av_channel_layout_default(&inLayout, st.pFrame->ch_layout.nb_channels);
            }
            const int e = swr_alloc_set_opts2(
                &st.pSwr, &outLayout, st.bRoundFrom32 ? AV_SAMPLE_FMT_S32 : st.outFormat, st.nRate,
                &inLayout, static_cast<AVSampleFormat>(st.pFrame->format), st.pFrame->sample_rate,
                0, nullptr);
            av_channel_layout_uninit(&inLayout);
            av_channel_layout_uninit(&outLayout);
            if (e < 0 || swr_init(st.pSwr) < 0) {
                return -1;
            }
        }
        if (st.pFrame->ch_layout.nb_channels != st.nSourceChannels ||
            st.pFrame->sample_rate != st.nRate) {
            // A stream that changes its shape midway is cut at the change.
            av_frame_unref(st.pFrame);
            st.bDecoderDone = true;
            break;
        }
        const size_t nOld = st.pending.size();
        const size_t nSamples = static_cast<size_t>(st.pFrame->nb_samples) * st.nChannels;
        st.pending.resize(nOld + nSamples * (nFrameBytes / st.nChannels));
        uint8_t* pOut = st.pending.data() + nOld;
        if (st.bRoundFrom32) {
            st.wide.resize(nSamples * 4);
            pOut = st.wide.data();
        }
        const int nDone = swr_convert(st.pSwr, &pOut, st.pFrame->nb_samples,
                                      const_cast<const uint8_t**>(st.pFrame->extended_data),
                                      st.pFrame->nb_samples);
        av_frame_unref(st.pFrame);
        if (nDone < 0) {
            return -1;
        }
        if (st.bRoundFrom32) {
            const size_t nDoneSamples = static_cast<size_t>(nDone) * st.nChannels;
            for (size_t i = 0; i < nDoneSamples; ++i) {
                int32_t v;
                std::memcpy(&v, st.wide.data() + 4 * i, 4);
                const int32_t r = v > INT32_MAX - 0x8000 ? 32767 : (v + 0x8000) >> 16;
                const int16_t s = static_cast<int16_t>(r);
                std::memcpy(st.pending.data() + nOld + 2 * i, &s, 2);
            }
        }
        st.pending.resize(nOld + static_cast<size_t>(nDone) * nFrameBytes);
    }
    const size_t n = std::min(nMaxBytes, st.pending.size());
    out.insert(out.end(), st.pending.begin(), st.pending.begin() + static_cast<ptrdiff_t>(n));
    st.pending.erase(st.pending.begin(), st.pending.begin() + static_cast<ptrdiff_t>(n));
    return static_cast<int64_t>(n);
}

int64_t CSoundDecoder::ReadIma(std::vector<uint8_t>& out, size_t nMaxBytes) {
    SState& st = *m_p;
    const size_t nOld = out.size();
    std::vector<uint8_t> block(st.nImaBlock);
    std::vector<int16_t> samples;
    while (out.size() - nOld < nMaxBytes && st.nImaPos < st.nImaEnd) {
        const size_t n =
            static_cast<size_t>(std::min<uint64_t>(st.nImaBlock, st.nImaEnd - st.nImaPos));
        if (fseeko(st.pIma, static_cast<off_t>(st.nImaPos), SEEK_SET) != 0 ||
            std::fread(block.data(), 1, n, st.pIma) != n) {
            return -1;
        }
        st.nImaPos += n;
        samples.clear();
        if (!DecodeImaAdpcmBlock(std::span(block.data(), n), st.nChannels, samples)) {
            break;
        }
        const auto* p = reinterpret_cast<const uint8_t*>(samples.data());
        out.insert(out.end(), p, p + samples.size() * 2);
    }
    return static_cast<int64_t>(out.size() - nOld);
}
