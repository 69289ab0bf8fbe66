// A sandbox root for the web server editors' harnesses: laid out once per process (with the
// Netscape servers), the root taken as VXCONFIG_ROOT, errors kept quiet, and one instance of
// the given web server type. The instance uses the Relda database, so the editors never
// restart a web server.
#ifndef VXFUZZ_WEBROOT_H
#define VXFUZZ_WEBROOT_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "sandbox.h"
#include "vxconfig/vxconfig.h"

class WebRoot {
public:
    explicit WebRoot(eISType type) {
        char dir[] = "/tmp/vxfuzz-web-XXXXXX";
        if (!mkdtemp(dir))
            abort();
        m_root = dir;
        SandboxOptions options;
        options.netscape = true;
        options.standins = false;
        options.force = true;
        ICString error;
        if (!SandboxBuild(dir, options, error)) {
            fprintf(stderr, "sandbox: %s\n", static_cast<const char*>(error));
            abort();
        }
        setenv("VXCONFIG_ROOT", dir, 1);
        bCgiApp = 1;
        pfnError = [](const char*) {};
        m_install = m_root + "/opt/Orvellvndx/Vendrix3";
        MSInfo info;
        info.Name = "shop1";
        info.ISType = type;
        info.DBType = DB_RELDA;
        info.ISHost = "127.0.0.2";
        info.DocRoot = (m_root + "/docs/shop1").c_str();
        info.RootPath = (m_root + "/inst/shop1").c_str();
        info.CgiPath = (m_root + "/cgi/shop1").c_str();
        info.HtmlPath = (m_root + "/conf/shop1").c_str();
        info.DBUser = SANDBOX_INSTANCE_USER;
        info.DBOwner = SANDBOX_OWNER_USER;
        if (m_list.Add(info, 0) != 0)
            abort();
    }
    MSList& List() { return m_list; }
    const char* Install() const { return m_install.c_str(); }
    std::string Path(const char* rooted) const { return m_root + rooted; }

    static void Put(const std::string& path, const uint8_t* data, size_t size) {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || (size && write(fd, data, size) != static_cast<ssize_t>(size)) || close(fd))
            abort();
    }
    static std::string Get(const std::string& path) {
        std::string text;
        int fd = open(path.c_str(), O_RDONLY);
        if (fd < 0)
            abort();
        char buffer[65536];
        ssize_t n;
        while ((n = read(fd, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<size_t>(n));
        close(fd);
        return text;
    }

    // Aborts, showing both texts, when a second rewrite did not give the expected file.
    static void Expect(const std::string& path, const std::string& expected,
                       const std::string& got) {
        if (got == expected)
            return;
        fprintf(stderr, "%s: a second rewrite changed the file\n--- expected\n%s\n--- got\n%s\n",
                path.c_str(), expected.c_str(), got.c_str());
        abort();
    }

private:
    std::string m_root;
    std::string m_install;
    MSList m_list;
};

#endif
