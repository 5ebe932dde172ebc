#include "cli/Interrupt.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace zandor::cli;

// The first Ctrl-C reaches every board process of a gang, however many ports were given.
TEST(Interrupt, FirstCtrlCReachesEveryBoardProcess)
{
    constexpr int kBoards = 150;
    InstallInterruptHandler();
    SetInterruptTexts(QByteArray(), QByteArray(), false);
    std::vector<pid_t> boards;
    // A child inherits our handler until it resets it: SIGINT stays blocked across the fork,
    // so a forwarded Ctrl-C that comes early waits for the default action instead.
    sigset_t interrupt, before;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    for (int i = 0; i < kBoards; ++i) {
        ::sigprocmask(SIG_BLOCK, &interrupt, &before);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::signal(SIGINT, SIG_DFL);
            ::sigprocmask(SIG_SETMASK, &before, nullptr);
            for (;;)
                ::pause();
        }
        ::sigprocmask(SIG_SETMASK, &before, nullptr);
        ASSERT_GE(pid, 0);
        boards.push_back(pid);
        ForwardInterruptsTo(pid);
    }
    ::raise(SIGINT);
    EXPECT_TRUE(InterruptRequested());

    int reached = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (pid_t& pid : boards) {
        int status = 0;
        pid_t ended = 0;
        while ((ended = ::waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (ended == pid && WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) {
            ++reached;
        } else if (ended == 0) {
            ::kill(pid, SIGKILL);  // never reached: no process left behind
            ::waitpid(pid, &status, 0);
        }
    }
    EXPECT_EQ(reached, kBoards);
}
