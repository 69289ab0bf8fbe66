// The table of subcommands, as data.
#include "frontend.h"

const VxCommand g_commands[] = {
    {"encrypt", "TEXT", "print the stored form of a password (at most 16 characters)", CmdEncrypt},
    {"decrypt", "TEXT", "print the clear password of a stored form", CmdDecrypt},
    {"enckey", "KEY", "print the stored form of a merchant key (16 hexadecimal digits)", CmdEncKey},
    {"deckey", "TEXT", "print the clear merchant key of a stored form", CmdDecKey},
    {"sandbox", "DIR [--without payment|hosting|macro|wharf|relda]...",
     "lay out a simulated installation under DIR (absolute, no dots)", CmdSandbox},
    {nullptr, nullptr, nullptr, nullptr},
};
