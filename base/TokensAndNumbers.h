// TokensAndNumbers.h: token cutting and number text on NUL-terminated byte strings.
// TokenCutter serves the settings loader and IntToText the item list submission;
// CutToken and CutTokenCounted are general interface that no request uses,
// covered (with the rest) by tests/base/TokensAndNumbers_test.cpp.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>

// Cuts the text before the first `delimiter` off the front of `buffer` and
// returns it as a new string owned by the caller. The buffer keeps only what
// followed the token and its delimiter. `count` is the number of bytes of the
// buffer still to be handled (negative: no limit); it goes down by the token's
// length, and by one more when a delimiter was consumed.
std::unique_ptr<char[]> CutTokenCounted(char* buffer, char delimiter, int& count);

// CutTokenCounted without a limit.
std::unique_ptr<char[]> CutToken(char* buffer, char delimiter);

// Writes `value` in decimal ("%d") into `text` (at least 12 bytes) and returns
// it. The radix is accepted for callers' sake but the text is always decimal.
char* IntToText(int value, char* text, int radix);

// Cuts a NUL-terminated buffer into the tokens that CutToken would give one
// after the other, but in place and in one pass: each token is NUL-terminated
// where its delimiter was, and nothing is moved or allocated, so a long text
// of many tokens costs no more per token than a short one.
class TokenCutter {
public:
    TokenCutter(char* buffer, char delimiter) : rest(buffer), delimiter(delimiter) {}
    // The next token, inside the buffer; "" once the buffer is used up.
    char* Next()
    {
        char* token = rest;
        char* stop = ::strchrnul(token, delimiter);
        length = static_cast<size_t>(stop - token);
        if (*stop != '\0') {
            *stop = '\0';
            rest = stop + 1;
        } else {
            rest = stop;
        }
        return token;
    }
    // The length of the token Next gave last.
    size_t Length() const { return length; }
    // True when nothing is left to cut.
    bool AtEnd() const { return *rest == '\0'; }

private:
    char* rest;
    char delimiter;
    size_t length = 0;
};
