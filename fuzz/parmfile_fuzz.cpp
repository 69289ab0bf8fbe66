// Fuzzes the keyword/value reader: the first byte picks the release's keyword set and the
// parameter table, the rest is the file.
#include "memfile.h"
#include "vxconfig/keywords.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemFile file;
    if (size < 1)
        return 0;
    static void (VXKeyword::*const sets[])() = {&VXKeyword::SetKeyword, &VXKeyword::SetKeywordV2,
                                                &VXKeyword::SetKeywordV1};
    static ParmEntry* const tables[] = {s_tblMSCfg, s_tblMLCfg, s_tblPBCfg, s_tblPVCfg, s_tblISCfg};
    (s_keyword.*sets[data[0] % 3])();
    ParmEntry* table = tables[(data[0] / 3) % 5];
    s_msInfo = MSInfo();
    s_msInfo.ISHost = "myhost";
    ParseFile(file.Hold(data + 1, size - 1), table);
    return 0;
}
