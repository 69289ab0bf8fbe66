// What the instance layer does with the record's field table (see vxconfig/msfields.h): the
// one place where a record's defaults are filled in, and the copy of an edit.
#ifndef VX_INSTANCE_FIELDS_H
#define VX_INSTANCE_FIELDS_H

#include "vxconfig/msfields.h"

namespace fields {

// Gives every number, port and type of a record being constructed its initial value.
void FillInitial(MSInfo& info);
// Gives the fields a new instance starts with (MS_FIELD_FRESH) their values.
void FillFresh(MSInfo& info);
// Copies the fields an edit of an existing instance may change (MS_FIELD_EDITABLE).
void CopyEditable(MSInfo& to, const MSInfo& from);

} // namespace fields

#endif
