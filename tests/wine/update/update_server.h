// A small HTTP server on 127.0.0.1 for the update check: the answer it gives is chosen per test
// (a JSON body, a 10 MB body, an HTTP error, or a connection that is read and never answered).
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tovalux::testing {

class UpdateServer {
 public:
  enum class Mode { kAnswer, kHang };

  UpdateServer();
  ~UpdateServer();
  UpdateServer(const UpdateServer&) = delete;
  UpdateServer& operator=(const UpdateServer&) = delete;

  bool listening() const { return port_ != 0; }
  // "http://127.0.0.1:<port>/tovalux/getversion.php"
  std::string address() const;

  // Without a declared length the body ends where the connection does.
  void answer(std::string body, int status = 200, bool declareLength = true);
  void hang();

  // Request lines received ("GET /tovalux/getversion.php HTTP/1.1"), in order.
  std::vector<std::string> requests() const;
  size_t requestCount() const;

 private:
  void serve();
  void handle(SOCKET client);

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  HANDLE stop_ = nullptr;
  std::thread thread_;
  mutable std::mutex mutex_;
  Mode mode_ = Mode::kAnswer;
  std::string body_;
  int status_ = 200;
  bool declareLength_ = true;
  std::vector<std::string> requests_;
};

}  // namespace tovalux::testing
