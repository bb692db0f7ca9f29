// The HTTP API on a free port of 127.0.0.1, served from a thread of this process: the
// page, each endpoint's answer and errors, the loopback-only guards and the body limit.
#include "description/okeelvane.h"
#include "server_fixture.h"

namespace kvtool {
namespace {

TEST(PanelNames, OnlyLoopbackHostsWithTheServersPortPass) {
  for (const char* ok : {"127.0.0.1:8080", "localhost:8080", "LocalHost:8080", "[::1]:8080"}) {
    EXPECT_TRUE(IsPanelHost(ok, 8080)) << ok;
  }
  for (const char* bad : {"", "127.0.0.1", "localhost", "127.0.0.1:8081", "localhost:80800", "example.com:8080",
                          "127.0.0.1.example.com:8080", "127.0.0.2:8080", "[::1", "::1:8080", "localhost:",
                          "127.0.0.1:8080:1", "[::1]x:8080"}) {
    EXPECT_FALSE(IsPanelHost(bad, 8080)) << bad;
  }
  EXPECT_TRUE(IsPanelHost("localhost", 80));
  EXPECT_TRUE(IsPanelOrigin("http://localhost:5000", 5000));
  EXPECT_FALSE(IsPanelOrigin("http://localhost:5001", 5000));
  EXPECT_FALSE(IsPanelOrigin("https://localhost:5000", 5000));
  EXPECT_FALSE(IsPanelOrigin("http://evil.example:5000", 5000));
  EXPECT_FALSE(IsPanelOrigin("null", 5000));
}

TEST_F(ServerTest, ServesThePageAndItsFiles) {
  auto page = Client().Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->Header("Content-Type"), "text/html; charset=utf-8");
  EXPECT_NE(page->body.find("<script src=\"/panel.js\">"), std::string::npos);
  auto script = Client().Get("/panel.js");
  EXPECT_EQ(script->status, 200);
  EXPECT_NE(script->body.find("/api/state"), std::string::npos);
  EXPECT_EQ(Client().Get("/panel.css")->status, 200);
  // The page names its icon, so that the browser asks for no other.
  EXPECT_NE(page->body.find("href=\"/favicon.svg\""), std::string::npos);
  EXPECT_EQ(Client().Get("/favicon.svg")->Header("Content-Type"), "image/svg+xml");

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

  auto picked = Client().Get("/api/state?object=" + std::to_string(arrow));
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
  EXPECT_NE(answer["error"].get<std::string>().find("Taper at Head: 150 is outside"), std::string::npos);
  EXPECT_EQ(answer["parameter"], ARROW_TAPER_HEAD) << "the page marks the field";

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
  EXPECT_EQ(state["tree"][0]["label"], "Extrude 1");
  auto [undone, back] = Post("/api/undo", {{"object", arrow}});
  EXPECT_EQ(undone, 200);
  EXPECT_EQ(back["tree"][0]["id"], Json(arrow));
  EXPECT_EQ(Post("/api/redo", {{"object", arrow}}).first, 200);
  EXPECT_EQ(Post("/api/redo", {{"object", arrow}}).first, 400);

