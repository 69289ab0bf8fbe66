// Files the daemon stand-ins read and write: the system root they belong to, keyword/value
// configuration files, the rooted services file and small state files (pid files, markers).
#ifndef STANDIN_FILES_H
#define STANDIN_FILES_H

#include <string>
#include <vector>

namespace standin {

// The system root a stand-in installed at installedAt (an absolute path below the root, such
// as "/usr/sbin/httpd") runs in: $VXCONFIG_ROOT when set and not empty, else the part of the
// program's own path before installedAt when that is a laid-out root (it has etc/services),
// else "" (the real system). Never ends in "/".
std::string SystemRoot(const char* installedAt);

// True when path lies below dir (a proper descendant, compared by whole path components).
bool IsBelow(const std::string& path, const std::string& dir);

// The directory part of path ("." when it has no "/", "/" for a file in "/").
std::string DirOf(const std::string& path);
// The part after the last "/".
std::string BaseOf(const std::string& path);

// The same character rule as the library's values that may reach a shell: letters, digits and
// . _ - + , : @ = (and / in a path), not beginning with "-", not empty. A name is not "." or
// "..". A path must also be absolute and hold no "." or ".." component.
bool IsSafeName(const std::string& text);
bool IsSafeAbsolutePath(const std::string& text);

// The text after the first token of the first line of a keyword/value file whose first token
// is keyword (compared without regard to case), blanks around it removed. False when the file
// cannot be read or has no such line.
bool ReadConfValue(const std::string& path, const char* keyword, std::string* value);

// A decimal number from low to high, the whole text; false otherwise.
bool ParseNumber(const std::string& text, long low, long high, long* value);

// The TCP port of a service in a services file ("name port/tcp aliases... # comment"), the
// name matched against the service name and its aliases. -1 when it is not there.
int LookupTcpPort(const std::string& servicesPath, const std::string& name);

// Writes text to path in one step (a temporary beside it renamed over it), mode 0644.
bool WriteSmallFile(const std::string& path, const std::string& text);
// The first blank-separated token of the first line of path as a process id; 0 when the file
// cannot be read or does not start with a positive number.
int ReadPidFile(const std::string& path);

// The words of text between the separators.
std::vector<std::string> SplitWords(const std::string& text, const char* separators);

} // namespace standin

#endif
