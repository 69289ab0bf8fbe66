// vxcfg createdb: the database of every instance of the data file, with the library's status
// lines, a progress bar on a terminal, and where the logs are.
#include <algorithm>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "frontend.h"
#include "instance_args.h"
#include "vxconfig/vxconfig.h"

namespace {

const int kBarWidth = 40;
bool s_barShown = false;
int s_percent = 0;
void (*s_printStatus)(const char*) = nullptr;

void DrawBar() {
    int filled = s_percent * kBarWidth / 100;
    printf("\r[%s%s] %3d%%", std::string(filled, '#').c_str(),
           std::string(kBarWidth - filled, '.').c_str(), s_percent);
    fflush(stdout);
    s_barShown = true;
}

void ClearBar() {
    if (s_barShown)
        printf("\r\033[K");
    s_barShown = false;
}

void BarProgress(int percent) {
    s_percent = percent;
    DrawBar();
}

// A status line goes above the bar, which is drawn again below it.
void StatusAboveBar(const char* text) {
    bool redraw = s_barShown;
    ClearBar();
    s_printStatus(text);
    if (redraw)
        DrawBar();
}

} // namespace

int CmdCreatedb(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    if (int rc = data.Open(args, false))
        return rc;
    bool terminal = isatty(STDOUT_FILENO) != 0;
    void (*savedProgress)(int) = pfnProgress;
    s_printStatus = pfnUpdate;
    if (terminal) {
        pfnProgress = BarProgress;
        pfnUpdate = StatusAboveBar;
    } else {
        pfnProgress = nullptr;
    }
    int failures = 0;
    int done = DBCreateDatabase(data.list, &failures);
    if (terminal) {
        if (done) {
            s_percent = 100;
            DrawBar();
        }
        ClearBar();
    }
    pfnProgress = savedProgress;
    pfnUpdate = s_printStatus;
    if (!done)
        return VX_EXIT_FAIL;

    std::vector<std::string> logs;
    for (int i = 0; i < data.list.GetCount(); ++i) {
        MSInfo info;
        data.list.SetIndex(i);
        data.list.GetCurrent(info);
        std::string log = static_cast<const char*>(info.VXLogPath);
        if (!log.empty() && std::find(logs.begin(), logs.end(), log) == logs.end())
            logs.push_back(log);
    }
    int count = data.list.GetCount();
    printf("Databases: %d of %d ready.", count - failures, count);
    for (size_t i = 0; i < logs.size(); ++i)
        printf("%s%s", i ? ", " : " Logs in ", Shown(logs[i].c_str()).c_str());
    printf("\n");
    return failures ? VX_EXIT_FAIL : VX_EXIT_OK;
}
