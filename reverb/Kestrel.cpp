#include "reverb/Kestrel.h"
#include "dsp/LevelUtils.h"
#include "reverb/DenormalGuard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" const char* const KestrelPropertyNames[KestrelPropertyCount] = {
    "Src Left X",  "Src Left Y",  "Src Right X", "Src Right Y", "Dst Left X",
    "Dst Left Y",  "Dst Right X", "Dst Right Y", "Room Width",  "Room Height",
    "Wall Absorb", "Feedback",    "Cutoff",      "Gain"};

namespace {

const double Defaults[KestrelPropertyCount] = {0.2, 0.2, 0.8, 0.2, 0.4, 0.8, 0.6,
                                               0.8, 0.0, 0.0, 0.5, 0.5, 1.0, 0.7};

// Positions lie between 10 % and 90 % of the room's extent. Both constants are
// single precision, widened.
constexpr double PositionScale = static_cast<double>(0.8f);
constexpr double PositionOffset = static_cast<double>(0.1f);

double RoomExtent(double v) {
    return 20.0 * v + 10.0;
} // metres, 10 … 30

} // namespace

CKestrel::CKestrel(CHost* host, SKestrelGraphics* graphics)
    : CMachine(host), Editor(nullptr), ImpulseLengthSeconds(ImpulseLength), WallReflection(0.0),
      SampleRate(host ? std::min(host->GetSampleRate(), KestrelMaximumSampleRate) : 0),
      FilterLength(0), ConvolverLength(0), BlockSize(host ? host->GetBlockSamples() : 0), SrcLeft{},
      SrcRight{}, DstLeft{}, DstRight{}, RoomSize{}, LeftFIR(nullptr), RightFIR(nullptr),
      Network(nullptr), Graphics(graphics), DirtyEditor(false), DirtyRoom(false), DirtyWalls(false),
      DirtyNetwork(false), DirtySources(0), DirtyListeners(0), EditorStale(0),
      Scratch(static_cast<size_t>(ScratchChunk) * 10, 0.0) {
    PropertyCount = KestrelPropertyCount;
    for (int i = 0; i < KestrelPropertyCount; i++)
        Values[i].store(Defaults[i], std::memory_order_relaxed);
    // Every tap list is sized for the largest tree now, so that no rebuild on the audio
    // thread allocates: a tree's taps never outnumber its nodes.
    for (auto& perSource : TapIndex)
        for (auto& list : perSource)
            list.reserve(CImageSourcePool::Capacity);
    for (auto& perSource : TapValue)
        for (auto& list : perSource)
            list.reserve(CImageSourcePool::Capacity);
    for (auto& perSource : Arrivals)
        for (auto& list : perSource)
            list.reserve(CImageSourcePool::Capacity);
    Early.Reserve(CImageSourcePool::Capacity);
    try {
        CreateProcessors();
        Ports = new CPort*[2]();
        Ports[0] = new CPort(host, this, PortStereoAudioIn, "Line In");
        PortCount = 1;
        Ports[1] = new CPort(host, this, PortStereoAudioOut, "Line Out");
        PortCount = 2;
        ModelRoom();
        ModelFIRs();
    } catch (...) {
        DestroyProcessors();
        FreeRays();
        for (int i = 0; i < PortCount; i++)
            delete Ports[i];
        delete[] Ports;
        throw;
    }
    DirtyEditor = DirtyRoom = DirtyWalls = DirtyNetwork = false;
    DirtySources = DirtyListeners = 0;
}

CKestrel::~CKestrel() {
    for (int i = 0; i < PortCount; i++)
        delete Ports[i];
    delete[] Ports;
    Ports = nullptr;
    PortCount = 0;
    DestroyEditor();
    FreeRays();
    DestroyProcessors();
}

