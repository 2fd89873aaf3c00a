// Timed events (notes) for one block, kept in ascending time order.
#pragma once

enum { ControlNoteOn = 1, ControlNoteOff = 2 };

struct SControlMessage {
    int Reserved0;    // zero in every message the framework creates
    int Time;         // frame offset within the current block, >= 0
    int Type;         // ControlNoteOn or ControlNoteOff
    int Reserved1;    // zero
    int Reserved2;    // zero
    int Note;         // MIDI note number 0 … 127
    double Velocity;  // MIDI velocity / 127; 0 for a note off
    double Frequency; // Hz as the host reports it; 0 when it reports none
};

// No lock: written and read by the thread that processes audio.
class CControlBuffer {
public:
    CControlBuffer();
    virtual ~CControlBuffer();

    // Takes the earliest message; at one instant a note off comes out first.
    // False, and the message untouched, when the buffer is empty.
    virtual bool Read(SControlMessage* message);
    // Inserts a copy after every message of the same or an earlier time.
    virtual void Write(SControlMessage* message);
    virtual void Clear();
    // Writes a copy of every message into the destination; this buffer keeps them.
    virtual void CopyTo(CControlBuffer* destination);
    // Moves the messages before `frames` into the destination and shifts the rest
    // `frames` earlier, for the next block.
    virtual void MoveFuture(CControlBuffer* destination, int frames);
    virtual int Count();

private:
    struct SNode {
        SNode* Next;
        SControlMessage Message;
    };
    SNode* Head;
};
