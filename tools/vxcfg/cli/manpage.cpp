// The manual page, in roff, written from the same command and option tables as --help, so the
// two never disagree. The build runs "vxcfg --man" to make vxcfg.1.
#include <cstdio>
#include <string>

#include "cli/frontend.h"

namespace {

// Text as roff reads it literally: backslashes doubled, a leading dot or quote guarded,
// hyphens of options kept as minus signs.
std::string Roff(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out = "\\&" + out;
    return out;
}

void Options(const VxOption* table) {
    for (const VxOption* o = table; o->name; ++o) {
        printf(".TP\n\\fB%s\\fR", Roff(o->name).c_str());
        if (o->arg)
            printf(" \\fI%s\\fR", Roff(o->arg).c_str());
        printf("\n%s\n", Roff(o->help).c_str());
    }
}

} // namespace

void PrintManPage() {
    printf(".TH VXCFG 1 \"\" \"vxcfg %s\" \"User Commands\"\n", VX_VERSION);
    printf(".SH NAME\nvxcfg \\- configure server instances of the Vendrix web commerce server\n");
    printf(".SH SYNOPSIS\n\\fBvxcfg\\fR [\\fB\\-\\-root\\fR \\fIDIR\\fR] \\fICOMMAND\\fR "
           "[\\fIARGUMENTS\\fR]\n.br\n\\fBvxcfg\\fR \\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR | "
           "\\fICOMMAND\\fR \\fB\\-\\-help\\fR\n");
    printf(".SH DESCRIPTION\nvxcfg keeps the records of the instances in the instance data file, "
           "writes their configuration files, registers their TCP services and boot entries, "
           "configures the web servers, creates their databases and starts, stops and probes "
           "their servers.\n");
    printf(".SH OPTIONS\n");
    Options(g_globalCommand.options[0]);
    printf(".SH COMMANDS\n");
    for (const VxCommand* c = g_commands; c->name; ++c) {
        printf(".TP\n\\fB%s\\fR\n%s\n", Roff(UsageOf(*c)).c_str(), Roff(c->summary).c_str());
        for (const VxOption* const* table = c->options; *table; ++table) {
            if (*table == g_instanceOptions)
                continue;
            printf(".RS\n");
            Options(*table);
            printf(".RE\n");
        }
    }
    printf(".SH INSTANCE OPTIONS\nThe record options of \\fBadd\\fR and \\fBset\\fR:\n");
    Options(g_instanceOptions);
    printf(".SH ENVIRONMENT\n.TP\n\\fBVXCONFIG_ROOT\\fR\nthe system root every fixed path is "
           "taken under (set by \\fB\\-\\-root\\fR)\n.TP\n\\fBVXCONFIG_SLEEP_MS\\fR\nthe "
           "milliseconds one second of the library's waits lasts\n.TP\n"
           "\\fBVXCONFIG_COMMAND_SECONDS\\fR\nthe longest a command run as another user may "
           "take (default 3600)\n");
    printf(".SH EXIT STATUS\n0 success (with --check: nothing would change), 1 failure, 2 wrong "
           "usage, 3 with --check: something would change.\n");
}