void CKestrel::CreateProcessors() {
    const int rate = SampleRate.load(std::memory_order_relaxed);
    ImpulseLengthSeconds = ImpulseLength;
    // Rates at or below zero leave no early taps at all; below 8014 Hz the responses
    // are shorter than the network's 601-sample read-back, so the delay lines are
    // kept at least that long and the read always finds the real history.
    CreateWindows();
    LeftFIR = new CStereoFIR(ConvolverLength, true);
    RightFIR = new CStereoFIR(ConvolverLength, true);
    LeftFIR->ReserveTaps(CImageSourcePool::Capacity);
    RightFIR->ReserveTaps(CImageSourcePool::Capacity);
    Network = new CFDN(rate, KestrelDelayLengths, PropertyToFeedback(Value(KestrelFeedback)),
                       PropertyToGain(Value(KestrelGain)), Value(KestrelCutoff));
}

void CKestrel::CreateWindows() {
    const int rate = SampleRate.load(std::memory_order_relaxed);
    const double taps = rate * ImpulseLengthSeconds;
    FilterLength = taps > 0 ? static_cast<int>(taps) : 0;
    ConvolverLength = std::max(FilterLength, KestrelLateDelay);
    Early.SetWindows(FilterLength, FilterLength > 0 ? ImpulseLengthSeconds / FilterLength : 0.0);
}

void CKestrel::DestroyProcessors() {
    delete LeftFIR;
    delete RightFIR;
    delete Network;
    LeftFIR = RightFIR = nullptr;
    Network = nullptr;
}

double CKestrel::TailSamples() const {
    const double gain = PropertyToFeedback(Value(KestrelFeedback));
    double meanLength = 0; // the lines are samples long at every rate
    for (int line = 0; line < 4; line++)
        meanLength += KestrelDelayLengths[line] / 4.0;
    const double passes = gain > 0 ? -4.5 / std::log10(gain) : 0.0;
    return std::ceil(ImpulseLength * GetSampleRate() + KestrelLateDelay + passes * meanLength);
}

double CKestrel::DefaultValue(int index) {
    return index >= 0 && index < KestrelPropertyCount ? Defaults[index] : 0.0;
}

double CKestrel::PropertyToGain(double v) {
    return dBToPowerRatio(60.0 * v - 40.0);
}

double CKestrel::PropertyToFeedback(double v) {
    return (1.0 - (1.0 - v) * (1.0 - v) * (1.0 - v)) * 0.999;
}

double CKestrel::GetProperty(int index) {
    if (index < 0 || index >= KestrelPropertyCount) return 0.0;
    return Value(index);
}

void CKestrel::SetProperty(int index, double value) {
    if (index < 0 || index >= KestrelPropertyCount) return;
    // Hosts and broken automation send anything: the mappings assume [0, 1].
    if (!std::isfinite(value)) return;
    value = std::min(1.0, std::max(0.0, value));
    Values[index].store(value, std::memory_order_relaxed);
    if (ProgramChangeDepth != 0) return;
    // The editor hears of the value at the next Update, under the machine's lock: a
    // host thread setting a parameter never touches an editor the UI thread may be
    // tearing down.
    DirtyEditor.store(true, std::memory_order_relaxed);
    // Properties come in x, y pairs per node: 0–1 and 4–5 the left, 2–3 and 6–7 the right.
    const unsigned side = (index & 2) ? 2u : 1u;
    if (index <= KestrelSrcRightY)
        DirtySources.fetch_or(side, std::memory_order_relaxed);
    else if (index <= KestrelDstRightY)
        DirtyListeners.fetch_or(side, std::memory_order_relaxed);
    else if (index <= KestrelRoomHeight)
        DirtyRoom.store(true, std::memory_order_relaxed);
    else if (index == KestrelWallAbsorb)
        DirtyWalls.store(true, std::memory_order_relaxed);
    else
        DirtyNetwork.store(true, std::memory_order_relaxed);
}

void CKestrel::GetPropertyName(int index, char* text) {
    if (!text) return;
    if (index < 0 || index >= KestrelPropertyCount) {
        text[0] = '\0';
        return;
    }
    std::snprintf(text, MachineTextSize, "%s", KestrelPropertyNames[index]);
}

void CKestrel::GetPropertyValueDisplay(int index, double v, char* text) {
    FormatValue(index, v, GetSampleRate(), text);
}

