// Symbol export for libvxconfig: everything is hidden unless it carries VX_API.
#ifndef VXCONFIG_EXPORT_H
#define VXCONFIG_EXPORT_H

#define VX_API __attribute__((visibility("default")))

// The plain entry points of the front end keep undecorated (C) link names.
#ifdef __cplusplus
#define VX_CAPI extern "C" VX_API
#else
#define VX_CAPI extern VX_API
#endif

#endif
