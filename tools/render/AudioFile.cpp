#include "AudioFile.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

std::string Extension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool IsPcm(int subtype) {
    return subtype == SF_FORMAT_PCM_S8 || subtype == SF_FORMAT_PCM_U8 ||
           subtype == SF_FORMAT_PCM_16 || subtype == SF_FORMAT_PCM_24 ||
           subtype == SF_FORMAT_PCM_32;
}

// A temporary file in the target's folder (so that the rename stays on one file system)
// that removes itself unless it was renamed into place.
class CTemporary {
public:
    explicit CTemporary(const std::string& target) : Target(target) {
        const size_t slash = target.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
        const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
        Path = folder + "/." + name + ".XXXXXX";
        Descriptor = mkstemp(&Path[0]);
        if (Descriptor < 0)
            throw std::runtime_error("cannot write in '" + folder + "': " + std::strerror(errno));
        // mkstemp makes it private; the result gets the permissions a new file gets.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(Descriptor, 0666 & ~mask);
    }
    ~CTemporary() {
        if (Descriptor >= 0) close(Descriptor);
        if (!Kept) unlink(Path.c_str());
    }
    int Descriptor = -1;
    // Makes the data durable and puts it in the target's place.
    void Keep() {
        if (fsync(Descriptor) != 0 || close(Descriptor) != 0) {
            Descriptor = -1;
            throw std::runtime_error("could not write all of '" + Target +
                                     "': " + std::strerror(errno));
        }
        Descriptor = -1;
        if (rename(Path.c_str(), Target.c_str()) != 0)
            throw std::runtime_error("cannot replace '" + Target + "': " + std::strerror(errno));
        Kept = true;
    }

private:
    std::string Target, Path;
    bool Kept = false;
};

// Frames a WAV or AIFF header promised for its sample data, where the file holds fewer
// (libsndfile then reads what there is and says so in its log); -1 otherwise.
long long PromisedFrames(SNDFILE* file, const SF_INFO& info) {
    static const int Widths[] = {0, 1, 2, 3, 4, 0, 4, 8}; // by PCM_S8 … DOUBLE subtype
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    const int width = subtype >= 1 && subtype <= 7 ? Widths[subtype] : 0;
    if (width == 0) return -1;
    char log[8192] = "";
    sf_command(file, SFC_GET_LOG_INFO, log, sizeof log);
    for (const char* chunk : {"data : ", "SSND : "}) {
        const char* at = std::strstr(log, chunk);
        if (!at) continue;
        long long bytes = 0, actual = 0;
        if (std::sscanf(at + 7, "%lld (should be %lld)", &bytes, &actual) != 2) continue;
        if (chunk[0] == 'S') bytes -= 8; // the chunk's offset and block size
        return bytes / (static_cast<long long>(width) * info.channels);
    }
    return -1;
}

} // namespace

SStereo ReadAudio(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) throw std::runtime_error("cannot read '" + path + "': " + sf_strerror(nullptr));
    auto refuse = [&](const std::string& why) {
        sf_close(file);
        throw std::runtime_error("'" + path + "' " + why);
    };
    if (info.channels < 1 || info.frames < 0) refuse("holds no audio channels");
    if (info.channels > 2)
        refuse("has " + std::to_string(info.channels) +
               " channels: only mono and stereo files are rendered");
    if (info.samplerate < MinimumRate || info.samplerate > MaximumRate)
        refuse("is " + std::to_string(info.samplerate) +
               " Hz: bad sample rate: a whole number of Hz from 1000 to 768000");
    const long long promised = std::max<long long>(PromisedFrames(file, info), info.frames);
    std::vector<float> interleaved(static_cast<size_t>(info.frames) * info.channels);
    const sf_count_t got = sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    if (got < promised)
        std::fprintf(stderr,
                     "kestrel-render: warning: '%s' says it holds %lld frames but holds %lld; "
                     "rendering those\n",
                     path.c_str(), promised, static_cast<long long>(got));
    SStereo audio;
    audio.SampleRate = info.samplerate;
    audio.Subtype = info.format & SF_FORMAT_SUBMASK;
    audio.Left.resize(static_cast<size_t>(got));
    audio.Right.resize(static_cast<size_t>(got));
    for (sf_count_t i = 0; i < got; i++) {
        audio.Left[i] = interleaved[i * info.channels];
        audio.Right[i] = interleaved[i * info.channels + (info.channels > 1 ? 1 : 0)];
    }
    return audio;
}

int OutputFormat(const std::string& path) {
    const std::string ext = Extension(path);
    if (ext == "wav") return SF_FORMAT_WAV;
    if (ext == "flac") return SF_FORMAT_FLAC;
    if (ext == "aif" || ext == "aiff") return SF_FORMAT_AIFF;
    if (ext == "ogg") return SF_FORMAT_OGG;
    throw std::runtime_error("cannot write '" + path +
                             "': the output format follows the extension, one of .wav, .flac, "
                             ".aif, .aiff or .ogg");
}

SWritten WriteAudio(const std::string& path, const SStereo& audio, bool asFloat) {
    SF_INFO info{};
    info.samplerate = audio.SampleRate;
    info.channels = 2;
    const int container = OutputFormat(path);
    if (container == SF_FORMAT_OGG) {
        info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    } else {
        const int wanted = asFloat ? SF_FORMAT_FLOAT : audio.Subtype;
        info.format = container | wanted;
        if (!wanted || !sf_format_check(&info)) {
            if (asFloat)
                throw std::runtime_error("cannot write '" + path +
                                         "' as float: use .wav or .aiff with --float");
            info.format = container | SF_FORMAT_PCM_24;
        }
    }
    SWritten written;
    float peak = 0;
    std::vector<float> interleaved(audio.Frames() * 2);
    for (size_t i = 0; i < audio.Frames(); i++) {
        interleaved[2 * i] = audio.Left[i];
        interleaved[2 * i + 1] = audio.Right[i];
    }
    for (float v : interleaved) {
        peak = std::max(peak, std::fabs(v));
        if (std::fabs(v) > 1.0f) written.Clipped++;
    }
    if (!IsPcm(info.format & SF_FORMAT_SUBMASK)) written.Clipped = 0; // float holds it all
    written.PeakDb = peak > 0 ? 20 * std::log10(peak) : -INFINITY;

    CTemporary temporary(path);
    SNDFILE* file = sf_open_fd(temporary.Descriptor, SFM_WRITE, &info, SF_FALSE);
    if (!file) throw std::runtime_error("cannot write '" + path + "': " + sf_strerror(nullptr));
    // Beyond full scale, PCM holds at full scale instead of wrapping to the other sign.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const sf_count_t wrote =
        sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(audio.Frames()));
    const std::string reason = sf_strerror(file);
    const int closed = sf_close(file);
    if (wrote != static_cast<sf_count_t>(audio.Frames()) || closed != 0)
        throw std::runtime_error("could not write all of '" + path + "': " + reason);
    temporary.Keep();
    return written;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}
