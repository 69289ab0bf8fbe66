// The product files the sandbox lays out for the instance writers, and its system accounts.
#include <gtest/gtest.h>
#include <map>
#include <pwd.h>
#include <unistd.h>

#include "sandbox_fixture.h"

namespace {

const char kAdmin[] = "/opt/Orvellvndx/Vendrix3/html/en_US/vxadmin";

class SandboxProducts : public SandboxTest {};

class StartSandbox : public SandboxTest {
protected:
    StartSandbox() {
        sandboxOptions.startPackage = true;
        sandboxOptions.macroScope = false;
    }
};

std::string PackagingLine(const std::string& configJs) {
    size_t at = configJs.find("var gVXPackaging");
    return at == std::string::npos ? "" : configJs.substr(at, configJs.find('\n', at) - at);
}

TEST_F(SandboxProducts, ProPackageWithEveryFileTheWritersCopy) {
    EXPECT_EQ(PackagingLine(ReadWholeFile(Rooted(kAdmin) + "/common/config.js")),
              "var gVXPackaging = kStrPro;");
    for (const char* const* name = cahtml; *name; ++name)
        EXPECT_TRUE(FileExists(Rooted(kAdmin) + "/teditor/ca_html/" + *name)) << *name;
    std::string macros = Rooted("/opt/Orvellvndx/Vendrix3/macro/en_US");
    for (const char* const* name = catmacros; *name; ++name)
        EXPECT_TRUE(FileExists(macros + "/category/" + *name)) << *name;
    for (const char* const* name = prodmacros; *name; ++name)
        EXPECT_TRUE(FileExists(macros + "/product/" + *name)) << *name;
    EXPECT_EQ(access(Rooted("/opt/Orvellvndx/Vendrix3/bin/vxtrade3").c_str(), X_OK), 0);
    std::string templ = ReadWholeFile(Rooted("/opt/OrvellMacrolin/docs/reldawww.ini"));
    EXPECT_NE(templ.find("\nQLW_VARIABLE_SCOPE LOCAL\n"), std::string::npos);
    EXPECT_NE(templ.find("\nENVIRONMENT (QLW_ODBC) "), std::string::npos);
    EXPECT_FALSE(
        ReadWholeFile(Rooted("/opt/WharfServer/usr/internet/server_root/server/admin/icsclt.pwd"))
            .empty());
}

TEST_F(StartSandbox, StartPackageAndATemplateWithoutScope) {
    EXPECT_EQ(PackagingLine(ReadWholeFile(Rooted(kAdmin) + "/common/config.js")),
              "var gVXPackaging = kStrStart;");
    std::string templ = ReadWholeFile(Rooted("/opt/OrvellMacrolin/docs/reldawww.ini"));
    EXPECT_NE(templ.find("MACRO_PATH "), std::string::npos);
    EXPECT_EQ(templ.find("QLW_VARIABLE_SCOPE"), std::string::npos);
}

TEST_F(SandboxProducts, SystemAccountsHaveIdsOfTheirOwnAsRoot) {
    EXPECT_EQ(SysIsUserExist("bin"), 1);
    EXPECT_EQ(SysIsUserExist("nobody"), 1);
    if (geteuid() != 0)
        GTEST_SKIP() << "unprivileged, every account keeps the process's own ids";
    FILE* fp = fopen(Rooted("/etc/passwd").c_str(), "r");
    ASSERT_TRUE(fp);
    std::map<std::string, uid_t> uids;
    while (passwd* entry = fgetpwent(fp))
        uids[entry->pw_name] = entry->pw_uid;
    fclose(fp);
    EXPECT_EQ(uids["bin"], 2u);
    EXPECT_EQ(uids["nobody"], 65534u);
    EXPECT_EQ(uids[SANDBOX_OWNER_USER], getuid());
}

} // namespace
