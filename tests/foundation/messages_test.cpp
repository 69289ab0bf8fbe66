// The message table's loading and placeholders, and where errors, information and status
// lines go.
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "vxconfig/messages.h"

namespace {

std::vector<std::string> g_errors, g_infos, g_updates;
// A callback that appends each text to its own list.
template <std::vector<std::string>* Texts> void Collect(const char* t) {
    Texts->push_back(t);
}
const ICTextCallback OnError = Collect<&g_errors>, OnInfo = Collect<&g_infos>,
                     OnUpdate = Collect<&g_updates>;

// Each test starts from the state a freshly loaded library has.
class Messages : public ::testing::Test {
protected:
    void SetUp() override {
        g_errors.clear();
        g_infos.clear();
        g_updates.clear();
        pfnError = pfnInfo = pfnUpdate = nullptr;
        bCgiApp = 0;
    }
    void TearDown() override { SetUp(); }
};

std::string Load(unsigned int id, const char* a1 = nullptr, const char* a2 = nullptr) {
    ICString out("untouched");
    EXPECT_EQ(1, ICLoadMessage(out, id, a1, a2));
    return std::string(out);
}

std::string Build(const char* text, const char* a1, const char* a2) {
    std::string copy(text);
    ICString out("junk");
    BuildMessage(out, &copy[0], a1, a2);
    return std::string(out);
}

} // namespace

// The texts written with their quirks (a double blank, backslashes, a lone blank) as users
// have always seen them; every number up to the last has a text.
TEST_F(Messages, TableKeepsItsTextsAsTheyWere) {
    for (int n = 1; n <= IC_MAX_MESSAGE; ++n)
        ASSERT_NE(nullptr, ic_mscfgStrTbl[n - 1]) << n;
    EXPECT_EQ(nullptr, ic_mscfgStrTbl[IC_MAX_MESSAGE]);
    EXPECT_STREQ("Unable to  restart Brindle Wharf Webserver", ic_mscfgStrTbl[24]);
    EXPECT_STREQ("", ic_mscfgStrTbl[74]); // number 75 is unused
    EXPECT_STREQ(" ", ic_mscfgStrTbl[38]);
    EXPECT_STREQ("Profiles\\All Users\\Start Menu\\Programs", ic_mscfgStrTbl[130]);
    EXPECT_STREQ("The web server file exist. Recovery: Delete the web server file or change "
                 "instance name.",
                 ic_mscfgStrTbl[523]);
}

TEST_F(Messages, LoadFillsPlaceholders) {
    EXPECT_EQ("Cannot access file /etc/services.", Load(28, "/etc/services"));
    EXPECT_EQ("The configuration member A has been backed up as B00.", Load(506, "A", "B"));
    EXPECT_EQ("Cannot find database db1 to migrate.  Please use Configuration Manager to create "
              "the database db1.",
              Load(94, "db1"));
    // A needed argument that is null counts as empty.
    EXPECT_EQ("Cannot access file .", Load(28));
    EXPECT_EQ("Configuration file f could not be created.  System message received .",
              Load(505, "f"));

    ICString out("untouched");
    EXPECT_EQ(0, ICLoadMessage(out, 0, "a", "b"));
    EXPECT_EQ(0, ICLoadMessage(out, 525, "a", "b"));
    EXPECT_STREQ("untouched", out);
    EXPECT_EQ(1, SysLoadString(524, out));
    EXPECT_EQ(0, SysLoadString(0, out));
}

TEST_F(Messages, BuildMessageHandlesPercentSigns) {
    EXPECT_EQ("100% sure", Build("100%% sure", "x", "y"));
    EXPECT_EQ("ab", Build("a%qb", "x", "y"));
    EXPECT_EQ("x-y-x", Build("%1-%2-%1", "x", "y"));
    EXPECT_EQ("end", Build("end%", "x", "y"));
    EXPECT_EQ("", Build("%", "x", "y"));
    EXPECT_EQ("y00.", Build("%200.", "x", "y"));
    EXPECT_EQ("plain", Build("plain", "x", "y"));
}

TEST_F(Messages, ErrorsAndInfoGoToStandardErrorOrToTheCallbacks) {
    pfnError = OnError;
    pfnInfo = OnInfo;
    testing::internal::CaptureStderr();
    ICShowError(7);
    ICShowMessage(54, "shop");
    ICShowError(0);
    EXPECT_EQ(" : Cannot create temporary file.\n"
              " : Storix server instance shop has been created successfully.\n"
              " : Internal Error!\n",
              testing::internal::GetCapturedStderr());
    EXPECT_TRUE(g_errors.empty() && g_infos.empty());

    // A CGI application gets the texts through its callbacks, and nothing without them.
    bCgiApp = 1;
    testing::internal::CaptureStderr();
    ICShowError(999);
    ICShowMessage(42, "shop");
    pfnError = nullptr;
    pfnInfo = nullptr;
    ICShowError(7);
    ICShowMessage(7);
    // Status lines need their callback whatever the mode.
    bCgiApp = 0;
    ICUpdateStatus(11, "db");
    pfnUpdate = OnUpdate;
    ICUpdateStatus(11, "db");
    ICUpdateStatus(0);
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    EXPECT_EQ((std::vector<std::string>{"Internal Error!"}), g_errors);
    EXPECT_EQ((std::vector<std::string>{"Storix servers for instance shop started successfully."}),
              g_infos);
    EXPECT_EQ((std::vector<std::string>{"Creating database db...", "Internal Error!"}), g_updates);
}

TEST(TextHelpers, StricmpIgnoresOnlyAsciiCaseAndItoaWritesDecimalText) {
    EXPECT_EQ(0, stricmp("Vendrix", "vENDRIX"));
    EXPECT_LT(stricmp("abc", "ABCD"), 0);
    EXPECT_NE(0, stricmp("\xe9", "\xc9")); // not an ASCII letter
    // Characters compare as signed values: a byte above 127 sorts before plain ASCII.
    EXPECT_LT(stricmp("\xe9", "a"), 0);
    EXPECT_EQ('[' - 'A', stricmp("[", "a"));

    char buffer[32];
    EXPECT_STREQ("-2147483648", itoa(-2147483647 - 1, buffer, 10));
    EXPECT_STREQ("2147483647", itoa(2147483647, buffer, 10));
    EXPECT_STREQ("101", itoa(5, buffer, 2));
    EXPECT_EQ(buffer, itoa(0, buffer, 10));
    EXPECT_STREQ("0", buffer);
}

TEST(LastError, IsTheErrorNumberOfTheLastFailingCall) {
    EXPECT_EQ(nullptr, fopen("/nonexistent-dir/none", "r"));
    EXPECT_EQ(ENOENT, ICGetLastError());
}
