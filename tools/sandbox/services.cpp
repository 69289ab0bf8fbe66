// The seeded etc/services: the well-known services of a Unix server of the time.
#include <cstdio>
#include <string>

#include "sandbox_parts.h"

namespace sandbox {

namespace {

struct Service {
    const char* name;
    int port;
    const char* proto;
    const char* aliases; // may be empty
};

const Service kServices[] = {
    {"tcpmux", 1, "tcp", ""},
    {"echo", 7, "tcp", ""},
    {"echo", 7, "udp", ""},
    {"discard", 9, "tcp", "sink null"},
    {"discard", 9, "udp", "sink null"},
    {"systat", 11, "tcp", "users"},
    {"daytime", 13, "tcp", ""},
    {"daytime", 13, "udp", ""},
    {"netstat", 15, "tcp", ""},
    {"chargen", 19, "tcp", "ttytst source"},
    {"chargen", 19, "udp", "ttytst source"},
    {"ftp-data", 20, "tcp", ""},
    {"ftp", 21, "tcp", ""},
    {"ssh", 22, "tcp", ""},
    {"telnet", 23, "tcp", ""},
    {"smtp", 25, "tcp", "mail"},
    {"time", 37, "tcp", "timserver"},
    {"time", 37, "udp", "timserver"},
    {"name", 42, "udp", "nameserver"},
    {"whois", 43, "tcp", "nicname"},
    {"domain", 53, "udp", ""},
    {"domain", 53, "tcp", ""},
    {"bootps", 67, "udp", ""},
    {"bootpc", 68, "udp", ""},
    {"tftp", 69, "udp", ""},
    {"rje", 77, "tcp", ""},
    {"finger", 79, "tcp", ""},
    {"www", 80, "tcp", "http"},
    {"link", 87, "tcp", "ttylink"},
    {"supdup", 95, "tcp", ""},
    {"hostnames", 101, "tcp", "hostname"},
    {"iso-tsap", 102, "tcp", ""},
    {"x400", 103, "tcp", ""},
    {"x400-snd", 104, "tcp", ""},
    {"csnet-ns", 105, "tcp", ""},
    {"pop2", 109, "tcp", "pop-2"},
    {"pop3", 110, "tcp", ""},
    {"sunrpc", 111, "udp", "rpcbind"},
    {"sunrpc", 111, "tcp", "rpcbind"},
    {"uucp-path", 117, "tcp", ""},
    {"nntp", 119, "tcp", "usenet"},
    {"ntp", 123, "tcp", ""},
    {"ntp", 123, "udp", ""},
    {"netbios-ns", 137, "tcp", ""},
    {"netbios-ns", 137, "udp", ""},
    {"netbios-dgm", 138, "tcp", ""},
    {"netbios-dgm", 138, "udp", ""},
    {"netbios-ssn", 139, "tcp", ""},
    {"netbios-ssn", 139, "udp", ""},
    {"imap", 143, "tcp", "imap2"},
    {"NeWS", 144, "tcp", "news"},
    {"snmp", 161, "udp", ""},
    {"snmp-trap", 162, "udp", "snmptrap"},
    {"ldap", 389, "tcp", ""},
    {"ldap", 389, "udp", ""},
    {"slp", 427, "tcp", "slp"},
    {"slp", 427, "udp", "slp"},
    {"cvc_hostd", 442, "tcp", ""},
    {"https", 443, "tcp", ""},
    {"https", 443, "udp", ""},
    {"kpasswd", 464, "tcp", ""},
    {"kpasswd", 464, "udp", ""},
    {"exec", 512, "tcp", ""},
    {"biff", 512, "udp", "comsat"},
    {"login", 513, "tcp", ""},
    {"who", 513, "udp", "whod"},
    {"shell", 514, "tcp", "cmd"},
    {"syslog", 514, "udp", ""},
    {"printer", 515, "tcp", "spooler"},
    {"talk", 517, "udp", ""},
    {"ntalk", 518, "udp", ""},
    {"route", 520, "udp", "router routed"},
    {"ripng", 521, "udp", ""},
    {"timed", 525, "udp", "timeserver"},
    {"tempo", 526, "tcp", "newdate"},
    {"courier", 530, "tcp", "rpc"},
    {"conference", 531, "tcp", "chat"},
    {"netnews", 532, "tcp", "readnews"},
    {"uucp", 540, "tcp", "uucpd"},
    {"klogin", 543, "tcp", ""},
    {"kshell", 544, "tcp", "cmd"},
    {"new-rwho", 550, "udp", "new-who"},
    {"rmonitor", 560, "udp", "rmonitord"},
    {"monitor", 561, "udp", ""},
    {"submission", 587, "tcp", ""},
    {"submission", 587, "udp", ""},
    {"pcserver", 600, "tcp", ""},
    {"ldaps", 636, "tcp", ""},
    {"ldaps", 636, "udp", ""},
    {"sun-dr", 665, "tcp", ""},
    {"kerberos-adm", 749, "tcp", ""},
    {"kerberos", 750, "udp", "kdc"},
    {"kerberos", 750, "tcp", "kdc"},
    {"krb5_prop", 754, "tcp", ""},
    {"ufsd", 1008, "tcp", "ufsd"},
    {"ufsd", 1008, "udp", "ufsd"},
    {"ingreslock", 1524, "tcp", ""},
    {"www-ldap-gw", 1760, "tcp", ""},
    {"www-ldap-gw", 1760, "udp", ""},
    {"nfsd", 2049, "udp", "nfs"},
    {"nfsd", 2049, "tcp", "nfs"},
    {"eklogin", 2105, "tcp", ""},
    {"listen", 2766, "tcp", ""},
    {"lockd", 4045, "udp", ""},
    {"lockd", 4045, "tcp", ""},
    {"dtspc", 6112, "tcp", ""},
    {"fs", 7100, "tcp", ""},
    {"solaris-audit", 16162, "tcp", ""},
    {"wnn6", 22273, "tcp", ""},
    {"relda61", 50000, "tcp", ""},
    {"relda61i", 50001, "tcp", ""},
};

} // namespace

bool LayServices(Builder& b) {
    std::string text = "#\n"
                       "# Network services, Internet style\n"
                       "#\n"
                       "# <service name>  <port number>/<protocol>  [aliases ...]  [# comment]\n"
                       "#\n";
    for (const Service& s : kServices) {
        char line[160];
        snprintf(line, sizeof line, "%-15s %d/%s%s%s\n", s.name, s.port, s.proto,
                 *s.aliases ? "\t\t" : "", s.aliases);
        text += line;
    }
    return b.WriteText("/etc/services", text, 0644);
}

} // namespace sandbox
