// Attacks on what the server and the panel hold, one test each, as a web page or a local
// process makes them: numbers that once broke the state, bodies past the limit, many
// ranges, idle connections, a deep tree, a long undo history. The server keeps
// answering, promptly, and the document stays whole.
#include <chrono>
#include <vector>

#include "description/okeelvane.h"
#include "panel_values.h"
#include "server_fixture.h"
#include "web_assets.h"

namespace kvtool {
namespace {

using Clock = std::chrono::steady_clock;

double HeadLength(const Json& state) { return ParameterOf(state, "ARROW_HEAD_LENGTH")["value"].get<double>(); }

TEST_F(ServerTest, ASubnormalNumberIsShownAndTheStateStaysWhole) {
  const std::uint64_t arrow = Arrow();
  const struct {
    std::int32_t id;
    const char* symbol;
    Json value;
  } cases[] = {
      {ARROW_TAPER_HEAD, "ARROW_TAPER_HEAD", 1e-310},      // shown in percent
      {KV_SPLINEOBJECT_ANGLE, "SPLINEOBJECT_ANGLE", 1e-310},  // shown in degrees
      {ARROW_TAPER_TAIL, "ARROW_TAPER_TAIL", "1e-310"},    // as typed
  };
  for (const auto& c : cases) {
    auto [status, answer] = Post("/api/set", {{"object", arrow}, {"id", c.id}, {"value", c.value}});
    EXPECT_EQ(status, 200) << c.symbol << ": " << answer.dump().substr(0, 200);
    auto state = Client().Get("/api/state");
    ASSERT_TRUE(state);
    ASSERT_EQ(state->status, 200) << c.symbol << ": " << state->body.substr(0, 200);
    EXPECT_NEAR(ParameterOf(Json::parse(state->body), c.symbol)["value"].get<double>(), 1e-310, 1e-321) << c.symbol;
  }
}

TEST_F(ServerTest, ABodyWithoutAValidLengthOrWithAnEncodingIsRefusedUnread) {
  const std::uint64_t arrow = Arrow();
  const std::string edit = Json{{"object", arrow}, {"id", ARROW_HEAD_LENGTH}, {"value", 333}}.dump();
  const std::string length = "Content-Length: " + std::to_string(edit.size()) + "\r\n";
  const std::string api = "POST /api/set HTTP/1.1\r\n" + HostLine() +
                          "X-Keelvane-Panel: 1\r\nContent-Type: application/json\r\n";
  const struct {
    const char* what;
    std::string head;
    const char* status;
  } cases[] = {
      {"no length, to a page", "POST / HTTP/1.1\r\n" + HostLine(), "411"},
      {"no length, to the API", api, "411"},
      {"chunked", api + "Transfer-Encoding: chunked\r\n", "411"},
      {"chunked, with a blank before the colon", api + "Transfer-Encoding : chunked\r\n", "400"},
      {"gzip", api + "Content-Encoding: gzip\r\n" + length, "415"},
      {"two lengths", api + length + "Content-Length: 2\r\n", "400"},
      {"a length that is no number", api + "Content-Length: 1e2\r\n", "400"},
  };
  for (const auto& c : cases) {
    const std::string answer = Exchange(port, c.head + "\r\n" + edit);
    EXPECT_EQ(answer.rfind(std::string("HTTP/1.1 ") + c.status, 0), 0u) << c.what << "\n" << answer.substr(0, 200);
  }
  EXPECT_EQ(HeadLength(State()), 100.0);

  // Text has a cap too: a megabyte name is no longer kept in every undo step.
  const auto name = [&](std::size_t bytes) {
    return Post("/api/set", {{"object", arrow}, {"id", ARROW_PRESET_NAME}, {"value", std::string(bytes, 'n')}});
  };
  auto [status, refusal] = name(1025);
  EXPECT_EQ(status, 400);
  EXPECT_NE(refusal["error"].get<std::string>().find("1025 bytes; at most 1024"), std::string::npos) << refusal;
  EXPECT_EQ(name(1024).first, 200);
}

TEST_F(ServerTest, ManyRangesGetTheWholeAnswerOnce) {
  std::string ranges = "Range: bytes=-";
  for (int i = 1; i < 4070; ++i) ranges += ",-";
  const WebAsset* script = FindWebAsset("/panel.js");
  const struct {
    const char* path;
    std::size_t bytes;  // 0: a JSON state
  } cases[] = {{"/panel.js", script->size}, {"/api/state", 0}};
  for (const auto& c : cases) {
    const std::string answer = Exchange(port, std::string("GET ") + c.path + " HTTP/1.1\r\n" + HostLine() +
                                                  "X-Keelvane-Panel: 1\r\n" + ranges + "\r\n\r\n");
    ASSERT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << c.path << "\n" << answer.substr(0, 200);
    const std::string body = answer.substr(answer.find("\r\n\r\n") + 4);
    if (c.bytes > 0) EXPECT_EQ(body.size(), c.bytes) << c.path;
    else EXPECT_TRUE(Json::parse(body, nullptr, false).is_object()) << body.substr(0, 200);
  }
}

TEST_F(ServerTest, IdleConnectionsDelayNoAnswerAndAreDroppedWithinTheHeadDeadline) {
  // More than the server holds at once, opened in a burst, none sending a byte.
  std::vector<int> idle;
  const auto opened = Clock::now();
  for (int i = 0; i < 1100; ++i) idle.push_back(Connect(port));
  ASSERT_TRUE(std::all_of(idle.begin(), idle.end(), [](int fd) { return fd >= 0; }));
  const auto asked = Clock::now();
  auto res = Client().Get("/api/state");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_LT(Clock::now() - asked, std::chrono::seconds(1));

  // The deadline counts from the accept: each is closed a second after it opened (and
  // 1.5 s more for a loaded machine).
  const auto dropBy = opened + std::chrono::milliseconds(2500);
  char byte;
  for (const int fd : idle) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(dropBy - Clock::now()).count();
    timeval wait{0, 0};
    wait.tv_sec = std::max<long>(0, static_cast<long>(left)) / 1000000;
    wait.tv_usec = std::max<long>(1000, static_cast<long>(left) % 1000000);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    EXPECT_EQ(::recv(fd, &byte, 1, 0), 0) << "an idle connection stayed open";
    ::close(fd);
  }
}

TEST_F(ServerTest, ADeepTreeIsServedAndAMoveNestsNoDeeperThanTheLimit) {
  // Each new null takes the tree so far under it: put there by the host's tables (no
  // undo) up to 99 levels, then by the page's drags.
  KvNode* top = panel.Find(Arrow());
  const KvHostTables* host = kvhost::HostTables();
  const auto nestUnderANewNull = [&] {
    KvNode* null = kvhost::AllocObject(KV_TYPE_NULL);
    host->t_C4DOS_Bl->Remove(top);
    host->t_C4DOS_Bd->InsertObject(panel.Document(), null, nullptr, nullptr);
    host->t_C4DOS_Bl->InsertUnder(top, null);
    top = null;
  };
  for (std::size_t levels = 1; levels < kMaxNesting - 1; ++levels) nestUnderANewNull();
  const struct {
    int status;
    const char* says;
  } drags[] = {{200, ""}, {400, "would nest objects 101 levels deep; the panel allows at most 100"}};
  for (const auto& drag : drags) {
    const std::uint64_t null = Post("/api/add", {{"kind", "null"}}).second["selected"];
    auto [moved, answer] = Post("/api/move", {{"object", kvhost::ObjectSerial(top)}, {"parent", null}});
    EXPECT_EQ(moved, drag.status);
    EXPECT_NE(answer.value("error", "").find(drag.says), std::string::npos) << answer.value("error", "");
    if (moved == 200) top = panel.Find(null);
  }
  // Far deeper, made by the host itself: walked and written without a recursion.
  constexpr std::size_t kDeeper = 30000;
  for (std::size_t i = 0; i < kDeeper; ++i) nestUnderANewNull();
  auto res = Client().Get("/api/state");
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200);
  // The arrow, 99 nulls above it, the one whose drag was refused, and the host's, each in
  // the tree with its children.
  std::size_t inTree = 0;
  for (std::size_t at = res->body.find("\"children\":"); at != std::string::npos;
       at = res->body.find("\"children\":", at + 1)) {
    ++inTree;
  }
  EXPECT_EQ(inTree, kMaxNesting + 1 + kDeeper);
}

