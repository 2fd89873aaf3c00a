// Level conversions, block helpers and string copies shared by the reverb, the
// signal-processing toolkit and the editor. Exported from the plug-in.
#pragma once

// 10^(dB / 10). Callers use the result directly as an amplitude factor.
double dBToPowerRatio(double dB);
// 10·log10(ratio), unfloored: 0 gives -inf and a negative ratio NaN.
double PowerRatioTodB(double ratio);

// replace: destination = gain·source; else multiply: destination += source·destination·gain;
// else destination += source·gain. A count <= 0 changes nothing.
void MixBlocks(double* destination, double* source, int count, double gain, bool replace,
               bool multiply);
void AddValueToBlock(double* block, double value, int count);

// A new[]'ed copy of a zero-terminated string (the caller delete[]s it).
char* CopyString(const char* text);
// The same, storing the length without the terminator.
char* CopyString(const char* text, int* length);
// Copies up to n characters and stops after a terminator; writes destination[n] = 0
// when none was met, so destination must hold n + 1 bytes.
void CopyFixedString(int n, const char* source, char* destination);
