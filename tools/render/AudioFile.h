// Stereo audio in and out of files through libsndfile (WAV, FLAC, AIFF, …).
#pragma once

#include <string>
#include <vector>

struct SStereo {
    std::vector<float> Left, Right;
    int SampleRate = 44100;
    size_t Frames() const { return Left.size(); }
};

// Mono files feed both channels; more than two channels keep the first two.
// Throws std::runtime_error with libsndfile's reason.
SStereo ReadAudio(const std::string& path);
// The format follows the file name's extension (.wav, .flac, .aiff, .ogg); 24-bit PCM
// where the format has it, else its default.
void WriteAudio(const std::string& path, const SStereo& audio);
