#include "dsp/LevelUtils.h"

#include <cmath>
#include <cstring>

double dBToPowerRatio(double dB) {
    return std::pow(10.0, 0.1 * dB);
}

double PowerRatioTodB(double ratio) {
    return 10.0 * std::log10(ratio);
}

void MixBlocks(double* destination, double* source, int count, double gain, bool replace,
               bool multiply) {
    for (int i = 0; i < count; i++) {
        if (replace)
            destination[i] = gain * source[i];
        else if (multiply)
            destination[i] = destination[i] + (source[i] * destination[i]) * gain;
        else
            destination[i] = source[i] * gain + destination[i];
    }
}

void AddValueToBlock(double* block, double value, int count) {
    for (int i = 0; i < count; i++)
        block[i] += value;
}

char* CopyString(const char* text) {
    int length;
    return CopyString(text, &length);
}

char* CopyString(const char* text, int* length) {
    const std::size_t n = text ? std::strlen(text) : 0;
    char* copy = new char[n + 1];
    if (n) std::memcpy(copy, text, n);
    copy[n] = '\0';
    if (length) *length = static_cast<int>(n);
    return copy;
}

void CopyFixedString(int n, const char* source, char* destination) {
    for (int i = 0; i < n; i++) {
        destination[i] = source[i];
        if (source[i] == '\0') return;
    }
    if (n >= 0) destination[n] = '\0';
}
