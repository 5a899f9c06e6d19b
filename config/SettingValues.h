// SettingValues.h: how the values of the initialisation file are read:
// numbers, on/off letters and comma-separated lists.
#pragma once

#include "cgi/TokensAndNumbers.h"

#include <string>

// The number at the start of `text` as atoi reads it (leading blanks and a sign
// accepted, stops at the first non-digit, no digits give 0); values beyond the
// int range are held at its limits.
int TextToInt(const char* text);
inline int TextToInt(const std::string& text) { return TextToInt(text.c_str()); }
// The same for a long.
long TextToLong(const char* text);

// True when `text` is not empty and starts with `letter` (exact case).
inline bool BeginsWith(const std::string& text, char letter)
{
    return !text.empty() && text[0] == letter;
}
// An on/off value that counts as on when it starts with "1" or "y".
inline bool IsYes(const std::string& text)
{
    return BeginsWith(text, '1') || BeginsWith(text, 'y');
}

// Cuts a comma-separated list into its elements, from the left: an element is
// everything up to the next comma (blanks belong to it), and the list has
// ended when an element is empty. The list is cut in place and in one pass,
// so a long list costs no more per element than a short one; it must outlive
// the cutter.
class ListCutter : public TokenCutter {
public:
    explicit ListCutter(std::string& list) : TokenCutter(&list[0], ',') {}
};
