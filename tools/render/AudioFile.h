// Stereo audio in and out of files through libsndfile (WAV, FLAC, AIFF, Ogg Vorbis).
#pragma once

#include <string>
#include <vector>

struct SStereo {
    std::vector<float> Left, Right;
    int SampleRate = 44100;
    int Subtype = 0; // libsndfile's sample format of the source (0: none, e.g. the demo)
    size_t Frames() const { return Left.size(); }
};

// The sample rates the renderer takes, in Hz: from files and from --rate alike.
constexpr int MinimumRate = 1000, MaximumRate = 768000;

// Mono files feed both channels; more than two channels are refused, a rate outside
// MinimumRate … MaximumRate too. A file holding fewer frames than its header says is
// read as far as it goes, with a warning. Throws std::runtime_error with the reason.
SStereo ReadAudio(const std::string& path);

// The container for an output path, by its extension in any case: .wav, .flac,
// .aif/.aiff, .ogg. Throws std::runtime_error naming the accepted ones for any other.
int OutputFormat(const std::string& path);

struct SWritten {
    size_t Clipped = 0; // samples beyond full scale, held at it
    double PeakDb = 0;  // the largest sample before clipping, dBFS
};

// Writes the file whole or not at all: into a temporary file beside it, renamed over
// the old one only once everything is on disk; on any failure the old file stays as it
// was and nothing is left behind (std::runtime_error). The sample format is 32-bit
// float with asFloat, else the source's own where the container holds it, else 24-bit
// PCM. PCM clips at full scale, never wraps.
SWritten WriteAudio(const std::string& path, const SStereo& audio, bool asFloat);

// Whether two paths name the same existing file.
bool SameFile(const std::string& a, const std::string& b);
