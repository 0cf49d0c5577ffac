// WinINet against a server on 127.0.0.1; run under Wine on Linux.

#include "update/WinInetTransport.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/CannedHttpServer.h"

namespace hw {
namespace {

using test::CannedHttpServer;
using test::HttpOk;

TEST(WinInetTransportTest, APlainGetWithTheAgentThatFollowsRedirects) {
  CannedHttpServer server(
      {"HTTP/1.1 302 Found\r\nLocation: /moved.html\r\nContent-Length: 0\r\n"
       "Connection: close\r\n\r\n",
       HttpOk("<!--hvw_ver=201-->")});
  std::optional<std::string> page = WinInetTransport().Fetch(server.Url(), 1024);
  ASSERT_TRUE(page.has_value());
  EXPECT_EQ(*page, "<!--hvw_ver=201-->");
  ASSERT_EQ(server.Requests().size(), 2u);
  const std::string& first = server.Requests()[0];
  EXPECT_EQ(first.rfind("GET /version.html HTTP/1.1\r\n", 0), 0u) << first;
  EXPECT_NE(first.find("User-Agent: Mozilla/2.0 (Update)\r\n"), std::string::npos) << first;
  EXPECT_EQ(server.Requests()[1].rfind("GET /moved.html ", 0), 0u);
}

TEST(WinInetTransportTest, OnlyTheFirstBytesOfALongPageAreKept) {
  std::string body(1000, 'x');
  body += "<!--hvw_ver=201-->";
  body += std::string(200000, 'y');
  CannedHttpServer server({HttpOk(body)});
  std::optional<std::string> page = MakeWebTransport()->Fetch(server.Url(), 1024);
  ASSERT_TRUE(page.has_value());
  EXPECT_EQ(*page, body.substr(0, 1024));
}

TEST(WinInetTransportTest, AMissingPageAClosedPortOrAnotherSchemeGiveNoPage) {
  {
    CannedHttpServer server(
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n"
         "Connection: close\r\n\r\nnot found"});
    EXPECT_EQ(WinInetTransport().Fetch(server.Url(), 1024), std::nullopt);
  }
  // A port that was just free: the connection is refused.
  std::string closed;
  {
    CannedHttpServer unused({});
    closed = unused.Url("/");
  }
  EXPECT_EQ(WinInetTransport().Fetch(closed, 1024), std::nullopt);
  EXPECT_EQ(WinInetTransport().Fetch("file:///C:/windows/win.ini", 1024), std::nullopt)
      << "only http and https are fetched";
}

}  // namespace
}  // namespace hw
