// A plain run of samples.
#pragma once

class CWave {
public:
    explicit CWave(int count); // contents undefined
    ~CWave();
    void AdjustDC();  // subtracts the mean
    void Normalize(); // scales the largest magnitude to 1 (all zeros stay)

    double* Data;
    int Count;

    CWave(const CWave&) = delete;
    CWave& operator=(const CWave&) = delete;
};
