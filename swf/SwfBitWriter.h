// The bit-level output buffer every SWF tag body is written into. Bits are packed from the most
// significant bit of each byte down; large payloads (pixels, JPEG and sound data) are not copied
// but registered as deferred blocks and spliced in when the buffer goes to a file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// `extra` plus the bit length of `v`; at most 32. Signed fields pass extra = 1 and the largest
// absolute value among the fields that share the count.
int BitsNeeded(uint32_t v, int extra);

class CSwfBitWriter {
public:
    CSwfBitWriter();

    // The low `count` bits (0 to 32) of `value`, most significant first; negative values go out
    // in two's complement.
    void WriteBits(int64_t value, int count);
    void WriteU8(uint32_t v);
    void WriteU16(uint32_t v);
    void WriteU32(uint32_t v);
    // Stores a partly filled byte with its free low bits zero.
    void Align();

    // Registers `length` bytes at `data` at the current position without copying them; the owner
    // keeps them alive until the buffer has been written. Only on a byte boundary. Returns the
    // number of registered blocks.
    size_t AddBlock(const uint8_t* data, uint32_t length);

    // Completed bytes plus all blocks; a partly filled byte is not counted.
    uint64_t TotalLength() const;
    // Copies the completed bytes of `other` into this writer and moves its blocks here.
    void Append(CSwfBitWriter& other);
    // Writes bytes and blocks in position order and consumes the blocks. False when the stream
    // reports a write error.
    bool WriteTo(std::FILE* file);

    // The completed bytes with the blocks spliced in; the writer is left as it is.
    std::vector<uint8_t> ToBytes() const;
    // The completed bytes only, without blocks.
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    bool IsAligned() const { return m_nFreeBits == 8; }
    // Overwrites completed bytes from `position` on (used for the file header placeholder).
    void Patch(uint32_t position, const std::vector<uint8_t>& bytes);

private:
    struct SBlock {
        uint32_t m_nPosition;
        const uint8_t* m_pData;
        uint32_t m_nLength;
    };

    std::vector<uint8_t> m_bytes;
    int m_nFreeBits = 8;
    uint8_t m_nCurrent = 0;
    std::vector<SBlock> m_blocks;
};
