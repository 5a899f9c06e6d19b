// The sign-in text: accepted for its database, password and key until its
// end, refused for any change of it or of what it was made for.
#include "request/SigninToken.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string Key(32, '\x5a');
const std::time_t Now = 1'800'000'000;
const std::time_t Ends = Now + SigninLifetime;

TEST(SigninToken, AcceptedUntilItEndsForItsDatabasePasswordAndKeyAlone)
{
    const std::string token = SigninToken(Key, "shop", "S3cret", Ends);
    ASSERT_EQ(std::to_string(Ends) + ".", token.substr(0, token.find('.') + 1));
    EXPECT_EQ(Ends, SigninExpiry(token, Key, "shop", "S3cret", Now));
    EXPECT_EQ(Ends, SigninExpiry(token, Key, "shop", "S3cret", Ends - 1));

    std::string otherMac = token;
    otherMac.back() = otherMac.back() == '0' ? '1' : '0';
    const std::string later = std::to_string(Ends + 1) + token.substr(token.find('.'));
    const struct {
        const char* what;
        std::string token, key, database, password;
        std::time_t now;
    } refused[] = {
        {"ended", token, Key, "shop", "S3cret", Ends},
        {"another database", token, Key, "club", "S3cret", Now},
        {"a name that only adds to the end", token, Key, "shopS", "3cret", Now},
        {"the password changed", token, Key, "shop", "s3cret", Now},
        {"another key (the key file made anew)", token, std::string(32, '\x5b'), "shop", "S3cret", Now},
        {"no key", token, "", "shop", "S3cret", Now},
        {"no password stored", SigninToken(Key, "shop", "", Ends), Key, "shop", "", Now},
        {"one digit of the MAC changed", otherMac, Key, "shop", "S3cret", Now},
        {"its end moved", later, Key, "shop", "S3cret", Now},
        {"its end a zero longer", "0" + token, Key, "shop", "S3cret", Now},
        {"the MAC cut", token.substr(0, token.size() - 1), Key, "shop", "S3cret", Now},
        {"ending later than a sign-in can", SigninToken(Key, "shop", "S3cret", Ends + 1), Key, "shop", "S3cret", Now},
        {"no end", token.substr(token.find('.')), Key, "shop", "S3cret", Now},
        {"empty", "", Key, "shop", "S3cret", Now},
        {"the password itself", "S3cret", Key, "shop", "S3cret", Now},
    };
    for (const auto& c : refused)
        EXPECT_EQ(0, SigninExpiry(c.token, c.key, c.database, c.password, c.now)) << c.what;
}

TEST(SigninToken, HoldsNeitherThePasswordNorTheKey)
{
    const std::string token = SigninToken(Key, "shop", "S3cret-password", Ends);
    EXPECT_EQ(std::string::npos, token.find("S3cret"));
    EXPECT_EQ(std::string::npos, token.find(Key));
    EXPECT_EQ(std::to_string(Ends).size() + 1 + 64, token.size());
}

}  // namespace
