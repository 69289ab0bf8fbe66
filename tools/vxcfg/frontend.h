// The vxcfg front end: a table of subcommands, each a function of its own arguments.
#ifndef VXCFG_FRONTEND_H
#define VXCFG_FRONTEND_H

enum { VX_EXIT_OK = 0, VX_EXIT_FAIL = 1, VX_EXIT_USAGE = 2 };

struct VxCommand {
    const char* name;
    const char* usage;                 // the arguments after the name
    const char* summary;               // one line for --help
    int (*run)(int argc, char** argv); // argv[0] is the subcommand's name
};

// Ends with an entry whose name is null.
extern const VxCommand g_commands[];

// Writes "vxcfg: NAME: why (usage: vxcfg NAME USAGE)" as one line to standard error and
// returns VX_EXIT_USAGE.
int UsageError(const VxCommand& command, const char* why, ...)
    __attribute__((format(printf, 2, 3)));
// Writes "vxcfg: why" to standard error and returns VX_EXIT_FAIL.
int Failure(const char* why, ...) __attribute__((format(printf, 1, 2)));
// The table entry of a subcommand, for its usage line.
const VxCommand& FindCommand(const char* name);

int CmdEncrypt(int argc, char** argv);
int CmdDecrypt(int argc, char** argv);
int CmdEncKey(int argc, char** argv);
int CmdDecKey(int argc, char** argv);
int CmdSandbox(int argc, char** argv);
int CmdList(int argc, char** argv);
int CmdShow(int argc, char** argv);
int CmdAdd(int argc, char** argv);
int CmdSet(int argc, char** argv);
int CmdRemove(int argc, char** argv);
int CmdPay(int argc, char** argv);

#endif
