#include "dsp/DSP.h"
#include "platform/ErrorReporting.h"

#include <cmath>

extern "C" {
CWave* SinTable = nullptr;
CWave* CosTable = nullptr;
}

namespace {
constexpr double Pi = 3.14159265358979;
} // namespace

CDSP::CDSP(bool tablesOnly)
    : Triangle(nullptr), Saw(nullptr), Square(nullptr), StoredImpulse(nullptr),
      BuiltImpulse(nullptr), Step(nullptr) {
    InitWaves(tablesOnly);
}

CDSP::~CDSP() {
    FreeWaves();
}

void CDSP::InitWaves(bool tablesOnly) {
    SinTable = new CWave(KestrelWaveLength);
    CosTable = new CWave(KestrelWaveLength);
    if (!tablesOnly) {
        Triangle = new CWave(KestrelWaveLength);
        Saw = new CWave(KestrelWaveLength);
        Square = new CWave(KestrelWaveLength);
    }
    double f = 0; // phase, advanced by 1/8192: exact in binary
    for (int i = 0; i < KestrelWaveLength; i++, f += 1.0 / KestrelWaveLength) {
        SinTable->Data[i] = std::sin(2 * (f * Pi));
        CosTable->Data[i] = std::cos(2 * (f * Pi));
        if (tablesOnly) continue;
        Triangle->Data[i] = f < 0.5 ? 1 - 4 * std::fabs(f - 0.25) : -(1 - 4 * std::fabs(f - 0.75));
        Saw->Data[i] = 1 - 2 * f;
        Square->Data[i] = f < 0.5 ? 1 : -1;
    }
    if (tablesOnly) return;
    StoredImpulse = new CMinBLEP(0);
    if (StoredImpulse->Wave->Count == 0) {
        // The library carries no "BINARY" tables: the stored impulse is built instead,
        // like the built one, so the step table always has data.
        DebugPrint("CDSP: no stored step table, building one\n");
        delete StoredImpulse;
        StoredImpulse = new CMinBLEP(8, 16, true);
    }
    BuiltImpulse = new CMinBLEP(8, 16, true);
    Step = new CMinBLEP(StoredImpulse);
}

void CDSP::FreeWaves() {
    delete SinTable;
    delete CosTable;
    SinTable = CosTable = nullptr;
    delete Triangle;
    delete Saw;
    delete Square;
    Triangle = Saw = Square = nullptr;
    delete StoredImpulse;
    delete BuiltImpulse;
    delete Step;
    StoredImpulse = BuiltImpulse = Step = nullptr;
}
