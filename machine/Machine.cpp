#include "machine/Machine.h"

#include <cstdint>
#include <cstring>

namespace {

void Empty(char* text) {
    if (text) text[0] = '\0';
}

// Copies at most MachineTextSize - 1 characters and terminates.
void CopyText(char* text, const char* source) {
    if (!text) return;
    std::size_t n = 0;
    while (source && source[n] && n < MachineTextSize - 1) {
        text[n] = source[n];
        n++;
    }
    text[n] = '\0';
}

uint32_t ReadU32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

void WriteU32(char* p, uint32_t v) {
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<char>(v >> (8 * i));
}

uint64_t ReadU64(const char* p) {
    return ReadU32(p) | uint64_t(ReadU32(p + 4)) << 32;
}

void WriteU64(char* p, uint64_t v) {
    WriteU32(p, static_cast<uint32_t>(v));
    WriteU32(p + 4, static_cast<uint32_t>(v >> 32));
}

} // namespace

CMachine::CMachine(CHost* host)
    : CBankClient(host), Ports(nullptr), PortCount(0), PropertyCount(0), ProgramCount(0),
      CurrentProgram(0), HostCookie(nullptr), Host(host), Name(nullptr), Programs(nullptr),
      ProgramChangeDepth(0) {}

CMachine::~CMachine() {
    delete[] Name;
    delete[] Programs;
}

void CMachine::Delete() {
    delete this;
}

void CMachine::WorkAUX() {}

bool CMachine::GetGUIRect(short*, short*, short*, short*) {
    return false;
}

HWND CMachine::CreateGUI(HWND) {
    return nullptr;
}

void CMachine::OnShowGUI() {}

void CMachine::OnHideGUI() {}

void CMachine::OnIdle() {}

double CMachine::GetProperty(int) {
    return 0.0;
}

void CMachine::SetProperty(int index, double value) {
    if (index < 0 || index >= PropertyCount || !Programs) return;
    if (CurrentProgram < 0 || CurrentProgram >= ProgramCount) return;
    CProgram* program = Programs[CurrentProgram];
    if (program && index < program->ValueCount) program->Values[index] = value;
}

void CMachine::SetPropertyAutomated(int index, double value) {
    if (Host) Host->SetPropertyAutomated(this, index, value);
    SetProperty(index, value);
}

void CMachine::BeginPropertyEdit(int index) {
    if (Host) Host->BeginEdit(this, index);
}

void CMachine::EndPropertyEdit(int index) {
    if (Host) Host->EndEdit(this, index);
}

void CMachine::GetPropertyName(int, char* text) {
    Empty(text);
}

void CMachine::GetPropertyDisplay(int index, char* text) {
    GetPropertyValueDisplay(index, GetProperty(index), text);
}

void CMachine::GetPropertyValueDisplay(int, double, char* text) {
    Empty(text);
}

void CMachine::GetVoiceName(int, char* text) {
    Empty(text);
}

void CMachine::SetProgram(int index) {
    if (!Programs || index < 0 || index >= ProgramCount || !Programs[index]) return;
    BeforeSetProgram();
    CurrentProgram = index;
    const CProgram* program = Programs[index];
    for (int i = 0; i < PropertyCount && i < program->ValueCount; i++)
        SetProperty(i, program->Values[i]);
    AfterSetProgram();
}

void CMachine::GetProgramName(char* text) {
    if (!Programs || CurrentProgram < 0 || CurrentProgram >= ProgramCount ||
        !Programs[CurrentProgram]) {
        Empty(text);
        return;
    }
    CopyText(text, Programs[CurrentProgram]->Name);
}

void CMachine::SetProgramName(const char* name) {
    if (!Programs || !name || CurrentProgram < 0 || CurrentProgram >= ProgramCount ||
        !Programs[CurrentProgram])
        return;
    char* target = Programs[CurrentProgram]->Name;
    std::size_t n = 0;
    while (name[n] && n < CProgram::NameSize - 1) {
        target[n] = name[n];
        n++;
    }
    target[n] = '\0';
}

void CMachine::GetProgramNameIndexed(int index, char* text) {
    if (!Programs || index < 0 || index >= ProgramCount || !Programs[index]) {
        Empty(text);
        return;
    }
    CopyText(text, Programs[index]->Name);
}

int CMachine::GetProgram() {
    return CurrentProgram;
}

void CMachine::ResizeAudioPorts(int frames) {
    for (int i = 0; i < PortCount; i++) {
        CPort* port = Ports[i];
        if (port && (port->Kind & PortAudio) && port->AudioBuffer)
            port->AudioBuffer->Resize(frames);
    }
}

void CMachine::BeforeSetProgram() {
    ProgramChangeDepth++;
}

void CMachine::AfterSetProgram() {
    ProgramChangeDepth--;
}

void CMachine::SetName(const char* name) {
    delete[] Name;
    Name = nullptr;
    if (!name) return;
    Name = new char[std::strlen(name) + 1];
    std::strcpy(Name, name);
}

const char* CMachine::GetName() {
    return Name;
}

void CMachine::ReadProperties(const char* data, int size, bool) {
    if (!data || size < 8) return;
    const uint32_t magic = ReadU32(data);
    const int32_t count = static_cast<int32_t>(ReadU32(data + 4));
    const bool floats = magic == PropertyBlockFloats;
    const int width = floats ? 4 : 8;
    // N comes from the block; a block that claims more values than it holds is
    // read only as far as it goes.
    const int held = (size - 8) / width;
    const int n = count < 0 ? 0 : (count < held ? count : held);
    for (int i = 0; i < n; i++) {
        const char* p = data + 8 + width * i;
        double value;
        if (floats) {
            const uint32_t bits = ReadU32(p);
            float f;
            std::memcpy(&f, &bits, sizeof f);
            value = f;
        } else {
            const uint64_t bits = ReadU64(p);
            std::memcpy(&value, &bits, sizeof value);
        }
        SetPropertyAutomated(i, value);
    }
}

void CMachine::WriteProperties(char** data, int* size, bool* owned) {
    const int n = PropertyCount > 0 ? PropertyCount : 0;
    const int bytes = 8 + 8 * n;
    char* block = new char[bytes];
    WriteU32(block, PropertyBlockDoubles);
    WriteU32(block + 4, static_cast<uint32_t>(n));
    for (int i = 0; i < n; i++) {
        const double value = GetProperty(i);
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        WriteU64(block + 8 + 8 * i, bits);
    }
    *data = block;
    *size = bytes;
    *owned = true;
}