// The edits go to the server's panel directly (each answer over HTTP would be a
// megabyte); the state is asked of the server.
TEST_F(ServerTest, TheUndoHistoryKeepsItsNewestStepsWithinItsLimits) {
  const std::uint64_t arrow = Arrow();
  for (int length = 1; length <= 110; ++length) panel.Set(arrow, ARROW_HEAD_LENGTH, length);
  EXPECT_EQ(State()["undo"]["undo"], 100);
  // The oldest ten steps went: undoing every step left goes back to the tenth edit.
  for (int i = 0; i < 100; ++i) panel.Undo();
  EXPECT_EQ(HeadLength(State()), 10.0);
  EXPECT_EQ(Post("/api/undo", {{"object", arrow}}).first, 400);

  // A name of a megabyte (a preset can carry one) in every step: 32 MiB keep about 33.
  kvhost::SetParameterRaw(kvhost::Container(panel.Find(arrow)), ARROW_PRESET_NAME, std::string(1000000, 'n'));
  for (int length = 1; length <= 40; ++length) panel.Set(arrow, ARROW_HEAD_LENGTH, length);
  const std::size_t kept = State()["undo"]["undo"];
  EXPECT_LE(kept, 33u);
  EXPECT_GE(kept, 30u);
}

}  // namespace
}  // namespace kvtool
