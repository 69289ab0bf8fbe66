// The cipher commands of vxcfg and its usage errors, as a user runs them. (Help is the safety
// tests'.)
#include <gtest/gtest.h>

#include "run_program.h"

namespace {

ProgramResult Vxcfg(const std::vector<std::string>& args) {
    return RunProgram("vxcfg", args);
}

// The text of output that must be one line.
std::string Line(const std::string& out) {
    EXPECT_TRUE(!out.empty() && out.find('\n') == out.size() - 1) << out;
    return out.substr(0, out.find('\n'));
}

} // namespace

TEST(VxcfgCipher, PasswordsAndMerchantKeysRoundTripAndTheMarkerMeansNone) {
    ProgramResult enc = Vxcfg({"encrypt", "s3cret-Pass"});
    ASSERT_EQ(0, enc.exitCode) << enc.err;
    std::string stored = Line(enc.out);
    EXPECT_EQ(22u, stored.size());
    ProgramResult dec = Vxcfg({"decrypt", stored});
    EXPECT_EQ(0, dec.exitCode);
    EXPECT_EQ("s3cret-Pass\n", dec.out);
    EXPECT_EQ("", dec.err);

    enc = Vxcfg({"enckey", "00aa11BB22cc33DD"});
    ASSERT_EQ(0, enc.exitCode) << enc.err;
    stored = Line(enc.out);
    EXPECT_EQ(32u, stored.size());
    EXPECT_EQ("00aa11BB22cc33DD\n", Vxcfg({"deckey", stored}).out);
    EXPECT_EQ("Hb4WkQ9sTz2LmX7cRv1NyE5pUa8JdG3f\n", Vxcfg({"enckey", ""}).out);
    ProgramResult none = Vxcfg({"deckey", "hb4wkq9stz2lmx7crv1nye5pua8jdg3f"});
    EXPECT_EQ(0, none.exitCode);
    EXPECT_EQ("\n", none.out);
    ProgramResult bad = Vxcfg({"deckey", "abc"});
    EXPECT_EQ(1, bad.exitCode);
    EXPECT_EQ("", bad.out);
    Line(bad.err);
}

TEST(VxcfgCipher, WrongArgumentsAreUsageErrors) {
    const std::vector<std::vector<std::string>> wrong = {
        {"enckey", "0123456789abcdeg"},
        {"enckey", "0123456789abcde"},
        {"encrypt", "seventeen-chars-x"},
        {"encrypt"},
        {"decrypt", "a", "b"},
        {"no-such-command"},
        {},
        {"--root", "relative/dir", "encrypt", "x"},
        {"--root", "/tmp/has.dot", "encrypt", "x"},
        {"--root"},
        {"--bogus"},
    };
    for (const auto& args : wrong) {
        ProgramResult r = Vxcfg(args);
        std::string shown = args.empty() ? "(none)" : args[0];
        EXPECT_EQ(2, r.exitCode) << shown;
        EXPECT_EQ("", r.out) << shown;
        Line(r.err);
        EXPECT_EQ(0u, r.err.find("vxcfg: ")) << r.err;
    }
}
