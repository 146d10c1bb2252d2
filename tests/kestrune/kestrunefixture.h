// A pty linked as port 5 for tests of the exported face; the port is closed
// after each test so the process-wide state starts clean.
#pragma once

#include "kestrune.h"
#include "ptyharness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace ktest {

class KestrunePort : public ::testing::Test {
protected:
    static constexpr int32_t kPort = 5;

    void SetUp() override
    {
        m_pty = std::make_unique<PtyPair>();
        if (!m_pty->ok()) {
            GTEST_SKIP() << "no pseudo-terminal: " << m_pty->error();
        }
        m_folder = std::make_unique<PortFolder>();
        m_folder->link(kPort, m_pty->slavePath());
    }

    void TearDown() override { close_comm(); }

    // Open with time-outs short enough for a silent line to cost little.
    void openQuick()
    {
        ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
        set_timeout(0, 60, 1, 500, 10);
    }

    int master() const { return m_pty->master(); }

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<PortFolder> m_folder;
};

// Milliseconds `fn` took.
template <typename Fn> long long msTaken(Fn&& fn)
{
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

// Waits for one request on the master side, then answers in timed pieces.
class ScriptedSlave {
public:
    struct Piece {
        int delayMs;
        Bytes bytes;
    };

    ScriptedSlave(int masterFd, std::size_t requestBytes, std::vector<Piece> pieces)
        : m_thread([this, masterFd, requestBytes, pieces] {
              m_request = readSome(masterFd, requestBytes, 3000);
              for (const auto& piece : pieces) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(piece.delayMs));
                  writeAll(masterFd, piece.bytes);
              }
          })
    {
    }
    ~ScriptedSlave() { join(); }

    const Bytes& request()
    {
        join();
        return m_request;
    }

private:
    void join()
    {
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    Bytes m_request;
    std::thread m_thread;
};

} // namespace ktest
