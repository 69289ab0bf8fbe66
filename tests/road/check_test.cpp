// vxcfg --check, --diff and --json along the road: a check run changes no byte of the
// sandbox, names exactly what the real run then changes, and its diff (secrets shown),
// applied with patch to a copy, gives the real run's files.
#include <map>
#include <regex>
#include <set>

#include "sandbox_fixture.h"

namespace {

// path below the root -> "type mode content" (a link's target as its content).
using Listing = std::map<std::string, std::string>;

void Walk(const std::string& root, const std::string& below, Listing& out) {
    std::string path = root + below;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return;
    char mode[8];
    snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    if (S_ISLNK(st.st_mode)) {
        char target[4096];
        ssize_t n = readlink(path.c_str(), target, sizeof target);
        out[below] = std::string("link ") + std::string(target, n > 0 ? n : 0);
    } else if (S_ISDIR(st.st_mode)) {
        out[below] = std::string("dir ") + mode;
        for (const std::string& name : Entries(path))
            Walk(root, below + "/" + name, out);
    } else {
        out[below] = std::string("file ") + mode + " " + ReadWholeFile(path);
    }
}

Listing ListTree(const std::string& root) {
    Listing out;
    Walk(root, "", out);
    return out;
}

// The paths whose entry differs between two listings.
std::set<std::string> Differing(const Listing& a, const Listing& b) {
    std::set<std::string> out;
    for (const auto& entry : a) {
        auto other = b.find(entry.first);
        if (other == b.end() || other->second != entry.second)
            out.insert(entry.first);
    }
    for (const auto& entry : b) {
        if (!a.count(entry.first))
            out.insert(entry.first);
    }
    return out;
}

// "action path" of every file entry of a --json report, the root left out.
std::set<std::string> Reported(const std::string& json, const std::string& root) {
    std::set<std::string> out;
    static const std::regex entry("\\{\"path\": \"([^\"]*)\", \"action\": \"([a-z]*)\"");
    for (std::sregex_iterator it(json.begin(), json.end(), entry), end; it != end; ++it) {
        std::string path = (*it)[1];
        EXPECT_EQ(path.compare(0, root.size(), root), 0) << path;
        out.insert((*it)[2].str() + " " + path.substr(root.size()));
    }
    return out;
}

std::set<std::string> PathsOf(const std::set<std::string>& reported) {
    std::set<std::string> out;
    for (const std::string& line : reported)
        out.insert(line.substr(line.find(' ') + 1));
    return out;
}

class CheckTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        setenv("VXCONFIG_SLEEP_MS", "20", 1);
        ProgramResult layout =
            RunProgram("vxcfg", {"sandbox", Root(), "--force", "--release", "2"});
        ASSERT_EQ(layout.exitCode, 0) << layout.err;
        logs = Rooted("/logs");
        ASSERT_EQ(mkdir(logs.c_str(), 0755), 0);
    }
    // Checks args, runs it for real, and compares: the sandbox untouched by the check, the
    // check's report equal to the real run's, the real run's report equal to what changed
    // (when the operation runs no command that writes files of its own), the diff applied
    // to a copy giving the real run's text files.
    void Step(const std::vector<std::string>& args, bool commandsWrite = false) {
        SCOPED_TRACE(args[0]);
        Listing before = ListTree(Root());
        ScratchDir copy;
        ASSERT_EQ(system(("cp -a " + Root() + "/. " + copy.Path()).c_str()), 0);
        std::vector<std::string> check = {"--check", "--diff", "--show-secrets"},
                                 json = {"--check", "--json"}, real = {"--json"};
        for (auto* list : {&check, &json, &real})
            list->insert(list->end(), args.begin(), args.end());
        ProgramResult diff = Vxcfg(check);
        ProgramResult checked = Vxcfg(json);
        EXPECT_EQ(diff.exitCode, 3) << diff.err;
        EXPECT_EQ(checked.exitCode, 3) << checked.err;
        EXPECT_EQ(Differing(before, ListTree(Root())), std::set<std::string>());

        ProgramResult done = VxcfgOk(real);
        Listing after = ListTree(Root());
        std::set<std::string> wouldDo = Reported(checked.out, Root());
        std::set<std::string> did = Reported(done.out, Root());
        EXPECT_FALSE(did.empty());
        if (commandsWrite) {
            // What the check names, the real run did; the real run did more through the
            // commands that the check only lists.
            for (const std::string& line : wouldDo)
                EXPECT_TRUE(did.count(line)) << line;
            EXPECT_EQ(Commands(checked.out), Commands(done.out));
            return;
        }
        EXPECT_EQ(wouldDo, did);
        EXPECT_EQ(PathsOf(did), Differing(before, after));

        std::string patchFile = copy.Path() + ".patch";
        std::string text = diff.out.substr(diff.out.find("\n--- ") + 1);
        text = text.substr(0, text.rfind("Check: "));
        ASSERT_TRUE(WriteWholeFile(patchFile, text));
        EXPECT_EQ(system(("patch -p1 -s --no-backup-if-mismatch -d " + copy.Path() + " -i " +
                          patchFile + " > /dev/null")
                             .c_str()),
                  0);
        unlink(patchFile.c_str());
        for (const std::string& path : PathsOf(did)) {
            auto entry = after.find(path);
            if (entry == after.end()) {
                EXPECT_FALSE(FileExists(copy.Path() + path)) << path;
            } else if (entry->second.compare(0, 5, "file ") == 0) {
                EXPECT_TRUE(ReadWholeFile(copy.Path() + path) == ReadWholeFile(Root() + path))
                    << path;
            }
        }
    }
    static std::string Commands(const std::string& json) {
        size_t start = json.find("\"commands\": [");
        return json.substr(start, json.find("]", start) - start);
    }
    std::string logs;
};

