// SPDX-License-Identifier: MIT
#include "surface/qt/cups_job.h"

#include <cups/cups.h>

#include <algorithm>
#include <memory>
#include <thread>

namespace henon {

PrintResult printResult(const PrintOutcome& o) {
  if (!o.serverAnswered || !o.hasDefaultPrinter || !o.acceptingJobs)
    return PrintResult::kDeviceUnavailable;
  if (!o.pageRendered || !o.jobCreated) return PrintResult::kFailed;
  if (!o.documentSent) return PrintResult::kDeviceIO;
  if (!o.jobAccepted || o.jobFailed) return PrintResult::kFailed;
  return PrintResult::kOk;
}

namespace {

using Clock = std::chrono::steady_clock;

// A job that CUPS has neither finished nor given up on after this long is in its hands.
constexpr auto kSettle = std::chrono::seconds(2);
constexpr auto kPoll = std::chrono::milliseconds(100);
constexpr int kConnectMs = 3000;
// Pictures of screen pixels gain nothing above this; a whole fraction of the printer's
// resolution keeps every dot a block of printer dots.
constexpr int kMaxDpi = 300;

struct Deadline {
  Clock::time_point at;
  bool expired = false;
};

// libcups asks whether to keep waiting each time a wait on the server times out.
int keepWaiting(http_t*, void* data) {
  auto* d = static_cast<Deadline*>(data);
  if (Clock::now() < d->at) return 1;
  d->expired = true;
  return 0;
}

bool failed(ipp_status_t status) {
  return status > IPP_STATUS_OK_EVENTS_COMPLETE;
}

int renderDpi(http_t* http, cups_dest_t* dest, cups_dinfo_t* info) {
  int dpi = 0;
  if (ipp_attribute_t* res = cupsFindDestDefault(http, dest, info, "printer-resolution")) {
    int y = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    dpi = ippGetResolution(res, 0, &y, &units);
    if (units == IPP_RES_PER_CM) dpi = static_cast<int>(dpi * 2.54 + 0.5);
  }
  if (dpi <= 0) return kMaxDpi;
  for (int k = 1; k < 64; ++k)
    if (dpi / k <= kMaxDpi && dpi % k == 0) return dpi / k;
  return kMaxDpi;
}

CupsPaper defaultPaper(http_t* http, cups_dest_t* dest, cups_dinfo_t* info) {
  CupsPaper paper;
  cups_size_t size{};
  // The destination's own default: the library's falls back on Letter when the destination
  // has no "media" option of its own.
  ipp_attribute_t* media = info ? cupsFindDestDefault(http, dest, info, "media") : nullptr;
  const char* name = media ? ippGetString(media, 0, nullptr) : nullptr;
  const bool known = name ? cupsGetDestMediaByName(http, dest, info, name, 0, &size)
                          : info && cupsGetDestMediaDefault(http, dest, info, 0, &size);
  if (known && size.width > 0 && size.length > 0) {
    paper.widthMm = size.width / 100.0;
    paper.heightMm = size.length / 100.0;
    paper.leftMm = size.left / 100.0;
    paper.topMm = size.top / 100.0;
    paper.rightMm = size.right / 100.0;
    paper.bottomMm = size.bottom / 100.0;
  }
  paper.dpi = info ? renderDpi(http, dest, info) : kMaxDpi;
  return paper;
}

int jobState(http_t* http, int jobId) {
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                   "/jobs/%d", jobId);
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
               "job-state");
  ipp_t* response = cupsDoRequest(http, request, "/");
  const int state = ippGetInteger(ippFindAttribute(response, "job-state", IPP_TAG_ENUM), 0);
  ippDelete(response);
  return state;
}

