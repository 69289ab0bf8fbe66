// Fuzzes the reader of the product block in the web server configuration: the first byte
// chooses the match text (none, the usual host, an empty one), the rest is the file.
#include "memfile.h"
#include "vxconfig/keywords.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemFile file;
    if (size < 1)
        return 0;
    static const char* const matches[] = {nullptr, "myhost", ""};
    s_keyword.SetKeyword();
    s_msInfo = MSInfo();
    ParseISFile(file.Hold(data + 1, size - 1), s_tblISCfg, matches[data[0] % 3]);
    return 0;
}
