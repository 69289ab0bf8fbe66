// Fuzzes the rewrite of the Orvell HTTP server's httpd.conf: the input is the user's file; the
// rewrite must succeed, and a rewrite of its output must give the same file again.
#include <cstring>

#include "webroot.h"

namespace {

// The line rule for the servlet engine's JSP lines drops the first "/*.jsp" line outside the
// product block on every run, so an output that still has one is not expected to stay.
bool KeepsJspLine(const std::string& text) {
    bool inside = false;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (line.find("Orvell Vendrix") != std::string::npos)
            inside = line.find("End of Orvell Vendrix") == std::string::npos;
        else if (!inside && line.find("/*.jsp") != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static WebRoot root(IS_WHARF);
    static const std::string conf = root.Path("/etc/httpd.conf");
    WebRoot::Put(conf, data, size);
    if (ISSetOrvellConf(root.List(), root.Install()) != 1)
        abort();
    std::string first = WebRoot::Get(conf);
    if (ISSetOrvellConf(root.List(), root.Install()) != 1)
        abort();
    if (!KeepsJspLine(first))
        WebRoot::Expect(conf, first, WebRoot::Get(conf));
    return 0;
}
