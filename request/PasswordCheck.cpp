// PasswordCheck.cpp: the administration password comparison.
#include "request/PasswordCheck.h"

bool PasswordMatches(const std::string& sent, const std::string& stored)
{
    if (stored.empty() || sent.size() != stored.size())
        return false;
    // Every byte is compared whatever the bytes before it gave, so a guesser
    // cannot learn from the answer's time how much of a guess was right. The
    // accumulator is volatile so that the compiler keeps the loop whole.
    volatile unsigned char difference = 0;
    for (size_t i = 0; i < stored.size(); ++i)
        difference = static_cast<unsigned char>(difference | (sent[i] ^ stored[i]));
    return difference == 0;
}
