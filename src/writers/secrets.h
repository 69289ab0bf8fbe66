// The secrets an instance's files hold: the lines with a stored or clear password or the
// merchant key. A stored form is a reversible encipherment, so a file holding one is private to
// its owner and the owner's group, never lies where the web server serves it, and a report of
// its change shows the values masked.
#ifndef VX_WRITERS_SECRETS_H
#define VX_WRITERS_SECRETS_H

#include <string>
#include <sys/types.h>

#include "vxconfig/msinfo.h"

namespace writers {

// Keys of secret lines that no parameter table reads: the controller's database password and
// the payment server's password file ("DBPassword=" and the clear password).
extern const char kControllerPasswordKey[];
extern const char kPaymentPasswordKey[];

// What a report shows instead of a secret value.
extern const char kSecretMask[];

// The mode of a file that holds secrets, from the mode asked for it: nothing for others and no
// writing for the group (0644 gives 0640, 0755 gives 0750).
mode_t PrivateMode(mode_t mode);

// True when text holds a secret: a keyword line (KEY value, or KEY=value) whose key the
// parameter tables read into the record's stored passwords or merchant key, under any
// release's spelling, or one of the two keys above, with a value that is not empty; or the
// stored passwords and keys of an instance data file.
bool HoldsSecrets(const std::string& text);

// text with every secret value replaced by kSecretMask. With other (the same file's previous
// content), a value that other does not hold among its own secrets is marked as changed, so a
// diff still shows which secret lines change.
std::string MaskSecrets(const std::string& text, const std::string* other = nullptr);

// True when path lies in a directory a web server serves: the document root of record (when
// given) or the document directory of the installed web server (the Netscape server's for a
// Netscape instance); served is then that directory.
bool InServedDirectory(const char* path, const MSInfo* record, ICString& served);

} // namespace writers

#endif