// Follows the job until it ends, waits on a stopped printer, or CUPS has had it for a while.
bool jobFailedAfterSubmission(http_t* http, int jobId, bool printerStopped,
                              const Deadline& deadline) {
  const auto settled = std::min(Clock::now() + kSettle, deadline.at);
  for (;;) {
    const int state = jobState(http, jobId);
    if (state == IPP_JSTATE_CANCELED || state == IPP_JSTATE_ABORTED) return true;
    if (state == IPP_JSTATE_COMPLETED || state == IPP_JSTATE_HELD) return false;
    if (printerStopped && state != IPP_JSTATE_PROCESSING) return false;
    if (deadline.expired || Clock::now() + kPoll >= settled) return false;
    std::this_thread::sleep_for(kPoll);
  }
}

bool sendDocument(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, int jobId,
                  const std::string& title, const std::string& pdf) {
  if (cupsStartDestDocument(http, dest, info, jobId, title.c_str(), CUPS_FORMAT_PDF, 0, nullptr,
                            1) != HTTP_STATUS_CONTINUE)
    return false;
  constexpr size_t kChunk = 64 * 1024;
  for (size_t at = 0; at < pdf.size(); at += kChunk)
    if (cupsWriteRequestData(http, pdf.data() + at, std::min(kChunk, pdf.size() - at)) !=
        HTTP_STATUS_CONTINUE)
      return false;
  return true;
}

}  // namespace

PrintOutcome printOnDefaultDestination(const std::string& title, const RenderPage& render,
                                       Clock::time_point deadline) {
  PrintOutcome o;
  Deadline wait{deadline};
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  int cancel = 0;
  std::unique_ptr<http_t, void (*)(http_t*)> http(
      httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                   static_cast<int>(std::clamp<long long>(left.count(), 1, kConnectMs)), &cancel),
      httpClose);
  if (!http) return o;
  // Short waits, each asking keepWaiting, so that the deadline holds for every request.
  httpSetTimeout(http.get(), 0.25, keepWaiting, &wait);
  // Notes whether the server answered in time; true when it did not and the outcome is final.
  const auto lost = [&] {
    o.serverAnswered = !wait.expired;
    return !o.serverAnswered;
  };

  std::unique_ptr<cups_dest_t, void (*)(cups_dest_t*)> dest(
      cupsGetNamedDest(http.get(), nullptr, nullptr), [](cups_dest_t* d) { cupsFreeDests(1, d); });
  if (lost()) return o;
  o.hasDefaultPrinter = dest != nullptr;
  if (!dest) return o;
  const auto option = [&](const char* name) {
    const char* v = cupsGetOption(name, dest->num_options, dest->options);
    return std::string(v ? v : "");
  };
  o.acceptingJobs = option("printer-is-accepting-jobs") != "false";
  const bool stopped = option("printer-state") == "5";
  if (!o.acceptingJobs) return o;

  std::unique_ptr<cups_dinfo_t, void (*)(cups_dinfo_t*)> info(
      cupsCopyDestInfo(http.get(), dest.get()), cupsFreeDestInfo);
  if (lost()) return o;
  const CupsPaper paper = defaultPaper(http.get(), dest.get(), info.get());

  const std::string pdf = render(paper);
  o.pageRendered = !pdf.empty();
  if (!o.pageRendered) return o;

  int jobId = 0;
  const ipp_status_t created =
      cupsCreateDestJob(http.get(), dest.get(), info.get(), &jobId, title.c_str(), 0, nullptr);
  if (lost()) return o;
  if (created == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS) o.acceptingJobs = false;
  o.jobCreated = !failed(created) && jobId > 0;
  if (!o.jobCreated) return o;

  o.documentSent = sendDocument(http.get(), dest.get(), info.get(), jobId, title, pdf);
  if (!o.documentSent) {
    // Nothing half-sent stays in the queue.
    if (!lost()) cupsCancelDestJob(http.get(), dest.get(), jobId);
    return o;
  }
  const ipp_status_t finished = cupsFinishDestDocument(http.get(), dest.get(), info.get());
  if (lost()) return o;
  if (finished == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS) o.acceptingJobs = false;
  o.jobAccepted = !failed(finished);
  if (!o.jobAccepted) return o;

  o.jobFailed = jobFailedAfterSubmission(http.get(), jobId, stopped, wait);
  lost();  // the job's status was asked for too
  return o;
}

}  // namespace henon
