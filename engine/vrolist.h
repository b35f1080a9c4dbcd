#pragma once
// The engine's two singly linked list templates. Both keep a count, a head
// and a walk cursor (with the element before it, so the cursor's element can
// be unlinked). Only one walk of a list may be under way at a time.
//
// VROList<T> is intrusive: T holds its own `T* next` link and the list owns
// the elements (deleted by FreeAll and the destructor). VROList<T*> keeps
// plain pointers in small nodes and owns only the nodes.
// CList<T> keeps values of T in nodes of its own.

template <class T>
class VROList {
public:
    int count = 0;
    T* head = nullptr;
    T* cursor = nullptr;
    T* previous = nullptr;

    VROList() = default;
    VROList(const VROList&) = delete;
    VROList& operator=(const VROList&) = delete;
    virtual ~VROList() { FreeAll(); }

    void InsertHead(T* element)
    {
        element->next = head;
        head = element;
        ++count;
    }

    T* First()
    {
        previous = nullptr;
        cursor = head;
        return cursor;
    }

    T* Next()
    {
        if (cursor) {
            previous = cursor;
            cursor = cursor->next;
        }
        return cursor;
    }

    template <class Pred>
    T* Find(Pred pred)
    {
        for (T* e = First(); e; e = Next())
            if (pred(*e))
                return e;
        return nullptr;
    }

    // The element at an index, or none when the index is not below the count.
    T* At(int index)
    {
        if (index < 0 || index >= count)
            return nullptr;
        T* e = First();
        for (int i = 0; i < index && e; ++i)
            e = Next();
        return e;
    }

    // Unlinks the cursor's element (found by a walk); the caller owns it.
    T* UnlinkCursor()
    {
        T* e = cursor;
        if (!e)
            return nullptr;
        if (previous)
            previous->next = e->next;
        else
            head = e->next;
        cursor = e->next;
        e->next = nullptr;
        --count;
        return e;
    }

    void FreeAll()
    {
        T* e = head;
        while (e) {
            T* n = e->next;
            delete e;
            e = n;
        }
        head = cursor = previous = nullptr;
        count = 0;
    }
};

template <class T>
class VROList<T*> {
public:
    struct Node {
        T* value;
        Node* next;
    };
    int count = 0;
    Node* head = nullptr;
    Node* cursor = nullptr;
    Node* previous = nullptr;

    VROList() = default;
    VROList(const VROList&) = delete;
    VROList& operator=(const VROList&) = delete;
    virtual ~VROList() { FreeAll(); }

    void InsertHead(T* value)
    {
        head = new Node{value, head};
        ++count;
    }

    Node* First()
    {
        previous = nullptr;
        cursor = head;
        return cursor;
    }

    Node* Next()
    {
        if (cursor) {
            previous = cursor;
            cursor = cursor->next;
        }
        return cursor;
    }

    T* At(int index)
    {
        if (index < 0 || index >= count)
            return nullptr;
        Node* n = First();
        for (int i = 0; i < index && n; ++i)
            n = Next();
        return n ? n->value : nullptr;
    }

    T* UnlinkCursor()
    {
        Node* n = cursor;
        if (!n)
            return nullptr;
        if (previous)
            previous->next = n->next;
        else
            head = n->next;
        cursor = n->next;
        T* v = n->value;
        delete n;
        --count;
        return v;
    }

    void FreeAll()
    {
        Node* n = head;
        while (n) {
            Node* next = n->next;
            delete n;
            n = next;
        }
        head = cursor = previous = nullptr;
        count = 0;
    }
};

template <class T>
class CList {
public:
    struct Node {
        T value;
        Node* next;
    };
    Node* head = nullptr;
    Node* cursor = nullptr;
    Node* previous = nullptr;
    int count = 0;

    CList() = default;
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;
    virtual ~CList() { FreeAll(); }

    T& InsertHead(const T& value)
    {
        head = new Node{value, head};
        ++count;
        return head->value;
    }

    Node* First()
    {
        previous = nullptr;
        cursor = head;
        return cursor;
    }

    Node* Next()
    {
        if (cursor) {
            previous = cursor;
            cursor = cursor->next;
        }
        return cursor;
    }

    T* At(int index)
    {
        if (index < 0 || index >= count)
            return nullptr;
        Node* n = First();
        for (int i = 0; i < index && n; ++i)
            n = Next();
        return n ? &n->value : nullptr;
    }

    void UnlinkCursor()
    {
        Node* n = cursor;
        if (!n)
            return;
        if (previous)
            previous->next = n->next;
        else
            head = n->next;
        cursor = n->next;
        delete n;
        --count;
    }

    void FreeAll()
    {
        Node* n = head;
        while (n) {
            Node* next = n->next;
            delete n;
            n = next;
        }
        head = cursor = previous = nullptr;
        count = 0;
    }
};
