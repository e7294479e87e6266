#pragma once

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

// A table of the bytes `stops` names, for loops that pass over every other
// byte: a long list's value is a megabyte of plain text between them, and
// one look-up a byte is a third of the work of comparing it with each.
struct ByteSet {
    constexpr explicit ByteSet(const char* stops)
    {
        for (; *stops; ++stops)
            has[static_cast<unsigned char>(*stops)] = true;
    }
    constexpr bool operator()(char c) const { return has[static_cast<unsigned char>(c)]; }
    bool has[256] = {};
};

} // namespace quillmoor::ini
