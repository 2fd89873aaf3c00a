#include "dsp/Wave.h"

#include <cmath>

CWave::CWave(int count) : Data(new double[count > 0 ? count : 1]), Count(count > 0 ? count : 0) {}

CWave::~CWave() {
    delete[] Data;
}

void CWave::AdjustDC() {
    if (Count <= 0) return;
    double sum = 0;
    for (int i = 0; i < Count; i++)
        sum += Data[i];
    const double mean = sum / Count;
    for (int i = 0; i < Count; i++)
        Data[i] -= mean;
}

void CWave::Normalize() {
    if (Count < 1) return;
    double largest = 0;
    for (int i = 0; i < Count; i++)
        largest = std::fmax(largest, std::fabs(Data[i]));
    if (!(largest > 0)) return;
    const double scale = 1 / largest;
    for (int i = 0; i < Count; i++)
        Data[i] *= scale;
}
