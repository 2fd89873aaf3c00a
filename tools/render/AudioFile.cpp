#include "AudioFile.h"

#include <sndfile.h>

#include <stdexcept>

SStereo ReadAudio(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) throw std::runtime_error("cannot read '" + path + "': " + sf_strerror(nullptr));
    if (info.channels < 1 || info.frames < 0) {
        sf_close(file);
        throw std::runtime_error("'" + path + "' holds no audio channels");
    }
    std::vector<float> interleaved(static_cast<size_t>(info.frames) * info.channels);
    const sf_count_t got = sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    SStereo audio;
    audio.SampleRate = info.samplerate;
    audio.Left.resize(static_cast<size_t>(got));
    audio.Right.resize(static_cast<size_t>(got));
    for (sf_count_t i = 0; i < got; i++) {
        audio.Left[i] = interleaved[i * info.channels];
        audio.Right[i] = interleaved[i * info.channels + (info.channels > 1 ? 1 : 0)];
    }
    return audio;
}

void WriteAudio(const std::string& path, const SStereo& audio) {
    SF_INFO info{};
    info.samplerate = audio.SampleRate;
    info.channels = 2;
    const std::string ext = path.size() > 4 ? path.substr(path.find_last_of('.') + 1) : "";
    if (ext == "flac")
        info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    else if (ext == "aiff" || ext == "aif")
        info.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_24;
    else if (ext == "ogg")
        info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    else
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) throw std::runtime_error("cannot write '" + path + "': " + sf_strerror(nullptr));
    std::vector<float> interleaved(audio.Frames() * 2);
    for (size_t i = 0; i < audio.Frames(); i++) {
        interleaved[2 * i] = audio.Left[i];
        interleaved[2 * i + 1] = audio.Right[i];
    }
    const sf_count_t wrote =
        sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(audio.Frames()));
    sf_close(file);
    if (wrote != static_cast<sf_count_t>(audio.Frames()))
        throw std::runtime_error("could not write all of '" + path + "'");
}
