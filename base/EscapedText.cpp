// EscapedText.cpp: one pass over the bytes, UTF-8 decoded where it is kept.
#include "base/EscapedText.h"

namespace {

void AppendEscaped(std::string& out, std::string_view bytes)
{
    static const char Hex[] = "0123456789abcdef";
    for (unsigned char byte : bytes) {
        out += "\\x";
        out += Hex[byte >> 4];
        out += Hex[byte & 0x0f];
    }
}

// The length of the well-formed UTF-8 character at the start of `text` (no
// overlong form, no surrogate, nothing above U+10FFFF) and its code point;
// 0 when none starts there.
size_t Utf8Character(std::string_view text, char32_t& point)
{
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    size_t length;
    unsigned char low = 0x80, high = 0xbf;  // the second byte's range
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        point = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        point = lead & 0x0f;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        point = lead & 0x07;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xbf))
            return 0;
        point = (point << 6) | (next & 0x3f);
    }
    return length;
}

// A character that a terminal takes for a control, or one that reorders
// the text around it.
bool ActsOnTerminal(char32_t point)
{
    return (point >= 0x80 && point <= 0x9f) || point == 0x061c || point == 0x200e || point == 0x200f
           || (point >= 0x202a && point <= 0x202e) || (point >= 0x2066 && point <= 0x2069);
}

}  // namespace

std::string EscapedText(std::string_view text, TextKept kept)
{
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x20 && byte < 0x7f) {
            if (byte == '"' || byte == '\\')
                AppendEscaped(out, text.substr(at, 1));
            else
                out += static_cast<char>(byte);
            ++at;
            continue;
        }
        char32_t point = 0;
        const size_t length = kept == TextKept::Utf8 && byte >= 0x80 ? Utf8Character(text.substr(at), point) : 0;
        if (length == 0) {
            AppendEscaped(out, text.substr(at, 1));
            ++at;
        } else {
            if (ActsOnTerminal(point))
                AppendEscaped(out, text.substr(at, length));
            else
                out.append(text, at, length);
            at += length;
        }
    }
    return out;
}
