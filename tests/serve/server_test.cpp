// The HTTP API on a free port of 127.0.0.1, served from a thread of this process: the
// page, each endpoint's answer and errors, the loopback-only guards and the body limit.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include <httplib.h>

#include "description/okeelvane.h"
#include "panel.h"
#include "serve_test_support.h"
#include "web_server.h"

namespace kvtool {
namespace {

TEST(LoopbackNames, OnlyLoopbackHostsWithOptionalPortsPass) {
  for (const char* ok : {"127.0.0.1", "127.0.0.1:8080", "localhost", "LocalHost:1", "[::1]", "[::1]:65535"}) {
    EXPECT_TRUE(IsLoopbackHost(ok)) << ok;
  }
  for (const char* bad : {"", "example.com", "127.0.0.1.example.com", "localhost.evil", "127.0.0.2",
                          "[::1", "::1", "localhost:", "localhost:80x", "127.0.0.1:8080:1", "[::1]x"}) {
    EXPECT_FALSE(IsLoopbackHost(bad)) << bad;
  }
  EXPECT_TRUE(IsLoopbackOrigin("http://localhost:5000"));
  EXPECT_FALSE(IsLoopbackOrigin("https://localhost:5000"));
  EXPECT_FALSE(IsLoopbackOrigin("http://evil.example"));
  EXPECT_FALSE(IsLoopbackOrigin("null"));
}

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port = server.Bind(0);
    thread = std::thread([this] { server.Run(); });
  }
  void TearDown() override {
    server.Stop();
    thread.join();
  }

  httplib::Client Client() { return httplib::Client("127.0.0.1", port); }

  // POSTs body as JSON; the answer's status and parsed body.
  std::pair<int, Json> Post(const std::string& path, const Json& body) {
    auto res = Client().Post(path.c_str(), body.dump(), "application/json");
    if (!res) return {0, nullptr};
    return {res->status, Json::parse(res->body, nullptr, false)};
  }

  std::uint64_t Arrow() {
    auto res = Client().Get("/api/state");
    return Json::parse(res->body)["selected"].get<std::uint64_t>();
  }

  Panel panel{PluginFolder()};
  WebServer server{panel};
  int port = 0;
  std::thread thread;
};

TEST_F(ServerTest, ServesThePageAndItsFiles) {
  auto page = Client().Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_NE(page->body.find("<script src=\"/panel.js\">"), std::string::npos);
  auto script = Client().Get("/panel.js");
  EXPECT_EQ(script->status, 200);
  EXPECT_NE(script->body.find("/api/state"), std::string::npos);
  EXPECT_EQ(Client().Get("/panel.css")->status, 200);

  auto missing = Client().Get("/nothing.js");
  EXPECT_EQ(missing->status, 404);
  EXPECT_TRUE(Json::parse(missing->body).contains("error"));
  EXPECT_EQ(Client().Get("/api/nothing")->status, 404);
}

TEST_F(ServerTest, StateAndEditsAnswerWithTheNewState) {
  const std::uint64_t arrow = Arrow();
  auto [status, state] = Post("/api/set", {{"object", arrow}, {"id", ARROW_HEAD_LENGTH}, {"value", "180"}});
  EXPECT_EQ(status, 200);
  EXPECT_EQ(ParameterOf(state, "ARROW_HEAD_LENGTH")["value"], Json(180.0));
  EXPECT_EQ(state["selected"], Json(arrow));
  EXPECT_NE(state["object"]["preview"]["svg"].get<std::string>().find("<path d=\"M "), std::string::npos);

  auto picked = Client().Get(("/api/state?object=" + std::to_string(arrow)).c_str());
  EXPECT_EQ(picked->status, 200);
  EXPECT_EQ(Client().Get("/api/state?object=x1")->status, 400);
}

TEST_F(ServerTest, BadEditsAre400WithAMessageAndChangeNothing) {
  const std::uint64_t arrow = Arrow();
  const std::string before = Client().Get("/api/state")->body;
  const Json cases[] = {
      {{"object", arrow}, {"id", ARROW_HEAD_LENGTH}, {"value", "ten"}},
      {{"object", arrow}, {"id", ARROW_TAPER_HEAD}, {"value", 150}},
      {{"object", arrow}, {"id", ARROW_HEAD_LENGTH}},
      {{"object", "first"}, {"id", ARROW_HEAD_LENGTH}, {"value", 1}},
      {{"object", arrow}, {"id", 12345}, {"value", 1}},
  };
  for (const Json& body : cases) {
    auto [status, answer] = Post("/api/set", body);
    EXPECT_EQ(status, 400) << body.dump();
    EXPECT_TRUE(answer["error"].is_string()) << body.dump();
  }
  auto [status, answer] = Post("/api/set", {{"object", arrow}, {"id", ARROW_TAPER_HEAD}, {"value", 150}});
  EXPECT_NE(answer["error"].get<std::string>().find("ARROW_TAPER_HEAD: 150 is outside"), std::string::npos);

  // Not JSON, or not said to be JSON.
  auto text = Client().Post("/api/set", "{\"object\":1}", "text/plain");
  EXPECT_EQ(text->status, 400);
  EXPECT_NE(text->body.find("must be JSON"), std::string::npos);
  EXPECT_EQ(Client().Post("/api/set", "{oops", "application/json")->status, 400);
  EXPECT_EQ(Client().Get("/api/state")->body, before);
}