TEST_F(CheckTest, EveryStepOfTheRoadIsCheckedFirst) {
    // A controller port where nothing listens (a controller of a test running beside this one
    // would answer for the instance).
    Step({"add", "shop1", "--host", "localhost", "--db", "shop1", "--dbuser", SANDBOX_INSTANCE_USER,
          "--dbpass", SANDBOX_PASSWORD, "--logpath", logs, "--port", std::to_string(FreePort())});
    Step({"create"});
    Step({"webconf"});
    Step({"createdb"}, true);
    Step({"set", "shop1", "--procs", "3"});
    Step({"create", "shop1"});
    Step({"register", "shop1"});
    Step({"migrate"});
    Step({"delete", "shop1"});
}

TEST_F(CheckTest, ExitCodesReportsAndWhatCannotBeChecked) {
    const std::string port = std::to_string(FreePort());
    ASSERT_EQ(Vxcfg({"add", "shop1", "--host", "localhost", "--dbuser", SANDBOX_INSTANCE_USER,
                     "--dbpass", SANDBOX_PASSWORD, "--logpath", logs, "--port", port})
                  .exitCode,
              0);
    // This installation's package is of release 2, whose controller configuration lived in the
    // web server's documents; it stays in the instance's own directory all the same.
    for (int run = 0; run < 3; ++run)
        ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    // Creation from then on changes only the boot registry, whose entry keeps its earlier
    // comment line, and that file's backup.
    ProgramResult again = VxcfgOk({"--json", "create"});
    EXPECT_EQ(Reported(again.out, Root()),
              (std::set<std::string>{"changed /etc/rc.vndx", "changed /etc/rc.vndx.old"}));
    EXPECT_EQ(again.out.compare(0, 40, "{\"check\": false, \"changed\": true, \"exit\""), 0)
        << again.out.substr(0, 80);
    // The command's own messages went to standard error.
    EXPECT_TRUE(Has(again.err, "Created 1 of 1 instance."));

    ProgramResult list = VxcfgOk({"--check", "list"});
    EXPECT_TRUE(Has(list.out, "Check: nothing would change.\n"));
    ProgramResult none = Vxcfg({"--check", "--json", "set", "shop1", "--procs", "6"});
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_EQ(
        Reported(none.out, Root()),
        (std::set<std::string>{"changed /opt/Orvellvndx/Vendrix3/server/admin/vxconfig.dat"}));
    // Starting waits for a controller that the check did not start: the outcome is not
    // judged, the start commands are listed, nothing is changed.
    Listing before = ListTree(Root());
    ProgramResult start = Vxcfg({"--check", "--json", "start", "shop1"});
    EXPECT_EQ(start.exitCode, 3) << start.err;
    EXPECT_TRUE(Has(start.out, "\"outcome_known\": false"));
    EXPECT_TRUE(Has(start.out, "srvrctrl -i " + Root()));
    EXPECT_TRUE(
        Has(start.out, "\"probes\": [\n  \"the controller on port " + port + " (/ListServers/)\""));
    EXPECT_EQ(Differing(before, ListTree(Root())), std::set<std::string>());

    // A failing operation keeps its exit code; commands outside the seam are refused.
    EXPECT_EQ(Vxcfg({"--check", "delete", "nosuchshop"}).exitCode, 1);
    ProgramResult sandbox = Vxcfg({"--check", "sandbox", Root() + "/other"});
    EXPECT_EQ(sandbox.exitCode, 2);
    EXPECT_TRUE(Has(sandbox.err, "'sandbox' cannot be checked"));
    EXPECT_FALSE(FileExists(Root() + "/other"));
}

} // namespace
