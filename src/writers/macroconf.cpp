// The web macro processor's initialisation file of an instance, reldawww.ini in its document
// root: the processor's template with the product's search paths, the document root, the
// database interface library and the variable scope rewritten, every other line kept.
#include <cerrno>
#include <cstring>
#include <strings.h>
#include <unistd.h>

#include "conffile/conftext.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/webpaths.h"
#include "vxconfig/writers.h"
#include "writers/writerframe.h"

namespace {

const char kMacroFile[] = "reldawww.ini";
// The pristine copy of a template that the product edits in place.
const char kPristine[] = ".vx";
const char kOdbcMark[] = "(QLW_ODBC)";
const char kScopeLine[] = "QLW_VARIABLE_SCOPE GLOBAL\n";

bool Exists(const char* path) {
    return SysAccess(path, F_OK) == 0;
}

// The web server's document directory, which the processor's own file may live in.
ICString WebDocuments(MSInfo& info, const ICString& processor) {
    ISPath paths;
    if (info.ISType == IS_WHARF && SysGetISOrvellInfo(paths))
        return paths[ISPATH_DOCS];
    if (info.ISType == IS_NETSCAPE && SysGetISNESInfo(paths, info))
        return paths[ISPATH_DOCS];
    return processor;
}

// The file the instance's file is made from: the processor's own template, or the pristine
// copy of the file the web server serves (made on first use).
ICString ChooseTemplate(MSInfo& info, const ICString& target) {
    ICString processor;
    SysGetMacrolinPath(processor);
    ICString documents = WebDocuments(info, processor);
    if (stricmp(documents, processor) != 0) {
        ICString pristine = (processor ^ kMacroFile) + kPristine;
        return Exists(pristine) ? pristine : processor ^ kMacroFile;
    }
    ICString served = documents ^ kMacroFile;
    ICString source = Exists(served) || Exists(served + kPristine) ? served : target;
    ICString pristine = source + kPristine;
    if (!Exists(pristine))
        SysCopyFile(source, pristine);
    return pristine;
}

// What the line rewrites need of the instance.
struct MacroPaths {
    ICString product;  // P
    ICString macros;   // A = P/macro/en_US
    ICString editor;   // B = RootPath/teditor
    ICString common;   // K = P/macro/common
    ICString hwlModel; // H = K/HWLstoremodel
    bool hosting;
};

// The words of a template line after its keyword, each added to list.
void AddFurtherWords(ParmList<ICString>& list, const char* line) {
    conffile::WritableCopy copy(line);
    conffile::Tokens words(copy.Text());
    words.Next(" ");
    while (const char* word = words.Next(" \n"))
        list.AddTailUnique(word);
}

void WriteMacroPath(MSInfo& info, const MacroPaths& p, const char* line, FILE* out) {
    ParmList<ICString>& list = info.MLMacroPath;
    list.AddTailUnique(p.editor);
    if (p.hosting) {
        list.AddHeadUnique(p.hwlModel);
        list.AddHeadUnique(p.common);
    }
    list.AddTailUnique(p.macros);
    list.AddTailUnique(p.macros ^ "demomall");
    list.AddTailUnique(p.macros ^ "vxsample");
    ICString own;
    own.CopyStr(info.MacroPath, static_cast<int>(strcspn(info.MacroPath, ",")));
    if (strncasecmp(p.macros, own, static_cast<size_t>(own.GetLength())) != 0)
        list.AddTailUnique(own);
    if (p.hosting)
        list.AddTailUnique(p.macros ^ "QBX");
    AddFurtherWords(list, line);
    info.WriteMLMacroPath(out);
}

void WriteIncludePath(MSInfo& info, const MacroPaths& p, const char* line, FILE* out) {
    ParmList<ICString>& list = info.MLIncPath;
    list.AddTailUnique(p.product ^ "html" ^ "en_US");
    list.AddTailUnique(p.editor);
    if (p.hosting) {
        list.AddHeadUnique(p.hwlModel);
        list.AddHeadUnique(p.common);
    }
    list.AddTailUnique(p.macros);
    list.AddTailUnique(p.macros ^ "vxsample");
    AddFurtherWords(list, line);
    info.WriteMLIncPath(out);
}

// An environment line naming the database interface library: the library of the instance's
// database in the directory the template names.
bool RewriteOdbcLine(const MSInfo& info, const char* line, FILE* out) {
    conffile::WritableCopy copy(line);
    conffile::Tokens words(copy.Text());
    const char* first = words.Next(" ");
    const char* second = words.Next(" ");
    if (!first || !second || strcmp(second, kOdbcMark) != 0)
        return false;
    fprintf(out, "%s %s ", first, second);
    const char* library = words.Next(" \n");
    ICString dir;
    if (library) {
        const char* slash = strrchr(library, '/');
        dir.CopyStr(library, slash ? static_cast<int>(slash - library) + 1 : 0);
    }
    fprintf(out, "%s ",
            static_cast<const char*>(dir +
                                     (info.DBType != DB_RELDA ? "libqlwodbc.so" : "libqlwsql.so")));
    while (const char* word = words.Next(" \n"))
        fprintf(out, "%s ", word);
    fputc('\n', out);
    return true;
}

int WriteMacroLines(MSInfo& info, const MacroPaths& paths, const ICString& templ, FILE* out,
                    ICString& failed) {
    SysLineReader in(templ);
    if (!in.IsOpen()) {
        SysSetFileReason(templ, errno);
        failed = templ;
        return 0;
    }
    bool scopeWritten = false;
    bool lineEnded = true;
    while (char* line = in.Next()) {
        ICString keyword = conffile::FirstToken(line, " ");
        if (strcmp(keyword, "MACRO_PATH") == 0) {
            WriteMacroPath(info, paths, line, out);
        } else if (strcmp(keyword, "INCLUDE_PATH") == 0) {
            WriteIncludePath(info, paths, line, out);
        } else if (strcmp(keyword, "HTML_PATH") == 0) {
            fprintf(out, "HTML_PATH\t%s", static_cast<const char*>(info.DocRoot));
            fputs("\n", out);
        } else if (strcmp(keyword, "QLW_VARIABLE_SCOPE") == 0) {
            fputs(kScopeLine, out);
            scopeWritten = true;
        } else if (!RewriteOdbcLine(info, line, out)) {
            fwrite(line, 1, in.Length(), out);
            lineEnded = in.Length() > 0 && line[in.Length() - 1] == '\n';
            continue;
        }
        lineEnded = true;
    }
    if (in.Failed()) {
        SysSetFileReason(templ, errno);
        failed = templ;
        return 0;
    }
    if (!scopeWritten) {
        // A template whose last line has no line end still gets the scope on a line of its own.
        if (!lineEnded)
            fputc('\n', out);
        fputs(kScopeLine, out);
    }
    return 1;
}

} // namespace

int CreateMLInit(const MSInfo& instance, const char* productDir) {
    // The path lists are made on a copy of the record.
    MSInfo info = instance;
    MacroPaths paths;
    paths.product = productDir ? productDir : "";
    paths.macros = paths.product ^ "macro" ^ "en_US";
    paths.editor = info.RootPath ^ "teditor";
    paths.common = paths.product ^ "macro" ^ "common";
    paths.hwlModel = paths.common ^ "HWLstoremodel";
    paths.hosting = (info.MSOption & MS_OPT_HOSTING) != 0;

    writers::ConfigFile file;
    file.path = info.DocRoot ^ kMacroFile;
    file.owner = info.DBOwner;
    file.record = &info;
    ICString templ = ChooseTemplate(info, file.path);
    return writers::WriteConfigFile(file, [&](FILE* out, ICString& failed) {
        return WriteMacroLines(info, paths, templ, out, failed);
    });
}
