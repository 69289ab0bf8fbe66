// Whether the instance database and the hosting edition's additions exist, asked of the
// command line processor in a shell of the database owner and read from its output files.
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

const char kEnglish[] = "LANG=en_US;export LANG;";

// The output file of a query, line by line; each(line) answers true when it decides.
// 1 / 0 from the lines, or unknown (message 32, answered as existing) when there is none.
template <typename Each> int ReadAnswer(MSInfo& info, const ICString& output, Each each) {
    int answer = 0;
    {
        SysLineReader in(output);
        if (!in.IsOpen()) {
            ICShowError(IC_MSG_EXISTENCE_UNKNOWN, info.DBName);
            return 1;
        }
        while (char* line = in.Next()) {
            if (each(line)) {
                answer = 1;
                break;
            }
        }
    }
    SysRemove(output);
    return answer;
}

// What an existence query asks, as a check run lists it among the probes.
std::string Asked(const MSInfo& info, const char* question) {
    return std::string("whether the database ") + static_cast<const char*>(info.DBName) + " " +
           question;
}

} // namespace

int IsExistDBOrvell(MSInfo& info) {
    // Only asks: a check run gets the database's real answer.
    SysProbe probe(Asked(info, "exists (relda list database directory)"));
    database::DBFiles files(info);
    SysRemove(files.listing);
    std::string text = std::string(kEnglish) + "relda list database directory > " +
                       static_cast<const char*>(files.listing) + "\n";
    if (database::RunCommandFile(info, files, text) == database::kNotWritten)
        return 0;
    ICString label;
    ICLoadMessage(label, IC_MSG_DATABASE_ALIAS);
    return ReadAnswer(info, files.listing, [&](char* line) {
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

int IsExistHWLDBOrvell(MSInfo& info) {
    SysProbe probe(Asked(info, "holds the hosting additions (relda select from ofs)"));
    database::DBFiles files(info);
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
        if (!database::WritePrivateScript(files.connect, connect, info.DBOwner)) {
            ICShowError(IC_MSG_EXISTENCE_UNKNOWN, info.DBName);
            return 1;
        }
        text += std::string("\nrelda -f ") + static_cast<const char*>(files.connect) + "\n";
    } else {
        text += std::string("\nrelda connect to ") + static_cast<const char*>(info.DBName) + "\n";
    }
    text += "relda \"select refnum from ofs where name='vx3_shipRule' and version=1.0 and "
            "vendor='Orvell' and product='VX'\" > ";
    text += std::string(static_cast<const char*>(files.query)) + "\n";
    database::RunCommandFile(info, files, text);
    SysRemove(files.connect);
    // The heading line and its underline, then one line per row led by its number.
    bool underline = false;
    return ReadAnswer(info, files.query, [&](char* line) {
        if (strstr(line, "REFNUM")) {
            underline = true;
            return false;
        }
        if (underline) {
            underline = false;
            return false;
        }
        // The closing "N record(s) selected." line is led by blanks, a row by its number.
        return isdigit(static_cast<unsigned char>(line[0])) && atoi(line) > 0;
    });
}
