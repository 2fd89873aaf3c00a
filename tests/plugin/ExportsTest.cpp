// What BMKestrel.so exports is a promise to hosts: exactly the intended names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>

TEST(Exports, ExactlyTheIntendedSymbols) {
    const std::string command = std::string("nm -D --defined-only ") + KESTREL_PLUGIN_PATH;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> exported;
    char line[512];
    while (fgets(line, sizeof line, pipe)) {
        char address[64], kind[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", address, kind, name) == 3) exported.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0) << "nm failed";
    std::ifstream file(KESTREL_EXPORTS_EXPECTED);
    std::set<std::string> expected;
    for (std::string name; std::getline(file, name);)
        if (!name.empty()) expected.insert(name);
    ASSERT_FALSE(expected.empty());
    for (const std::string& name : exported)
        EXPECT_TRUE(expected.count(name)) << "unexpected: " << name;
    for (const std::string& name : expected)
        EXPECT_TRUE(exported.count(name)) << "missing: " << name;
}

// What a host's machine must have: libc, libm, zlib and libX11, and no glibc newer than
// 2.35 (the C++ runtime is linked in).
TEST(Exports, TheRuntimeItNeeds) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "sanitizer builds link their runtimes dynamically";
#endif
    const std::string command = std::string("objdump -p -T ") + KESTREL_PLUGIN_PATH;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> needed;
    int newest = 0;
    char line[512];
    while (fgets(line, sizeof line, pipe)) {
        char library[256];
        if (std::sscanf(line, " NEEDED %255s", library) == 1) needed.insert(library);
        for (const char* at = std::strstr(line, "GLIBC_2."); at;
             at = std::strstr(at + 1, "GLIBC_2."))
            newest = std::max(newest, std::atoi(at + 8));
    }
    ASSERT_EQ(pclose(pipe), 0) << "objdump failed";
    const std::set<std::string> allowed = {"libc.so.6", "libm.so.6", "libz.so.1", "libX11.so.6",
                                           "ld-linux-x86-64.so.2"};
    for (const std::string& library : needed)
        EXPECT_TRUE(allowed.count(library)) << "needs " << library;
    EXPECT_LE(newest, 35) << "needs glibc 2." << newest;
}
