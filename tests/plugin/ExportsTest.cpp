// What BMKestrel.so exports is a promise to hosts: exactly the intended names.
#include <gtest/gtest.h>

#include <cstdio>
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
