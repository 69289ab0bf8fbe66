// The file set of an instance: directories with owners and modes, the editor's copies of the
// product macros, the CGI programs, the web password file and the small edits of an existing
// configuration file.
#include <pwd.h>
#include <stdio.h>

#include "sandbox_fixture.h"

namespace {

const char kProduct[] = "/opt/Orvellvndx/Vendrix3";

class FileSetTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        product = Rooted(kProduct);
        info = Instance("shop1");
    }
    // The uid a user of the sandbox has in its etc/passwd.
    uid_t UidOf(const char* user) {
        FILE* fp = fopen(Rooted("/etc/passwd").c_str(), "r");
        uid_t uid = static_cast<uid_t>(-1);
        while (fp) {
            passwd* entry = fgetpwent(fp);
            if (!entry)
                break;
            if (strcmp(entry->pw_name, user) == 0)
                uid = entry->pw_uid;
        }
        if (fp)
            fclose(fp);
        return uid;
    }

    // What ModeAndOwner gives for mode and user.
    std::string Expect(const char* mode, const char* user) {
        return std::string(mode) + " " + std::to_string(UidOf(user));
    }

    ErrorLines errors;
    std::string product;
    MSInfo info;
};

TEST_F(FileSetTest, MakeDirCreatesEveryMissingPrefixAndFixesExistingOnes) {
    std::string a = Rooted("/made");
    ASSERT_EQ(mkdir(a.c_str(), 0700), 0);
    EXPECT_EQ(MakeDir((a + "/b/c").c_str(), SANDBOX_OWNER_USER, 0751), 1);
    EXPECT_EQ(ModeAndOwner(a + "/b"), Expect("751", SANDBOX_OWNER_USER));
    EXPECT_EQ(ModeAndOwner(a + "/b/c"), Expect("751", SANDBOX_OWNER_USER));
    // An existing directory only gets its owner and mode.
    EXPECT_EQ(MakeDir(a.c_str(), "bin", 0755), 1);
    EXPECT_EQ(ModeAndOwner(a), Expect("755", "bin"));
    // A relative path creates nothing, wherever the process stands.
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    ASSERT_EQ(chdir(Root().c_str()), 0);
    EXPECT_EQ(MakeDir("rel/x", "bin", 0755), 0);
    EXPECT_FALSE(FileExists(Rooted("/rel")));
    ASSERT_EQ(chdir(cwd), 0);
    // A file in the way is no directory.
    ASSERT_TRUE(WriteWholeFile(a + "/file", "x"));
    EXPECT_EQ(MakeDir((a + "/file/sub").c_str(), "bin", 0755), 0);
}

