#include "machine/ControlBuffer.h"

CControlBuffer::CControlBuffer() : Head(nullptr) {}

CControlBuffer::~CControlBuffer() {
    Clear();
}

bool CControlBuffer::Read(SControlMessage* message) {
    if (!Head) return false;
    SNode** chosen = &Head;
    for (SNode** link = &Head->Next; *link; link = &(*link)->Next) {
        const SControlMessage& candidate = (*chosen)->Message;
        const SControlMessage& other = (*link)->Message;
        if (other.Time < candidate.Time ||
            (other.Time == candidate.Time && other.Type == ControlNoteOff &&
             candidate.Type != ControlNoteOff))
            chosen = link;
    }
    SNode* node = *chosen;
    *message = node->Message;
    *chosen = node->Next;
    delete node;
    return true;
}

void CControlBuffer::Write(SControlMessage* message) {
    SNode** link = &Head;
    while (*link && (*link)->Message.Time <= message->Time)
        link = &(*link)->Next;
    *link = new SNode{*link, *message};
}

void CControlBuffer::Clear() {
    while (Head) {
        SNode* next = Head->Next;
        delete Head;
        Head = next;
    }
}

void CControlBuffer::CopyTo(CControlBuffer* destination) {
    for (SNode* node = Head; node; node = node->Next)
        destination->Write(&node->Message);
}

void CControlBuffer::MoveFuture(CControlBuffer* destination, int frames) {
    SNode** link = &Head;
    while (*link) {
        SNode* node = *link;
        if (node->Message.Time < frames) {
            destination->Write(&node->Message);
            *link = node->Next;
            delete node;
        } else {
            node->Message.Time -= frames;
            link = &node->Next;
        }
    }
}

int CControlBuffer::Count() {
    int count = 0;
    for (SNode* node = Head; node; node = node->Next)
        count++;
    return count;
}
