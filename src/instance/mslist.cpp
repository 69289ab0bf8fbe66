// The instance list: cursor, uniqueness rules, adding, editing and deleting records.
#include <cstdlib>

#include "instance/fields.h"
#include "vxconfig/mslist.h"
#include "vxconfig/portplan.h"
#include "vxconfig/services.h"

namespace {

int RangeEnd(const MSInfo& info) {
    return VXPortPlan(info).ServersEnd();
}

int SameText(const char* a, const char* b) {
    return stricmp(a, b) == 0 ? 1 : 0;
}

// Tests the candidate's own ports in ascending order. A port inside [ownFirst, ownLast] is the
// edited instance's own (its services are registered by creation), so testing stops there.
int PortConflict(const MSInfo& info, int ownFirst, int ownLast) {
    for (int port = info.MSPort; port <= RangeEnd(info); ++port) {
        if (port == MS_RESERVED_PORT)
            return MS_PORT_IN_USE;
        if (port >= ownFirst && port <= ownLast)
            return 0;
        if (SysIsPortRegistered(port))
            return MS_PORT_IN_USE;
    }
    return 0;
}

} // namespace

MSList::MSList() {
    Init();
}

MSList::~MSList() {
    Empty();
}

void MSList::Init() {
    m_pHead = m_pTail = m_pCur = nullptr;
    m_nCount = 0;
    m_nCurIndex = -1;
}

void MSList::Empty() {
    Node* p = m_pHead;
    while (p) {
        Node* next = p->next;
        delete p->info;
        delete p;
        p = next;
    }
    Init();
}

int MSList::GetCount() const {
    return m_nCount;
}

int MSList::SetIndex(int i) {
    if (i < 0 || i > m_nCount)
        return 0;
    if (i == m_nCount) {
        m_pCur = nullptr;
        m_nCurIndex = -1;
        return 1;
    }
    // From whichever known node is nearest: the head, the tail or the current record, so
    // that walking the list by index costs one step per record.
    Node* p = m_pHead;
    int at = 0;
    if (m_nCount - 1 - i < i) {
        p = m_pTail;
        at = m_nCount - 1;
    }
    if (m_pCur && abs(m_nCurIndex - i) < abs(at - i)) {
        p = m_pCur;
        at = m_nCurIndex;
    }
    for (; at < i; ++at)
        p = p->next;
    for (; at > i; --at)
        p = p->prev;
    m_pCur = p;
    m_nCurIndex = i;
    return 1;
}

int MSList::GetIndex() const {
    return m_pCur ? m_nCurIndex : -1;
}

int MSList::GetCurrent(MSInfo& out) const {
    if (!m_pCur)
        return 0;
    out = *m_pCur->info;
    return 1;
}

int MSList::SetCurrent(const MSInfo& info) {
    if (!m_pCur)
        return -1;
    for (Node* p = m_pHead; p; p = p->next) {
        if (p == m_pCur)
            continue;
        if (int dup = CheckDup(info, *p->info))
            return dup;
    }
    *m_pCur->info = info;
    return 0;
}

int MSList::MergeCurrent(MSInfo& info) {
    if (!m_pCur)
        return -1;
    for (Node* p = m_pHead; p; p = p->next) {
        int conflict;
        if (p == m_pCur)
            conflict = PortConflict(info, p->info->MSPort, RangeEnd(*p->info));
        else
            conflict = CheckDup(info, *p->info);
        if (conflict)
            return conflict;
    }
    fields::CopyEditable(*m_pCur->info, info);
    info = *m_pCur->info;
    return 0;
}

int MSList::Add(MSInfo& info, int check) {
    if (check) {
        // The ports are tested once, after the first record's duplicates: they do not depend
        // on the record compared.
        bool portsTested = false;
        for (Node* p = m_pHead; p; p = p->next) {
            if (int dup = CheckDup(info, *p->info))
                return dup;
            if (portsTested)
                continue;
            portsTested = true;
            if (int conflict = PortConflict(info, 1, 0))
                return conflict;
        }
    }
    Append(info);
    return 0;
}

void MSList::Append(const MSInfo& info) {
    Node* n = new Node{m_pTail, nullptr, new MSInfo(info)};
    if (m_pTail)
        m_pTail->next = n;
    else
        m_pHead = n;
    m_pTail = n;
    m_pCur = n;
    m_nCurIndex = m_nCount++;
}

int MSList::Delete() {
    if (!m_pCur)
        return 0;
    Node* n = m_pCur;
    (n->prev ? n->prev->next : m_pHead) = n->next;
    (n->next ? n->next->prev : m_pTail) = n->prev;
    m_pCur = n->next ? n->next : n->prev;
    // The following record moves into the deleted one's position; the preceding one is one
    // before it.
    if (!n->next)
        --m_nCurIndex;
    --m_nCount;
    delete n->info;
    delete n;
    return 1;
}

int MSList::CheckUnique(const MSInfo& info) const {
    for (Node* p = m_pHead; p; p = p->next) {
        if (int dup = CheckDup(info, *p->info))
            return dup;
    }
    return 0;
}

int MSList::CheckDup(const MSInfo& a, const MSInfo& b) const {
    int bits = 0;
    if (SameText(a.Name, b.Name))
        bits |= MS_DUP_NAME;
    if (a.MSPort == b.MSPort)
        bits |= MS_DUP_PORT;
    if (SameText(a.ISHost, b.ISHost))
        bits |= MS_DUP_HOST;
    if (SameText(a.DocRoot, b.DocRoot))
        bits |= MS_DUP_DOCROOT;
    if (b.MSPort <= RangeEnd(a) && RangeEnd(b) >= a.MSPort)
        bits |= MS_DUP_PORT_RANGE;
    if (SameText(a.DBName, b.DBName) && SameText(a.DBUser, b.DBUser)) {
        // Two instances with the same database name under the same user share a database
        // only when they log on alike.
        ICString pa, pb;
        a.GetDBPswd(pa);
        b.GetDBPswd(pb);
        if (SameText(pa, pb))
            bits |= MS_DUP_DATABASE;
    }
    return bits;
}

int MSList::SetDefault(MSInfo& info) {
    m_default = info;
    return 1;
}

int MSList::GetDefault(MSInfo& out) const {
    out = m_default;
    return 1;
}
