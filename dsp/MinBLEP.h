// A minimum-phase band-limited impulse or step: the correction a band-limited
// oscillator adds at each discontinuity. Built from a Blackman-windowed sinc with the
// cepstral method, loaded from a "BINARY" resource, or integrated from another one.
#pragma once

#include "dsp/Wave.h"

class CMinBLEP {
public:
    // 2·zeroCrossings·oversampling + 1 points; the impulse, or its step normalised to end at 1.
    CMinBLEP(int zeroCrossings, int oversampling, bool impulseOnly);
    // From the library's "BINARY" resource of that id. A missing, short or inconsistent
    // resource gives an empty table (no points) rather than a read past its end.
    explicit CMinBLEP(int resourceId);
    // The normalised step (running sum) of the source's table.
    explicit CMinBLEP(const CMinBLEP* source);
    ~CMinBLEP();

    // Header (zero crossings, oversampling, point count: int32) then the points as
    // doubles, little-endian. Throws (char*) "Can't Open File <path>" or
    // "Can't Write To File <path>".
    void Save(const char* path) const;
    // The table format above from memory; false (table left empty) when it is malformed.
    bool Load(const unsigned char* data, unsigned int size);

    CWave* Wave;
    int ZeroCrossings;
    int Oversampling;

    CMinBLEP(const CMinBLEP&) = delete;
    CMinBLEP& operator=(const CMinBLEP&) = delete;

private:
    void MakeStep(const double* impulse, int n);
};
