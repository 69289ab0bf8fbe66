// The live line of a terminal: the last line of standard output, where a progress bar or a
// spinner with the elapsed seconds is redrawn in place. Every other line printed while it is
// shown goes above it, so that no message is written onto the bar. Off a terminal nothing is
// drawn and lines are printed as they come.
#ifndef VXCFG_LIVELINE_H
#define VXCFG_LIVELINE_H

#include <cstdio>
#include <string>

// Whether standard output is a terminal, on which the live line is drawn.
bool LiveLineShown();

// Prints text and a newline on stream, above the live line when one is drawn (safe to call
// while a spinner runs).
void LivePrint(FILE* stream, const char* text);

// Draws the progress bar at percent (0 to 100) on the live line; off a terminal prints
// "[ NN%]" as a line of its own.
void LiveProgress(int percent);

// Clears the live line (the bar or a spinner's last frame).
void LiveClear();

// While it lives, the live line shows label, a turning spinner and the seconds since it
// began, redrawn by a thread of its own; nothing off a terminal.
class LiveSpinner {
public:
    explicit LiveSpinner(const std::string& label);
    ~LiveSpinner();
    LiveSpinner(const LiveSpinner&) = delete;
    LiveSpinner& operator=(const LiveSpinner&) = delete;

private:
    bool m_owner = false; // a spinner already shown keeps turning for an inner one
};

#endif
