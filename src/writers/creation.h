// The forms of the writers that instance creation calls, so that one creation writes each file
// of the instance once: the personalization keys join the first writing of vxtrade.conf, and the
// product macros that the personalization variant replaces are not copied by the file set first.
// Each leaves the same files as the public writer (or sequence of writers) it stands for.
#ifndef VX_WRITERS_CREATION_H
#define VX_WRITERS_CREATION_H

#include <vector>

#include "vxconfig/msinfo.h"
#include "writers/writerframe.h"

namespace writers {

// The keyword lines the personalization variant needs in vxtrade.conf, in the order they are
// added: PERS_ENABLED, GL_HOST (the web server host) and GL_PORT.
std::vector<KeyLine> PersonalizationKeys(const MSInfo& info);

// CreateVXFiles. With personalizedLater, the product macros are left out where
// PersonalizeInstance will copy the same files to the same place (which it then does once).
int CreateFileSet(const MSInfo& instance, const ICString& productDir, bool personalizedLater);

// CreateMSInit with keys added in the same writing, after the user's lines, each where no line
// has its keyword yet: the file ICIsParamInFile would leave after it for each key.
int CreateMainConf(MSInfo& info, const char* productDir, const std::vector<KeyLine>& keys);

// ICNetPerceptionConfig once the product installation is known to be there; keysWritten tells
// that vxtrade.conf already holds PersonalizationKeys (CreateMainConf succeeded with them), so
// it is not rewritten for them. 1.
int PersonalizeInstance(const MSInfo& info, bool keysWritten);

} // namespace writers

#endif
