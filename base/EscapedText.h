// EscapedText.h: text from a file, a request or a name made safe to print,
// on a terminal or into a log line.
//
// A terminal acts on more than the bytes below 0x20: DEL, the C1 controls
// (0x80 to 0x9f, one-byte CSI 0x9b among them, raw or as UTF-8 U+0080 to
// U+009F), and the bidirectional controls, which reorder what is shown
// (U+202A to U+202E, U+2066 to U+2069, U+200E, U+200F, U+061C). Whatever of
// these a value holds is written as \xHH, byte by byte, and so are '"' and
// '\', so that an escaped value stays one line, cannot close its quotes, and
// reads back unambiguously.
#pragma once

#include <string>
#include <string_view>

// What passes as it is, besides printable ASCII.
enum class TextKept {
    Ascii,  // nothing else: every byte from 0x80 up is escaped (a log line)
    Utf8,   // well-formed UTF-8 characters but the controls above; a byte
            // that starts none is escaped (what the shell tool prints)
};

// `text` with every byte that could act on a terminal, end a line or close a
// quote written as \xHH (lower-case hex).
std::string EscapedText(std::string_view text, TextKept kept);
