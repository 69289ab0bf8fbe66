// Protocol data: caller-built blocks of extra parameters in wire format.
#include <stdlib.h>
#include <string.h>

#include "pvinternal.h"

bool protocolDataGiven(const ProtocolData* pd) {
    return pd && (pd->data || pd->length != 0);
}

int validateProtocolData(const ProtocolData* pd, int* rc) {
    if (!pd || !pd->data || pd->length < 0 || pd->length >= PV_MAX_BLOCK_LEN)
        return failWith(rc, PV_RC_INVALID_DATA);
    const auto* bytes = reinterpret_cast<const unsigned char*>(pd->data);
    long at = 0;
    while (at < pd->length) {
        if (at + 4 > pd->length)
            return failWith(rc, PV_RC_INVALID_DATA);
        int32_t valueLength = getLongValue(bytes + at);
        if (valueLength < 0)
            return failWith(rc, PV_RC_INVALID_DATA);
        at += 4 + PV_FIELD_NAME_LEN + (long)valueLength;
    }
    // A last parameter that claims more bytes than remain overshoots the end.
    if (at != pd->length)
        return failWith(rc, PV_RC_INVALID_DATA);
    return PV_RESULT_OK;
}

int updateProtocolData(ProtocolData* pd, const char* parm, int32_t length, int* rc) {
    int32_t old = pd->data ? pd->length : 0;
    auto* grown = static_cast<char*>(realloc(pd->data, (size_t)old + (size_t)length));
    if (!grown)
        return failWith(rc, PV_RC_NO_MEMORY);
    memcpy(grown + old, parm, (size_t)length);
    pd->data = grown;
    pd->length = old + length;
    return PV_RESULT_OK;
}

int pvAddProtocolData(ProtocolData* pd, const char* name, const void* value, int32_t length,
                      int* rc) {
    if (!pd || !name || !value) {
        setReturnCode(rc, PV_RC_NULL_ARGUMENT);
        return PV_RESULT_MISSING;
    }
    if (strlen(name) != PV_FIELD_NAME_LEN)
        return failWith(rc, PV_RC_BAD_FIELD_NAME);
    if (protocolDataGiven(pd)) {
        if (int result = validateProtocolData(pd, rc))
            return result;
    }
    if (length < 0 || (long)length + PV_PARM_HEADER_LEN >= PV_MAX_BLOCK_LEN)
        return failWith(rc, PV_RC_INVALID_DATA);
    int32_t parmLength = length + PV_PARM_HEADER_LEN;
    auto* parm = static_cast<char*>(malloc((size_t)parmLength));
    if (!parm)
        return failWith(rc, PV_RC_NO_MEMORY);
    encodeParm(parm, name, static_cast<const char*>(value), (size_t)length);
    int result = updateProtocolData(pd, parm, parmLength, rc);
    free(parm);
    if (result == PV_RESULT_OK)
        setReturnCode(rc, PV_RC_OK);
    return result;
}

int pvAddProtocolDataString(ProtocolData* pd, const char* name, const char* value, int32_t length,
                            int* rc) {
    if (!pd || !name || !value) {
        setReturnCode(rc, PV_RC_NULL_ARGUMENT);
        return PV_RESULT_MISSING;
    }
    return pvAddProtocolData(pd, name, value, length, rc);
}
