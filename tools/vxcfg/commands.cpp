// The table of subcommands, as data.
#include "frontend.h"

const VxCommand g_commands[] = {
    {"encrypt", "TEXT", "print the stored form of a password (at most 16 characters)", CmdEncrypt},
    {"decrypt", "TEXT", "print the clear password of a stored form", CmdDecrypt},
    {"enckey", "KEY", "print the stored form of a merchant key (16 hexadecimal digits)", CmdEncKey},
    {"deckey", "TEXT", "print the clear merchant key of a stored form", CmdDecKey},
    {"sandbox", "DIR [--without payment|hosting|macro|wharf|relda]...",
     "lay out a simulated installation under DIR (absolute, no dots)", CmdSandbox},
    {"list", "[--data FILE]", "one line per instance: name, ports, web server, database", CmdList},
    {"show", "NAME [--data FILE]", "every stored field of an instance (passwords hidden)", CmdShow},
    {"add", "NAME [--data FILE] [--port N] [--procs N] [--host H] [--db NAME] [OPTION VALUE]...",
     "add an instance, starting from the defaults of this installation", CmdAdd},
    {"set", "NAME [--data FILE] OPTION VALUE...", "change an instance (the options of add)",
     CmdSet},
    {"remove", "NAME [--data FILE]", "remove an instance from the data file", CmdRemove},
    {"pay", "about|stop [--host H] --api-port P --admin-port Q",
     "ask a payment server for its identification, or ask it to stop", CmdPay},
    {nullptr, nullptr, nullptr, nullptr},
};
