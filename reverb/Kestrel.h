// The reverb machine: two sources and two listeners in a rectangular room. Early
// reflections come from one image-source tree per source, rendered into one sparse
// stereo response per source; a four-line delay network fed 601 samples late adds
// the tail. Property setters only store and mark; rebuilding waits for Update, which
// runs at the start of each block or idle call under the machine's lock.
#pragma once

#include "machine/Machine.h"
#include "reverb/EarlyTaps.h"
#include "reverb/FDN.h"
#include "reverb/Geometry.h"
#include "reverb/ImageSource.h"
#include "reverb/ImageSourcePool.h"
#include "reverb/KestrelEditor.h"
#include "reverb/StereoFIR.h"

#include <atomic>
#include <memory>
#include <vector>

struct SKestrelGraphics;

enum {
    KestrelSrcLeftX,
    KestrelSrcLeftY,
    KestrelSrcRightX,
    KestrelSrcRightY,
    KestrelDstLeftX,
    KestrelDstLeftY,
    KestrelDstRightX,
    KestrelDstRightY,
    KestrelRoomWidth,
    KestrelRoomHeight,
    KestrelWallAbsorb,
    KestrelFeedback,
    KestrelCutoff,
    KestrelGain,
    KestrelPropertyCount
};

// Property names in index order.
extern "C" const char* const KestrelPropertyNames[KestrelPropertyCount];

// Samples by which the network's input trails the early reflections (the first
// delay-line length); the convolvers' delay lines are never shorter than this.
constexpr int KestrelLateDelay = 601;

// The highest sample rate the machine takes (Hz); higher requests are held here.
constexpr int KestrelMaximumSampleRate = 1536000;

// Which parts of the editor's state changed since the editor last took it.
enum : unsigned {
    KestrelStaleValues = 1, // the 14 property values
    KestrelStaleRoom = 2,   // trees, room size and node positions
    KestrelStaleEarly = 4,  // the convolvers' taps
    KestrelStaleLate = 8,   // the delay network's settings
    KestrelStaleAll = 15,
};

// The sparse taps of one convolver: [0] its left output, [1] its right.
struct SKestrelTaps {
    std::vector<int> Index[2];
    std::vector<double> Value[2];
};

// What the editor draws from: a copy of its model machine's state, taken by
// TakeEditorState on the UI thread. The trees are the model's own, not copied: the
// model rebuilds them only in its Update, which runs on the same thread just before.
struct SKestrelEditorState {
    unsigned Stale = 0; // KestrelStale… bits: the parts below that are new
    double Values[KestrelPropertyCount] = {};
    const CImageSource* Trees[2] = {};
    SSize Room{};
    SPos Sources[2]{}, Listeners[2]{};
    double TimeScale = 0; // seconds the view time's [0, 1] spans
    int FilterLength = 0; // taps of the early responses
    SKestrelTaps Taps[2]; // left and right input's convolver
    int SampleRate = 0;   // and the network's targets
    double Feedback = 0, Gain = 0, Cutoff = 0;
};

class CKestrel : public CMachine {
public:
    // Asks the host for the sample rate and block size; builds everything at once.
    CKestrel(CHost* host, SKestrelGraphics* graphics);
    ~CKestrel() override;

    // audio thread; tries the machine's lock and never waits for it: a block that finds
    // it held (a host changing the rate or program while it processes) is silence.
    // Allocates nothing. Never calls into an editor.
    void Work() override;
    // UI thread; no lock: the open editor brings its model up to this machine's values
    // and draws. Nothing of this machine is rebuilt here (that waits for Work), so the
    // UI thread never holds a lock the audio thread takes.
    void OnIdle() override;
    // any thread
    double GetProperty(int index) override;
    // any thread; no lock: limits to [0, 1], ignores NaN and ±inf, stores and marks.
    void SetProperty(int index, double value) override;
    void GetPropertyName(int index, char* text) override;
    void GetPropertyValueDisplay(int index, double value, char* text) override;
    // any thread with processing suspended; takes the machine's lock while the
    // convolvers and network are replaced (allocates).
    void SetSampleRate(int rate) override;
    void SetBlockSamples(int frames) override;
    // Ends a program change and rebuilds everything once, under the machine's lock.
    void AfterSetProgram() override;
    bool IsSynth() override { return false; }
    // UI thread: the background picture's size, with or without an editor.
    bool GetGUIRect(short* top, short* left, short* right, short* bottom) override;
    // UI thread: builds the editor inside parent (replacing one that exists), with a
    // model machine of its own that follows this one's values; takes no lock.
    HWND CreateGUI(HWND parent) override;
    // UI thread; no lock.
    void OnShowGUI() override;
    // UI thread: the host closed the editor. Only the UI thread ever reaches the editor,
    // so it is torn down without the machine's lock.
    void OnHideGUI() override;
    // UI thread
    bool HasEditor() const { return Editor != nullptr; }
    // UI thread: the open editor's scale (see CKestrelEditor::SetScale); no machine lock.
    void SetGUIScale(int scale) override;
    // UI thread: installs an editor built elsewhere (owned from now on), for a model
    // machine whose editor is made by whoever owns the model.
    void AdoptEditor(CKestrelEditor* editor);
    // UI thread, on a model machine (the editor's idle): copies what changed since the
    // last call into state under the machine's lock, and returns the KestrelStale… bits
    // it copied.
    unsigned TakeEditorState(SKestrelEditorState* state);

