#pragma once

#include <QByteArrayView>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Scans over large texts 64 bytes at a time, where the processor can (SSE2, every x86-64): a
// stored list of a million entries is 44 MB, and a call of memchr per entry or a test per byte
// costs several times the reading of the file.
namespace ByteScan {

#if defined(__SSE2__)
// One bit per byte of the 64 at `at`, set where the byte equals `byte`.
inline std::uint64_t equalMask64(const char* at, char byte) {
    const __m128i wanted = _mm_set1_epi8(byte);
    std::uint64_t mask = 0;
    for (qsizetype part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * part));
        const auto bits =
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
        mask |= std::uint64_t{bits} << (16 * part);
    }
    return mask;
}

// One bit per byte of the 64 at `at`, set where the byte equals `first` or `second`.
inline std::uint64_t equalMask64(const char* at, char first, char second) {
    const __m128i wantedFirst = _mm_set1_epi8(first);
    const __m128i wantedSecond = _mm_set1_epi8(second);
    std::uint64_t mask = 0;
    for (qsizetype part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * part));
        const __m128i equal =
            _mm_or_si128(_mm_cmpeq_epi8(bytes, wantedFirst), _mm_cmpeq_epi8(bytes, wantedSecond));
        mask |= std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(equal))} << (16 * part);
    }
    return mask;
}

// Whether one of the 64 bytes at `at` has its high bit set (is not ASCII).
inline bool hasHighBit64(const char* at) {
    __m128i any = _mm_setzero_si128();
    for (qsizetype part = 0; part < 4; ++part)
        any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * part)));
    return _mm_movemask_epi8(any) != 0;
}
#endif

// Where the first byte that is not ASCII is, or the size when there is none.
inline qsizetype asciiPrefixLength(QByteArrayView bytes) {
    const char* const data = bytes.data();
    qsizetype at = 0;
#if defined(__SSE2__)
    while (at + 64 <= bytes.size() && !hasHighBit64(data + at))
        at += 64;
#else
    for (std::uint64_t word = 0; at + 8 <= bytes.size(); at += 8) {
        std::memcpy(&word, data + at, sizeof word);
        if ((word & 0x8080808080808080U) != 0)
            break;
    }
#endif
    while (at < bytes.size() && static_cast<unsigned char>(data[at]) < 0x80)
        ++at;
    return at;
}

// Calls found(position) for every occurrence of `byte`, in order.
template <typename Found> void forEachByte(QByteArrayView bytes, char byte, Found&& found) {
    const char* const data = bytes.data();
    qsizetype at = 0;
#if defined(__SSE2__)
    for (; at + 64 <= bytes.size(); at += 64)
        for (std::uint64_t mask = equalMask64(data + at, byte); mask != 0; mask &= mask - 1)
            found(at + std::countr_zero(mask));
#endif
    while (at < bytes.size()) {
        const void* next = std::memchr(data + at, byte, static_cast<size_t>(bytes.size() - at));
        if (next == nullptr)
            return;
        at = static_cast<const char*>(next) - data;
        found(at++);
    }
}

// Calls found(position) for every byte that is `first` or `second`, in order: one pass over
// the bytes for two kinds of separator, where a search for each would pass them twice.
template <typename Found>
void forEachByteOf(QByteArrayView bytes, char first, char second, Found&& found) {
    const char* const data = bytes.data();
    qsizetype at = 0;
#if defined(__SSE2__)
    for (; at + 64 <= bytes.size(); at += 64)
        for (std::uint64_t mask = equalMask64(data + at, first, second); mask != 0;
             mask &= mask - 1)
            found(at + std::countr_zero(mask));
#endif
    for (; at < bytes.size(); ++at)
        if (data[at] == first || data[at] == second)
            found(at);
}

} // namespace ByteScan
