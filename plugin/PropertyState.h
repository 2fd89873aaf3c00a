// The state a format saves: the machine's property block ('PH64': the magic, a count,
// that many doubles, little-endian; 'TsPh' with floats is read too). Reading checks the
// whole block before anything changes, so a foreign, short or corrupt one is refused.
// Any thread; no lock.
#pragma once

#include <cstddef>
#include <vector>

class CMachine;

// The block of the machine's current values.
std::vector<unsigned char> KestrelWriteState(CMachine* machine);
// The block of these values ('PH64'), for a side that keeps them without a machine.
std::vector<unsigned char> KestrelWriteValues(const double* values, int count);
// Sets the block's values on the machine (SetProperty: no automation) and says true; a
// block that is not a property block, or holds fewer values than it declares, changes
// nothing and says false. Values past the machine's count are ignored.
bool KestrelReadState(CMachine* machine, const unsigned char* data, size_t size);
// The same check and values without a machine: values[0 … count) get what the block
// holds (the others are left alone), *held how many it held.
bool KestrelParseState(const unsigned char* data, size_t size, double* values, int count,
                       int* held);
