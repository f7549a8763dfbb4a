#include "update/update_check.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>

#include "base/gbk.h"
#include "base/ui_seams.h"
#include "base/version.h"
#include "base/workers.h"
#include "host/ui_jobs.h"
#include "settings/settings.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "shell/shell_rules.h"
#include "toolkit/win32/xcgui_win32.h"
#include "update/update_rules.h"

namespace tovalux {
namespace {

constexpr char kTipTitle[] = "Tovalux IDE 更新";
constexpr char kTipLayout[] = "lib\\Tovalux\\Dark\\TipsWnd.xml";
constexpr int kStepTimeoutMs = 5000;  // name lookup, connection, sending, receiving: each
// The whole request, answer included; also what bounds a silent server where the receive timeout
// is not applied to asynchronous requests (Wine).
constexpr DWORD kRequestDeadlineMs = 10000;
constexpr DWORD kReadChunk = 8192;

std::mutex gAddressMutex;
std::string gAddressOverride;
std::atomic<uint32_t> gFinishedChecks{0};

// UI thread only: the tip and the texts of the last answer that asked for one.
HWINDOW gTipWindow = 0;
std::string gPendingDescription;
std::string gPendingUrl;

std::string requestAddress() {
  std::lock_guard lock(gAddressMutex);
  return gAddressOverride.empty() ? update::updateAddress() : gAddressOverride;
}

// One request in flight, shared by the worker and WinHTTP's callback thread. The request runs
// asynchronously so that the worker waits on its own terms: on the step's completion, on the
// shut-down's stop request or on the deadline, whichever comes first. A stop closes the handles
// and leaves at once; a callback still under way keeps the record alive until the handle's
// closing notice (a worker pins the module, so the callback's code stays mapped after unload).
struct Transfer {
  std::atomic<long> references{2};  // the worker's and the request handle's
  HANDLE step = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  DWORD status = 0;  // the last completion (WINHTTP_CALLBACK_STATUS_...), written before `step`
  DWORD length = 0;  // bytes read for READ_COMPLETE
  DWORD error = 0;   // for REQUEST_ERROR
  // The read buffer lives here, not on the worker's stack: a read still pending when the worker
  // leaves may complete into it up to the closing notice.
  char chunk[kReadChunk];
};

void release(Transfer* transfer) {
  if (transfer->references.fetch_sub(1) != 1) return;
  if (transfer->step) CloseHandle(transfer->step);
  delete transfer;
}

void CALLBACK onRequestStatus(HINTERNET, DWORD_PTR context, DWORD status, void* information, DWORD length) {
  auto* transfer = reinterpret_cast<Transfer*>(context);
  if (transfer == nullptr) return;
  switch (status) {
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING: release(transfer); return;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
      transfer->error = information ? static_cast<WINHTTP_ASYNC_RESULT*>(information)->dwError : ERROR_GEN_FAILURE;
      break;
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE: transfer->length = length; break;
    default: return;
  }
  transfer->status = status;
  SetEvent(transfer->step);
}

class Handle {
 public:
  explicit Handle(HINTERNET handle = nullptr) : handle_(handle) {}
  ~Handle() { close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void close() {
    if (handle_) WinHttpCloseHandle(handle_);
    handle_ = nullptr;
  }
  void reset(HINTERNET handle) {
    close();
    handle_ = handle;
  }

 private:
  HINTERNET handle_;
};

class Request {
 public:
  ~Request() {
    request_.close();  // the closing notice drops the handle's reference (or we do, below)
    if (transfer_ && !callbackSet_) release(transfer_);
    connection_.close();
    session_.close();
    if (transfer_) release(transfer_);
  }

