// The host's side of a contour, safe from many threads at once as the threads check
// needs it: splines made and freed, framework memory and strings, all accounted.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "host.h"
#include "host_strings.h"

namespace {

TEST(HostThreads, SplinesMemoryAndStringsFromEightThreadsAreAllAccounted) {
  kvhost::ResetHost();
  constexpr int kThreads = 8;
  constexpr int kRounds = 20000;
  const KvGeneralTable* ge = kvhost::HostTables()->t_C4DOS_Ge;
  std::atomic<bool> go{false};  // every thread starts at once, so that they overlap
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([ge, &go] {
      while (!go.load()) std::this_thread::yield();
      for (int i = 0; i < kRounds; ++i) {
        KvNode* spline = kvhost::AllocSpline(7);
        void* memory = ge->Alloc(16);
        KvString* text = kvhost::NewString("outline");
        kvhost::FreeString(text);
        ge->Free(memory);
        kvhost::FreeObject(spline);
      }
    });
  }
  go = true;
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(kvhost::TotalAllocations(kvhost::AllocKind::Spline), kThreads * kRounds);
  EXPECT_EQ(kvhost::TotalAllocations(kvhost::AllocKind::Memory), kThreads * kRounds);
  EXPECT_EQ(kvhost::TotalAllocations(kvhost::AllocKind::String), kThreads * kRounds);
  EXPECT_EQ(kvhost::LiveAllocations(), 0);
  EXPECT_TRUE(kvhost::HostErrors().empty());
  kvhost::ResetHost();
}

}  // namespace
