#include "update_server.h"

#include <ws2tcpip.h>

namespace tovalux::testing {

UpdateServer::UpdateServer() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == INVALID_SOCKET) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int length = sizeof(address);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listener_, 8) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return;
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { serve(); });
}

UpdateServer::~UpdateServer() {
  if (stop_) SetEvent(stop_);
  if (listener_ != INVALID_SOCKET) closesocket(listener_);  // ends the accept
  if (thread_.joinable()) thread_.join();
  if (stop_) CloseHandle(stop_);
  WSACleanup();
}

std::string UpdateServer::address() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/tovalux/getversion.php";
}

void UpdateServer::answer(std::string body, int status, bool declareLength) {
  std::lock_guard lock(mutex_);
  mode_ = Mode::kAnswer;
  body_ = std::move(body);
  status_ = status;
  declareLength_ = declareLength;
}

void UpdateServer::hang() {
  std::lock_guard lock(mutex_);
  mode_ = Mode::kHang;
}

std::vector<std::string> UpdateServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

size_t UpdateServer::requestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

void UpdateServer::serve() {
  for (;;) {
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;  // the listener closed
    handle(client);
    closesocket(client);
  }
}

void UpdateServer::handle(SOCKET client) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    const int got = recv(client, buffer, sizeof(buffer), 0);
    if (got <= 0) return;
    request.append(buffer, got);
  }
  Mode mode;
  std::string body;
  int status;
  bool declareLength;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request.substr(0, request.find("\r\n")));
    mode = mode_;
    body = body_;
    status = status_;
    declareLength = declareLength_;
  }
  if (mode == Mode::kHang) {
    // Read, never answered: the connection stays open until the server ends.
    WaitForSingleObject(stop_, INFINITE);
    return;
  }
  std::string reply = "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Error") +
                      "\r\nContent-Type: application/json\r\n" +
                      (declareLength ? "Content-Length: " + std::to_string(body.size()) + "\r\n" : std::string()) +
                      "Connection: close\r\n\r\n" + body;
  size_t sent = 0;
  while (sent < reply.size()) {
    const int n = send(client, reply.data() + sent, static_cast<int>(std::min<size_t>(reply.size() - sent, 65536)), 0);
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
  // A graceful end: closing with the client's bytes unread would reset the connection and
  // could cut the body short, so wait for the client to close its side first.
  shutdown(client, SD_SEND);
  const DWORD drainMs = 10000;
  setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&drainMs), sizeof(drainMs));
  while (recv(client, buffer, sizeof(buffer), 0) > 0) {}
}

}  // namespace tovalux::testing
