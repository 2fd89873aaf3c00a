// A stored set of property values with a name.
#pragma once

class CMachine;

class CProgram {
public:
    enum { NameSize = 64 }; // bytes, terminator included

    // Snapshot of the machine's present values, named "Program %03i" after index.
    CProgram(int count, int index, CMachine* machine);
    ~CProgram();

    int ValueCount;
    double* Values; // owned
    char Name[NameSize];

    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;
};
