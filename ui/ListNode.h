// The intrusive links of a doubly linked list whose head lives in the owner.
#pragma once

template <typename T> class CListNode {
public:
    CListNode() : Next(nullptr), Previous(nullptr), ListHead(nullptr) {}

    // Appends this node at the end of the list whose first-node field is *head.
    void LinkAtEnd(T** head) {
        T* self = static_cast<T*>(this);
        if (!*head) {
            *head = self;
        } else {
            T* last = *head;
            while (last->Next)
                last = last->Next;
            last->Next = self;
            Previous = last;
        }
        ListHead = head;
    }

    void Unlink() {
        if (Previous)
            Previous->Next = Next;
        else if (ListHead && *ListHead == static_cast<T*>(this))
            *ListHead = Next;
        if (Next) Next->Previous = Previous;
        Next = Previous = nullptr;
        ListHead = nullptr;
    }

    T* Next;
    T* Previous;
    T** ListHead;
};
