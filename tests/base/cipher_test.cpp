// The credential cipher's bounds and stability, and the password check against a root's users.
#include <crypt.h>
#include <cstdio>

#include "sandbox_fixture.h"

namespace {

bool IsPrintableLine(const char* s) {
    for (; *s; ++s)
        if (*s < 0x21 || *s > 0x7e)
            return false;
    return true;
}

std::string Encrypt(const char* clear, int outSize = 33) {
    char out[128];
    EXPECT_EQ(1, ICEncrypt(clear, out, outSize));
    return out;
}

std::string Decrypt(const std::string& stored, int outSize = 17) {
    char out[128];
    EXPECT_EQ(1, ICDecrypt(stored.c_str(), out, outSize));
    return out;
}

} // namespace

// The round trips themselves are the front end's tests; these pin the bounds.
TEST(MerchantKey, OnlySixteenHexDigitsAndThirtyTwoCharacterFormsAreAccepted) {
    char out[33];
    for (const char* bad :
         {"0123456789abcde", "0123456789abcdef0", "0123456789abcdeg", "", "0123456789 bcdef"}) {
        memset(out, '#', sizeof out);
        EXPECT_EQ(0, ICEncKey(bad, out)) << bad;
        EXPECT_EQ('#', out[0]) << bad;
    }
    char clear[17] = "untouched";
    EXPECT_EQ(0, ICDecKey(std::string(31, 'a').c_str(), clear));
    EXPECT_EQ(0, ICDecKey(std::string(33, 'a').c_str(), clear));
    // 32 characters that are no hexadecimal stored form decipher to nothing of 16 characters.
    EXPECT_EQ(0, ICDecKey(IC_NO_MERKEY, clear));
    EXPECT_STREQ("untouched", clear);
    EXPECT_EQ(0, ICDecKey("", clear));
    EXPECT_STREQ("", clear);
    // Enciphering is repeatable, so the stored form of a key never changes between runs.
    char again[33];
    ASSERT_EQ(1, ICEncKey("0123456789ABCDEF", out));
    ASSERT_EQ(1, ICEncKey("0123456789ABCDEF", again));
    EXPECT_STREQ(out, again);
}

TEST(Passwords, EveryCharacterGivesOnePrintableLineAndLongTextsAreCut) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    for (size_t at = 0; at < all.size(); at += 16) {
        std::string clear = all.substr(at, 16);
        std::string stored = Encrypt(clear.c_str());
        EXPECT_TRUE(IsPrintableLine(stored.c_str())) << at;
        EXPECT_EQ(clear, Decrypt(stored)) << at;
    }
    EXPECT_EQ("", Encrypt(""));
    EXPECT_EQ("", Decrypt(""));
    // A longer text is cut to the 32 characters of a stored form, which hold its first 16.
    std::string cut = Encrypt("seventeen-chars-x");
    EXPECT_EQ(32u, cut.size());
    EXPECT_EQ("seventeen-chars-", Decrypt(cut));
    // The output size bounds the clear text as well.
    EXPECT_EQ("sev", Decrypt(cut, 4));
    EXPECT_EQ(6u, Encrypt("secret", 7).size());
}

TEST(Passwords, MerchantKeyCipherNeedsAValidStoredKey) {
    char storedKey[33];
    ASSERT_EQ(1, ICEncKey("00112233445566aa", storedKey));
    char out[65] = "untouched";
    EXPECT_EQ(0, ICEncryptWithMerKey("admin", out, sizeof out, "short"));
    EXPECT_EQ(0, ICEncryptWithMerKey("admin", out, sizeof out, IC_NO_MERKEY));
    EXPECT_STREQ("untouched", out);
    EXPECT_EQ(1, ICEncryptWithMerKey("", out, sizeof out, "short"));
    EXPECT_STREQ("", out);

    ASSERT_EQ(1, ICEncryptWithMerKey("admin", out, sizeof out, storedKey));
    std::string withKey = out;
    EXPECT_EQ(10u, withKey.size());
    EXPECT_TRUE(IsPrintableLine(out));
    EXPECT_NE(Encrypt("admin"), withKey);
    char otherKey[33];
    ICEncKey("00112233445566ab", otherKey);
    ICEncryptWithMerKey("admin", out, sizeof out, otherKey);
    EXPECT_NE(withKey, out);
    ICEncryptWithMerKey("admin", out, 5, storedKey);
    EXPECT_EQ(withKey.substr(0, 4), out);
}

