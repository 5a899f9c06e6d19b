// Fixture.cpp
#include "support/Fixture.h"

#include "support/IniText.h"
#include "support/TempDir.h"

#include <stdexcept>

std::string FixturePath()
{
    return std::string(ZEPH_SUPPORT_DIR) + "/fixture/shop.ini";
}

std::string FixtureIni()
{
    static const std::string text = [] {
        std::string bytes = ReadFile(FixturePath());
        if (bytes.empty())
            throw std::runtime_error("cannot read " + FixturePath());
        return bytes;
    }();
    return text;
}

std::string FixturePassword()
{
    return IniValue(FixtureIni(), "Administration", "Administration password");
}
