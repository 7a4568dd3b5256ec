// The HTTP interface in process: answers to good and bad hits, the token,
// the dashboard and the exports.
#include <gtest/gtest.h>
#include <httplib.h>

#include <random>
#include <thread>

#include "collector/server.h"
#include "store_backends.h"
#include "test_hits.h"

namespace collector {
namespace {

class ServerTest : public testing::Test {
 protected:
  void Start(const std::string& token) {
    store_ = std::make_unique<Store>(OpenSqlConnection(db_.url()));
    queue_ = std::make_unique<IngestQueue>(*store_, 400);
    std::string url = db_.url();
    server_ = std::make_unique<CollectorServer>(
        ServerOptions{token, [url] { return std::make_unique<Store>(OpenSqlConnection(url), false); }},
        *queue_);
    port_ = server_->Bind("127.0.0.1", 0);
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_->Listen(); });
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
    for (int i = 0; i < 100 && !client_->Get("/healthz"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  void TearDown() override {
    if (server_) server_->Stop();
    if (thread_.joinable()) thread_.join();
  }
  int Post(const std::string& body) {
    httplib::Headers headers = {{"User-Agent", kAgent64}};
    auto res = client_->Post("/", headers, body, "application/x-www-form-urlencoded; charset=utf-8");
    return res ? res->status : -1;
  }
  int GetStatus(const std::string& path, const httplib::Headers& headers = {}) {
    auto res = client_->Get(path.c_str(), headers);
    return res ? res->status : -1;
  }

  ScratchDatabase db_{Backend::kSqlite};
  std::unique_ptr<Store> store_;
  std::unique_ptr<IngestQueue> queue_;
  std::unique_ptr<CollectorServer> server_;
  std::unique_ptr<httplib::Client> client_;
  std::thread thread_;
  int port_ = 0;
};

TEST_F(ServerTest, StoresValidHitsRefusesTheRestAndNeverFailsWithA5xx) {
  Start("");
  EXPECT_EQ(Post(Body({})), 204);
  EXPECT_EQ(Post(Body({{"t", "screenview"}, {"lb", "Welcome & more"}})), 204);
  EXPECT_EQ(Post(Body({{"v", "1"}})), 400);
  EXPECT_EQ(Post(Body({{"exdt", std::string(kMaxBodyBytes, 'x')}})), 413);
  // Random bytes and mangled real bodies: answered, never with a 5xx.
  std::mt19937 random(7);
  for (int i = 0; i < 300; ++i) {
    std::string body = Body({{"t", "exception"}, {"exdt", "a+b%c"}});
    for (int k = 0; k < 4; ++k) body[random() % body.size()] = static_cast<char>(random() % 256);
    int status = Post(i % 3 ? body : body.substr(0, random() % body.size()));
    EXPECT_TRUE(status == 204 || status == 400) << status;
  }
  EXPECT_EQ(Post(Body({})), 204);  // still serving
  auto summary = client_->Get("/api/summary");
  ASSERT_TRUE(summary);
  EXPECT_EQ(summary->status, 200);
  Summary s = store_->Summarize({});
  EXPECT_GE(s.hits, 3);
  EXPECT_GE(s.rejected, 2);
  EXPECT_EQ(summary->body.find(R"({"hits":)" + std::to_string(s.hits) + R"(,"rejected":)" +
                               std::to_string(s.rejected)),
            0u);
  EXPECT_EQ(GetStatus("/api/summary?since=yesterday"), 400);
}

TEST_F(ServerTest, TheTokenGuardsEverythingButIngestionAndHealth) {
  Start("s3cret-token");
  EXPECT_EQ(Post(Body({})), 204);
  EXPECT_EQ(GetStatus("/healthz"), 200);
  for (const char* path : {"/", "/api/summary", "/export/hits.csv", "/export/sessions.csv"}) {
    EXPECT_EQ(GetStatus(path), 401) << path;
    EXPECT_EQ(GetStatus(path, {{"Authorization", "Bearer s3cret-tokeN"}}), 401) << path;
    EXPECT_EQ(GetStatus(path, {{"Authorization", "Bearer s3cret-token"}}), 200) << path;
  }
  EXPECT_EQ(GetStatus("/?token=wrong"), 401);
  auto res = client_->Get("/?token=s3cret-token");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  std::string cookie = res->get_header_value("Set-Cookie");
  EXPECT_NE(cookie.find("plumeta_token=s3cret-token"), std::string::npos);
  EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
  EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
  EXPECT_EQ(GetStatus("/api/summary", {{"Cookie", "a=b; plumeta_token=s3cret-token"}}), 200);
  EXPECT_EQ(GetStatus("/api/summary", {{"Cookie", "plumeta_token=s3cret"}}), 401);
}

TEST_F(ServerTest, DashboardAndExportsShowTheFilteredInstallations) {
  Start("");
  std::string sid = SessionId(9);
  EXPECT_EQ(Post(Body({{"sid", sid}})), 204);
  EXPECT_EQ(Post(Body({{"sid", sid}, {"t", "screenview"}, {"lb", "<Licence>"}})), 204);
  EXPECT_EQ(Post(Body({{"sid", sid}, {"lc", "end"}, {"ls", "user abort"}})), 204);
  EXPECT_EQ(Post(Body({{"sid", SessionId(10)}, {"av", "7.0.0"}})), 204);
  auto page = client_->Get("/?version=6.1.0");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
  const std::string& html = page->body;
  EXPECT_NE(html.find("<svg"), std::string::npos);
  EXPECT_NE(html.find("&lt;Licence&gt;"), std::string::npos);
  EXPECT_EQ(html.find("<Licence>"), std::string::npos);
  EXPECT_NE(html.find("href=\"/export/sessions.csv?version=6.1.0\""), std::string::npos);
  EXPECT_NE(html.find("value=\"6.1.0\""), std::string::npos);
  EXPECT_EQ(html.find("7.0.0"), std::string::npos);
  // Nothing is loaded from elsewhere and nothing needs a script.
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("src="), std::string::npos);
  EXPECT_EQ(html.find("@import"), std::string::npos);
  auto csv = client_->Get("/export/hits.csv?version=6.1.0");
  ASSERT_TRUE(csv);
  EXPECT_EQ(csv->body.substr(0, 14), "received,made,");
  EXPECT_EQ(std::count(csv->body.begin(), csv->body.end(), '\n'), 4);
}

}  // namespace
}  // namespace collector