const char* CKestrel::Unit(int index) {
    switch (index) {
    case KestrelRoomWidth:
    case KestrelRoomHeight: return "m";
    case KestrelCutoff: return "Hz";
    case KestrelGain: return "dB";
    default: return index >= 0 && index < KestrelPropertyCount ? "%" : "";
    }
}

bool CKestrel::ParseValue(int index, const char* text, int sampleRate, double* value) {
    if (!text || !value || index < 0 || index >= KestrelPropertyCount) return false;
    char* end = nullptr;
    const double x = std::strtod(text, &end);
    if (end == text || !std::isfinite(x)) return false;
    double v;
    switch (index) {
    case KestrelRoomWidth:
    case KestrelRoomHeight: v = (x - 10.0) / 20.0; break;
    case KestrelGain: v = (x + 40.0) / 60.0; break;
    case KestrelCutoff: {
        // The inverse of 440 × 2^(v × (log2(rate / 4 / 440) + 5) − 5).
        if (!(x > 0) || sampleRate <= 0) return false;
        const double span = std::log2(sampleRate * 0.25 / 440.0) + 5.0;
        v = (std::log2(x / 440.0) + 5.0) / span;
        break;
    }
    default: v = (x + 1e-7) / 100.0; break; // a hair above: the display truncates
    }
    *value = std::min(1.0, std::max(0.0, v));
    return true;
}

void CKestrel::FormatValue(int index, double v, int sampleRate, char* text) {
    if (!text) return;
    text[0] = '\0';
    switch (index) {
    case KestrelRoomWidth:
    case KestrelRoomHeight: std::snprintf(text, MachineTextSize, "%.0fm", RoomExtent(v)); break;
    case KestrelCutoff: {
        double f = CFDN::CutoffFrequency(v, sampleRate);
        if (!std::isfinite(f)) f = 0.0; // no sample rate yet
        std::snprintf(text, MachineTextSize, "%.0fHz", f);
        break;
    }
    case KestrelGain: std::snprintf(text, MachineTextSize, "%.2fdB", 60.0 * v - 40.0); break;
    default:
        if (index >= 0 && index < KestrelPropertyCount) {
            const double percent = v * 100.0;
            // Truncated toward zero; the guard keeps a stray value from overflowing int.
            const int shown =
                std::isfinite(percent) && std::fabs(percent) < 1e9 ? static_cast<int>(percent) : 0;
            std::snprintf(text, MachineTextSize, "%i%%", shown);
        }
        break;
    }
}

void CKestrel::SetSampleRate(int rate) {
    CMutexLock lock(this);
    // Far beyond any audio interface; a host that sends more gets this much, rather than
    // delay lines of gigabytes.
    if (rate > KestrelMaximumSampleRate) rate = KestrelMaximumSampleRate;
    // The new processors are built before the old ones go: should memory run out, the
    // machine keeps working at its old rate.
    CStereoFIR* left = LeftFIR;
    CStereoFIR* right = RightFIR;
    CFDN* network = Network;
    const int oldRate = SampleRate.load(std::memory_order_relaxed);
    LeftFIR = RightFIR = nullptr;
    Network = nullptr;
    try {
        SampleRate.store(rate, std::memory_order_relaxed);
        CreateProcessors();
    } catch (...) {
        DestroyProcessors();
        LeftFIR = left;
        RightFIR = right;
        Network = network;
        SampleRate.store(oldRate, std::memory_order_relaxed);
        CreateWindows();
        throw;
    }
    delete left;
    delete right;
    delete network;
    ModelRoom();
    ModelFIRs();
    UpdateGUIImpulse2(); // the late view's length follows the rate
}

void CKestrel::SetBlockSamples(int frames) {
    BlockSize.store(frames, std::memory_order_relaxed);
}

void CKestrel::AfterSetProgram() {
    CMutexLock lock(this);
    CMachine::AfterSetProgram();
    DirtyEditor = DirtyRoom = DirtyNetwork = true;
    Update();
}

void CKestrel::OnIdle() {
    // The editor lives and dies on this (the UI) thread; it draws from a model of its
    // own, so its idle needs no lock of this machine's.
    if (Editor) Editor->OnIdle();
}

