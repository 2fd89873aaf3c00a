#include "machine/MachineInfo.h"

CMachineInfo::CMachineInfo() : Name("New Machine"), LongName(""), Reserved0(0), Reserved1(0) {}

CMachineInfo::~CMachineInfo() = default;

void CMachineInfo::Delete() {
    delete this;
}
