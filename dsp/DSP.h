// The shared one-cycle sine and cosine tables (exported as SinTable and CosTable),
// three naive one-cycle waveforms and three band-limited step tables.
#pragma once

#include "dsp/MinBLEP.h"
#include "dsp/Wave.h"

extern "C" {
extern CWave* SinTable; // 8192 points, one cycle; null until a CDSP is built
extern CWave* CosTable;
}

enum { KestrelWaveLength = 8192 };

class CDSP {
public:
    explicit CDSP(bool tablesOnly);
    ~CDSP();
    // Fills SinTable and CosTable; unless tablesOnly, also the waveforms and step tables.
    void InitWaves(bool tablesOnly);
    void FreeWaves();

    CWave* Triangle;
    CWave* Saw;
    CWave* Square;
    CMinBLEP* StoredImpulse; // "BINARY" resource 0; built like BuiltImpulse when absent
    CMinBLEP* BuiltImpulse;  // 8 zero crossings, 16 times oversampled: 257 points
    CMinBLEP* Step;          // the stored impulse, integrated

    CDSP(const CDSP&) = delete;
    CDSP& operator=(const CDSP&) = delete;
};
