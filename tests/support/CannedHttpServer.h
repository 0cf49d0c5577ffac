#pragma once
// An HTTP server on 127.0.0.1 for the update transports' tests: it answers
// each of the next connections with the next canned response and records the
// requests. Sockets are POSIX on Linux, winsock on Windows.

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace hw::test {

class CannedHttpServer {
 public:
  explicit CannedHttpServer(std::vector<std::string> responses) {
#ifdef _WIN32
    WSADATA version;
    ::WSAStartup(MAKEWORD(2, 2), &version);
#endif
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
    Close(listener_);
#ifdef _WIN32
    ::WSACleanup();
#endif
  }
  CannedHttpServer(const CannedHttpServer&) = delete;
  CannedHttpServer& operator=(const CannedHttpServer&) = delete;

  std::string Url(const std::string& path = "/version.html") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  // Valid once the server is destroyed or every response was served.
  const std::vector<std::string>& Requests() const { return requests_; }

 private:
#ifdef _WIN32
  using Socket = SOCKET;
  static void Close(Socket socket) { ::closesocket(socket); }
  static constexpr int kSendFlags = 0;
#else
  using Socket = int;
  static void Close(Socket socket) { ::close(socket); }
  // The client may hang up early; that must not kill the test with SIGPIPE.
  static constexpr int kSendFlags = MSG_NOSIGNAL;
#endif

  void Serve(const std::string& response) {
    fd_set waiting;
    FD_ZERO(&waiting);
    FD_SET(listener_, &waiting);
    timeval patience{5, 0};
    if (::select(static_cast<int>(listener_) + 1, &waiting, nullptr, nullptr, &patience) != 1)
      return;  // the client never came
    Socket client = ::accept(listener_, nullptr, nullptr);
    if (client == Socket(-1)) return;
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const auto n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<std::size_t>(n));
    }
    requests_.push_back(request);
    ::send(client, response.data(), static_cast<int>(response.size()), kSendFlags);
    Close(client);
  }

  Socket listener_ = Socket(-1);
  int port_ = 0;
  std::thread thread_;
  std::vector<std::string> requests_;
};

// A complete page with status 200.
inline std::string HttpOk(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace hw::test
