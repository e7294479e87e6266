#pragma once

#include <QtGlobal>
#include <algorithm>
#include <cstring>

namespace quillmoor::ini {

// The characters the INI text's reading and writing both weigh.

// Blanks between lines; a form feed or a vertical tab is not one of them.
inline bool isLineBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

inline int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

inline int octDigit(char c) { return c >= '0' && c <= '7' ? c - '0' : -1; }

// Where the next of a few bytes stands in a long text. Each byte's next place
// is found with memchr, which passes over plain text many bytes at a time, and
// kept until the reader passes it: a long list's megabyte of value holding
// none of them costs one such pass for each byte looked for, however often
// the reader asks.
template <int N> class NextOf {
public:
    NextOf(const char* data, qsizetype size, const char (&bytes)[N + 1])
        : data_(data)
        , size_(size)
    {
        for (int k = 0; k < N; ++k) {
            bytes_[k] = bytes[k];
            next_[k] = -1; // not looked for yet
        }
    }
    // The place of the first of the bytes at or after `pos`; the size when
    // there is none.
    qsizetype from(qsizetype pos)
    {
        qsizetype first = size_;
        for (int k = 0; k < N; ++k) {
            if (next_[k] < pos) {
                const void* at = pos < size_ ? std::memchr(data_ + pos, bytes_[k], size_t(size_ - pos)) : nullptr;
                next_[k] = at ? static_cast<const char*>(at) - data_ : size_;
            }
            first = std::min(first, next_[k]);
        }
        return first;
    }

private:
    const char* data_;
    qsizetype size_;
    char bytes_[N] = {};
    qsizetype next_[N];
};

} // namespace quillmoor::ini
