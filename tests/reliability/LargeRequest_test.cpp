// Requests at the size limit are decoded in time proportional to their size.
#include "reliability/Tools.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>

namespace {

// The largest accepted body, with the version request last: the answer shows
// that the whole body was decoded. Run with `timeout` killing it after `seconds`
// (none when 0); gives the answer and the seconds it took.
std::pair<ProgramAnswer, double> DecodeLargest(const Site& site, const std::string& filler, double seconds)
{
    const std::string last = "act=version";
    std::string body;
    if (filler.empty()) {
        body = "a=" + std::string(8 * 1024 * 1024 - last.size() - 3, 'A') + "&";
    } else {
        while (body.size() + filler.size() + last.size() <= 8 * 1024 * 1024)
            body += filler;
    }
    body += last;
    ProgramRun run;
    run.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", std::to_string(body.size())}};
    run.body = body;
    if (seconds > 0)
        run.wrapper = {ToolPath("timeout"), "-s", "KILL", std::to_string(seconds)};
    const auto began = std::chrono::steady_clock::now();
    ProgramAnswer answer = site.Run(run);
    return {answer, std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count()};
}

// A body of many pairs is decoded in time proportional to its size: within
// fifty times what one pair of the same size takes (a few times that here;
// moving the rest of the body for every pair took hours).
TEST(LargeRequest, BodyOfManyPairsIsDecodedQuickly)
{
    ASSERT_FALSE(ToolPath("timeout").empty()) << "the timeout command is missing";
    const Site site(std::nullopt);
    const auto [onePair, onePairSeconds] = DecodeLargest(site, "", 0);
    ASSERT_EQ(0, onePair.status);
    for (const std::string filler : {"&", "a=&", "%41&"}) {
        const ProgramAnswer answer = DecodeLargest(site, filler, 50 * onePairSeconds).first;
        EXPECT_EQ(answer.status, 0) << "filler " << filler << " (one pair: " << onePairSeconds << " s)";
        EXPECT_NE(answer.output.find("The version of ZEP on this server is " ZEPH_VERSION "."), std::string::npos)
            << "filler " << filler;
    }
}

}  // namespace
