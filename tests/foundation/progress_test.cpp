#include <gtest/gtest.h>

#include "vxconfig/messages.h"

// The stage counters live for the whole process and are never reset, so every scenario runs
// in a child process of its own that reports the last percentage as its exit code.
namespace {

int g_last = -1;
void OnProgress(int percent) {
    g_last = percent;
}

} // namespace

TEST(Progress, AboveHundredIsCutWhenNoStagesAreAnnounced) {
    EXPECT_EXIT(
        {
            pfnProgress = OnProgress;
            ICShowProgress(250);
            exit(g_last);
        },
        testing::ExitedWithCode(100), "");
    EXPECT_EXIT(
        {
            pfnProgress = OnProgress;
            ICIncCurStage(); // nothing announced: stays at 0
            ICShowProgress(40);
            exit(g_last);
        },
        testing::ExitedWithCode(40), "");
}

TEST(Progress, StagesScaleThePercentage) {
    EXPECT_EXIT(
        {
            pfnProgress = OnProgress;
            ICAddStage(4);
            for (int i = 0; i < 2; ++i) {
                ICShowProgress(100);
                ICIncCurStage();
            }
            ICShowProgress(50);
            exit(g_last);
        },
        testing::ExitedWithCode(62), "");
    EXPECT_EXIT(
        {
            pfnProgress = OnProgress;
            ICAddStage(3);
            ICIncCurStage();
            ICIncCurStage();
            ICShowProgress(0);
            exit(g_last);
        },
        testing::ExitedWithCode(66), "");
    // Finished stages cannot pass the announced ones; a second operation adds its stages.
    EXPECT_EXIT(
        {
            pfnProgress = OnProgress;
            ICAddStage(1);
            ICIncCurStage();
            ICIncCurStage();
            ICAddStage(1); // two stages now, one finished: step 50
            ICShowProgress(100);
            exit(g_last);
        },
        testing::ExitedWithCode(100), "");
}

TEST(Progress, NothingHappensWithoutTheCallback) {
    EXPECT_EXIT(
        {
            pfnProgress = nullptr;
            ICShowProgress(10);
            pfnProgress = OnProgress;
            exit(g_last == -1 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
