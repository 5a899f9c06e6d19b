// CapturedAnswer.h: what a piece of the program adds to the answer, caught
// where the answer goes: standard output, redirected for the time of the call.
#pragma once

#include <functional>
#include <string>

// The bytes that `write` adds to the answer. What the answer held before is
// flushed to the real standard output first.
std::string CapturedAnswer(const std::function<void()>& write);
