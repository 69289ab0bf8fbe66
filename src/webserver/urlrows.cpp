// The walker of the product's URL tables (see urlrows.h).
#include "webserver/urlrows.h"

namespace webserver {

namespace {

bool Published(UrlGate gate, const UrlContext& context) {
    switch (gate) {
    case kGateAlways:
        return true;
    case kGatePro:
        return context.pro;
    case kGateHosting:
        return context.hosting;
    case kGateProWithServer:
        return context.pro && context.serverFound;
    }
    return false;
}

const ICString& BaseOf(UrlBase base, const UrlContext& context) {
    switch (base) {
    case kBaseHtml:
        return context.html;
    case kBaseInstall:
        return context.install;
    case kBaseInstance:
        return context.instance;
    case kBaseServerRoot:
        break;
    }
    return context.serverRoot;
}

} // namespace

void WalkUrlRows(const UrlRow* rows, size_t count, const UrlContext& context,
                 const std::function<void(const char* url, const ICString& dir)>& each) {
    for (size_t i = 0; i < count; ++i) {
        if (Published(rows[i].gate, context))
            each(rows[i].url, BaseOf(rows[i].base, context) ^ rows[i].dir);
    }
}

} // namespace webserver