// The previous generation: each byte XOR-ed with the old key, written as hexadecimal.
TEST(Passwords, PreviousGenerationIsReEnciphered) {
    const unsigned char oldKey[] = {0x5a, 0x13, 0x7e, 0x29, 0x44, 0x61, 0x0d, 0x38};
    const std::string clear = "oldpass1";
    std::string oldForm;
    char hex[3];
    for (size_t i = 0; i < clear.size(); ++i) {
        snprintf(hex, sizeof hex, "%02x",
                 static_cast<unsigned char>(clear[i]) ^ oldKey[i % sizeof oldKey]);
        oldForm += hex;
    }
    ICString text(oldForm.c_str());
    EXPECT_EQ(1, ICConvertCipher(text));
    EXPECT_EQ(Encrypt("oldpass1"), std::string(text));
    EXPECT_EQ("oldpass1", Decrypt(std::string(text)));

    ICString none;
    EXPECT_EQ(1, ICConvertCipher(none));
    EXPECT_TRUE(none.IsEmpty());
}

// The password check reads the users of the root in force.
class PasswordCheck : public SandboxTest {
protected:
    PasswordCheck() { sandboxOptions.standins = false; }
    void SetUp() override {
        SandboxTest::SetUp();
        std::string shadowed = Hash("right-pw", "$6$vxtestsalt$");
        std::string plain = Hash("plain-pw", "$5$othersalt$");
        ASSERT_TRUE(
            WriteWholeFile(Rooted("/etc/passwd"), "root:x:0:0:root:/root:/bin/sh\n"
                                                  "alice:x:1001:1001::/home/alice:/bin/sh\n"
                                                  "bob:" +
                                                      plain +
                                                      ":1002:1002::/home/bob:/bin/sh\n"
                                                      "carol:x:1003:1003::/home/carol:/bin/sh\n"
                                                      "dave::1004:1004::/home/dave:/bin/sh\n"
                                                      "alic:x:1005:1005::/home/alic:/bin/sh\n"));
        ASSERT_TRUE(WriteWholeFile(Rooted("/etc/shadow"), "root:*:19000:0:99999:7:::\nalice:" +
                                                              shadowed + ":19000:0:99999:7:::\n"));
    }
    static std::string Hash(const char* password, const char* setting) {
        crypt_data data{};
        const char* h = crypt_r(password, setting, &data);
        return h ? h : "";
    }
};

TEST_F(PasswordCheck, ShadowedAndPlainAccountsOfTheRootInForce) {
    EXPECT_EQ(1, ICCheckPswd("right-pw", "alice"));
    EXPECT_EQ(0, ICCheckPswd("wrong-pw", "alice"));
    EXPECT_EQ(0, ICCheckPswd("", "alice"));
    EXPECT_EQ(1, SysCheckDBPswd("plain-pw", "bob"));
    EXPECT_EQ(0, SysCheckDBPswd("right-pw", "bob"));
    // Shadowed, but without a line of its own; a longer name that starts alike does not count.
    EXPECT_EQ(0, ICCheckPswd("right-pw", "carol"));
    EXPECT_EQ(0, ICCheckPswd("right-pw", "alic"));
    EXPECT_EQ(0, ICCheckPswd("", "dave"));
    EXPECT_EQ(0, ICCheckPswd("right-pw", "nobody-here"));
    EXPECT_EQ(0, ICCheckPswd("right-pw", nullptr));
    setenv("VXCONFIG_ROOT", "/tmp/vxroot-none-such", 1);
    EXPECT_EQ(0, ICCheckPswd("right-pw", "alice"));
}
