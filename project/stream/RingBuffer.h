// The memory ring through which the frame image stream reaches its data file: a capture tick only
// copies bytes into memory, and the disk is written in 64 KB pieces when the ring fills and at
// the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CRingBuffer {
public:
    static constexpr size_t kFullFlush = 65'536;
    static constexpr size_t kLargestRing = 20'000'000;

    // The ring size for a new stream: 20,000,000 bytes or half the free memory, the smaller.
    static size_t DefaultCapacity();

    // Starts writing to `fd` (not owned) with a ring of `nCapacity` bytes.
    void Begin(int fd, size_t nCapacity);
    void End();

    void Put(const uint8_t* p, size_t n);
    void Put(uint8_t b) { Put(&b, 1); }

    // Writes up to `n` unflushed bytes to the file. False when the file refused them, or refused
    // earlier bytes: after a refusal the ring drops what it holds without writing it.
    bool Flush(size_t n);
    bool FlushAll() { return Flush(m_nUnflushed); }

    uint64_t TotalBytes() const { return m_nTotal; }
    size_t Unflushed() const { return m_nUnflushed; }
    size_t Capacity() const { return m_Ring.size(); }
    bool WriteFailed() const { return m_bWriteFailed; }

private:
    bool WriteOut(const uint8_t* p, size_t n);

    int m_fd = -1;
    std::vector<uint8_t> m_Ring;
    size_t m_nWritePos = 0;
    size_t m_nFlushPos = 0;
    size_t m_nUnflushed = 0;
    uint64_t m_nTotal = 0;
    bool m_bWriteFailed = false;
};

// Half of MemAvailable from /proc/meminfo in bytes; 0 when it cannot be read.
uint64_t HalfAvailableMemory();
