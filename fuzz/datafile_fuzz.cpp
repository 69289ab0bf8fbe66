// Fuzzes the loader of the instance data file.
#include "memfile.h"
#include "vxconfig/mslist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemFile file;
    MSList list;
    list.Load(file.Hold(data, size));
    return 0;
}
