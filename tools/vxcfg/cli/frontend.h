// The vxcfg front end: a table of subcommands, each with its table of options; one parser
// reads every command line and the same tables produce --help.
#ifndef VXCFG_FRONTEND_H
#define VXCFG_FRONTEND_H

#include <cstddef>
#include <string>
#include <vector>

class MSInfo;
struct VXOutcome;

// VX_EXIT_WOULD_CHANGE: a check run found that the command would change the system.
enum { VX_EXIT_OK = 0, VX_EXIT_FAIL = 1, VX_EXIT_USAGE = 2, VX_EXIT_WOULD_CHANGE = 3 };

// One option of a command.
struct VxOption {
    const char* name; // "--port"
    const char* arg;  // what it takes, for the usage text; null for a switch
    const char* help; // what it is for, or the rule its value must follow
    // Options that set a field of the instance record: the setter; 1 when the record took
    // the value.
    int (*record)(MSInfo& info, const char* value);
    bool secret;     // the value is never echoed back
    bool allowEmpty; // an empty value means something (no merchant key)
};

// Option tables end with an entry whose name is null.
extern const VxOption g_dataOption[];      // --data FILE
extern const VxOption g_instanceOptions[]; // the record options of add and set

struct VxArgs;

struct VxCommand {
    const char* name;
    const char* operands;            // what follows the name besides options, for usage
    size_t minOperands, maxOperands; // how many of them
    const char* summary;             // one line for --help
    int (*run)(const VxCommand& self, const VxArgs& args);
    const VxOption* options[3]; // its option tables, ending with null
};

// Ends with an entry whose name is null.
extern const VxCommand g_commands[];
// The options before the command: --root, --help, --version.
extern const VxCommand g_globalCommand;

// A command line taken apart: operands in order, options in the order given.
struct VxArgs {
    std::vector<const char*> operands;
    std::vector<std::pair<const VxOption*, const char*>> given;

    // The last value given for option name, or null.
    const char* Value(const char* name) const;
    // Every value given for option name, in order.
    std::vector<const char*> Values(const char* name) const;
    bool Has(const char* name) const { return Value(name) != nullptr; }
};

// Parses argv[1..argc-1] against the command's option tables and operand count: "--name VALUE" or
// "--name=VALUE" for options that take a value, "--name" for switches, "--" ends the options.
// With stopAtOperand the first operand ends the parse and *consumed says how many arguments
// were read. VX_EXIT_OK, or a usage error (already reported) naming the wrong option.
int ParseArgs(const VxCommand& command, int argc, char** argv, VxArgs& out,
              bool stopAtOperand = false, int* consumed = nullptr);

// Writes "vxcfg: NAME: why (usage: vxcfg NAME USAGE)" as one line to standard error and
// returns VX_EXIT_USAGE.
int UsageError(const VxCommand& command, const char* why, ...)
    __attribute__((format(printf, 2, 3)));
// Writes "vxcfg: why" to standard error and returns VX_EXIT_FAIL.
int Failure(const char* why, ...) __attribute__((format(printf, 1, 2)));
// Writes the text of message id (with its arguments) followed by the library's reason for
// the failure that just happened, and returns VX_EXIT_FAIL.
int FailWithReason(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr);
// Option name's value, when given, as a whole decimal number within lo..hi into out (else
// out is left as it is). VX_EXIT_OK, or a usage error (already reported) naming the option.
int NumberOption(const VxCommand& self, const VxArgs& args, const char* name, long lo, long hi,
                 int& out);
// Refuses a record that could never run: one without a database instance user (the user
// the controller and the database commands run as). VX_EXIT_OK, or a usage error (already
// reported) naming the option that gives one.
int CheckRunnable(const VxCommand& command, const MSInfo& info);
// The table entry of a subcommand, for its usage line.
const VxCommand& FindCommand(const char* name);
// The usage line of a command: operands, then every option with its argument.
std::string UsageOf(const VxCommand& command);
// The whole --help text, or one command's.
void PrintHelp();
void PrintCommandHelp(const VxCommand& command);
// One command's help as a JSON document, for programs that build forms from it: the command,
// its usage and summary, and per option its name, argument, rule, whether it is a secret,
// whether an empty value means something, the record field it gives (or null) and the words
// an argument written as a|b|c takes.
void PrintCommandHelpJson(const VxCommand& command);
// The manual page in roff, from the same tables.
void PrintManPage();
// A value as it may be shown in a one-line message: control characters as \ooo.
std::string Shown(const char* value);

// Runs command while an outcome collects what it did, what failed and why; the exit code
// follows that outcome (a step that failed makes a success a failure, named with its
// reason). With --check, --diff or --json in global: with the library's change notes on,
// then the report of what it changed or would change on standard output (with --json the
// only thing there; the command's own output goes to standard error). A check run that
// would change something ends VX_EXIT_WOULD_CHANGE instead of VX_EXIT_OK.
int RunReported(const VxCommand& command, const VxArgs& args, const VxArgs& global);
// A command line refused before anything ran (rc, already reported to standard error and
// noted in outcome): with --json in global the document of that refusal is still printed.
// Returns rc.
int ReportRefusal(const VxArgs& global, const char* command, int rc, const VXOutcome& outcome);

// The members of one JSON object, in the order they are added.
class VxJsonObject {
public:
    VxJsonObject& Text(const char* key, const std::string& value);
    VxJsonObject& Number(const char* key, long value);
    // The object as JSON text: {"key": value, ...}.
    std::string Json() const { return "{" + m_members + "}"; }

private:
    std::string m_members;
};
// text as a JSON string: quoted, with quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& text);
// Whether this run reports as one JSON document (--json): a command that shows data then
// hands it to ReportData instead of printing it.
bool ReportsJson();
// Appends one object to the "data" of the JSON document: one per instance listed, shown or
// probed.
void ReportData(const VxJsonObject& item);
// The same for an object already written as JSON text (one with nested members).
void ReportDataJson(const std::string& json);

int CmdEncrypt(const VxCommand& self, const VxArgs& args);
int CmdDecrypt(const VxCommand& self, const VxArgs& args);
int CmdEncKey(const VxCommand& self, const VxArgs& args);
int CmdDecKey(const VxCommand& self, const VxArgs& args);
int CmdSandbox(const VxCommand& self, const VxArgs& args);
int CmdList(const VxCommand& self, const VxArgs& args);
int CmdShow(const VxCommand& self, const VxArgs& args);
int CmdAdd(const VxCommand& self, const VxArgs& args);
int CmdSet(const VxCommand& self, const VxArgs& args);
int CmdRemove(const VxCommand& self, const VxArgs& args);
int CmdPay(const VxCommand& self, const VxArgs& args);
int CmdPayService(const VxCommand& self, const VxArgs& args);
int CmdStart(const VxCommand& self, const VxArgs& args);
int CmdStop(const VxCommand& self, const VxArgs& args);
int CmdStatus(const VxCommand& self, const VxArgs& args);
int CmdWeb(const VxCommand& self, const VxArgs& args);
int CmdRegister(const VxCommand& self, const VxArgs& args);
int CmdUnregister(const VxCommand& self, const VxArgs& args);
int CmdWebconf(const VxCommand& self, const VxArgs& args);
int CmdCreate(const VxCommand& self, const VxArgs& args);
int CmdDelete(const VxCommand& self, const VxArgs& args);
int CmdMigrate(const VxCommand& self, const VxArgs& args);
int CmdCreatedb(const VxCommand& self, const VxArgs& args);
int CmdVerify(const VxCommand& self, const VxArgs& args);

#endif
