// MSList: the instances of the data file in order, with a cursor, uniqueness rules and the
// default record a new instance starts from.
#ifndef VXCONFIG_MSLIST_H
#define VXCONFIG_MSLIST_H

#include <cstdio>

#include "vxconfig/msinfo.h"

// Conflict bits of CheckDup, Add, SetCurrent and MergeCurrent.
enum {
    MS_DUP_NAME = 1,
    MS_DUP_PORT = 2,
    MS_DUP_HOST = 4,
    MS_DUP_DOCROOT = 16,
    MS_DUP_PORT_RANGE = 32,
    MS_DUP_DATABASE = 64,
    MS_PORT_IN_USE = 128,
};

class VX_API MSList {
public:
    MSList();
    ~MSList();
    MSList(const MSList&) = delete;
    MSList& operator=(const MSList&) = delete;

    void Init();
    void Empty();
    int GetCount() const;
    int SetIndex(int i);
    int GetIndex() const;
    int GetCurrent(MSInfo& out) const;
    int SetCurrent(const MSInfo& info);
    int MergeCurrent(MSInfo& info);
    int Add(MSInfo& info, int check);
    int Delete();
    int CheckUnique(const MSInfo& info) const;
    int CheckDup(const MSInfo& a, const MSInfo& b) const;

    // The instance data file (datafile.h). Load reads it as the product always has (number
    // lines with atoi); both refuse a record whose values could run as a command (see
    // MSInfo::CheckValues), and every refusal leaves its reason (the file, the line, what is
    // wrong) in SysGetLastReason. Neither shows a message: the caller decides what a failure
    // means (a file that does not exist is an installation without instances yet).
    int Load(const char* path);
    // Load for a file that is about to be replaced: only an instance data file to the letter
    // loads (every number line a decimal number, nothing after the end line), so a text that
    // merely reads as zeros is never taken for an empty list.
    int LoadDataFile(const char* path);
    // 1 when path holds an instance data file that LoadDataFile takes.
    static int IsDataFile(const char* path);
    // Replaces the file through the one write path: never half written or missing, a new
    // file private to its owner, an existing one keeping its mode and owner, a symbolic link
    // kept. A file there that is neither empty nor an instance data file is never replaced.
    // A failure shows nothing and leaves its reason (the file and why) in SysGetLastReason.
    int Store(const char* path) const;
    // The list file written to an open stream; what Store(path) writes.
    int Store(FILE* fp) const;

    int SetDefault(MSInfo& info);
    int GetDefault(MSInfo& out) const;
    // A new instance called name: the default record with the name, and with an instance
    // and a configuration directory of its own below the default ones. 1, or 0 with out
    // unchanged when MSInfo::SetName refuses name.
    int GetDefault(MSInfo& out, const char* name) const;
    // The default record of a new instance of the product installed in root. With the
    // database product found, its database instance user is the one the product profile
    // (root/server/bin/vndxprofile) names in RELDAINSTANCE, else the first instance the
    // database lists (also the default owner). 0 when root is null (only the names are set).
    int SetDefault(const char* root, const char* webRoot);

private:
    struct Node {
        Node* prev;
        Node* next;
        MSInfo* info;
    };

    void Append(const MSInfo& info);
    int SearchPort(int start, int MSInfo::*base) const;
    int ReadFile(const char* path, bool strict);

    Node* m_pHead;
    Node* m_pTail;
    Node* m_pCur;
    MSInfo m_default;
    // Kept up to date so that counting and walking by index take no walk from the head: the
    // number of records and the position of the current one (-1 without one).
    int m_nCount;
    int m_nCurIndex;
};

#endif
