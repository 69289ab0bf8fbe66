// Values that could run as commands are refused wherever they enter the record: the setters
// and the data-file loader.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "sandbox_fixture.h"
#include "vxconfig/vxconfig.h"

namespace {

const char* const kHostile[] = {"a;b", "$(id)", "`id`", "a b", "a\tb", "a\nb", "a|b", "a&b", "a>b",
                                "'a'", "\"a\"", "a\\b", "-a",  "a*",   "a?",   "~a",  "a#b"};

TEST(SafeValues, TheRuleItself) {
    for (const char* bad : kHostile) {
        EXPECT_EQ(SysIsSafeValue(bad, SYS_VALUE_NAME), 0) << bad;
        EXPECT_EQ(SysIsSafeValue(bad, SYS_VALUE_PATH), 0) << bad;
    }
    for (const char* name : {"shop1", "a.b", "A-Z_09", "x+y,z:w@v=u", ""})
        EXPECT_EQ(SysIsSafeValue(name, SYS_VALUE_NAME), 1) << name;
    for (const char* notName : {".", "..", "a/b", "/"})
        EXPECT_EQ(SysIsSafeValue(notName, SYS_VALUE_NAME), 0) << notName;
    for (const char* path : {"/opt/x/..", "/srv/-rf", "rel/dir", "/a.b/c"})
        EXPECT_EQ(SysIsSafeValue(path, SYS_VALUE_PATH), 1) << path;
    EXPECT_EQ(SysIsSafeValue("\x80", SYS_VALUE_PATH), 0);

    ICString why;
    EXPECT_EQ(SysCheckRootValue("/tmp/vxroot-ok", &why), 1);
    for (const char* root : {"tmp/rel", "/", "//", "/tmp/a.b", "/tmp/a;b", "/tmp/a b"})
        EXPECT_EQ(SysCheckRootValue(root, &why), 0) << root;
    EXPECT_EQ(SysCheckRootValue(nullptr, &why), 0);
}

class SetterRules : public SandboxTest {};

TEST_F(SetterRules, EverySetterThatFeedsCommandsRefusesHostileValues) {
    typedef int (MSInfo::*Setter)(const char*);
    const struct {
        const char* what;
        Setter set;
        const char* good;
    } setters[] = {
        {"Name", &MSInfo::SetName, "shop1"},
        {"RootPath", &MSInfo::SetRootPath, "/srv/x"},
        {"ConfigPath", &MSInfo::SetConfigPath, "/srv/x"},
        {"CachePath", &MSInfo::SetCachePath, "/srv/x"},
        {"VXLogPath", &MSInfo::SetVXLogPath, "/srv/x"},
        {"DefsDir", &MSInfo::SetDefsDir, "/srv/x"},
        {"MacroPath", &MSInfo::SetMacroPath, "/srv/x"},
        {"CgiPath", &MSInfo::SetCgiPath, "/srv/x"},
        {"HtmlPath", &MSInfo::SetHtmlPath, "/srv/x"},
        {"DocRoot", &MSInfo::SetDocRoot, "/srv/x"},
        {"ISHost", &MSInfo::SetISHost, "web1"},
        {"DBHost", &MSInfo::SetDBHost, "db1"},
        {"PVHost", &MSInfo::SetPVHost, "pv1"},
        {"DBNode", &MSInfo::SetDBNode, "node1"},
        {"DBName", &MSInfo::SetDBName, "db1"},
        {"DBUser", &MSInfo::SetDBUser, "user1"},
        {"DBOwner", &MSInfo::SetDBOwner, SANDBOX_OWNER_USER},
    };
    for (const auto& s : setters) {
        MSInfo r;
        ASSERT_EQ((r.*s.set)(s.good), 1) << s.what;
        for (const char* bad : kHostile) {
            std::string value = std::string(s.what).find("Path") != std::string::npos ||
                                        std::string(s.what) == "DefsDir" ||
                                        std::string(s.what) == "DocRoot"
                                    ? std::string("/srv/") + bad
                                    : std::string(bad);
            // Inside a path a leading dash is harmless.
            if (value == "/srv/-a")
                continue;
            EXPECT_EQ((r.*s.set)(value.c_str()), 0) << s.what << " " << value;
        }
        for (const char* dots : {".", ".."}) {
            if (std::string(s.good)[0] != '/') {
                EXPECT_EQ((r.*s.set)(dots), 0) << s.what << " " << dots;
            }
        }
    }
    // The Netscape directories must also be safe before obj.conf is looked for.
    std::string dir = Rooted("/tmp/a;b");
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    ASSERT_TRUE(WriteWholeFile(dir + "/obj.conf", "x\n"));
    MSInfo r;
    EXPECT_EQ(r.SetNESSecure(dir.c_str()), 0);
    EXPECT_EQ(r.SetNESSecure(Rooted("/tmp").c_str()), 0); // no obj.conf there
}

class LoaderRules : public SandboxTest {};

// A record written by hand with a command in it makes the whole file refused, by both
// loaders, with the record and the field named.
TEST_F(LoaderRules, ARecordThatHidesACommandIsRefused) {
    std::string path = Root() + "/hand.dat";
    MSList list;
    MSInfo r;
    ASSERT_EQ(r.SetName("shop1"), 1);
    list.Add(r, 0);
    ASSERT_EQ(list.Store(path.c_str()), 1);
    std::string good = ReadWholeFile(path);
    std::string evil = good;
    evil.replace(evil.find("shop1\n"), 6, "sh;p1\n");
    ASSERT_TRUE(WriteWholeFile(path, evil));
    MSList loaded;
    EXPECT_EQ(loaded.Load(path.c_str()), 0);
    EXPECT_EQ(loaded.GetCount(), 0);
    EXPECT_EQ(std::string(SysGetLastReason()),
              path + ": record 1: instance ?: Name holds characters that may not stand in a "
                     "command (letters, digits and ._-+,:@= only)");
    EXPECT_EQ(loaded.LoadDataFile(path.c_str()), 0);
    EXPECT_EQ(MSList::IsDataFile(path.c_str()), 0);
    // Nor is such a file stored over: it is not an instance data file to this program.
    EXPECT_EQ(list.Store(path.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(path), evil);
    ASSERT_TRUE(WriteWholeFile(path, good));
    EXPECT_EQ(loaded.Load(path.c_str()), 1);
}

} // namespace
