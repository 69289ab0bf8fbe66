// The table of subcommands and the options of each, as data: the parser and --help read them.
#include "frontend.h"

namespace {

const VxOption kGlobalOptions[] = {
    {"--root", "DIR",
     "work on the installation under DIR instead of / (sets VXCONFIG_ROOT and puts DIR/bin "
     "first in PATH)",
     nullptr, false, false},
    {"--help", nullptr, "show this text (COMMAND --help: that command's)", nullptr, false, false},
    {"--version", nullptr, "show the version", nullptr, false, false},
    {nullptr, nullptr, nullptr, nullptr, false, false},
};

const VxOption kSandboxOptions[] = {
    {"--without", "PRODUCT", "leave out payment, hosting, macro, wharf or relda (repeatable)",
     nullptr, false, false},
    {"--force", nullptr, "lay out over a directory that already holds files", nullptr, false,
     false},
    {nullptr, nullptr, nullptr, nullptr, false, false},
};

const VxOption kPayOptions[] = {
    {"--host", "H", "the payment server's host (default localhost)", nullptr, false, false},
    {"--api-port", "P", "its API port, 1 to 65535", nullptr, false, false},
    {"--admin-port", "Q", "its administration port, 1 to 65535", nullptr, false, false},
    {"--timeout", "SECONDS", "give up after this many seconds, 1 to 86400 (default 30)", nullptr,
     false, false},
    {nullptr, nullptr, nullptr, nullptr, false, false},
};

} // namespace

const VxOption g_dataOption[] = {
    {"--data", "FILE", "the instance data file (default: server/admin/vxconfig.dat of the product)",
     nullptr, false, false},
    {nullptr, nullptr, nullptr, nullptr, false, false},
};

const VxCommand g_globalCommand = {"vxcfg", "COMMAND [ARGUMENTS]",    0, 0, "",
                                   nullptr, {kGlobalOptions, nullptr}};

const VxCommand g_commands[] = {
    {"encrypt",
     "TEXT",
     1,
     1,
     "print the stored form of a password (at most 16 characters)",
     CmdEncrypt,
     {nullptr}},
    {"decrypt", "TEXT", 1, 1, "print the clear password of a stored form", CmdDecrypt, {nullptr}},
    {"enckey",
     "KEY",
     1,
     1,
     "print the stored form of a merchant key (16 hexadecimal digits)",
     CmdEncKey,
     {nullptr}},
    {"deckey", "TEXT", 1, 1, "print the clear merchant key of a stored form", CmdDecKey, {nullptr}},
    {"sandbox",
     "DIR",
     1,
     1,
     "lay out a simulated installation under DIR (absolute, no dots, empty unless --force)",
     CmdSandbox,
     {kSandboxOptions, nullptr}},
    {"list",
     "",
     0,
     0,
     "one line per instance: name, ports, web server, database",
     CmdList,
     {g_dataOption, nullptr}},
    {"show",
     "NAME",
     1,
     1,
     "every stored field of an instance (passwords hidden)",
     CmdShow,
     {g_dataOption, nullptr}},
    {"add",
     "NAME",
     1,
     1,
     "add an instance, starting from the defaults of this installation",
     CmdAdd,
     {g_dataOption, g_instanceOptions, nullptr}},
    {"set",
     "NAME",
     1,
     1,
     "change an instance (the options of add)",
     CmdSet,
     {g_dataOption, g_instanceOptions, nullptr}},
    {"remove",
     "NAME",
     1,
     1,
     "remove an instance from the data file",
     CmdRemove,
     {g_dataOption, nullptr}},
    {"pay",
     "about|stop",
     1,
     1,
     "ask a payment server for its identification, or ask it to stop",
     CmdPay,
     {kPayOptions, nullptr}},
    {nullptr, nullptr, 0, 0, nullptr, nullptr, {nullptr}},
};
