#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/qt_settings_store.h"
#include "platform/settings_store.h"

namespace lumora::platform {
namespace {

TEST(MemorySettingsStore, KeepsStringsNumbersAndWriteOrder) {
    MemorySettingsStore store;
    EXPECT_FALSE(store.read_string("Settings", "TabLength"));
    store.write_number("Settings", "TabLength", 4);
    store.write_string("Recent Project List", "File1", "/a/b.lmp");
    EXPECT_EQ(store.read_number("Settings", "TabLength"), 4u);
    EXPECT_EQ(store.read_string("Recent Project List", "File1"), "/a/b.lmp");
    EXPECT_EQ(store.write_log(), (std::vector<std::string>{"Settings/TabLength", "Recent Project List/File1"}));
    store.set_exists(false);
    EXPECT_FALSE(store.read_number("Settings", "TabLength"));
}

class QtSettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        ::setenv("XDG_CONFIG_HOME", home_.path().toUtf8().constData(), 1);
    }
    QTemporaryDir home_;
};

TEST_F(QtSettingsStoreTest, RoundTripsValuesWhoseNamesHoldSlashes) {
    {
        QtSettingsStore store("Quorvi", "PelorixTest");
        EXPECT_FALSE(store.exists());
        EXPECT_TRUE(store.write_number("", "CommPort", 2));
        EXPECT_TRUE(store.write_string("Color", "C/C++", "0x00FF00"));
        EXPECT_TRUE(store.write_string("Color", "a\\b%c", "x"));
        EXPECT_TRUE(store.write_string("Paths", "Sjis", std::string("\x83\x65\x83\x58\x83\x67")));
        EXPECT_TRUE(store.flush());
    }
    QtSettingsStore store("Quorvi", "PelorixTest");
    EXPECT_TRUE(store.exists());
    EXPECT_EQ(store.read_number("", "CommPort"), 2u);
    EXPECT_EQ(store.read_string("Color", "C/C++"), "0x00FF00");
    EXPECT_FALSE(store.read_string("Color", "C"));  // not split into groups
    EXPECT_EQ(store.read_string("Color", "a\\b%c"), "x");
    EXPECT_EQ(store.read_string("Paths", "Sjis"), std::string("\x83\x65\x83\x58\x83\x67"));
    EXPECT_FALSE(store.read_number("", "BaudRate"));
    EXPECT_FALSE(store.read_number("Color", "C/C++"));  // not a number
}

}  // namespace
}  // namespace lumora::platform
