// The marker texts and the start and end lines of the product's blocks in the web servers'
// files.
#include "conffile/markers.h"

#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"

namespace webserver {

const char kProductMark[] = "Orvell Vendrix";
const char kProductEnd[] = "End of Orvell Vendrix";
const char kOldProductEnd[] = "END OF VENDRIX";

void WriteStartMarker(FILE* out, const char* title) {
    ICString warning;
    ICLoadMessage(warning, IC_MSG_DO_NOT_EDIT);
    fprintf(out, "###### %s ###### (%s)\n", title, static_cast<const char*>(warning));
}

void WriteEndMarker(FILE* out, const char* title) {
    fprintf(out, "###### %s ######\n", title);
}

} // namespace webserver
