// The list with a cursor: walks, deletions during a walk, copies and case-blind uniqueness.

#include "sandbox_fixture.h"

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

TEST(ParmList, DeleteDuringAWalkKeepsTheWalkGoing) {
    ParmList<ICString> list = ListOf({"keep1", "drop1", "drop2", "keep2", "drop3"});
    ICString s;
    std::vector<std::string> seen;
    for (int more = list.GetFirst(s); more; more = list.GetNext(s)) {
        seen.push_back(std::string(s));
        if (std::string(s).rfind("drop", 0) == 0) {
            EXPECT_EQ(1, list.Delete());
        }
    }
    EXPECT_EQ((std::vector<std::string>{"keep1", "drop1", "drop2", "keep2", "drop3"}), seen);
    EXPECT_EQ((std::vector<std::string>{"keep1", "keep2"}), Walk(list));

    // Deleting the first node puts the cursor before the head; deleting every element leaves
    // head, tail and cursor null.
    EXPECT_EQ("keep1", Filled(list.GetFirst(s), s));
    EXPECT_EQ(1, list.Delete());
    EXPECT_EQ(nullptr, list.GetCurrentNode());
    EXPECT_EQ("keep2", Filled(list.GetNext(s), s));
    EXPECT_EQ(nullptr, list.GetHeadNode()->prev);
    EXPECT_EQ(1, list.Delete());
    EXPECT_EQ(nullptr, list.GetHeadNode());
    EXPECT_EQ(nullptr, list.GetTailNode());
    EXPECT_EQ(nullptr, list.GetCurrentNode());
    list.AddTail(ICString("again"));
    EXPECT_EQ(list.GetHeadNode(), list.GetTailNode());
    EXPECT_EQ("again", Filled(list.GetFirst(s), s));
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

TEST(ParmList, UniqueInsertionsIgnoreCase) {
    ParmList<ICString> strings = ListOf({"a", "b"});
    strings.AddTailUnique(ICString("A"));
    strings.AddHeadUnique(ICString("B"));
    strings.AddHeadUnique(ICString("c"));
    EXPECT_EQ((std::vector<std::string>{"c", "a", "b"}), Walk(strings));

    ParmList<NameValue> pairs;
    pairs.AddTail(NameValue("x", "1"));
    pairs.AddTail(NameValue("y", "2"));
    pairs.AddTailUnique(NameValue("X", "2"));
    pairs.AddHeadUnique(NameValue("z", "3"));
    std::vector<std::string> seen;
    NameValue nv;
    for (int more = pairs.GetFirst(nv); more; more = pairs.GetNext(nv))
        seen.push_back(std::string(nv.name) + "=" + std::string(nv.value));
    EXPECT_EQ((std::vector<std::string>{"z=3", "X=2", "y=2"}), seen);
}