TEST_F(FileSetTest, ProInstanceGetsItsWholeTreeWithOwnersAndModes) {
    ASSERT_EQ(CreateVXFiles(info, product.c_str()), 1);
    EXPECT_TRUE(errors.Lines().empty()) << errors.Lines()[0];
    std::string r = info.RootPath.operator const char*();
    const char* o = SANDBOX_OWNER_USER;
    const std::pair<std::string, std::string> expected[] = {
        {r, Expect("755", "bin")},
        {r + "/cache", Expect("1777", "nobody")},
        {r + "/password", Expect("755", o)},
        {r + "/logs", Expect("755", o)},
        {r + "/data", Expect("755", o)},
        {r + "/bin", Expect("755", o)},
        {r + "/teditor/te_html", Expect("755", o)},
        {r + "/teditor/te_html/teditor.txt", Expect("555", o)},
        {r + "/teditor/category", Expect("755", o)},
        {r + "/teditor/category/cat_bas1.d2w", Expect("555", o)},
        {r + "/teditor/category/catgry2.d2w", Expect("555", o)},
        {r + "/teditor/product/temphard.d2w", Expect("555", o)},
        {r + "/teditor/product/tempcomp.d2w", Expect("555", o)},
        {r + "/teditor/general", Expect("755", o)},
        {r + "/teditor/ca_html/pc1_te.html", Expect("555", o)},
        {r + "/teditor/ca_html/sa_ans.html", Expect("555", o)},
        // The product's own macro directory existed before: it is not the instance's to open.
        {product + "/macro/en_US", Expect("755", "root")},
        {Rooted("/conf/shop1"), Expect("1777", o)},
        {Rooted("/docs/shop1"), Expect("1777", o)},
        {Rooted("/cgi/shop1"), Expect("755", o)},
        {Rooted("/cgi/shop1/vxtrade3"), Expect("555", o)},
        {Rooted("/cgi/shop1/vxtrade"), Expect("555", o)},
        {r + "/password/vndx.pwd", Expect("644", o)}};
    for (const auto& e : expected)
        EXPECT_EQ(ModeAndOwner(e.first), e.second) << e.first;
    // Owners that differ, so that the table tells them apart.
    EXPECT_NE(UidOf("bin"), UidOf("nobody"));

    // The copies hold what the product ships.
    EXPECT_EQ(ReadWholeFile(r + "/teditor/product/product1.d2w"),
              ReadWholeFile(product + "/macro/en_US/product/product1.d2w"));
    EXPECT_EQ(ReadWholeFile(Rooted("/cgi/shop1/vxtrade")),
              ReadWholeFile(product + "/bin/vxtrade3"));
    std::string admin =
        ReadWholeFile(Rooted("/opt/WharfServer/usr/internet/server_root/server/admin/icsclt.pwd"));
    EXPECT_FALSE(admin.empty());
    EXPECT_EQ(ReadWholeFile(r + "/password/vndx.pwd"), admin);

    // Again: the same tree, the password file's previous generation kept.
    ASSERT_EQ(CreateVXFiles(info, product.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(r + "/password/vndx.old.pwd"), admin);
    EXPECT_EQ(ModeAndOwner(r + "/cache"), Expect("1777", "nobody"));
}

TEST_F(FileSetTest, StartPackageAndOtherWebServersLeaveTheirPartsOut) {
    info.MSOption |= MS_OPT_START_PKG;
    info.ISType = IS_NETSCAPE;
    ASSERT_EQ(CreateVXFiles(info, product.c_str()), 1);
    std::string r = info.RootPath.operator const char*();
    EXPECT_TRUE(FileExists(r + "/teditor/general"));
    EXPECT_FALSE(FileExists(r + "/teditor/ca_html"));
    EXPECT_TRUE(FileExists(r + "/password"));
    EXPECT_FALSE(FileExists(r + "/password/vndx.pwd"));
    EXPECT_EQ(ISCreatePswdFile((r + "/password").c_str(), IS_BRINDLE, "/nowhere", "bin"), 1);
    EXPECT_FALSE(FileExists(r + "/password/vndx.pwd"));
}

TEST_F(FileSetTest, FailuresAreReportedWithTheirMessages) {
    // A document root that is a file.
    const std::string docs = std::string(info.DocRoot);
    ASSERT_EQ(mkdir(Rooted("/docs").c_str(), 0755), 0);
    ASSERT_TRUE(WriteWholeFile(docs, "not a directory\n"));
    EXPECT_EQ(CreateVXFiles(info, product.c_str()), 0);
    ASSERT_EQ(errors.Lines().size(), 1u);
    EXPECT_EQ(errors.Lines()[0], "Cannot create directory " + docs + ".");
    EXPECT_EQ(ReadWholeFile(docs), "not a directory\n");

    // No administration password file to copy.
    ASSERT_EQ(unlink(docs.c_str()), 0);
    ASSERT_EQ(
        unlink(Rooted("/opt/WharfServer/usr/internet/server_root/server/admin/icsclt.pwd").c_str()),
        0);
    EXPECT_EQ(CreateVXFiles(info, product.c_str()), 0);
    ASSERT_EQ(errors.Lines().size(), 2u);
    EXPECT_EQ(errors.Lines()[1], "Error in creating password file for instance shop1.");

    // A relative instance root is refused before anything is made.
    info.RootPath = "var/vx/rel";
    EXPECT_EQ(CreateVXFiles(info, product.c_str()), 0);
    ASSERT_EQ(errors.Lines().size(), 3u);
    EXPECT_EQ(errors.Lines()[2], "Cannot create directory var/vx/rel.");
}

// The global defaults fill the record's unset fields while its file set is made; one that
// fails halfway must not leave them in the caller's record, which creation goes on writing
// the instance's other files from.
TEST_F(FileSetTest, AFailedFileSetLeavesTheCallersRecordAsItWas) {
    ASSERT_EQ(mkdir(Rooted("/globals").c_str(), 0755), 0);
    ASSERT_TRUE(WriteWholeFile(Rooted("/globals/vxtrade.conf"), "PROCESSES 5\n"));
    info.DefsDir = Rooted("/globals").c_str();
    info.RootPath = "var/vx/rel";
    EXPECT_EQ(CreateVXFiles(info, product.c_str()), 0);
    EXPECT_EQ(info.MSProc, -1);
}

TEST_F(FileSetTest, KeywordLinesAreAddedOnceAndTheValueIsWrittenAsItIs) {
    std::string conf = Rooted("/etc/sample.conf");
    ASSERT_TRUE(WriteWholeFile(conf, "A 1\nRATE 5\n"));
    EXPECT_EQ(ICIsParamInFile("FORMAT", conf.c_str(), " ", "100%s %d%%"), 1);
    EXPECT_EQ(ReadWholeFile(conf), "A 1\nRATE 5\n\nFORMAT 100%s %d%%\n");
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/sample.old.conf")), "A 1\nRATE 5\n");
    // Present: the file is rewritten unchanged, its previous generation kept.
    EXPECT_EQ(ICIsParamInFile("RATE", conf.c_str(), " ", "6"), 1);
    EXPECT_EQ(ReadWholeFile(conf), "A 1\nRATE 5\n\nFORMAT 100%s %d%%\n");
    // The separators decide what the first token is: "RATE=5" is not "RATE" unless "=" splits.
    ASSERT_TRUE(WriteWholeFile(conf, "RATE=5\n"));
    EXPECT_EQ(ICIsParamInFile("RATE", conf.c_str(), "=", "6"), 1);
    EXPECT_EQ(ReadWholeFile(conf), "RATE=5\n");
    EXPECT_EQ(ICIsParamInFile("missing", Rooted("/etc/none.conf").c_str(), " ", "1"), 0);
    EXPECT_FALSE(FileExists(Rooted("/etc/none.conf")));
}

TEST_F(FileSetTest, PersonalizationIsSwitchedOnOnce) {
    ASSERT_EQ(CreateVXFiles(info, product.c_str()), 1);
    info.ISHost = "shop1host";
    std::string conf = std::string(info.HtmlPath) + "/vxtrade.conf";
    ASSERT_TRUE(WriteWholeFile(conf, "MS_HOSTNAME shop1host\n"));
    // The personalization variant of one product macro replaces the editor's copy.
    std::string variant = product + "/macro/en_US/product/product2.d2w";
    ASSERT_TRUE(WriteWholeFile(variant, "personalized\n"));
    EXPECT_EQ(ICNetPerceptionConfig(info), 1);
    EXPECT_EQ(ICNetPerceptionConfig(info), 1);
    EXPECT_EQ(ReadWholeFile(conf), "MS_HOSTNAME shop1host\n"
                                   "\nPERS_ENABLED NO\n"
                                   "\nGL_HOST shop1host\n"
                                   "\nGL_PORT 9000\n");
    EXPECT_EQ(ModeAndOwner(conf), Expect("644", SANDBOX_OWNER_USER));
    std::string copy = std::string(info.RootPath) + "/teditor/product/product2.d2w";
    EXPECT_EQ(ReadWholeFile(copy), "personalized\n");
    EXPECT_EQ(ModeAndOwner(copy), Expect("644", SANDBOX_OWNER_USER));
    EXPECT_EQ(ReadWholeFile(std::string(info.RootPath) + "/teditor/product/product2.old.d2w"),
              "personalized\n");
}

TEST_F(FileSetTest, HomePassIsTheCatchAllRuleOnly) {
    EXPECT_EQ(CheckHomePass("Pass /* /srv/www/*\n"), 1);
    EXPECT_EQ(CheckHomePass("pASS\t/*\textra words follow\r\n"), 1);
    EXPECT_EQ(CheckHomePass("PASS /*"), 1);
    EXPECT_EQ(CheckHomePass("Pass /cgi-bin/* /srv/cgi/*\n"), 0);
    EXPECT_EQ(CheckHomePass("#Pass /* /srv/www/*\n"), 0);
    EXPECT_EQ(CheckHomePass("Pass\n"), 0);
    EXPECT_EQ(CheckHomePass(""), 0);
    EXPECT_EQ(CheckHomePass(nullptr), 0);
    const char line[] = "Pass /* /x\n";
    EXPECT_EQ(CheckHomePass(line), 1);
    EXPECT_STREQ(line, "Pass /* /x\n");
}

TEST_F(FileSetTest, PassBlockBindsEachOrvellHostAndAddress) {
    MSList list;
    const std::pair<const char*, eISType> instances[] = {
        {"shop1", IS_WHARF}, {"nes1", IS_NETSCAPE}, {"shop2", IS_WHARF}};
    const char* hosts[] = {"localhost", "127.0.0.3", "127.0.0.2"};
    for (int i = 0; i < 3; ++i) {
        MSInfo m;
        m.Name = instances[i].first;
        m.ISType = instances[i].second;
        m.DocRoot = ("/srv/www/" + std::string(instances[i].first)).c_str();
        m.ISHost = hosts[i];
        ASSERT_EQ(list.Add(m, 0), 0);
    }
    // What the block writer leaves before the catch-all line.
    auto written = [&](int orvell) {
        char* text = nullptr;
        size_t size = 0;
        FILE* out = open_memstream(&text, &size);
        EXPECT_EQ(WriteVXPassOrvell("Pass /* /srv/default/*\n", list, out, nullptr, orvell), 1);
        fclose(out);
        std::string result(text, size);
        free(text);
        return result;
    };
    EXPECT_EQ(written(1), "###### Orvell Vendrix (Pass) ###### (Do not edit this section)\n"
                          "Pass\t/ca_html/*\t" +
                              product +
                              "/pasample/ca_html/*\n"
                              "Pass\t/pasample/*\t" +
                              product +
                              "/pasample/*\n"
                              "Pass   /*  /srv/www/shop1/* localhost\n"
                              "Pass   /*  /srv/www/shop1/* 127.0.0.1\n"
                              "Pass   /*  /srv/www/shop2/* 127.0.0.2\n"
                              "Pass   /*  /srv/www/shop2/* 127.0.0.2\n"
                              "###### End of Orvell Vendrix (Pass) ######\n"
                              "Pass /* /srv/default/*\n");
    // Without an Orvell instance only the catch-all line is copied.
    EXPECT_EQ(written(0), "Pass /* /srv/default/*\n");
}

} // namespace
