// The counted string (its empty state, copies and bounds, joins of paths) and the list with a
// cursor (walks and copies). The string's line-wise store and load are the data file's tests;
// deletions during a walk and case-blind uniqueness are judged where the path lists, the reader
// and the macro file use them.
#include "sandbox_fixture.h"

TEST(ICString, EmptyStates) {
    ICString none, fromEmpty(""), fromNull(static_cast<const char*>(nullptr)), assigned("abc");
    assigned = "";
    for (const ICString* s : {&none, &fromEmpty, &fromNull, &assigned})
        EXPECT_TRUE(s->IsEmpty());
    // Cut to nothing, a string keeps its own buffer and is not the empty state.
    ICString slash("/");
    EXPECT_EQ(1, slash.Truncate(0));
    EXPECT_FALSE(slash.IsEmpty());
    EXPECT_STREQ("", slash);
}

TEST(ICString, CopiesAreDeepAndAccessStaysInBounds) {
    ICString a("hello");
    ICString b(a);
    b.SetAt(0, 'j');
    EXPECT_STREQ("hello", a);
    EXPECT_STREQ("jello", b);
    a = a;
    EXPECT_STREQ("hello", a);
    // Assigning or appending a text that lies inside the string itself.
    a = static_cast<const char*>(a) + 2;
    EXPECT_STREQ("llo", a);
    a.Expand(a, 2);
    EXPECT_EQ("lloll", Filled(a.GetLength() == 5, a));
    ICString c;
    c.CopyStr("abcdef", 3);
    EXPECT_STREQ("abc", c);
    c.CopyStr(nullptr, 4);
    EXPECT_TRUE(c.IsEmpty());

    ICString s("abc");
    EXPECT_EQ(0, s.GetAt(3));
    EXPECT_EQ(0, s.GetAt(-1));
    s.SetAt(3, 'x');
    s.SetAt(-1, 'x');
    EXPECT_EQ(0, s.Truncate(3));
    EXPECT_EQ(0, s.Truncate(7));
    EXPECT_EQ("abc", Filled(s.GetLength() == 3, s));
    EXPECT_EQ("a", Filled(s.Truncate(1), s));
}

TEST(ICString, AppendConcatenateAndJoinPaths) {
    ICString s("ab");
    s += "cd";
    s += ICString();
    s += static_cast<const char*>(nullptr);
    EXPECT_STREQ("abcd", s);

    ICString a("a"), b("b"), none;
    EXPECT_STREQ("ab", a + b);
    EXPECT_STREQ("a", a + none);
    EXPECT_STREQ("xa", "x" + a);
    EXPECT_STREQ("a/", a ^ none);
    EXPECT_STREQ("/b", none ^ b);
    EXPECT_STREQ("/", none ^ none);
    EXPECT_STREQ("a//b", ICString("a/") ^ "b");
    EXPECT_STREQ("usr/lib", "usr" ^ ICString("lib"));

    ICString e;
    e.ExpandCopy("left", 4, "right", 5, '=');
    EXPECT_STREQ("left=right", e);
    e.ExpandCopy(nullptr, 0, nullptr, 0, '=');
    EXPECT_STREQ("=", e);
    e.ExpandCopy("x", 1, "", 0, 0);
    EXPECT_STREQ("x", e);

    ICString path("/usr/lib");
    EXPECT_EQ(-1, none.Find("x"));
    EXPECT_EQ(1, path.FindPath("USR"));
    EXPECT_EQ(-1, path.Find("USR"));
    EXPECT_EQ(5, path.Find("lib"));
    path.ToUpper();
    EXPECT_STREQ("/USR/LIB", path);
}

namespace {

std::vector<std::string> Walk(ParmList<ICString>& list) {
    std::vector<std::string> seen;
    ICString s;
    for (int more = list.GetFirst(s); more; more = list.GetNext(s))
        seen.push_back(std::string(s));
    return seen;
}

ParmList<ICString> ListOf(std::initializer_list<const char*> items) {
    ParmList<ICString> list;
    for (const char* item : items)
        list.AddTail(ICString(item));
    return list;
}

} // namespace

TEST(ParmList, TheCursorFollowsAdditionsAndRunsOffBeforeStartingAgain) {
    ParmList<ICString> empty;
    ICString s("keep");
    EXPECT_EQ(0, empty.GetFirst(s));
    EXPECT_EQ(0, empty.GetNext(s));
    EXPECT_EQ(0, empty.Replace(ICString("x")));
    EXPECT_EQ(0, empty.Delete());
    EXPECT_STREQ("keep", s);

    // Additions at either end move the cursor to the new node.
    ParmList<ICString> list;
    list.AddTail(ICString("m"));
    list.AddHead(ICString("h"));
    EXPECT_EQ(1, list.Replace(ICString("H")));
    list.AddTail(ICString("t"));
    EXPECT_EQ(1, list.Replace(ICString("T")));
    // On the last node, the walk runs off first, then starts again at the head.
    EXPECT_EQ(0, list.GetNext(s));
    EXPECT_STREQ("keep", s); // unchanged by the failed step
    EXPECT_EQ(nullptr, list.GetCurrentNode());
    EXPECT_EQ("H", Filled(list.GetNext(s), s));
    EXPECT_EQ("m", Filled(list.GetNext(s), s));
    EXPECT_EQ("T", Filled(list.GetNext(s), s));
    EXPECT_EQ(0, list.GetNext(s));
}

TEST(ParmList, AssignmentCopiesEveryElement) {
    ParmList<ICString> source = ListOf({"x", "y"});
    ParmList<ICString> copy = ListOf({"old"});
    copy = source;
    copy = copy;
    EXPECT_EQ(copy.GetTailNode(), copy.GetCurrentNode());
    ICString s;
    copy.GetFirst(s);
    copy.Replace(ICString("changed"));
    EXPECT_EQ((std::vector<std::string>{"x", "y"}), Walk(source));
    EXPECT_EQ((std::vector<std::string>{"changed", "y"}), Walk(copy));
}
