// A factory that names and creates one kind of machine.
#pragma once

class CMachine;

class CMachineInfo {
public:
    CMachineInfo();
    virtual ~CMachineInfo();
    // Destroys the object through its virtual destructor.
    virtual void Delete();
    virtual CMachine* CreateMachine() = 0;

    const char* Name;     // "New Machine" unless a subclass names itself
    const char* LongName; // framework-qualified name, "Framework::Product"
    int Reserved0;
    int Reserved1;
};
