// SysUnifiedDiff: exact output for small cases, hunks, missing line ends and quoted names, and
// diffs that GNU patch applies back to the byte.
#include <random>

#include "sandbox_fixture.h"

namespace {

// "first".."last" as lines, each with mark in front: the numbered texts of the cases below.
std::string Numbered(int first, int last, const char* mark = "") {
    std::string s;
    for (int i = first; i <= last; ++i)
        s += mark + std::to_string(i) + "\n";
    return s;
}

std::string Diff(const std::string& before, const std::string& after) {
    return SysUnifiedDiff("etc/app.conf", &before, &after);
}

const std::string HEAD = "--- a/etc/app.conf\n+++ b/etc/app.conf\n";

TEST(UnifiedDiff, SmallCasesAsGnuDiffWritesThem) {
    std::string ten = Numbered(1, 10), five = Numbered(1, 5);
    std::string mid = Numbered(1, 4) + "five\n" + Numbered(6, 10);
    EXPECT_EQ(Diff(ten, mid), HEAD + "@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n 6\n 7\n 8\n");
    EXPECT_EQ(Diff(five, "new\n" + five), HEAD + "@@ -1,3 +1,4 @@\n+new\n 1\n 2\n 3\n");
    EXPECT_EQ(Diff(five, Numbered(1, 4)), HEAD + "@@ -2,4 +2,3 @@\n 2\n 3\n 4\n-5\n");
    EXPECT_EQ(Diff("a\n", "a\nb\n"), HEAD + "@@ -1 +1,2 @@\n a\n+b\n");
    EXPECT_EQ(Diff("", "x\n"), HEAD + "@@ -0,0 +1 @@\n+x\n");
    // Where equal blank lines leave a choice, an added block stays whole and a replaced line
    // stays one change, as GNU diff puts them.
    EXPECT_EQ(Diff("x\n\n\ny\n", "x\n\nk = 1\n\n\ny\n"),
              HEAD + "@@ -1,4 +1,6 @@\n x\n \n+k = 1\n+\n \n y\n");
    EXPECT_EQ(Diff("a\n\n\nb\n", "a\n}\n\nb\n"), HEAD + "@@ -1,4 +1,4 @@\n a\n-\n+}\n \n b\n");
    // Lines are bytes: a NUL or a CR belongs to the line.
    std::string nul("k\0v\n", 4);
    EXPECT_EQ(Diff(nul + "z\n", "k\r\nz\n"), HEAD + "@@ -1,2 +1,2 @@\n-" + nul + "+k\r\n z\n");
}

TEST(UnifiedDiff, HunksJoinWhenTheirContextTouches) {
    std::string twenty = Numbered(1, 20);
    std::string six = Numbered(1, 4) + "X\n" + Numbered(6, 11) + "Y\n" + Numbered(13, 20);
    EXPECT_EQ(Diff(twenty, six), HEAD + "@@ -2,14 +2,14 @@\n" + Numbered(2, 4, " ") + "-5\n+X\n" +
                                     Numbered(6, 11, " ") + "-12\n+Y\n" + Numbered(13, 15, " "));
    std::string seven = Numbered(1, 4) + "X\n" + Numbered(6, 12) + "Y\n" + Numbered(14, 20);
    EXPECT_EQ(Diff(twenty, seven), HEAD + "@@ -2,7 +2,7 @@\n" + Numbered(2, 4, " ") + "-5\n+X\n" +
                                       Numbered(6, 8, " ") + "@@ -10,7 +10,7 @@\n" +
                                       Numbered(10, 12, " ") + "-13\n+Y\n" + Numbered(14, 16, " "));
}

TEST(UnifiedDiff, NullSidesMissingLineEndsAndEqualTexts) {
    std::string text = "x\ny\n", none;
    EXPECT_EQ(SysUnifiedDiff("f", nullptr, &text),
              "--- /dev/null\n+++ b/f\n@@ -0,0 +1,2 @@\n+x\n+y\n");
    EXPECT_EQ(SysUnifiedDiff("f", &text, nullptr),
              "--- a/f\n+++ /dev/null\n@@ -1,2 +0,0 @@\n-x\n-y\n");
    // A name that would break the header line is quoted with C escapes.
    EXPECT_EQ(SysUnifiedDiff("a\"b\n\\c\001", &text, nullptr),
              "--- \"a/a\\\"b\\n\\\\c\\001\"\n+++ /dev/null\n@@ -1,2 +0,0 @@\n-x\n-y\n");
    EXPECT_EQ(SysUnifiedDiff("f", nullptr, &none), "");
    EXPECT_EQ(SysUnifiedDiff("f", &none, nullptr), "");
    EXPECT_EQ(SysUnifiedDiff("f", nullptr, nullptr), "");
    EXPECT_EQ(Diff("", ""), "");
    EXPECT_EQ(SysUnifiedDiff("f", &text, &text), "");
    const std::string noEnd = "\n\\ No newline at end of file\n";
    EXPECT_EQ(Diff("a\nb", "a\nb\n"), HEAD + "@@ -1,2 +1,2 @@\n a\n-b" + noEnd + "+b\n");
    EXPECT_EQ(Diff("a\nb\n", "a\nb"), HEAD + "@@ -1,2 +1,2 @@\n a\n-b\n+b" + noEnd);
    EXPECT_EQ(Diff("a\nb\nc\nd\ne", "a\nX\nc\nd\ne"),
              HEAD + "@@ -1,5 +1,5 @@\n a\n-b\n+X\n c\n d\n e" + noEnd);
    const std::string lone = "z";
    EXPECT_EQ(SysUnifiedDiff("f", nullptr, &lone),
              "--- /dev/null\n+++ b/f\n@@ -0,0 +1 @@\n+z" + noEnd);
}

// Odd bytes, CR LF, missing line ends and whole files made or removed are written exactly
// above; here random edits of a configuration-like text whose lines repeat a lot (blank lines,
// closing braces), under a plain name and under one that must be quoted.
TEST(UnifiedDiff, GnuPatchAppliesItBackToTheByte) {
    std::mt19937 rng(7);
    std::vector<std::string> base;
    for (int i = 0; i < 2000; ++i) {
        unsigned r = rng() % 8;
        base.push_back(r == 0 ? "" : r == 1 ? "}" : "key" + std::to_string(rng() % 60) + " = 1");
    }
    auto joined = [](const std::vector<std::string>& lines) {
        std::string s;
        for (const std::string& line : lines)
            s += line + "\n";
        return s;
    };
    ScratchDir scratch;
    const std::string& dir = scratch.Path();
    const std::string patch =
        "cd " + dir + " && /usr/bin/patch -p1 -s --no-backup-if-mismatch -i change.diff";
    const std::string names[] = {"app.conf", "odd \"na\\me\"\n\t.conf"};
    for (int round = 0; round < 6; ++round) {
        std::vector<std::string> edited = base;
        for (int e = 0; e < 40; ++e) {
            size_t at = rng() % (edited.size() + 1);
            unsigned what = rng() % 3;
            if (what == 0 && at < edited.size())
                edited.erase(edited.begin() + static_cast<long>(at));
            else if (what == 1 || at == edited.size())
                edited.insert(edited.begin() + static_cast<long>(at), rng() % 2 ? "}" : "added");
            else
                edited[at] = "changed " + std::to_string(e);
        }
        std::string before = joined(base), after = joined(edited);
        if (round % 3 == 2)
            after.pop_back();
        const std::string& name = names[round % 2];
        ASSERT_TRUE(WriteWholeFile(dir + "/" + name, before));
        std::string diff = SysUnifiedDiff(name, &before, &after);
        ASSERT_TRUE(WriteWholeFile(dir + "/change.diff", diff));
        EXPECT_EQ(system(patch.c_str()), 0) << "round " << round << "\n" << diff;
        EXPECT_EQ(ReadWholeFile(dir + "/" + name), after) << "round " << round;
    }
}

} // namespace
