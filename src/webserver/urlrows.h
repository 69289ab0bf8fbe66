// The product's URL areas as data: each row names a URL, the directory it is published from
// (below one of a few base directories) and when it is published. The Netscape prefix block
// and the Orvell server's common Pass rules are two tables walked by the one walker here.
#ifndef VX_WEBSERVER_URLROWS_H
#define VX_WEBSERVER_URLROWS_H

#include <functional>

#include "vxconfig/icstring.h"

namespace webserver {

// Where a row's directory lies.
enum UrlBase {
    kBaseHtml,       // the installation's html/en_US
    kBaseInstall,    // the installation
    kBaseInstance,   // the instance's root
    kBaseServerRoot, // the web server's root
};

// When a row is published.
enum UrlGate {
    kGateAlways,
    kGatePro,           // the Pro package
    kGateHosting,       // the hosting edition
    kGateProWithServer, // the Pro package, with the web server's root found
};

struct UrlRow {
    const char* url;
    UrlBase base;
    const char* dir;
    UrlGate gate;
};

// The base directories and the facts the gates test.
struct UrlContext {
    ICString html, install, instance, serverRoot;
    bool pro = false;
    bool hosting = false;
    bool serverFound = false;
};

// Hands each published row of rows[0..count) to each with its directory (base ^ dir), in
// table order.
void WalkUrlRows(const UrlRow* rows, size_t count, const UrlContext& context,
                 const std::function<void(const char* url, const ICString& dir)>& each);

template <size_t N>
void WalkUrlRows(const UrlRow (&rows)[N], const UrlContext& context,
                 const std::function<void(const char* url, const ICString& dir)>& each) {
    WalkUrlRows(rows, N, context, each);
}

} // namespace webserver

#endif