void CKestrel::Update() {
    // Each flag is taken before its rebuild, so a change that lands during the
    // rebuild marks it again for the next block instead of being lost.
    if (DirtyEditor.exchange(false, std::memory_order_relaxed)) MarkEditorStale(KestrelStaleValues);
    const bool room = DirtyRoom.exchange(false, std::memory_order_relaxed);
    const bool walls = DirtyWalls.exchange(false, std::memory_order_relaxed);
    const unsigned sources = DirtySources.exchange(0, std::memory_order_relaxed);
    const unsigned listeners = DirtyListeners.exchange(0, std::memory_order_relaxed);
    if (room) {
        ModelRoom();
        ModelFIRs();
    } else if (walls || sources != 0) {
        // A source that did not move keeps its tree, and a listener's responses from it
        // change only if that listener moved (or the walls, which change amplitudes but
        // no arrival): the same taps a full rebuild would gather.
        if (walls) ModelWalls();
        if (sources != 0) ModelTrees(sources, false);
        ModelResponses(sources, listeners, walls);
    } else if (listeners != 0) {
        ModelResponses(0, listeners);
        UpdateGUIRoom();
    }
    if (DirtyNetwork.exchange(false, std::memory_order_relaxed)) {
        ModelFDN();
        UpdateGUIImpulse2();
    }
}

SPos CKestrel::Place(double vx, double vy) const {
    return {RoomSize.width * (PositionScale * vx + PositionOffset),
            RoomSize.height * (PositionScale * vy + PositionOffset)};
}

void CKestrel::FreeRays() {
    Rays[0].Clear();
    Rays[1].Clear();
}

void CKestrel::ModelRoom() {
    ModelTrees(3, true);
}

void CKestrel::ModelTrees(unsigned sources, bool room) {
    Rebuilds.Room++;
    if (room) {
        RoomSize = {RoomExtent(Value(KestrelRoomWidth)), RoomExtent(Value(KestrelRoomHeight))};
        WallReflection = -0.599 * Value(KestrelWallAbsorb) + 0.6;
    }
    SPos* positions[2] = {&SrcLeft, &SrcRight};
    for (int side = 0; side < 2; side++) {
        if (!(sources & (1u << side))) continue;
        Rebuilds.Trees++;
        *positions[side] = Place(Value(2 * side), Value(2 * side + 1));
        Rays[side].Build(&RoomSize, positions[side], 1.0, WallReflection, ImpulseLengthSeconds);
    }
    UpdateDstPos();
    UpdateGUIRoom();
}

void CKestrel::UpdateDstPos() {
    DstLeft = Place(Value(KestrelDstLeftX), Value(KestrelDstLeftY));
    DstRight = Place(Value(KestrelDstRightX), Value(KestrelDstRightY));
}

void CKestrel::ModelWalls() {
    Rebuilds.Room++;
    WallReflection = -0.599 * Value(KestrelWallAbsorb) + 0.6;
    Rays[0].SetReflection(WallReflection);
    Rays[1].SetReflection(WallReflection);
    UpdateDstPos();
    UpdateGUIRoom();
}

void CKestrel::ModelFIRs() {
    ModelResponses(3, 3);
}

void CKestrel::ModelResponses(unsigned trees, unsigned listeners, bool amplitudes) {
    const int block = GetBlockSize();
    const int crossfade = block > 128 ? 128 : block;
    Rebuilds.Responses++;
    UpdateDstPos();
    if (!Rays[0].Root() || !Rays[1].Root()) return;
    // Each tap holds the summed amplitudes of the images first heard in its window of
    // 0.075 / n seconds: the same values as asking each tree tap by tap (Converge),
    // computed once per image instead of once per tap.
    const SPos* heard[2] = {&DstLeft, &DstRight};
    CStereoFIR* convolvers[2] = {LeftFIR, RightFIR};
    for (int side = 0; side < 2; side++) {
        for (int ear = 0; ear < 2; ear++) {
            const bool moved = (trees & (1u << side)) || (listeners & (1u << ear));
            if (moved) {
                Rebuilds.Collected++;
                Early.Gather(Rays[side], heard[ear], Arrivals[side][ear]);
            }
            if (moved || amplitudes)
                Early.Sum(Rays[side], Arrivals[side][ear], TapIndex[side][ear],
                          TapValue[side][ear]);
        }
        convolvers[side]->SetTaps(TapIndex[side][0], TapValue[side][0], TapIndex[side][1],
                                  TapValue[side][1], crossfade);
    }
    UpdateGUIImpulse();
}

