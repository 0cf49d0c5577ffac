#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/support/CannedHttpServer.h"
#include "update/UpdateTransport.h"

namespace hw {
namespace {

using test::CannedHttpServer;
using test::HttpOk;

TEST(CurlTransportTest, APlainUncachedGetWithTheAgentThatFollowsRedirects) {
  CannedHttpServer server(
      {"HTTP/1.1 302 Found\r\nLocation: /moved.html\r\nContent-Length: 0\r\n"
       "Connection: close\r\n\r\n",
       HttpOk("<!--hvw_ver=201-->")});
  std::optional<std::string> page = CurlTransport().Fetch(server.Url(), 1024);
  ASSERT_TRUE(page.has_value());
  EXPECT_EQ(*page, "<!--hvw_ver=201-->");
  ASSERT_EQ(server.Requests().size(), 2u);
  const std::string& first = server.Requests()[0];
  EXPECT_EQ(first.rfind("GET /version.html HTTP/1.1\r\n", 0), 0u) << first;
  for (const char* header : {"User-Agent: Mozilla/2.0 (Update)\r\n", "Cache-Control: no-cache\r\n",
                             "Pragma: no-cache\r\n"})
    EXPECT_NE(first.find(header), std::string::npos) << header;
  EXPECT_EQ(server.Requests()[1].rfind("GET /moved.html ", 0), 0u);
}

TEST(CurlTransportTest, OnlyTheFirstBytesOfALongPageAreKept) {
  std::string body(1000, 'x');
  body += "<!--hvw_ver=201-->";
  body += std::string(200000, 'y');
  CannedHttpServer server({HttpOk(body)});
  std::optional<std::string> page = CurlTransport().Fetch(server.Url(), 1024);
  ASSERT_TRUE(page.has_value());
  EXPECT_EQ(*page, body.substr(0, 1024));
}

TEST(CurlTransportTest, AMissingPageOrAClosedPortCannotBeOpened) {
  {
    CannedHttpServer server(
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n"
         "Connection: close\r\n\r\nnot found"});
    EXPECT_EQ(CurlTransport().Fetch(server.Url(), 1024), std::nullopt);
  }
  // A port that was just free: the connection is refused at once.
  int port = 0;
  {
    CannedHttpServer unused({});
    port = std::stoi(unused.Url("").substr(std::string("http://127.0.0.1:").size()));
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(CurlTransport().Fetch("http://127.0.0.1:" + std::to_string(port) + "/", 1024),
            std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

  EXPECT_EQ(CurlTransport().Fetch("file:///etc/hostname", 1024), std::nullopt)
      << "only http and https are fetched";
}

TEST(CurlTransportTest, AnAbortEndsAFetchThatWaitsForASilentServer) {
  // A server that takes the connection and never answers.
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";

  CurlTransport transport;
  std::optional<std::string> page = "not yet";
  std::thread fetch([&] { page = transport.Fetch(url, 1024); });
  pollfd waiting{listener, POLLIN, 0};
  ASSERT_EQ(::poll(&waiting, 1, 10000), 1) << "the transport never connected";
  const int client = ::accept(listener, nullptr, nullptr);
  const auto aborted = std::chrono::steady_clock::now();
  transport.Abort();
  fetch.join();
  EXPECT_LT(std::chrono::steady_clock::now() - aborted, std::chrono::seconds(3));
  EXPECT_EQ(page, std::nullopt);
  EXPECT_EQ(transport.Fetch(url, 1024), std::nullopt) << "an aborted transport fetches no more";
  ::close(client);
  ::close(listener);
}

}  // namespace
}  // namespace hw
