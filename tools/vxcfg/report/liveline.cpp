// The live line (see liveline.h): one lock orders the drawing thread of a spinner and the
// messages of the operation it waits for.
#include "report/liveline.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

const int kBarWidth = 40;
const int kFullPercent = 100;
const char kSpinnerFrames[] = "|/-\\";
constexpr int kFrameCount = sizeof kSpinnerFrames - 1;
constexpr std::chrono::milliseconds kFrameTime(250);

std::mutex s_lock;
// What the live line shows now; empty when nothing is drawn.
std::string s_shown;

using Clock = std::chrono::steady_clock;

// Called with s_lock held.
void Draw(const std::string& text) {
    printf("\r\033[K%s", text.c_str());
    fflush(stdout);
    s_shown = text;
}

// Called with s_lock held: the cursor back at the start of an empty line.
void Erase() {
    if (s_shown.empty())
        return;
    printf("\r\033[K");
    fflush(stdout);
}

struct Spinner {
    std::string label;
    Clock::time_point began;
    std::thread thread;
    std::condition_variable wake;
    bool ending = false;
};
Spinner* s_spinner = nullptr;

std::string SpinnerFrame(const Spinner& spinner, int frame) {
    long seconds = static_cast<long>(
        std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - spinner.began).count());
    return spinner.label + " " + kSpinnerFrames[frame % kFrameCount] + " " +
           std::to_string(seconds) + " s";
}

} // namespace

bool LiveLineShown() {
    static const bool terminal = isatty(STDOUT_FILENO) != 0;
    return terminal;
}

void LivePrint(FILE* stream, const char* text) {
    std::lock_guard<std::mutex> hold(s_lock);
    Erase();
    fprintf(stream, "%s\n", text ? text : "");
    fflush(stream);
    if (!s_shown.empty())
        Draw(s_shown);
}

void LiveProgress(int percent) {
    if (percent < 0)
        percent = 0;
    if (percent > kFullPercent)
        percent = kFullPercent;
    std::lock_guard<std::mutex> hold(s_lock);
    if (!LiveLineShown()) {
        printf("[%3d%%]\n", percent);
        return;
    }
    int filled = percent * kBarWidth / kFullPercent;
    char number[8];
    snprintf(number, sizeof number, "%3d%%", percent);
    Draw("[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] " + number);
}

void LiveClear() {
    std::lock_guard<std::mutex> hold(s_lock);
    Erase();
    s_shown.clear();
}

LiveSpinner::LiveSpinner(const std::string& label) {
    if (!LiveLineShown())
        return;
    std::lock_guard<std::mutex> hold(s_lock);
    if (s_spinner)
        return;
    m_owner = true;
    s_spinner = new Spinner;
    s_spinner->label = label;
    s_spinner->began = Clock::now();
    Draw(SpinnerFrame(*s_spinner, 0));
    s_spinner->thread = std::thread([spinner = s_spinner] {
        std::unique_lock<std::mutex> held(s_lock);
        for (int frame = 1;
             !spinner->wake.wait_for(held, kFrameTime, [&] { return spinner->ending; }); ++frame)
            Draw(SpinnerFrame(*spinner, frame));
    });
}

LiveSpinner::~LiveSpinner() {
    if (!m_owner)
        return;
    Spinner* spinner = nullptr;
    {
        std::lock_guard<std::mutex> hold(s_lock);
        spinner = s_spinner;
        spinner->ending = true;
        s_spinner = nullptr;
    }
    spinner->wake.notify_all();
    spinner->thread.join();
    LiveClear();
    delete spinner;
}
