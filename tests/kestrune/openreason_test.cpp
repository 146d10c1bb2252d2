// Why an open failed, on real files: a link to a missing device, a pty locked
// by another process, a device node the user may not open; and the device a
// number stands for.
#include "kestrunefixture.h"

#include <cstring>
#include <grp.h>
#include <string>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ktest {
namespace {

using OpenReason = KestrunePort;

std::string lastErrorText()
{
    char text[512];
    const uint32_t length = last_error_text(text, sizeof text);
    EXPECT_LT(length, sizeof text);
    EXPECT_EQ(std::strlen(text), length);
    return text;
}

std::string portDeviceName(int32_t port)
{
    char name[512];
    const uint32_t length = port_device_name(port, name, sizeof name);
    return std::string(name, length < sizeof name ? length : 0);
}

TEST_F(OpenReason, NamesTheDeviceANumberStandsFor)
{
    EXPECT_EQ(portDeviceName(kPort), m_folder->path() + "/com5");
    EXPECT_EQ(portDeviceName(40), "/dev/ttyUSB7");
    EXPECT_EQ(port_device_name(97, nullptr, 0), 0u) << "97 names no device without a link";
}

TEST_F(OpenReason, MissingDeviceAndNumberWithoutDevice)
{
    m_folder->link(7, "/no/such/ttyUSB9");
    ASSERT_EQ(open_comm(7), KESTRUNE_OPEN_FAILED);
    EXPECT_EQ(lastErrorText(),
              "Porta 7 (" + m_folder->path() + "/com7 → /no/such/ttyUSB9) não existe.");

    ASSERT_EQ(open_comm(97), KESTRUNE_OPEN_FAILED);
    EXPECT_EQ(lastErrorText().rfind("Porta 97 não corresponde a nenhum dispositivo.", 0), 0u);
}

TEST_F(OpenReason, OpenClearsItAndAPortHeldHereSaysSo)
{
    m_folder->link(7, "/no/such/ttyUSB9");
    ASSERT_EQ(open_comm(7), KESTRUNE_OPEN_FAILED);
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    EXPECT_EQ(lastErrorText(), "");
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_FAILED);
    const std::string text = lastErrorText();
    EXPECT_EQ(text,
              "Porta 5 (" + m_folder->path() + "/com5 → " + m_pty->slavePath() +
                  ") já está aberta por este programa.");
    // A buffer too small gets what fits and learns the whole length.
    char shortText[6];
    EXPECT_EQ(last_error_text(shortText, sizeof shortText), text.size());
    EXPECT_STREQ(shortText, "Porta");
}

TEST_F(OpenReason, PortLockedByAnotherProcessNamesIt)
{
    int ready[2];
    int done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        prctl(PR_SET_NAME, "holder");
        const int fd = open(m_pty->slavePath().c_str(), O_RDWR | O_NOCTTY);
        char ok = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 1 : 0;
        (void)!write(ready[1], &ok, 1);
        (void)!read(done[0], &ok, 1);
        _exit(0);
    }
    char locked = 0;
    ASSERT_EQ(read(ready[0], &locked, 1), 1);
    ASSERT_EQ(locked, 1);
    EXPECT_EQ(open_comm(kPort), KESTRUNE_OPEN_FAILED);
    EXPECT_EQ(lastErrorText(),
              "Porta 5 (" + m_folder->path() + "/com5 → " + m_pty->slavePath() +
                  ") em uso por outro programa: holder (PID " + std::to_string(holder) + ").");
    (void)!write(done[1], &locked, 1);
    waitpid(holder, nullptr, 0);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) {
        close(fd);
    }
}

// The device refused to an ordinary user: as root, a child drops to nobody
// and the pty goes to group dialout, as a USB adapter's node is; otherwise
// the pty loses its owner's permissions.
TEST_F(OpenReason, DeviceWithoutPermissionAdvisesItsGroup)
{
    const std::string slave = m_pty->slavePath();
    std::string group = "dialout";
    if (geteuid() == 0) {
        const struct group* dialout = getgrnam("dialout");
        if (dialout == nullptr) {
            GTEST_SKIP() << "no dialout group on this machine";
        }
        ASSERT_EQ(chown(slave.c_str(), 0, dialout->gr_gid), 0);
        ASSERT_EQ(chmod(slave.c_str(), 0660), 0);
        ASSERT_EQ(chmod(m_folder->path().c_str(), 0755), 0);
    } else {
        struct stat node {};
        ASSERT_EQ(stat(slave.c_str(), &node), 0);
        const struct group* own = getgrgid(node.st_gid);
        ASSERT_NE(own, nullptr);
        group = own->gr_name;
        ASSERT_EQ(chmod(slave.c_str(), 0), 0);
    }
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr gid_t kNobody = 65534;
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 ||
                               setuid(kNobody) != 0 || geteuid() == 0)) {
            _exit(2);
        }
        const int result = open_comm(kPort);
        char text[512] = {};
        last_error_text(text, sizeof text);
        (void)!write(out[1], text, std::strlen(text));
        _exit(result == KESTRUNE_OPEN_FAILED ? 0 : 1);
    }
    close(out[1]);
    std::string text;
    char chunk[256];
    for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) {
        text.append(chunk, static_cast<std::size_t>(n));
    }
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) {
        GTEST_SKIP() << "cannot drop to an ordinary user here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the open did not fail";
    EXPECT_EQ(text,
              "Sem permissão para abrir " + m_folder->path() + "/com5 → " + slave +
                  ". Entre no grupo " + group + ": sudo usermod -aG " + group +
                  " $USER e abra a sessão de novo.");
}

} // namespace
} // namespace ktest
