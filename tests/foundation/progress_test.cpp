// The stages of an operation scale the percentages it reports; each case starts from counters
// reset, as the next operation of a process does.
#include <gtest/gtest.h>

#include "vxconfig/messages.h"

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

} // namespace

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
