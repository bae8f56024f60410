// The area as a program under test sees it: created fresh, attached by name,
// guarded against a second simvane, replaced after a crash, gone at the end.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "area_host.h"
#include "simvane_area.h"

namespace lumora::simvane {
namespace {

std::string unique_name(const char* what) {
    return "/simvane-test-" + std::string(what) + "-" + std::to_string(::getpid());
}

TEST(AreaHost, CreatesAZeroedPrivateAreaThatProgramsAttachToByName) {
    const std::string name = unique_name("create");
    AreaHost host;
    ASSERT_EQ(host.create(name), AreaHost::Status::ok);
    EXPECT_EQ(host.size(), 0x50000u);  // already whole pages
    EXPECT_GE(host.id(), 0);
    struct stat st {};
    ASSERT_EQ(::fstat(host.id(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ::setenv("SIMVANE_AREA_NAME", name.c_str(), 1);
    EXPECT_EQ(area_name_from_environment(), name);
    auto* seen = static_cast<uint8_t*>(simvane_attach());
    ::unsetenv("SIMVANE_AREA_NAME");
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(area_name_from_environment(), "/simvane");
    size_t nonzero = 0;
    for (size_t i = 0; i < host.size(); ++i) nonzero += seen[i] != 0;
    EXPECT_EQ(nonzero, 0u);
    // Both sides see one memory.
    SV_U16(seen, sv_key_hit_adr) = 0x1234;
    EXPECT_EQ(host.base()[sv_key_hit_adr], 0x34);
    host.base()[sv_ver_adr] = 6;
    EXPECT_EQ(SV_U8(seen, sv_ver_adr), 6);
    EXPECT_EQ(simvane_detach(seen), 0);

    host.destroy();
    EXPECT_EQ(simvane_attach_named(name.c_str()), nullptr);
}

TEST(AreaHost, ASecondOwnerIsRefusedAndACrashedOnesAreaReplaced) {
    const std::string name = unique_name("owner");
    {
        AreaHost first;
        ASSERT_EQ(first.create(name), AreaHost::Status::ok);
        first.base()[100] = 0x55;
        AreaHost second;
        EXPECT_EQ(second.create(name), AreaHost::Status::in_use);
        EXPECT_EQ(first.base()[100], 0x55);  // untouched by the refused one
        auto* seen = static_cast<uint8_t*>(simvane_attach_named(name.c_str()));
        ASSERT_NE(seen, nullptr);
        EXPECT_EQ(seen[100], 0x55);
        simvane_detach(seen);
    }
    // What a crash leaves: the object with old bytes and no owner.
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 0x1000), 0);
    ASSERT_EQ(::write(fd, "junk", 4), 4);
    ::close(fd);
    AreaHost next;
    ASSERT_EQ(next.create(name), AreaHost::Status::ok);
    EXPECT_EQ(std::memcmp(next.base(), "\0\0\0\0", 4), 0);
    struct stat st {};
    ASSERT_EQ(::fstat(next.id(), &st), 0);
    EXPECT_EQ(static_cast<size_t>(st.st_size), next.size());
}

TEST(AreaHost, AttachRefusesMissingOrForeignObjects) {
    EXPECT_EQ(simvane_attach_named("/simvane-test-never-created"), nullptr);
    EXPECT_EQ(simvane_attach_named("no-slash"), nullptr);
    EXPECT_EQ(simvane_attach_named(nullptr), nullptr);
    const std::string name = unique_name("small");
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 4096), 0);
    EXPECT_EQ(simvane_attach_named(name.c_str()), nullptr);  // too small to be ours
    ::close(fd);
    ::shm_unlink(name.c_str());
    AreaHost bad;
    EXPECT_EQ(bad.create("/with/slash"), AreaHost::Status::failed);
}

}  // namespace
}  // namespace lumora::simvane