void CKestrel::ModelFDN() {
    Rebuilds.Network++;
    Network->SetFeedback(PropertyToFeedback(Value(KestrelFeedback)));
    Network->SetGain(PropertyToGain(Value(KestrelGain)));
    Network->SetCutoff(Value(KestrelCutoff));
}

void CKestrel::Work() {
    CAudioBuffer* in = Ports[0]->AudioBuffer;
    CAudioBuffer* out = Ports[1]->AudioBuffer;
    // Never more frames than either buffer really holds.
    const int frames = std::min(GetBlockSize(), std::min(in->Capacity(), out->Capacity()));
    // Only a host that changes the rate or program while it processes holds the lock
    // now: its block is silence rather than a wait.
    CMutexTryLock lock(this);
    if (!lock.Owns()) {
        std::fill(out->Left, out->Left + std::max(frames, 0), 0.0);
        std::fill(out->Right, out->Right + std::max(frames, 0), 0.0);
        return;
    }
    CDenormalGuard denormals;
    Update();
    const double* inL = in->Left;
    const double* inR = in->Right;
    double* outL = out->Left;
    double* outR = out->Right;
    const int offset = -KestrelLateDelay;
    // In chunks, each stage over the whole chunk: the same arithmetic per sample as one
    // sample at a time, in loops the compiler can vectorise.
    double* const xL = Scratch.data();
    double* const xR = xL + ScratchChunk;
    double* const aL = xR + ScratchChunk;
    double* const aR = aL + ScratchChunk;
    double* const bL = aR + ScratchChunk;
    double* const bR = bL + ScratchChunk;
    double* const dL = bR + ScratchChunk;
    double* const dR = dL + ScratchChunk;
    double* const cL = dR + ScratchChunk;
    double* const cR = cL + ScratchChunk;
    for (int start = 0; start < frames; start += ScratchChunk) {
        const int n = std::min(ScratchChunk, frames - start);
        for (int i = 0; i < n; i++) {
            // One bad sample from the host would otherwise circulate in the network
            // until the next sample-rate change.
            const double l = inL[start + i], r = inR[start + i];
            xL[i] = std::isfinite(l) ? l : 0.0;
            xR[i] = std::isfinite(r) ? r : 0.0;
        }
        LeftFIR->ProcessBlock(xL, n, aL, aR, dL, offset);
        RightFIR->ProcessBlock(xR, n, bL, bR, dR, offset);
        Network->ProcessBlock(dL, dR, cL, cR, n);
        for (int i = 0; i < n; i++) {
            outL[start + i] = (aL[i] + bL[i] + cL[i]) * 0.333;
            outR[start + i] = (aR[i] + bR[i] + cR[i]) * 0.333;
        }
    }
}

void CKestrel::MoveNode(int node, const SPos* position) {
    if (node < 0 || node > 3 || !position) return;
    static const char* const Formats[4] = {"Src L %.0fM,%.0fM", "Src R %.0fM,%.0fM",
                                           "Dst L %.0fM,%.0fM", "Dst R %.0fM,%.0fM"};
    const int px = 2 * node, py = 2 * node + 1;
    auto inverse = [](double p, double extent) {
        const double v = (p / extent - PositionOffset) / PositionScale;
        return std::min(1.0, std::max(0.0, v));
    };
    const double vx = inverse(position->x, RoomSize.width);
    const double vy = inverse(position->y, RoomSize.height);
    if (vx == Value(px) && vy == Value(py)) return;
    char text[MachineTextSize];
    std::snprintf(text, sizeof text, Formats[node], position->x, position->y);
    SetStatusText(text);
    if (vx != Value(px)) SetPropertyAutomated(px, vx);
    if (vy != Value(py)) SetPropertyAutomated(py, vy);
}
