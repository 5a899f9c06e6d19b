// Requests at the size limit are decoded in time proportional to their size.
#include "reliability/Tools.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The largest accepted body made of empty pairs, with the version request last:
// the answer shows that the whole body was decoded.
TEST(LargeRequest, BodyOfManyPairsIsDecodedQuickly)
{
    const std::string timeout = ToolPath("timeout");
    ASSERT_FALSE(timeout.empty()) << "the timeout command is missing";
    const std::string last = "act=version";
    const std::string fillers[] = {"&", "a=&", "%41&"};
    const Site site(std::nullopt);
    for (const std::string& filler : fillers) {
        std::string body;
        while (body.size() + filler.size() + last.size() <= 8 * 1024 * 1024)
            body += filler;
        body += last;

        ProgramRun run;
        run.environment = {{"REQUEST_METHOD", "POST"},
                           {"CONTENT_LENGTH", std::to_string(body.size())}};
        run.body = body;
        // Seconds are plenty even under the sanitizers; moving the rest of the
        // body for every pair took hours.
        run.wrapper = {timeout, "-s", "KILL", "60"};
        ProgramAnswer answer = site.Run(run);
        EXPECT_EQ(answer.status, 0) << "filler " << filler;
        EXPECT_NE(answer.output.find("The version of ZEP on this server is " ZEPH_VERSION "."), std::string::npos)
            << "filler " << filler;
    }
}

}  // namespace