  // The body of a 200 answer, at most kMaxAnswerBytes; nothing on any failure, a stop request or
  // the deadline.
  std::optional<std::string> get(const std::wstring& address) {
    started_ = GetTickCount();
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(address.c_str(), 0, 0, &parts) || parts.lpszHostName == nullptr) return std::nullopt;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path = parts.lpszUrlPath ? std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) : L"/";
    if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    // This machine itself is never reached through a proxy (a proxy setting would send the
    // request elsewhere).
    const bool loopback = host == L"127.0.0.1" || host == L"localhost" || host == L"[::1]";
    session_.reset(WinHttpOpen(L"Tovalux", loopback ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                               WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
    if (!session_) return std::nullopt;
    WinHttpSetTimeouts(session_.get(), kStepTimeoutMs, kStepTimeoutMs, kStepTimeoutMs, kStepTimeoutMs);
    connection_.reset(WinHttpConnect(session_.get(), host.c_str(), parts.nPort, 0));
    if (!connection_) return std::nullopt;
    request_.reset(WinHttpOpenRequest(connection_.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request_) return std::nullopt;
    transfer_ = new Transfer;
    if (!transfer_->step) return std::nullopt;
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(transfer_);
    if (!WinHttpSetOption(request_.get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof(context))) return std::nullopt;
    if (WinHttpSetStatusCallback(request_.get(), &onRequestStatus,
                                 WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES,
                                 0) == WINHTTP_INVALID_STATUS_CALLBACK)
      return std::nullopt;
    callbackSet_ = true;
    // Certificate errors are never ignored: where the address, or a redirect, is https, a
    // certificate that does not check out fails the request, and no tip is shown. A redirect
    // from https to plain http is refused as well.
    DWORD redirects = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
    WinHttpSetOption(request_.get(), WINHTTP_OPTION_REDIRECT_POLICY, &redirects, sizeof(redirects));

    if (!WinHttpSendRequest(request_.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, context) ||
        !waitFor(WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE))
      return std::nullopt;
    if (!WinHttpReceiveResponse(request_.get(), nullptr) || !waitFor(WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE))
      return std::nullopt;
    if (numberHeader(WINHTTP_QUERY_STATUS_CODE) != 200) return std::nullopt;
    // A declared length over the cap is refused before a byte of it is read.
    if (const DWORD declared = numberHeader(WINHTTP_QUERY_CONTENT_LENGTH);
        declared != kNoNumber && declared > update::kMaxAnswerBytes)
      return std::nullopt;
    std::string body;
    for (;;) {
      // One byte more than the cap may arrive: that is how an oversized body without a declared
      // length is recognised, without reading the rest of it.
      const DWORD want = static_cast<DWORD>(std::min<size_t>(update::kMaxAnswerBytes + 1 - body.size(), kReadChunk));
      if (!WinHttpReadData(request_.get(), transfer_->chunk, want, nullptr) ||
          !waitFor(WINHTTP_CALLBACK_STATUS_READ_COMPLETE))
        return std::nullopt;
      const DWORD got = std::min(transfer_->length, want);
      if (got == 0) return body;
      body.append(transfer_->chunk, got);
      if (body.size() > update::kMaxAnswerBytes) return std::nullopt;
    }
  }

 private:
  static constexpr DWORD kNoNumber = static_cast<DWORD>(-1);

  DWORD numberHeader(DWORD query) {
    DWORD value = 0, size = sizeof(value);
    if (!WinHttpQueryHeaders(request_.get(), query | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &value,
                             &size, WINHTTP_NO_HEADER_INDEX))
      return kNoNumber;
    return value;
  }

  // The completion of the step just started; false on an error, the stop request or the deadline.
  bool waitFor(DWORD expected) {
    const DWORD elapsed = GetTickCount() - started_;
    if (elapsed >= kRequestDeadlineMs) return false;
    HANDLE events[] = {transfer_->step, workerStopEvent()};
    const DWORD count = events[1] ? 2 : 1;
    if (WaitForMultipleObjects(count, events, FALSE, kRequestDeadlineMs - elapsed) != WAIT_OBJECT_0) return false;
    return transfer_->status == expected;
  }

  Handle session_;
  Handle connection_;
  Handle request_;
  Transfer* transfer_ = nullptr;
  bool callbackSet_ = false;
  DWORD started_ = 0;
};

std::optional<std::string> fetchAnswer() {
  Request request;
  return request.get(gbkToUtf16<wchar_t>(requestAddress()));
}

void placeTip(HWINDOW tip) {
  RECT frame{};
  if (!shellExists() || !GetWindowRect(shellFrameHwnd(), &frame)) return;
  // Its size and its distance from the frame's corner are units, the frame's place pixels.
  XWnd_DeviceToUnits(tip, &frame);
  const shell_rules::Placement place = shell_rules::tipWindowPlacement(frame.right, frame.bottom);
  RECT r{place.x, place.y, place.x + place.width, place.y + place.height};
  XWnd_UnitsToDevice(tip, &r);
  MoveWindow(XWnd_GetHWND(tip), r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
}

}  // namespace

bool startUpdateCheck() { return startWorker(&checkForUpdate); }

void checkForUpdate() {
  {
    const std::optional<std::string> body = fetchAnswer();
    if (body && !workerStopRequested()) {
      if (std::optional<update::UpdateOffer> offer = update::readUpdateAnswer(*body, TOVALUX_VERSION)) {
        postUiJob([offer = std::move(*offer)] {
          gPendingDescription = offer.description;
          gPendingUrl = offer.url;
          showUpdateTip(kTipTitle, gPendingDescription, gPendingUrl);
        });
      }
    }
  }
  gFinishedChecks.fetch_add(1);
}

void showUpdateTip(const std::string& title, const std::string& description, const std::string& url) {
  if (!shellExists()) return;
  if (XC_IsHWINDOW(gTipWindow)) XWnd_CloseWindow(gTipWindow);
  gTipWindow = 0;
  HXCGUI loaded = XC_LoadLayout(gbkToUtf16<XChar>(kTipLayout).c_str(), shellFrame());
  if (!XC_IsHWINDOW(loaded)) return;
  HWINDOW tip = static_cast<HWINDOW>(loaded);
  gTipWindow = tip;
  XWnd_EnableDragWindow(tip, false);
  XWnd_EnableDragCaption(tip, false);
  const XString face = gbkToUtf16<XChar>(fontNameSetting());
  if (HXCGUI heading = XC_GetObjectByID(tip, 1); XC_GetObjectType(heading) == XC_SHAPE_TEXT) {
    XShapeText_SetFont(static_cast<HSHAPE>(heading), XFont_Create2(face.c_str(), 9, font_style_bold));
    XShapeText_SetText(static_cast<HSHAPE>(heading), gbkToUtf16<XChar>(title).c_str());
  }
  if (HXCGUI text = XC_GetObjectByID(tip, 2); XC_GetObjectType(text) == XC_SHAPE_TEXT) {
    XShapeText_SetFont(static_cast<HSHAPE>(text), XFont_Create2(face.c_str(), 9, font_style_regular));
    // The server's text is shown as plain text: no control characters, at most a few lines' worth.
    XShapeText_SetText(static_cast<HSHAPE>(text), gbkToUtf16<XChar>(update::tipText(description)).c_str());
  }
  if (HXCGUI button = XC_GetObjectByID(tip, 3); XC_GetObjectType(button) == XC_BUTTON) {
    // The address comes from the network: only a web page is ever opened, never a file, a
    // share or a program.
    const bool openable = update::isOpenableUrl(url);
    XEle_Enable(button, openable);
    XEle_RegEventC(button, XE_BNCLICK, [url, openable](bool* handled) {
      *handled = true;
      if (!openable) return 0;
      LaunchRequest request;
      request.verb = "open";
      request.file = url;
      request.show = SW_SHOWNORMAL;
      shellExecute(request);
      return 0;
    });
  }
  XWnd_AdjustLayout(tip);
  XWnd_ShowWindow(tip, SW_SHOW);
  placeTip(tip);
}

void closeUpdateTip() {
  if (XC_IsHWINDOW(gTipWindow)) XWnd_CloseWindow(gTipWindow);
  gTipWindow = 0;
}

HWINDOW updateTipWindow() { return XC_IsHWINDOW(gTipWindow) ? gTipWindow : 0; }

uint32_t finishedUpdateChecks() { return gFinishedChecks.load(); }

// The check itself starts at notification 18; the Part gives the frame the tip to keep in its
// corner and closes the tip at shut-down, before the frame closes.
const Part kUpdatePart{
    .name = "update tip", .tearDown = &closeUpdateTip, .offers = {.updateTipWindow = &updateTipWindow}};

void setUpdateAddressForTests(const std::string& address) {
  std::lock_guard lock(gAddressMutex);
  gAddressOverride = address;
}

}  // namespace tovalux