TEST_F(ServerTest, ButtonsMovesUndoAndRedo) {
  const std::uint64_t arrow = Arrow();
  auto [made, state] = Post("/api/press", {{"object", arrow}, {"id", ARROW_MAKE_EXTRUDE}});
  EXPECT_EQ(made, 200);
  EXPECT_EQ(state["tree"][0]["label"], "Extrude");
  auto [undone, back] = Post("/api/undo", {{"object", arrow}});
  EXPECT_EQ(undone, 200);
  EXPECT_EQ(back["tree"][0]["id"], Json(arrow));
  EXPECT_EQ(Post("/api/redo", {{"object", arrow}}).first, 200);
  EXPECT_EQ(Post("/api/redo", {{"object", arrow}}).first, 400);

  auto [added, withSpline] = Post("/api/add", {{"kind", "spline"}});
  EXPECT_EQ(added, 200);
  EXPECT_EQ(withSpline["object"]["label"], "Spline");
  const std::uint64_t spline = withSpline["selected"];
  auto [moved, after] = Post("/api/move", {{"object", spline}, {"parent", arrow}, {"last", true}});
  EXPECT_EQ(moved, 200);
  EXPECT_EQ(CountNodes(after["tree"]), 3u);
  EXPECT_EQ(Post("/api/move", {{"object", arrow}, {"parent", spline}}).first, 400);
  EXPECT_EQ(Post("/api/add", {{"kind", "teapot"}}).first, 400);

  auto [info, withBox] = Post("/api/press", {{"object", arrow}, {"id", ARROW_INFO}});
  EXPECT_EQ(info, 200);
  EXPECT_EQ(withBox["dialogs"].size(), 1u);
}

TEST_F(ServerTest, PresetSaveDownloadsAndLoadUploads) {
  const std::uint64_t arrow = Arrow();
  Post("/api/set", {{"object", arrow}, {"id", ARROW_HEAD_LENGTH}, {"value", 222}});
  auto saved = Client().Post("/api/preset/save", Json{{"object", arrow}}.dump(), "application/json");
  ASSERT_EQ(saved->status, 200);
  EXPECT_EQ(saved->get_header_value("Content-Disposition"), "attachment; filename=\"arrow.kvp\"");
  const std::string preset = saved->body;
  EXPECT_FALSE(preset.empty());

  Post("/api/press", {{"object", arrow}, {"id", ARROW_RESET}});
  const std::string path = "/api/preset/load?object=" + std::to_string(arrow) + "&name=mine.kvp";
  auto loaded = Client().Post(path.c_str(), preset, "application/octet-stream");
  ASSERT_EQ(loaded->status, 200);
  EXPECT_EQ(ParameterOf(Json::parse(loaded->body), "ARROW_HEAD_LENGTH")["value"], Json(222.0));

  auto junk = Client().Post(path.c_str(), std::string("KVP? no."), "application/octet-stream");
  EXPECT_EQ(junk->status, 400);
  EXPECT_NE(Json::parse(junk->body)["error"].get<std::string>().find("cannot load preset 'mine.kvp'"),
            std::string::npos);
  EXPECT_EQ(Client().Post(path.c_str(), "", "application/octet-stream")->status, 400);
  EXPECT_EQ(Client().Post("/api/preset/load", preset, "application/octet-stream")->status, 400);
}

TEST_F(ServerTest, ForeignHostOrOriginIsRefused) {
  auto evil = Client().Get("/api/state", {{"Host", "attacker.example:8080"}});
  ASSERT_TRUE(evil);
  EXPECT_EQ(evil->status, 403);
  EXPECT_NE(Json::parse(evil->body)["error"].get<std::string>().find("attacker.example"), std::string::npos);
  EXPECT_EQ(Client().Get("/", {{"Host", "localhost:1"}})->status, 200);
  EXPECT_EQ(Client().Get("/", {{"Host", "[::1]"}})->status, 200);

  auto cross = Client().Post("/api/add", {{"Origin", "http://attacker.example"}}, "{\"kind\":\"arrow\"}",
                             "application/json");
  EXPECT_EQ(cross->status, 403);
  EXPECT_EQ(CountNodes(Json::parse(Client().Get("/api/state")->body)["tree"]), 1u);
}

// Sends raw bytes and returns what the server answers before closing.
std::string Exchange(int port, const std::string& request) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return "";
  }
  ::send(fd, request.data(), request.size(), 0);
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<std::size_t>(n));
  ::close(fd);
  return answer;
}

TEST_F(ServerTest, UploadOverOneMebibyteIsRefusedBeforeItIsRead) {
  // Only the headers are sent: the answer comes without the server waiting for the body.
  const std::string answer = Exchange(port,
      "POST /api/preset/load?object=1 HTTP/1.1\r\nHost: 127.0.0.1\r\n"
      "Content-Type: application/octet-stream\r\nContent-Length: 1048577\r\n\r\n");
  EXPECT_EQ(answer.rfind("HTTP/1.1 413", 0), 0u) << answer;
  EXPECT_NE(answer.find("at most 1 MiB"), std::string::npos) << answer;

  // Exactly 1 MiB is read, and refused as no preset.
  const std::string path = "/api/preset/load?object=" + std::to_string(Arrow()) + "&name=big.kvp";
  auto full = Client().Post(path.c_str(), std::string(kMaxUploadBytes, 'x'), "application/octet-stream");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->status, 400);

  // A chunked body (no length announced) is refused before any of it is read.
  const std::string chunked = Exchange(port,
      "POST /api/preset/load?object=1 HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: chunked\r\n"
      "Content-Type: application/octet-stream\r\n\r\n" +
      [] {
        std::string body;
        const std::string chunk(64 * 1024, 'y');
        for (int i = 0; i < 17; ++i) body += "10000\r\n" + chunk + "\r\n";
        return body + "0\r\n\r\n";
      }());
  EXPECT_EQ(chunked.rfind("HTTP/1.1 411", 0), 0u) << chunked.substr(0, 200);
  EXPECT_NE(chunked.find("Content-Length"), std::string::npos);
}

}  // namespace
}  // namespace kvtool
