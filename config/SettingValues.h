// SettingValues.h: how the values of the initialisation file are read:
// numbers, on/off letters and comma-separated lists.
#pragma once

#include "base/TokensAndNumbers.h"

#include <string>
#include <string_view>

// The number at the start of `text` as strtol in base 10 reads it (leading
// blanks and a sign accepted, stops at the first non-digit or NUL, no digits
// give 0), held at the limits of a long. atoi reads the same where its result
// is defined; beyond that it has none, and this one holds the limit.
long TextToLong(std::string_view text);
// TextToLong held at the limits of an int.
int TextToInt(std::string_view text);

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
    explicit ListCutter(std::string& list) : TokenCutter(list.data(), ',') {}
};
