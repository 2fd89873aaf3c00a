#include "dsp/MinBLEP.h"
#include "dsp/Fourier.h"
#include "platform/ErrorReporting.h"
#include "platform/Module.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979;
constexpr double TwoPi = 6.28318530717958;

int32_t ReadInt(const unsigned char* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                uint32_t(p[3]) << 24);
}

void WriteInt(unsigned char* p, int32_t v) {
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<unsigned char>(static_cast<uint32_t>(v) >> (8 * i));
}

} // namespace

CMinBLEP::CMinBLEP(int zeroCrossings, int oversampling, bool impulseOnly)
    : Wave(nullptr), ZeroCrossings(zeroCrossings), Oversampling(oversampling) {
    const int count = 2 * zeroCrossings * oversampling;
    const int n = count + 1;
    std::vector<double> s(n), c(n);
    for (int i = 0; i < n; i++) {
        const double x = -zeroCrossings + 2.0 * zeroCrossings * (static_cast<double>(i) / count);
        s[i] = x == 0.0 ? 1.0 : std::sin(Pi * x) / (Pi * x);
    }
    for (int i = 0; i <= count; i++) {
        const double theta = TwoPi * i / count;
        s[i] *= 0.42 - 0.5 * std::cos(theta) + 0.08 * std::cos(2 * theta);
    }
    RealCepstrum(n, s.data(), c.data());
    MinimumPhase(n, c.data(), s.data());
    if (impulseOnly) {
        Wave = new CWave(n);
        for (int i = 0; i < n; i++)
            Wave->Data[i] = s[i];
    } else {
        MakeStep(s.data(), n);
    }
}

CMinBLEP::CMinBLEP(int resourceId) : Wave(new CWave(0)), ZeroCrossings(0), Oversampling(0) {
    HRSRC resource = FindResourceA(AppInstance, MAKEINTRESOURCEA(resourceId), "BINARY");
    HGLOBAL handle = resource ? LoadResource(AppInstance, resource) : nullptr;
    const void* data = handle ? LockResource(handle) : nullptr;
    if (data) Load(static_cast<const unsigned char*>(data), SizeofResource(AppInstance, resource));
    if (handle) FreeResource(handle);
}

CMinBLEP::CMinBLEP(const CMinBLEP* source)
    : Wave(nullptr), ZeroCrossings(source->ZeroCrossings), Oversampling(source->Oversampling) {
    int n = 2 * ZeroCrossings * Oversampling + 1;
    if (n > source->Wave->Count) n = source->Wave->Count; // never past the source's points
    MakeStep(source->Wave->Data, n);
}

CMinBLEP::~CMinBLEP() {
    delete Wave;
}

void CMinBLEP::MakeStep(const double* impulse, int n) {
    Wave = new CWave(n);
    double sum = 0;
    for (int i = 0; i < n; i++) {
        sum += impulse[i];
        Wave->Data[i] = sum;
    }
    if (n <= 0) return;
    const double scale = 1 / Wave->Data[n - 1];
    for (int i = 0; i < n; i++)
        Wave->Data[i] *= scale;
}

bool CMinBLEP::Load(const unsigned char* data, unsigned int size) {
    delete Wave;
    Wave = new CWave(0);
    ZeroCrossings = Oversampling = 0;
    if (!data || size < 12) return false;
    const int32_t n = ReadInt(data + 8);
    if (n < 0 || static_cast<uint64_t>(n) > (size - 12) / 8) return false;
    delete Wave;
    Wave = new CWave(n);
    for (int32_t i = 0; i < n; i++) {
        uint64_t bits = 0;
        for (int b = 0; b < 8; b++)
            bits |= uint64_t(data[12 + 8 * i + b]) << (8 * b);
        std::memcpy(&Wave->Data[i], &bits, sizeof bits);
    }
    ZeroCrossings = ReadInt(data);
    Oversampling = ReadInt(data + 4);
    return true;
}

void CMinBLEP::Save(const char* path) const {
    FILE* file = std::fopen(path, "wb");
    if (!file) ThrowString("Can't Open File <%s>", path);
    unsigned char header[12];
    WriteInt(header, ZeroCrossings);
    WriteInt(header + 4, Oversampling);
    WriteInt(header + 8, Wave->Count);
    std::vector<unsigned char> points(static_cast<size_t>(Wave->Count) * 8);
    for (int i = 0; i < Wave->Count; i++) {
        uint64_t bits;
        std::memcpy(&bits, &Wave->Data[i], sizeof bits);
        for (int b = 0; b < 8; b++)
            points[8 * i + b] = static_cast<unsigned char>(bits >> (8 * b));
    }
    const bool wrote = std::fwrite(header, 1, 12, file) == 12 &&
                       std::fwrite(points.data(), 1, points.size(), file) == points.size();
    if (std::fclose(file) != 0 || !wrote) ThrowString("Can't Write To File <%s>", path);
}