  auto [added, withSpline] = Post("/api/add", {{"kind", "spline"}});
  EXPECT_EQ(added, 200);
  EXPECT_EQ(withSpline["object"]["label"], "Spline 1");
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

// Two tabs: each answer tells the document's version, so that a tab sees another's
// change, and an undo from a tab that has not seen it is refused.
TEST_F(ServerTest, AnswersCarryTheVersionAndAStaleUndoIsRefused) {
  const std::uint64_t arrow = Arrow();
  const auto page = Client().Get("/");
  const std::uint64_t seen = std::stoull(page->Header(kVersionHeader));
  auto [edited, state] = Post("/api/set", {{"object", arrow}, {"id", ARROW_HEAD_LENGTH}, {"value", 222}});
  EXPECT_EQ(edited, 200);
  const std::uint64_t now = state["version"];
  EXPECT_GT(now, seen);
  EXPECT_EQ(Json::parse(Client().Get("/api/version")->body)["version"], Json(now));

  auto [stale, refusal] = Post("/api/undo", {{"object", arrow}, {"version", seen}});
  EXPECT_EQ(stale, 409);
  EXPECT_NE(refusal["error"].get<std::string>().find("changed in another tab"), std::string::npos);
  EXPECT_EQ(ParameterOf(State(), "ARROW_HEAD_LENGTH")["value"], Json(222.0));
  EXPECT_EQ(Post("/api/undo", {{"object", arrow}, {"version", now}}).first, 200);
}

TEST_F(ServerTest, PresetSaveDownloadsAndLoadUploads) {
  const std::uint64_t arrow = Arrow();
  Post("/api/set", {{"object", arrow}, {"id", ARROW_HEAD_LENGTH}, {"value", 222}});
  auto saved = Client().Post("/api/preset/save", Json{{"object", arrow}}.dump(), "application/json");
  ASSERT_EQ(saved->status, 200);
  EXPECT_EQ(saved->Header("Content-Disposition"), "attachment; filename=\"arrow.kvp\"");
  const std::string preset = saved->body;
  EXPECT_FALSE(preset.empty());

  Post("/api/press", {{"object", arrow}, {"id", ARROW_RESET}});
  const std::string path = "/api/preset/load?object=" + std::to_string(arrow) + "&name=mine.kvp";
  auto loaded = Client().Post(path, preset, "application/octet-stream");
  ASSERT_EQ(loaded->status, 200);
  EXPECT_EQ(ParameterOf(Json::parse(loaded->body), "ARROW_HEAD_LENGTH")["value"], Json(222.0));

  auto junk = Client().Post(path, std::string("KVP? no."), "application/octet-stream");
  EXPECT_EQ(junk->status, 400);
  EXPECT_NE(Json::parse(junk->body)["error"].get<std::string>().find("cannot load preset 'mine.kvp'"),
            std::string::npos);
  EXPECT_EQ(Client().Post(path, "", "application/octet-stream")->status, 400);
  EXPECT_EQ(Client().Post("/api/preset/load", preset, "application/octet-stream")->status, 400);
}

TEST_F(ServerTest, ForeignHostOrOriginIsRefused) {
  auto evil = Client().Get("/api/state", {{"Host", "attacker.example:8080"}});
  ASSERT_TRUE(evil);
  EXPECT_EQ(evil->status, 403);
  EXPECT_NE(Json::parse(evil->body)["error"].get<std::string>().find("attacker.example"), std::string::npos);
  const std::string colonPort = ":" + std::to_string(port);
  EXPECT_EQ(Client().Get("/", {{"Host", "localhost" + colonPort}})->status, 200);
  EXPECT_EQ(Client().Get("/", {{"Host", "[::1]" + colonPort}})->status, 200);
  EXPECT_EQ(Client().Get("/", {{"Host", "localhost:1"}})->status, 403);

  auto cross = Client().Post("/api/add", "{\"kind\":\"arrow\"}", "application/json",
                             {{"Origin", "http://attacker.example"}});
  EXPECT_EQ(cross->status, 403);
  EXPECT_EQ(CountNodes(Json::parse(Client().Get("/api/state")->body)["tree"]), 1u);
}

TEST_F(ServerTest, UploadOverOneMebibyteIsRefusedBeforeItIsRead) {
  // Only the headers are sent: the answer comes without the server waiting for the body.
  const std::string answer = Exchange(port,
      "POST /api/preset/load?object=1 HTTP/1.1\r\n" + HostLine() + "X-Keelvane-Panel: 1\r\n"
      "Content-Type: application/octet-stream\r\nContent-Length: 1048577\r\n\r\n");
  EXPECT_EQ(answer.rfind("HTTP/1.1 413", 0), 0u) << answer;
  EXPECT_NE(answer.find("at most 1 MiB"), std::string::npos) << answer;

  // Exactly 1 MiB is read, and refused as no preset.
  const std::string path = "/api/preset/load?object=" + std::to_string(Arrow()) + "&name=big.kvp";
  auto full = Client().Post(path, std::string(kMaxUploadBytes, 'x'), "application/octet-stream");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->status, 400);

  // A chunked body (no length announced) is refused before any of it is read.
  const std::string chunked = Exchange(port,
      "POST /api/preset/load?object=1 HTTP/1.1\r\n" + HostLine() + "X-Keelvane-Panel: 1\r\nTransfer-Encoding: chunked\r\n"
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
