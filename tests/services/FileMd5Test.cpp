#include "services/FileMd5.h"

#include "platform/TextConversion.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(FileMd5Test, HashesTheWholeFileInLowerCaseHex) {
    TempFolder folder;
    struct Case {
        std::string content;
        const char* md5;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {std::string(4096, 'a'), "21a199c53f422a380e20b162fb6ebe9c"},  // exactly one block
        {std::string(10000, 'a'), "0d0c9c4db6953fee9e03f528cafd7d3e"},
    };
    for (const Case& c : cases) {
        WriteFileText(folder / "f", c.content);
        EXPECT_EQ(FileMd5(platform::ToWide(folder / "f")), c.md5) << c.content.size();
    }
}

TEST(FileMd5Test, WhatCannotBeReadHasNoChecksum) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "folder");
    EXPECT_EQ(FileMd5(platform::ToWide(folder / "missing")), "");
    EXPECT_EQ(FileMd5(platform::ToWide(folder / "folder")), "");
}

}  // namespace
