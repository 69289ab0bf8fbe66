// Which package of the product is installed, as its administration pages say: the first line
// of config.js that names "gVXPackaging" names "kStrStart" for the Start package.
#ifndef VX_WEBSERVER_PACKAGE_H
#define VX_WEBSERVER_PACKAGE_H

namespace webserver {

enum Packaging {
    kPackagingUnreadable, // config.js cannot be opened (the file and why are the last reason)
    kPackagingUnnamed,    // it names no package
    kPackagingStart,
    kPackagingPro,
};

// The package named by instPath's administration config.js.
Packaging ReadPackaging(const char* instPath);

// Sets or clears the Start package bit of info as the packaging says; an unnamed package
// leaves it as stored.
void ApplyPackaging(Packaging packaging, int& option);

} // namespace webserver

#endif
