// Creating an instance with the personalization variant installed writes its vxtrade.conf and
// the product macros the variant replaces once each, and leaves them as the writers one after
// the other did: the variant's keys after the last line, each behind an empty line, and the
// macros as copies of the product's that their owner may read and write.

#include "sandbox_fixture.h"

namespace {

class CreateOnceTest : public SandboxTest {};

TEST_F(CreateOnceTest, MainFileAndPersonalizedMacrosAreWrittenOnce) {
    MSInfo m = Instance("shop1");
    m.ISHost = "shop1.example";
    m.DBName = "shopdb";
    m.MSPort = FreePort();
    VXOutcome outcome;
    {
        VXOutcomeScope scope(outcome);
        ASSERT_EQ(ICCreateSingleInst(m), 1);
    }
    auto writes = [&](const std::string& target) {
        int count = 0;
        for (const VXStep& step : outcome.steps)
            count += step.target == target && !step.failed ? 1 : 0;
        return count;
    };
    const std::string conf = Rooted("/conf/shop1/vxtrade.conf");
    const std::string macro = Rooted("/inst/shop1/teditor/product/temphard.d2w");
    EXPECT_EQ(writes(conf), 1);
    EXPECT_EQ(writes(macro), 1);
    const std::string text = ReadWholeFile(conf);
    const std::string tail = "IC_JDBC_NETURL jdbc:relda://shop1.example:16560/shopdb\n"
                             "\nPERS_ENABLED NO\n\nGL_HOST shop1.example\n\nGL_PORT 9000\n";
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), tail.size())), tail);
    EXPECT_EQ(ReadWholeFile(macro),
              ReadWholeFile(Rooted("/opt/Orvellvndx/Vendrix3/macro/en_US/product/temphard.d2w")));
    EXPECT_EQ(ModeOf(macro), 0644u);
}

} // namespace
