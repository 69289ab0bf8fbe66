#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "sandbox_fixture.h"
#include "vxconfig/icstring.h"

TEST(ICString, EmptyStatesShareTheStaticText) {
    ICString none;
    ICString fromEmpty("");
    ICString fromNull(static_cast<const char*>(nullptr));
    ICString assigned("abc");
    assigned = "";
    for (const ICString* s : {&none, &fromEmpty, &fromNull, &assigned}) {
        EXPECT_TRUE(s->IsEmpty());
        EXPECT_EQ(0, s->GetLength());
        EXPECT_EQ(static_cast<const char*>(ICString::pszNull), static_cast<const char*>(*s));
    }
    // Cut to nothing, a string keeps its own buffer and is not the empty state.
    ICString slash("/");
    EXPECT_EQ(1, slash.Truncate(0));
    EXPECT_EQ(0, slash.GetLength());
    EXPECT_FALSE(slash.IsEmpty());
    EXPECT_STREQ("", slash);
}

TEST(ICString, CopiesAreDeepAndSelfAssignmentIsHarmless) {
    ICString a("hello");
    ICString b(a);
    b.SetAt(0, 'j');
    EXPECT_STREQ("hello", a);
    EXPECT_STREQ("jello", b);
    a = a;
    EXPECT_STREQ("hello", a);
    // Assigning a text that lies inside the string itself.
    a = static_cast<const char*>(a) + 2;
    EXPECT_STREQ("llo", a);
    ICString c;
    c.CopyStr("abcdef", 3);
    EXPECT_STREQ("abc", c);
    c.CopyStr("abcdef", 0);
    EXPECT_TRUE(c.IsEmpty());
    c.CopyStr(nullptr, 4);
    EXPECT_TRUE(c.IsEmpty());
}

TEST(ICString, GetAtSetAtAndTruncateStayInBounds) {
    ICString s("abc");
    EXPECT_EQ('c', s.GetAt(2));
    EXPECT_EQ(0, s.GetAt(3));
    EXPECT_EQ(0, s.GetAt(-1));
    s.SetAt(3, 'x');
    s.SetAt(-1, 'x');
    EXPECT_STREQ("abc", s);
    EXPECT_EQ(3, s.GetLength());
    EXPECT_EQ(0, s.Truncate(3));
    EXPECT_EQ(0, s.Truncate(7));
    EXPECT_STREQ("abc", s);
    EXPECT_EQ("a", Filled(s.Truncate(1), s));
}

TEST(ICString, AppendConcatenateAndJoinPaths) {
    ICString s("ab");
    s += "cd";
    s += ICString();
    s += static_cast<const char*>(nullptr);
    EXPECT_STREQ("abcd", s);
    s.Expand(s, 2); // appending part of itself
    EXPECT_STREQ("abcdab", s);
    EXPECT_EQ(6, s.GetLength());

    ICString a("a"), b("b"), none;
    EXPECT_STREQ("ab", a + b);
    EXPECT_STREQ("a", a + none);
    EXPECT_STREQ("b", none + b);
    EXPECT_STREQ("xa", "x" + a);
    EXPECT_STREQ("a/", a ^ none);
    EXPECT_STREQ("/b", none ^ b);
    EXPECT_STREQ("/", none ^ none);
    EXPECT_STREQ("a//b", ICString("a/") ^ "b");
    EXPECT_STREQ("/opt/x/bin", ICString("/opt") ^ "x" ^ "bin");
    EXPECT_STREQ("usr/lib", "usr" ^ ICString("lib"));

    ICString e;
    e.ExpandCopy("left", 4, "right", 5, '=');
    EXPECT_STREQ("left=right", e);
    e.ExpandCopy(nullptr, 0, nullptr, 0, '=');
    EXPECT_STREQ("=", e);
    e.ExpandCopy("x", 1, "", 0, 0);
    EXPECT_STREQ("x", e);
}

TEST(ICString, FindIsExactFindPathIgnoresCase) {
    ICString none;
    EXPECT_EQ(-1, none.Find("x"));
    ICString path("/usr/lib");
    EXPECT_EQ(1, path.FindPath("USR"));
    EXPECT_EQ(-1, path.Find("USR"));
    EXPECT_EQ(5, path.Find("lib"));
    EXPECT_EQ(-1, path.FindPath("/opt"));
    path.ToUpper();
    EXPECT_STREQ("/USR/LIB", path);
}

class ICStringStream : public ::testing::Test {
protected:
    void SetUp() override { fp = tmpfile(); }
    void TearDown() override { fclose(fp); }
    void Write(const std::string& bytes) {
        fwrite(bytes.data(), 1, bytes.size(), fp);
        rewind(fp);
    }
    std::string Contents() {
        std::string all;
        rewind(fp);
        for (int c; (c = fgetc(fp)) != EOF;)
            all += static_cast<char>(c);
        return all;
    }
    FILE* fp = nullptr;
};

TEST_F(ICStringStream, StoreWritesTheTextAndOneNewline) {
    EXPECT_EQ(1, ICString().Store(fp));
    EXPECT_EQ(1, ICString("name").Store(fp));
    // A NUL put inside by SetAt ends the stored text.
    ICString cut("abc");
    cut.SetAt(1, 0);
    EXPECT_EQ(1, cut.Store(fp));
    EXPECT_EQ("\nname\na\n", Contents());
    rewind(fp);
    ICString s("junk");
    EXPECT_EQ(1, s.Load(fp));
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ("name", Filled(s.Load(fp), s));
    EXPECT_EQ("a", Filled(s.Load(fp), s));
    // At the end of the file: empty and 0.
    EXPECT_EQ(0, s.Load(fp));
    EXPECT_TRUE(s.IsEmpty());
}

TEST_F(ICStringStream, LoadCutsLongLinesAt512Bytes) {
    std::string line511(511, 'a');
    std::string line512(512, 'b');
    Write(line511 + "\n" + line512 + "\nlast");
    ICString s;
    EXPECT_EQ(line511, Filled(s.Load(fp), s));
    EXPECT_EQ(511, s.GetLength());
    // 512 characters fill the buffer: result 0, the newline stays in the stream.
    EXPECT_EQ(0, s.Load(fp));
    EXPECT_EQ(line512, std::string(s));
    EXPECT_EQ(1, s.Load(fp));
    EXPECT_TRUE(s.IsEmpty());
    // A last line without its newline.
    EXPECT_EQ(0, s.Load(fp));
    EXPECT_STREQ("last", s);
}

TEST_F(ICStringStream, LoadStopsTheTextAtAnEmbeddedNul) {
    Write(std::string("ab\0cd\nnext\n", 11));
    ICString s;
    EXPECT_EQ("ab", Filled(s.Load(fp), s));
    EXPECT_EQ(2, s.GetLength());
    EXPECT_EQ("next", Filled(s.Load(fp), s));
}
