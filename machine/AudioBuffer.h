// One or two channels of double samples, each aligned to 16 bytes.
#pragma once

class CAudioBuffer {
public:
    CAudioBuffer(int frames, bool stereo);
    virtual ~CAudioBuffer();

    // Writes silence into every frame of every channel that exists.
    virtual void Clear();
    // New channels when the length changes (contents are not kept); silence in every case.
    virtual void Resize(int frames);

    double* Left;  // null for 0 frames or a failed allocation
    double* Right; // null for a mono buffer, 0 frames or a failed allocation
    bool Stereo;
    int Frames;

    // Frames that can really be read and written: 0 where a channel is missing.
    int Capacity() const;

private:
    void Allocate();
    void FreeChannels();
};
