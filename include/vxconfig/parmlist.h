// NameValue and ParmList<T>: the pair and the cursor list that configuration values are kept in.
#ifndef VXCONFIG_PARMLIST_H
#define VXCONFIG_PARMLIST_H

#include "vxconfig/icstring.h"

class VX_API NameValue {
public:
    NameValue() {}
    NameValue(const char* pszName, const char* pszValue) : name(pszName), value(pszValue) {}
    ~NameValue() {}

    ICString name;
    ICString value;
};

// ASCII case-insensitive comparison; the key of the unique insertions.
VX_API int stricmp(const char* a, const char* b);

// What AddHeadUnique/AddTailUnique compare: the whole text, or the name of a pair.
inline const char* ParmKey(const ICString& s) {
    return s;
}
inline const char* ParmKey(const NameValue& nv) {
    return nv.name;
}

// Doubly linked list owning copies of its elements, with one cursor. A null cursor stands
// before the first element, so GetNext on it starts at the head.
template <class T> class ParmList {
public:
    struct Node {
        Node* prev;
        Node* next;
        T* data;
    };

    ParmList() { Init(); }
    ParmList(const ParmList& other) {
        Init();
        *this = other;
    }
    ~ParmList() { Empty(); }

    void Init() { m_pHead = m_pTail = m_pCur = nullptr; }

    void Empty() {
        Node* p = m_pHead;
        while (p) {
            Node* next = p->next;
            delete p->data;
            delete p;
            p = next;
        }
        Init();
    }

    ParmList& AddHead(const T& value) {
        Node* n = new Node{nullptr, m_pHead, new T(value)};
        if (m_pHead)
            m_pHead->prev = n;
        else
            m_pTail = n;
        m_pHead = n;
        m_pCur = n;
        return *this;
    }

    ParmList& AddTail(const T& value) {
        Node* n = new Node{m_pTail, nullptr, new T(value)};
        if (m_pTail)
            m_pTail->next = n;
        else
            m_pHead = n;
        m_pTail = n;
        m_pCur = n;
        return *this;
    }

    ParmList& AddHeadUnique(const T& value) {
        if (!ReplaceEqual(value))
            AddHead(value);
        return *this;
    }

    ParmList& AddTailUnique(const T& value) {
        if (!ReplaceEqual(value))
            AddTail(value);
        return *this;
    }

    int GetFirst(T& out) {
        if (!m_pHead)
            return 0;
        m_pCur = m_pHead;
        out = *m_pCur->data;
        return 1;
    }

    int GetNext(T& out) {
        if (!m_pCur)
            return GetFirst(out);
        m_pCur = m_pCur->next;
        if (!m_pCur)
            return 0;
        out = *m_pCur->data;
        return 1;
    }

    int Replace(const T& value) {
        if (!m_pCur)
            return 0;
        *m_pCur->data = value;
        return 1;
    }

    int Delete() {
        if (!m_pCur)
            return 0;
        Node* n = m_pCur;
        (n->prev ? n->prev->next : m_pHead) = n->next;
        (n->next ? n->next->prev : m_pTail) = n->prev;
        m_pCur = n->prev;
        delete n->data;
        delete n;
        return 1;
    }

    ParmList& operator=(const ParmList& other) {
        if (this == &other)
            return *this;
        Empty();
        for (Node* p = other.m_pHead; p; p = p->next)
            AddTail(*p->data);
        return *this;
    }

    // Read-only views for code that inspects the structure (the cursor rules are observable).
    const Node* GetHeadNode() const { return m_pHead; }
    const Node* GetTailNode() const { return m_pTail; }
    const Node* GetCurrentNode() const { return m_pCur; }

private:
    // An element equal to value without regard to ASCII case: a string is kept as it is
    // (the insertion is skipped), a pair takes the new value in its place. The cursor stays.
    int ReplaceEqual(const T& value) {
        for (Node* p = m_pHead; p; p = p->next) {
            if (stricmp(ParmKey(*p->data), ParmKey(value)) == 0) {
                if (!KeepsExisting(*p->data))
                    *p->data = value;
                return 1;
            }
        }
        return 0;
    }
    static bool KeepsExisting(const ICString&) { return true; }
    static bool KeepsExisting(const NameValue&) { return false; }

    Node* m_pHead;
    Node* m_pTail;
    Node* m_pCur;
};

#endif
