// Package information files and the installation trees of the products the library looks for.
#include <string>

#include "sandbox_parts.h"

namespace sandbox {

namespace {

// Which option turns a package on; null: always installed.
enum Gate { kAlways, kPayment, kHosting, kMacro, kWharf, kRelda };

struct Package {
    Gate gate;
    const char* pkg;
    const char* name;
    const char* version;
    const char* basedir;
};

const Package kPackages[] = {
    {kAlways, "Orvellvndx", "Vendrix Commerce Server", "3.0.0,REV=2000.11.20", "/opt"},
    {kHosting, "OrvellQBX", "Vendrix Hosting Edition", "3.0.0,REV=2000.11.20", "/opt"},
    {kPayment, "OrvellPS", "Orvell Payment Server", "2.1.0,REV=2000.09.14", "/opt"},
    {kMacro, "Macrolin", "Macrolin Web Macro Processor", "6.1.0,REV=2000.06.30", "/opt"},
    {kWharf, "KESTRELWHARF", "Orvell HTTP Server", "1.3.12,REV=2000.05.02", "/opt"},
    {kRelda, "reldaengn61", "Relda Database Engine 6.1", "6.1.0,REV=2000.04.11", "/opt"},
    {kRelda, "reldacliv61", "Relda Client Enabler 6.1", "6.1.0,REV=2000.04.11", "/opt"},
    {kRelda, "reldatxcom", "Relda Text Extender", "6.1.0,REV=2000.04.11", "/opt"},
};

// Directories of each product's installation tree that the library reads or writes into.
struct Tree {
    Gate gate;
    const char* dir;
};

const Tree kTrees[] = {
    {kAlways, "/opt/Orvellvndx/Vendrix3/bin"},
    {kAlways, "/opt/Orvellvndx/Vendrix3/html/en_US/vxadmin/common"},
    {kAlways, "/opt/Orvellvndx/Vendrix3/macro/en_US"},
    {kAlways, "/opt/Orvellvndx/Vendrix3/macro/common"},
    {kAlways, "/opt/Orvellvndx/Vendrix3/templates/en_US"},
    {kAlways, "/usr/java/bin"},
    {kHosting, "/opt/Orvellvndx/Vendrix3/QBX"},
    {kPayment, "/opt/Orvell_Payment_Server/lib"},
    {kPayment, "/opt/Orvell_Payment_Server/bin"},
    {kMacro, "/opt/OrvellMacrolin/docs"},
    {kWharf, "/opt/WharfServer/usr/internet/server_root/cgi-bin"},
    {kWharf, "/opt/WharfServer/usr/internet/server_root/pub"},
    {kRelda, "/opt/Orvellrelda/V6.1/instance"},
    {kRelda, "/opt/Orvellrelda/V6.1/lib"},
    {kRelda, "/opt/Orvellrelda/V6.1/java"},
};

bool Wanted(Gate gate, const SandboxOptions& o) {
    switch (gate) {
    case kPayment:
        return o.payment;
    case kHosting:
        return o.hosting;
    case kMacro:
        return o.macro;
    case kWharf:
        return o.wharf;
    case kRelda:
        return o.relda;
    case kAlways:
        break;
    }
    return true;
}

std::string PkgInfo(const Package& p) {
    return std::string("PKG=") + p.pkg + "\nNAME=" + p.name + "\nARCH=sparc\nVERSION=" + p.version +
           "\nCATEGORY=application\nVENDOR=Orvell Corporation\nBASEDIR=" + p.basedir +
           "\nCLASSES=none\nPSTAMP=sandbox\nINSTDATE=Nov 20 2000 10:00\n";
}

} // namespace

bool LayPackages(Builder& b, const SandboxOptions& options) {
    for (const Package& p : kPackages) {
        if (!Wanted(p.gate, options))
            continue;
        std::string dir = std::string("/var/sadm/pkg/") + p.pkg;
        if (!b.MakeDirs(dir.c_str()) || !b.WriteText((dir + "/pkginfo").c_str(), PkgInfo(p)))
            return false;
    }
    for (const Tree& t : kTrees) {
        if (Wanted(t.gate, options) && !b.MakeDirs(t.dir))
            return false;
    }
    // The payment server's user exit library, which the library moves aside once.
    if (options.payment &&
        !b.WriteText("/opt/Orvell_Payment_Server/lib/libuserexit.so", "user exit library\n"))
        return false;
    return true;
}

} // namespace sandbox
