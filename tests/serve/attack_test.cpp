// Attacks on the panel's server as a local process or another page in the user's
// browser would make them, one test each, and the harm none of them may do: the server
// keeps answering, the document stays as it was, the answers carry their guards.
#include <chrono>
#include <filesystem>
#include <vector>

#include "description/okeelvane.h"
#include "server_fixture.h"

namespace kvtool {
namespace {

using Clock = std::chrono::steady_clock;

double HeadLength(const Json& state) { return ParameterOf(state, "ARROW_HEAD_LENGTH")["value"].get<double>(); }

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST_F(ServerTest, DeepOrHugeJsonIsRefusedShortAndTheServerLives) {
  const std::string arrow = std::to_string(Arrow());
  const std::string head = "{\"object\":" + arrow + ",\"id\":" + std::to_string(ARROW_HEAD_LENGTH) + ",\"value\":";
  const struct {
    std::string value;
    std::string says;
  } cases[] = {
      // Deeper than the writer's stack once crashed the server on quoting it back.
      {std::string(60000, '[') + std::string(60000, ']'), "nested deeper than 64"},
      {std::string(60, '[') + std::string(60, ']'), "expects a number, not a list"},
      {"\"" + std::string(100000, '7') + "x\"", "'77777777"},
  };
  for (const auto& c : cases) {
    auto res = Client().Post("/api/set", head + c.value + "}", "application/json");
    ASSERT_TRUE(res) << c.says;
    EXPECT_EQ(res->status, 400) << c.says;
    EXPECT_NE(res->body.find(c.says), std::string::npos) << res->body.substr(0, 200);
    EXPECT_LT(res->body.size(), 300u) << c.says;
  }
  EXPECT_EQ(HeadLength(State()), 100.0);
}

TEST_F(ServerTest, ARefusedRequestsBodyIsNeverReadAsTheNextRequest) {
  const std::string edit = Json{{"object", Arrow()}, {"id", ARROW_HEAD_LENGTH}, {"value", 333}}.dump();
  const std::string smuggled = "POST /api/set HTTP/1.1\r\n" + HostLine() +
                               "X-Keelvane-Panel: 1\r\nContent-Type: application/json\r\nContent-Length: " +
                               std::to_string(edit.size()) + "\r\n\r\n" + edit;
  const std::string length = "Content-Length: " + std::to_string(smuggled.size()) + "\r\n";
  const std::string refusedHeads[] = {
      HostLine() + "Origin: http://attacker.example\r\n" + length,
      "Host: attacker.example\r\n" + length,
      HostLine() + "X-Keelvane-Panel: 1\r\nTransfer-Encoding: chunked\r\n",
      HostLine() + length,  // no panel header
  };
  for (const std::string& heads : refusedHeads) {
    // The head alone, its answer, then the body, as a browser sends a blob a moment later.
    const int fd = Connect(port);
    const std::string head = "POST /api/press HTTP/1.1\r\n" + heads + "Content-Type: text/plain\r\n\r\n";
    ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    timeval wait{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    std::string answer;
    char buffer[4096];
    ssize_t n = 0;
    while (answer.find("}") == std::string::npos && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
      answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::send(fd, smuggled.data(), smuggled.size(), MSG_NOSIGNAL);
    while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) answer.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    EXPECT_EQ(answer.rfind("HTTP/1.1 4", 0), 0u) << heads << answer.substr(0, 100);
    EXPECT_EQ(Count(answer, "HTTP/1.1 "), 1u) << heads << answer.substr(0, 300);
  }
  EXPECT_EQ(HeadLength(State()), 100.0);
}

TEST_F(ServerTest, RequestsAnotherPageCanMakeChangeNothing) {
  const std::uint64_t arrow = Arrow();
  Post("/api/set", {{"object", arrow}, {"id", ARROW_PRESET_NAME}, {"value", "mine"}});
  auto saved = Client().Post("/api/preset/save", Json{{"object", arrow}}.dump(), "application/json");
  Post("/api/set", {{"object", arrow}, {"id", ARROW_PRESET_NAME}, {"value", "kept"}});
  panel.Press(arrow, ARROW_INFO);  // a message box that the page has not been shown yet
  const std::string load = "/api/preset/load?object=" + std::to_string(arrow);
  const std::string other = "http://localhost:" + std::to_string(port + 1);

  // What a browser sends for another page's fetch(..., {mode: 'no-cors'}), form or tag.
  const struct {
    const char* what;
    std::string method, path, body, type;
    Headers headers;
  } cases[] = {
      {"a preset from a page on another port", "POST", load, saved->body, "application/octet-stream",
       {{"Origin", other}, {kPanelHeader, "1"}}},
      {"a preset as a no-cors blob", "POST", load, saved->body, "text/plain", {{"Origin", other}}},
      {"a preset from the same site", "POST", load, saved->body, "application/octet-stream",
       {{"Sec-Fetch-Site", "same-site"}, {kPanelHeader, "1"}}},
      {"a form's upload", "POST", load, "--b\r\nContent-Disposition: form-data; name=\"f\"; filename=\"x.kvp\"\r\n\r\n" +
       saved->body + "\r\n--b--\r\n", "multipart/form-data; boundary=b", {}},
      {"a script tag reading the state", "GET", "/api/state", "", "", {{"Sec-Fetch-Site", "cross-site"}}},
      {"a plain GET of the state", "GET", "/api/state", "", "", {}},
  };
  const kvtool::Client bare(port, {});
  for (const auto& c : cases) {
    auto res = c.method == "GET" ? bare.Get(c.path, c.headers) : bare.Post(c.path, c.body, c.type, c.headers);
    ASSERT_TRUE(res) << c.what;
    EXPECT_EQ(res->status, 403) << c.what << ": " << res->body;
  }
  const Json state = State();
  EXPECT_EQ(ParameterOf(state, "ARROW_PRESET_NAME")["value"], "kept");
  EXPECT_EQ(state["dialogs"].size(), 1u);
}

TEST_F(ServerTest, EveryAnswerForbidsFramingSniffingAndEmbedding) {
  const std::string requests[] = {
      "GET / HTTP/1.1\r\n" + HostLine() + "\r\n",
      "GET /panel.js HTTP/1.1\r\n" + HostLine() + "\r\n",
      "GET /api/state HTTP/1.1\r\n" + HostLine() + "X-Keelvane-Panel: 1\r\n\r\n",
      "GET /nothing.js HTTP/1.1\r\n" + HostLine() + "\r\n",
      "GET / HTTP/1.1\r\nHost: attacker.example\r\n\r\n",
      "NONSENSE\r\n\r\n",
  };
  for (const std::string& request : requests) {
    const std::string answer = Exchange(port, request);
    for (const char* header : {"Content-Security-Policy: default-src 'self'; frame-ancestors 'none'",
                               "X-Frame-Options: DENY", "X-Content-Type-Options: nosniff",
                               "Referrer-Policy: no-referrer", "Cross-Origin-Resource-Policy: same-origin",
                               "X-Keelvane-Version: "}) {
      EXPECT_NE(answer.find(header), std::string::npos) << request << "lacks " << header << "\n" << answer.substr(0, 400);
    }
  }
}

TEST_F(ServerTest, SlowClientsHoldOnlyThemselvesAndNotTheStop) {
  // 32 clients that send their request head a byte at a time, slower than any idle
  // timeout would notice.
  std::vector<int> slow;
  const auto connecting = Clock::now();
  for (int i = 0; i < 32; ++i) slow.push_back(Connect(port));
  EXPECT_LT(Clock::now() - connecting, std::chrono::seconds(1)) << "a burst of connections waits to be accepted";
  std::atomic<bool> trickling{true};
  std::thread trickle([&] {
    while (trickling) {
      for (const int fd : slow) ::send(fd, "G", 1, MSG_NOSIGNAL);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const auto asked = Clock::now();
  auto res = Client().Get("/api/state");
  EXPECT_TRUE(res && res->status == 200);
  EXPECT_LT(Clock::now() - asked, std::chrono::seconds(1));

  // Each is dropped once its time for a head has passed, counted from its accept: a
  // byte now and then does not extend it.
  char byte;
  const auto dropBy = connecting + std::chrono::milliseconds(1000 + 1500);  // 1 s and some
  for (const int fd : slow) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(dropBy - Clock::now()).count();
    timeval wait{0, std::max<long>(1000, static_cast<long>(left))};
    wait.tv_sec = wait.tv_usec / 1000000;
    wait.tv_usec %= 1000000;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    EXPECT_LE(::recv(fd, &byte, 1, 0), 0);
  }
  EXPECT_LT(Clock::now(), dropBy) << "slow clients were not dropped";

  // A stop does not wait for a client in the middle of its request.
  const int late = Connect(port);
  ::send(late, "GET / HT", 8, MSG_NOSIGNAL);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto stopping = Clock::now();
  server.Stop();
  thread.join();
  EXPECT_LT(Clock::now() - stopping, std::chrono::seconds(2));
  trickling = false;
  trickle.join();
  for (const int fd : slow) ::close(fd);
  ::close(late);
}

TEST_F(ServerTest, ALongPresetNameSavesUnderANameCutOnAWholeCharacter) {
  const std::uint64_t arrow = Arrow();
  std::string e200, e49;
  for (int i = 0; i < 200; ++i) e200 += "\xC3\xA9";  // é
  for (int i = 0; i < 49; ++i) e49 += "%C3%A9";
  const struct {
    std::string name, fileName;
  } cases[] = {
      {e200, e49 + "%C3%A9.kvp"},  // 100 bytes: 50 whole characters
      {"a" + e200, "a" + e49 + ".kvp"},  // 99 bytes: the 50th would be cut in two
      {"../" + std::string(300, 'x'), "___" + std::string(97, 'x') + ".kvp"},
  };
  for (const auto& c : cases) {
    Post("/api/set", {{"object", arrow}, {"id", ARROW_PRESET_NAME}, {"value", c.name}});
    // Raw, since the library's client would decode the header's percent signs.
    const std::string save = Json{{"object", arrow}}.dump();
    const std::string answer = Exchange(port, "POST /api/preset/save HTTP/1.1\r\n" + HostLine() +
                                                  "X-Keelvane-Panel: 1\r\nContent-Type: application/json\r\n"
                                                  "Content-Length: " + std::to_string(save.size()) + "\r\n\r\n" + save);
    EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer.substr(0, 300);
    const std::string expected = c.fileName.find('%') == std::string::npos ? "filename=\"" + c.fileName + "\"\r\n"
                                                                          : "filename*=UTF-8''" + c.fileName + "\r\n";
    EXPECT_NE(answer.find(expected), std::string::npos) << answer.substr(0, 600);
  }
}

TEST_F(ServerTest, AMultipartUploadLoadsItsFileIntoAPrivateFolder) {
  const std::uint64_t arrow = Arrow();
  Post("/api/set", {{"object", arrow}, {"id", ARROW_HEAD_LENGTH}, {"value", 222}});
  auto saved = Client().Post("/api/preset/save", Json{{"object", arrow}}.dump(), "application/json");
  Post("/api/press", {{"object", arrow}, {"id", ARROW_RESET}});
  // As a browser's form sends it: a field, then the file.
  const auto form = [](const std::string& fileName, const std::string& content) {
    return "--b0\r\nContent-Disposition: form-data; name=\"note\"\r\n\r\nhello\r\n"
           "--b0\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + fileName +
           "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n--b0--\r\n";
  };
  const std::string load = "/api/preset/load?object=" + std::to_string(arrow);
  auto loaded = Client().Post(load, form("mine.kvp", saved->body), "multipart/form-data; boundary=b0");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->status, 200) << loaded->body;
  EXPECT_EQ(HeadLength(Json::parse(loaded->body)), 222.0);
  EXPECT_EQ(std::filesystem::status(panel.Scratch()).permissions(), std::filesystem::perms::owner_all);

  auto refused = Client().Post(load, form("notes.txt", "no preset"), "multipart/form-data; boundary=\"b0\"");
  EXPECT_EQ(refused->status, 400);
  EXPECT_NE(refused->body.find("'notes.txt'"), std::string::npos) << refused->body;
  EXPECT_EQ(refused->body.find(panel.Scratch().string()), std::string::npos) << refused->body;
}

}  // namespace
}  // namespace kvtool
