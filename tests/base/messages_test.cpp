// The message table's loading and placeholders, where errors, information and status lines go,
// and the stages that scale the percentages an operation reports (each case on counters reset,
// as the next operation of a process starts).

#include "sandbox_fixture.h"

namespace {

int g_last = -1;
void OnProgress(int percent) {
    g_last = percent;
}

// The last percentage steps report with the progress callback set, on reset counters.
int LastPercent(void (*steps)()) {
    ICResetProgress();
    g_last = -1;
    pfnProgress = OnProgress;
    steps();
    pfnProgress = nullptr;
    return g_last;
}

std::string Build(const char* text, const char* a1, const char* a2) {
    std::string copy(text);
    ICString out("junk");
    BuildMessage(out, &copy[0], a1, a2);
    return std::string(out);
}

} // namespace

// Every number up to the last has a text and a null entry ends the table; a number outside
// it loads nothing.
TEST(Messages, LoadFillsPlaceholdersOfEveryNumberInTheTable) {
    for (int n = 1; n <= IC_MAX_MESSAGE; ++n)
        ASSERT_NE(nullptr, ic_mscfgStrTbl[n - 1]) << n;
    EXPECT_EQ(nullptr, ic_mscfgStrTbl[IC_MAX_MESSAGE]);
    ICString out("untouched");
    EXPECT_EQ("Cannot access file /etc/services.",
              Filled(ICLoadMessage(out, 28, "/etc/services"), out));
    // A needed argument that is null counts as empty.
    EXPECT_EQ("Cannot access file .", Filled(ICLoadMessage(out, 28), out));

    out = "untouched";
    EXPECT_EQ(0, ICLoadMessage(out, 0, "a", "b"));
    EXPECT_EQ(0, ICLoadMessage(out, IC_MAX_MESSAGE + 1, "a", "b"));
    EXPECT_STREQ("untouched", out);
    EXPECT_EQ(1, SysLoadString(IC_MAX_MESSAGE, out));
    EXPECT_EQ(0, SysLoadString(0, out));
}

TEST(Messages, BuildMessageHandlesPercentSigns) {
    EXPECT_EQ("100% sure", Build("100%% sure", "x", "y"));
    EXPECT_EQ("ab", Build("a%qb", "x", "y"));
    EXPECT_EQ("x-y-x", Build("%1-%2-%1", "x", "y"));
    EXPECT_EQ("end", Build("end%", "x", "y"));
    EXPECT_EQ("", Build("%", "x", "y"));
    EXPECT_EQ("y00.", Build("%200.", "x", "y"));
    EXPECT_EQ("plain", Build("plain", "x", "y"));
}

TEST(Messages, ErrorsAndInfoGoToStandardErrorOrToTheCallbacks) {
    ErrorLines errors;
    InfoLines infos;
    bCgiApp = 0;
    testing::internal::CaptureStderr();
    ICShowError(7);
    ICShowMessage(54, "shop");
    ICShowError(0);
    EXPECT_EQ(" : Cannot create temporary file.\n"
              " : Storix server instance shop has been created successfully.\n"
              " : Internal Error!\n",
              testing::internal::GetCapturedStderr());
    EXPECT_TRUE(errors.Lines().empty() && infos.Lines().empty());

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
    StatusLines status;
    bCgiApp = 0;
    ICUpdateStatus(11, "db");
    ICUpdateStatus(0);
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    EXPECT_EQ((std::vector<std::string>{"Internal Error!"}), errors.Lines());
    EXPECT_EQ((std::vector<std::string>{"Storix servers for instance shop started successfully."}),
              infos.Lines());
    EXPECT_EQ((std::vector<std::string>{"Creating database db...", "Internal Error!"}),
              status.Lines());
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

TEST(Progress, StagesScaleThePercentageAndNothingPassesAHundred) {
    EXPECT_EQ(100, LastPercent([] { ICShowProgress(250); }));
    EXPECT_EQ(40, LastPercent([] {
                  ICIncCurStage(); // nothing announced: stays at 0
                  ICShowProgress(40);
              }));
    EXPECT_EQ(62, LastPercent([] {
                  ICAddStage(4);
                  for (int i = 0; i < 2; ++i) {
                      ICShowProgress(100);
                      ICIncCurStage();
                  }
                  ICShowProgress(50);
              }));
    // Finished stages cannot pass the announced ones; a second operation adds its stages.
    EXPECT_EQ(100, LastPercent([] {
                  ICAddStage(1);
                  ICIncCurStage();
                  ICIncCurStage();
                  ICAddStage(1); // two stages now, one finished: step 50
                  ICShowProgress(100);
              }));
    // Without the callback nothing is called, and the stages still count.
    EXPECT_EQ(66, LastPercent([] {
                  pfnProgress = nullptr;
                  ICAddStage(3);
                  ICIncCurStage();
                  ICShowProgress(10);
                  pfnProgress = OnProgress;
                  ICIncCurStage();
                  ICShowProgress(0);
              }));
}
