// SigninToken.cpp: making and checking the sign-in that the history pages carry.
#include "request/SigninToken.h"

#include "base/Sha256.h"
#include "request/PasswordCheck.h"

#include <string_view>

namespace {

// Each text preceded by its length, so that no two sets of texts sign alike.
std::string SignedText(const std::string& database, const std::string& password, std::time_t expiry)
{
    std::string text = "zephconf sign-in\n";
    for (const std::string& part : {database, std::to_string(expiry), password}) {
        text += std::to_string(part.size());
        text += ':';
        text += part;
    }
    return text;
}

// The decimal seconds before the dot; 0 for anything else.
std::time_t ExpiryOf(std::string_view token)
{
    const size_t dot = token.find('.');
    if (dot == 0 || dot == std::string_view::npos || dot > 12)
        return 0;
    std::time_t expiry = 0;
    for (char digit : token.substr(0, dot)) {
        if (digit < '0' || digit > '9')
            return 0;
        expiry = expiry * 10 + (digit - '0');
    }
    return expiry;
}

}  // namespace

std::string SigninToken(const std::string& key, const std::string& database, const std::string& password,
                        std::time_t expiry)
{
    if (key.empty() || password.empty())
        return {};
    return std::to_string(expiry) + "." + HexDigits(HmacSha256(key, SignedText(database, password, expiry)));
}

std::time_t SigninExpiry(const std::string& token, const std::string& key, const std::string& database,
                         const std::string& password, std::time_t now)
{
    const std::time_t expiry = ExpiryOf(token);
    if (expiry <= now || expiry > now + SigninLifetime)
        return 0;
    const std::string expected = SigninToken(key, database, password, expiry);
    // Equal lengths and bytes, compared as a password is.
    return PasswordMatches(token, expected) ? expiry : 0;
}
