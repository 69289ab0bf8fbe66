// Fuzzes the rewrite of the Netscape servers' obj.conf files and mime.types: the input is the
// user's file, given to all three; the rewrite must succeed, and a rewrite of its output must
// give the same files again, except that each run leaves one more empty line in front of the
// block that loads the product's plug-in.
#include "webroot.h"

namespace {

// first with one empty line more in front of its plug-in block, or first when it has none.
std::string WithOneMoreEmptyLine(const std::string& first, const char* install) {
    std::string plugin = std::string(" (Do not edit this section)\nInit fn=\"load-modules\" ") +
                         "shlib=\"" + install + "/bin/libvx_cgi_nsapi.so\"";
    size_t at = first.find(plugin);
    if (at == std::string::npos)
        return first;
    at = first.rfind('\n', at);
    at = at == std::string::npos ? 0 : at + 1;
    return first.substr(0, at) + "\n" + first.substr(at);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static WebRoot root(IS_NETSCAPE);
    static const std::string files[] = {
        root.Path("/usr/netscape/suitespot/https-443/config/obj.conf"),
        root.Path("/usr/netscape/suitespot/https-80/config/obj.conf"),
        root.Path("/usr/netscape/suitespot/https-80/config/mime.types")};
    for (const std::string& file : files)
        WebRoot::Put(file, data, size);
    if (ISSetNSConf(root.List(), root.Install()) != 1)
        abort();
    std::string first[3];
    for (int i = 0; i < 3; ++i)
        first[i] = WebRoot::Get(files[i]);
    if (ISSetNSConf(root.List(), root.Install()) != 1)
        abort();
    for (int i = 0; i < 3; ++i) {
        std::string expected = i < 2 ? WithOneMoreEmptyLine(first[i], root.Install()) : first[i];
        WebRoot::Expect(files[i], expected, WebRoot::Get(files[i]));
    }
    return 0;
}
