#include "cli/Interrupt.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace zandor::cli;

namespace {

// What a run in a process of its own saw; each bit one observation.
enum Seen {
    kHungUp = 1,       // HangUpRequested
    kInterrupted = 2,  // InterruptRequested
    kNoFurther = 4,    // NoFurtherBoard
};

int SeenNow()
{
    return (HangUpRequested() ? kHungUp : 0) | (InterruptRequested() ? kInterrupted : 0)
           | (NoFurtherBoard() ? kNoFurther : 0);
}

// Runs `scenario` in a child with the handlers installed: its exit status, or -1 when it
// died of a signal.
int InChild(const std::function<int()>& scenario)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        InstallInterruptHandler();
        SetInterruptTexts(QByteArray(), QByteArray(), false);
        ::_exit(scenario());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

// A dropped session finishes the board being programmed and starts no other; only a
// second hang-up (or a Ctrl-C) stops after the current record.
TEST(HangUp, FirstHangUpFinishesTheBoardSecondStopsAfterTheRecord)
{
    EXPECT_EQ(InChild([] {
                  ::raise(SIGHUP);
                  const int first = SeenNow();
                  ::raise(SIGHUP);
                  return first << 3 | SeenNow();
              }),
              (kHungUp | kNoFurther) << 3 | (kHungUp | kInterrupted | kNoFurther));
    EXPECT_EQ(InChild([] {
                  ::raise(SIGHUP);
                  ::raise(SIGINT);
                  return SeenNow();
              }),
              kHungUp | kInterrupted | kNoFurther);
}

// Standard output into a pipe nobody reads any more (`| head`): no death by SIGPIPE; the
// output stops and counts as a hang-up.
TEST(HangUp, AClosedOutputPipeIsAHangUpNotADeath)
{
    EXPECT_EQ(InChild([] {
                  int ends[2];
                  if (::pipe(ends) != 0 || ::dup2(ends[1], STDOUT_FILENO) < 0)
                      return 100;
                  ::close(ends[0]);
                  WriteToOutput(STDOUT_FILENO, "{\"event\":\"progress\"}\n");
                  WriteToOutput(STDOUT_FILENO, "{\"event\":\"progress\"}\n");
                  return SeenNow();
              }),
              kHungUp | kNoFurther);
}

// The board processes of a gang hear of it: each gets the hang-up once.
TEST(HangUp, AHangUpReachesEveryBoardProcess)
{
    EXPECT_EQ(InChild([] {
                  int ready[2];
                  if (::pipe(ready) != 0)
                      return 100;
                  const pid_t board = ::fork();
                  if (board == 0) {
                      ::signal(SIGHUP, SIG_DFL);
                      if (::write(ready[1], "r", 1) != 1)
                          ::_exit(1);
                      for (;;)
                          ::pause();
                  }
                  char byte = 0;
                  if (::read(ready[0], &byte, 1) != 1)
                      return 101;
                  ForwardInterruptsTo(board);
                  ::raise(SIGHUP);
                  int status = 0;
                  ::waitpid(board, &status, 0);
                  return WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP ? 0 : 1;
              }),
              0);
}
