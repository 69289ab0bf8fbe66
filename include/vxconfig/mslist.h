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

    int Load(const char* path);
    int Store(const char* path) const;
    // The list file written to an open stream; what Store(path) writes.
    int Store(FILE* fp) const;

    int SetDefault(MSInfo& info);
    int GetDefault(MSInfo& out) const;
    int SetDefault(const char* root, const char* webRoot);

private:
    struct Node {
        Node* prev;
        Node* next;
        MSInfo* info;
    };

    void Append(const MSInfo& info);
    int SearchPort(int start, int MSInfo::*base) const;

    Node* m_pHead;
    Node* m_pTail;
    Node* m_pCur;
    MSInfo m_default;
};

#endif
