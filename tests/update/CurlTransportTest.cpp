#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "update/UpdateTransport.h"

namespace hw {
namespace {

// An HTTP server on 127.0.0.1 that answers each of the next connections with
// the next canned response and records the requests.
class CannedHttpServer {
 public:
  explicit CannedHttpServer(std::vector<std::string> responses) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 4) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      ADD_FAILURE() << "cannot listen on 127.0.0.1";
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, responses = std::move(responses)] {
      for (const std::string& response : responses) Serve(response);
    });
  }
  ~CannedHttpServer() {
    thread_.join();
    ::close(listener_);
  }

  std::string Url(const std::string& path = "/version.html") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  // Valid once the server is destroyed or every response was served.
  const std::vector<std::string>& Requests() const { return requests_; }

 private:
  void Serve(const std::string& response) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 5000) != 1) return;  // the client never came
    int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) return;
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
      ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<std::size_t>(n));
    }
    requests_.push_back(request);
    // The client may hang up early; that must not kill the test with SIGPIPE.
    ::send(client, response.data(), response.size(), MSG_NOSIGNAL);
    ::close(client);
  }

  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::vector<std::string> requests_;
};

std::string Ok(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

TEST(CurlTransportTest, APlainUncachedGetWithTheAgentThatFollowsRedirects) {
  CannedHttpServer server(
      {"HTTP/1.1 302 Found\r\nLocation: /moved.html\r\nContent-Length: 0\r\n"
       "Connection: close\r\n\r\n",
       Ok("<!--hvw_ver=201-->")});
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
  CannedHttpServer server({Ok(body)});
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

}  // namespace
}  // namespace hw
