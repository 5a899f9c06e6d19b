// Fixture.h: the realistic database the tests and the benchmark start from: a
// small shop's initialisation file with every section and key filled in
// (fixture/shop.ini; the end-to-end tests read the same file).
#pragma once

#include <string>

// The database name the fixture is laid out under: shop/shop.ini.
inline const std::string FixtureName = "shop";

// The path of fixture/shop.ini in the source tree.
std::string FixturePath();
// Its bytes.
std::string FixtureIni();
// Its "Administration password".
std::string FixturePassword();
