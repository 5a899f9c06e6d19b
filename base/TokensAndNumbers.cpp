// TokensAndNumbers.cpp: token cutting and number text.
#include "base/TokensAndNumbers.h"

#include <cstdio>
#include <cstring>

std::unique_ptr<char[]> CutTokenCounted(char* buffer, char delimiter, int& count)
{
    size_t length = 0;
    while (buffer[length] != '\0' && buffer[length] != delimiter)
        ++length;
    const bool atDelimiter = buffer[length] == delimiter && delimiter != '\0';

    std::unique_ptr<char[]> token(new char[length + 1]);
    std::memcpy(token.get(), buffer, length);
    token[length] = '\0';

    if (count >= 0)
        count -= static_cast<int>(length) + (atDelimiter ? 1 : 0);

    size_t cut = length + (atDelimiter ? 1 : 0);
    std::memmove(buffer, buffer + cut, std::strlen(buffer + cut) + 1);
    return token;
}

std::unique_ptr<char[]> CutToken(char* buffer, char delimiter)
{
    int unlimited = -1;
    return CutTokenCounted(buffer, delimiter, unlimited);
}

char* IntToText(int value, char* text, int /*radix*/)
{
    std::snprintf(text, 12, "%d", value);
    return text;
}
