// The VST 3 binary interface, declared from the interface's published facts: scalar
// types, result codes, 16-byte IDs, the calling convention, FUnknown, the stream and the
// factory. Interfaces are classes of pure virtual methods in one chain from FUnknown,
// with no destructor and no overload, so every compiler lays the vtables out alike.
#pragma once

#include "plugin/FormatIds.h"

#include <cstdint>

namespace Steinberg {

using int8 = char;
using uint8 = unsigned char;
using int16 = int16_t;
using uint16 = uint16_t;
using int32 = int32_t;
using uint32 = uint32_t;
using int64 = int64_t;
using uint64 = uint64_t;
using tresult = int32;
using TBool = uint8;
using char8 = char;
using char16 = char16_t;
using TChar = char16;
using String128 = TChar[128];
using FIDString = const char8*;
using TUID = char[16];

#if defined(_WIN32)
#define PLUGIN_API __stdcall
enum : tresult {
    kResultOk = 0,
    kResultTrue = 0,
    kResultFalse = 1,
    kNoInterface = static_cast<tresult>(0x80004002),
    kInvalidArgument = static_cast<tresult>(0x80070057),
    kNotImplemented = static_cast<tresult>(0x80004001),
    kInternalError = static_cast<tresult>(0x80004005),
    kNotInitialized = static_cast<tresult>(0x8000FFFF),
    kOutOfMemory = static_cast<tresult>(0x8007000E),
};
#else
#define PLUGIN_API
enum : tresult {
    kResultOk = 0,
    kResultTrue = 0,
    kResultFalse = 1,
    kNoInterface = -1,
    kInvalidArgument = 2,
    kNotImplemented = 3,
    kInternalError = 4,
    kNotInitialized = 5,
    kOutOfMemory = 6,
};
#endif

// An ID of four words as the platform lays it out in memory (plugin/FormatIds.h).
using SUid = SKestrelUid;
constexpr SUid MakeUid(uint32 l1, uint32 l2, uint32 l3, uint32 l4) {
    return KestrelUid(l1, l2, l3, l4);
}
inline bool SameUid(const char* a, const SUid& b) {
    for (int i = 0; i < 16; i++)
        if (a[i] != b.Bytes[i]) return false;
    return true;
}

class FUnknown {
public:
    virtual tresult PLUGIN_API queryInterface(const TUID iid, void** obj) = 0;
    virtual uint32 PLUGIN_API addRef() = 0;
    virtual uint32 PLUGIN_API release() = 0;
};

enum { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };

class IBStream : public FUnknown {
public:
    virtual tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
    virtual tresult PLUGIN_API write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
    virtual tresult PLUGIN_API seek(int64 pos, int32 mode, int64* result) = 0;
    virtual tresult PLUGIN_API tell(int64* pos) = 0;
};

class IPluginBase : public FUnknown {
public:
    virtual tresult PLUGIN_API initialize(FUnknown* context) = 0;
    virtual tresult PLUGIN_API terminate() = 0;
};

struct PFactoryInfo {
    enum { kNoFlags = 0, kClassesDiscardable = 1, kComponentNonDiscardable = 8, kUnicode = 16 };
    char8 vendor[64];
    char8 url[256];
    char8 email[128];
    int32 flags;
};

struct PClassInfo {
    enum { kManyInstances = 0x7FFFFFFF };
    TUID cid;
    int32 cardinality;
    char8 category[32];
    char8 name[64];
};

struct PClassInfo2 {
    TUID cid;
    int32 cardinality;
    char8 category[32];
    char8 name[64];
    uint32 classFlags;
    char8 subCategories[128];
    char8 vendor[64];
    char8 version[64];
    char8 sdkVersion[64];
};

struct PClassInfoW {
    TUID cid;
    int32 cardinality;
    char8 category[32];
    char16 name[64];
    uint32 classFlags;
    char8 subCategories[128];
    char16 vendor[64];
    char16 version[64];
    char16 sdkVersion[64];
};

static_assert(sizeof(PFactoryInfo) == 452 && sizeof(PClassInfo) == 116 &&
                  sizeof(PClassInfo2) == 440 && sizeof(PClassInfoW) == 696,
              "the factory records' sizes are the interface's");

class IPluginFactory : public FUnknown {
public:
    virtual tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) = 0;
    virtual int32 PLUGIN_API countClasses() = 0;
    virtual tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) = 0;
    virtual tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) = 0;
};

class IPluginFactory2 : public IPluginFactory {
public:
    virtual tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) = 0;
};

class IPluginFactory3 : public IPluginFactory2 {
public:
    virtual tresult PLUGIN_API getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
    virtual tresult PLUGIN_API setHostContext(FUnknown* context) = 0;
};

constexpr SUid FUnknown_iid = MakeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
constexpr SUid IPluginBase_iid = MakeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
constexpr SUid IPluginFactory_iid = MakeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
constexpr SUid IPluginFactory2_iid = MakeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
constexpr SUid IPluginFactory3_iid = MakeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
constexpr SUid IBStream_iid = MakeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);

} // namespace Steinberg
