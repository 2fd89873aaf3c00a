#include "machine/Program.h"
#include "machine/Machine.h"

#include <cstdio>

CProgram::CProgram(int count, int index, CMachine* machine)
    : ValueCount(count > 0 ? count : 0), Values(new double[ValueCount > 0 ? ValueCount : 1]) {
    for (int i = 0; i < ValueCount; i++)
        Values[i] = machine ? machine->GetProperty(i) : 0.0;
    std::snprintf(Name, sizeof Name, "Program %03i", index);
}

CProgram::~CProgram() {
    delete[] Values;
}
