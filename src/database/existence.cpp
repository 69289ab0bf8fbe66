// Whether the instance database and the hosting edition's additions exist, asked of the
// command line processor in a shell of the database owner and read from its output files.
// Only an answer that was read counts: a query that could not run or left no answer, or a
// directory listing that reports an error of the processor, leaves the question open.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "database/dbfiles.h"
#include "vxconfig/changes.h"
#include "vxconfig/database.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"

namespace {

using database::Existence;

const char kEnglish[] = "LANG=en_US;export LANG;";

Existence Unknown(MSInfo& info) {
    ICShowError(IC_MSG_EXISTENCE_UNKNOWN, info.DBName);
    return database::kUnknown;
}

// The answer a query left in output, line by line; found(line) is true for a line that
// shows what was asked. Unknown when there is no answer, or with errorsOpen when it reports
// an error of the processor.
template <typename Found>
Existence ReadAnswer(MSInfo& info, const ICString& output, bool errorsOpen, Found found) {
    Existence answer = database::kAbsent;
    bool failed = false;
    {
        SysLineReader in(output);
        failed = !in.IsOpen();
        while (!failed && answer == database::kAbsent) {
            char* line = in.Next();
            if (!line)
                break;
            if (errorsOpen && database::IsErrorLine(line))
                failed = true;
            else if (found(line))
                answer = database::kPresent;
        }
        failed = failed || in.Failed();
    }
    SysRemove(output);
    return failed ? Unknown(info) : answer;
}

// A row of the query's output: its number alone on the line, right-aligned in its column
// or not. The closing "N record(s) selected." line is not one.
bool IsPositiveRow(const char* line) {
    const char* number = line + strspn(line, SYS_SEPARATORS);
    if (!isdigit(static_cast<unsigned char>(*number)))
        return false;
    char* end = nullptr;
    long value = strtol(number, &end, 10);
    return end[strspn(end, SYS_SEPARATORS)] == '\0' && value > 0;
}

// What an existence query asks, as a check run lists it among the probes.
std::string Asked(const MSInfo& info, const char* question) {
    return std::string("whether the database ") + static_cast<const char*>(info.DBName) + " " +
           question;
}

} // namespace

namespace database {

Existence AskDatabase(MSInfo& info) {
    // Made before the probe: a check run's query is asked from a place of its own.
    QueryPlace place(info);
    // Only asks: a check run gets the database's real answer.
    SysProbe probe(Asked(info, "exists (relda list database directory)"));
    DBFiles files(info);
    DirectoryTurn turn(files.workDir);
    if (!place.Ready() || !turn.Held())
        return Unknown(info);
    SysRemove(files.listing);
    std::string text = std::string(kEnglish) + "relda list database directory > " +
                       static_cast<const char*>(files.listing) + "\n";
    if (RunCommandFile(info, files, text) == kNotWritten)
        return kAbsent;
    ICString label;
    ICLoadMessage(label, IC_MSG_DATABASE_ALIAS);
    return ReadAnswer(info, files.listing, true, [&](char* line) {
        if (!strstr(line, label))
            return false;
        for (char* token = strtok(line, SYS_SEPARATORS); token;
             token = strtok(nullptr, SYS_SEPARATORS)) {
            if (strcasecmp(token, info.DBName) == 0)
                return true;
        }
        return false;
    });
}

Existence AskHostingTables(MSInfo& info) {
    QueryPlace place(info);
    SysProbe probe(Asked(info, "holds the hosting additions (relda select from ofs)"));
    DBFiles files(info);
    DirectoryTurn turn(files.workDir);
    if (!place.Ready() || !turn.Held())
        return Unknown(info);
    SysRemove(files.query);
    std::string text = kEnglish;
    if (info.MSOption & MS_OPT_DB_REMOTE) {
        // The connect command names the password: it is run from a private file, never from
        // a command line.
        ICString password;
        info.GetDBPswd(password);
        std::string connect = std::string("connect to ") + static_cast<const char*>(info.DBName) +
                              " user " + static_cast<const char*>(info.DBOwner) + " using " +
                              static_cast<const char*>(password) + "\n";
        if (!WritePrivateScript(files.connect, connect, info.DBOwner))
            return Unknown(info);
        text += std::string("\nrelda -f ") + static_cast<const char*>(files.connect) + "\n";
    } else {
        text += std::string("\nrelda connect to ") + static_cast<const char*>(info.DBName) + "\n";
    }
    text += "relda \"select refnum from ofs where name='vx3_shipRule' and version=1.0 and "
            "vendor='Orvell' and product='VX'\" > ";
    text += std::string(static_cast<const char*>(files.query)) + "\n";
    RunCommandFile(info, files, text);
    SysRemove(files.connect);
    // The heading line and its underline, then one line per row led by its number. A query
    // the processor refused (no such database or table yet) found no row.
    bool underline = false;
    return ReadAnswer(info, files.query, false, [&](char* line) {
        if (strstr(line, "REFNUM")) {
            underline = true;
            return false;
        }
        if (underline) {
            underline = false;
            return false;
        }
        return IsPositiveRow(line);
    });
}

} // namespace database

// The exported answers keep their documented reading: what cannot be determined counts as
// existing (after message 32), so that a caller never creates over a database it could not
// see. Creation itself asks the three-way question and fails on an unknown answer.
int IsExistDBOrvell(MSInfo& info) {
    return database::AskDatabase(info) != database::kAbsent ? 1 : 0;
}

int IsExistHWLDBOrvell(MSInfo& info) {
    return database::AskHostingTables(info) != database::kAbsent ? 1 : 0;
}