    // any thread: a property's value in a new machine; 0 outside 0 … 13.
    static double DefaultValue(int index);
    // any thread: GetPropertyValueDisplay at a given sample rate (the Cutoff's range
    // follows it), for a format's controller that has no machine of its own.
    static void FormatValue(int index, double value, int sampleRate, char* text);
    // any thread: the value in [0, 1] whose display a text gives ("20m", "50%", "-3.00dB",
    // "2000Hz"; the unit may be left out), limited to the range; false for no number.
    static bool ParseValue(int index, const char* text, int sampleRate, double* value);
    // The unit of a property's display ("%", "m", "Hz", "dB").
    static const char* Unit(int index);
    // any thread: samples until the tail of the current settings has fallen by 90 dB
    // (the early part, the network's read-back, then the passes through its lines that
    // the loop gain takes).
    double TailSamples() const;
    static double PropertyToGain(double v);     // linear factor, 0.0001 … 100
    static double PropertyToFeedback(double v); // 0 … 0.999

    // Rebuilding steps; callers hold the machine's lock.
    void Update();
    void ModelRoom();
    void UpdateDstPos();
    void ModelFIRs();
    void ModelFDN();
    void FreeRays();

    // UI thread: room view drag of node 0 … 3 to P (metres, inside the room); the caller
    // holds the machine's lock, then the editor's. Reports the new values to the host as
    // automation.
    void MoveNode(int node, const SPos* position);

    // Editor notifications; any thread, under the machine's lock. Each only marks its
    // part of the editor's state stale (an atomic or): O(1), no lock, no drawing, no
    // allocation, whether or not an editor is open.
    void UpdateGUIRoom();
    void UpdateGUIImpulse();
    void UpdateGUIImpulse2();

    // Read-only views for the editor and tests; hold the machine's lock while reading.
    int GetSampleRate() const { return SampleRate.load(std::memory_order_relaxed); }
    int GetFilterLength() const { return FilterLength; }
    int GetBlockSize() const { return BlockSize.load(std::memory_order_relaxed); }
    const SSize& GetRoomSize() const { return RoomSize; }
    double GetReflection() const { return WallReflection; }
    const SPos& GetSourcePosition(int side) const { return side ? SrcRight : SrcLeft; }
    const SPos& GetListenerPosition(int side) const { return side ? DstRight : DstLeft; }
    const CImageSource* GetTree(int side) const { return Rays[side ? 1 : 0].Root(); }
    const CStereoFIR* GetConvolver(int side) const { return side ? RightFIR : LeftFIR; }
    const CFDN* GetNetwork() const { return Network; }
    SKestrelGraphics* GetGraphics() const { return Graphics; }

    // How often each rebuild ran since construction: a burst of automation must
    // cost one rebuild per block, which tests and benchmarks check with these. Trees
    // counts the trees built (one per source that moved), Collected the responses
    // gathered from a tree (one per tree and listener that changed).
    struct SRebuildCounts {
        int Room;
        int Responses;
        int Network;
        int Trees;
        int Collected;
    };
    SRebuildCounts GetRebuildCounts() const { return Rebuilds; }

private:
    // Editor side (KestrelEditorBridge.cpp); each does nothing while there is no editor.
    void DestroyEditor();                 // UI thread
    void SetStatusText(const char* text); // UI thread; takes the editor's lock
    void MarkEditorStale(unsigned parts) { EditorStale.fetch_or(parts, std::memory_order_relaxed); }

    // Rebuild the trees of the sources in the mask (bit 0 left, bit 1 right); the
    // room-wide values (size, reflection) are recomputed only with room set.
    void ModelTrees(unsigned sources, bool room);
    // The walls' reflection changed alone: the trees keep their geometry and take the
    // new amplitudes.
    void ModelWalls();
    // Gathers the responses of the trees in `trees` at both listeners and of every tree
    // at the listeners in `listeners` (the others are summed again with `amplitudes`),
    // then installs all four (each convolver's crossfade runs whether or not its taps
    // changed, as a full rebuild does).
    void ModelResponses(unsigned trees, unsigned listeners, bool amplitudes = false);
    void CreateProcessors();
    void CreateWindows(); // filter length, convolver length and tap windows of the rate
    void DestroyProcessors();
    double Value(int index) const { return Values[index].load(std::memory_order_relaxed); }
    SPos Place(double vx, double vy) const;

    CKestrelEditor* Editor; // UI thread only
    std::atomic<double> Values[KestrelPropertyCount];
    double ImpulseLengthSeconds;
    double WallReflection;
    std::atomic<int> SampleRate;
    int FilterLength;    // taps of the early responses: sample rate × 0.075
    int ConvolverLength; // delay-line length: at least KestrelLateDelay
    std::atomic<int> BlockSize;
    SPos SrcLeft, SrcRight, DstLeft, DstRight;
    SSize RoomSize;
    CImageSourcePool Rays[2]; // the left and right source's tree, rebuilt in place
    CStereoFIR* LeftFIR;
    CStereoFIR* RightFIR;
    CFDN* Network;
    SKestrelGraphics* Graphics;
    std::atomic<bool> DirtyEditor, DirtyRoom, DirtyWalls, DirtyNetwork;
    // Which nodes moved: bit 0 the left, bit 1 the right one (sources and listeners).
    std::atomic<unsigned> DirtySources, DirtyListeners;
    std::atomic<unsigned> EditorStale;       // KestrelStale… bits the editor has not taken yet
    CEarlyTaps Early;                        // the tap windows of the current sample rate
    static constexpr int ScratchChunk = 256; // frames per pass of Work's stages
    std::vector<double> Scratch;             // ten arrays of ScratchChunk
    // The taps of each tree ([source]) at each listener ([listener]), kept between
    // rebuilds so that only what moved is gathered again.
    std::vector<int> TapIndex[2][2];
    std::vector<double> TapValue[2][2];
    std::vector<CEarlyTaps::SArrival> Arrivals[2][2]; // which nodes those taps hold
    SRebuildCounts Rebuilds{};
};
