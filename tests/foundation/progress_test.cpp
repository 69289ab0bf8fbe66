#include <gtest/gtest.h>

#include "vxconfig/messages.h"

// The stage counters live for the whole process and are never reset, so every scenario runs
// in a child process of its own that reports the last percentage as its exit code.
namespace {

int g_last = -1;
void OnProgress(int percent) {
    g_last = percent;
}

// Runs steps with the progress callback set, in a child that exits with the last percentage.
void ExpectLastPercent(int percent, void (*steps)()) {
    EXPECT_EXIT(
        {
            pfnProgress = OnProgress;
            steps();
            exit(g_last);
        },
        testing::ExitedWithCode(percent), "");
}

} // namespace

TEST(Progress, StagesScaleThePercentageAndNothingPassesAHundred) {
    ExpectLastPercent(100, [] { ICShowProgress(250); });
    ExpectLastPercent(40, [] {
        ICIncCurStage(); // nothing announced: stays at 0
        ICShowProgress(40);
    });
    ExpectLastPercent(62, [] {
        ICAddStage(4);
        for (int i = 0; i < 2; ++i) {
            ICShowProgress(100);
            ICIncCurStage();
        }
        ICShowProgress(50);
    });
    // Finished stages cannot pass the announced ones; a second operation adds its stages.
    ExpectLastPercent(100, [] {
        ICAddStage(1);
        ICIncCurStage();
        ICIncCurStage();
        ICAddStage(1); // two stages now, one finished: step 50
        ICShowProgress(100);
    });
    // Without the callback nothing is called, and the stages still count.
    ExpectLastPercent(66, [] {
        pfnProgress = nullptr;
        ICAddStage(3);
        ICIncCurStage();
        ICShowProgress(10);
        pfnProgress = OnProgress;
        ICIncCurStage();
        ICShowProgress(0);
    });
}
