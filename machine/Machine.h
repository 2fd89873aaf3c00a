// The framework's host-neutral unit of audio processing: ports, numbered double
// properties, optional programs, an optional editor, driven through CHost.
#pragma once

#include "machine/BankClient.h"
#include "machine/Host.h"
#include "machine/Port.h"
#include "machine/Program.h"
#include "platform/Win32.h"

// Name and display buffers handed to machines hold this many bytes.
enum { MachineTextSize = 64 };

class CMachine : public CBankClient {
public:
    explicit CMachine(CHost* host);
    ~CMachine() override;

    // Destroys the object through its virtual destructor.
    virtual void Delete();
    // audio thread: one block of the frames given to SetBlockSamples.
    virtual void Work() = 0;
    virtual void WorkAUX();
    // UI thread: the editor's size; false when the machine has none.
    virtual bool GetGUIRect(short* top, short* left, short* right, short* bottom);
    // UI thread: builds the editor inside parent; null without an editor.
    virtual HWND CreateGUI(HWND parent);
    virtual void OnShowGUI();
    virtual void OnHideGUI();
    // UI thread, regularly, whether or not an editor is open.
    virtual void OnIdle();
    // UI thread: show the open editor with every pixel as a scale × scale block; the
    // editor's size (GetGUIRect) stays in its own pixels. Machines without one ignore it.
    virtual void SetGUIScale(int) {}
    // any thread
    virtual double GetProperty(int index);
    // any thread: stores only; expensive work waits for the next block.
    virtual void SetProperty(int index, double value);
    // any thread: tells the host first (automation), then sets.
    virtual void SetPropertyAutomated(int index, double value);
    // UI thread, no lock held: brackets a gesture's SetPropertyAutomated calls.
    void BeginPropertyEdit(int index);
    void EndPropertyEdit(int index);
    virtual void GetPropertyName(int index, char* text);
    virtual void GetPropertyDisplay(int index, char* text);
    virtual void GetPropertyValueDisplay(int index, double value, char* text);
    virtual void GetVoiceName(int index, char* text);
    virtual void SetProgram(int index);
    virtual void GetProgramName(char* text);
    virtual void SetProgramName(const char* name);
    virtual void GetProgramNameIndexed(int index, char* text);
    virtual int GetProgram();
    virtual void SetSampleRate(int rate) = 0;     // Hz
    virtual void SetBlockSamples(int frames) = 0; // frames of the next Work calls
    virtual void ResizeAudioPorts(int frames);
    virtual void BeforeSetProgram();
    virtual void AfterSetProgram();
    virtual void SetName(const char* name);
    virtual const char* GetName();
    virtual void ReadProperties(const char* data, int size, bool unused);
    // Hands out a new[]'ed block the caller frees with delete[].
    virtual void WriteProperties(char** data, int* size, bool* owned);
    virtual bool IsSynth() = 0;

    CPort** Ports;
    int PortCount;
    int PropertyCount;
    int ProgramCount;
    int CurrentProgram;
    void* HostCookie; // the embedding layer's handle, handed back to the host with automation
    CHost* Host;
    char* Name;
    CProgram** Programs;
    int ProgramChangeDepth;

    CMachine(const CMachine&) = delete;
    CMachine& operator=(const CMachine&) = delete;
};

// Magic words of the serialised property block (little-endian on disk).
enum : unsigned int {
    PropertyBlockDoubles = 0x50483634, // 'PH64', written
    PropertyBlockFloats = 0x54735068,  // 'TsPh', accepted on reading
};
