// SPDX-License-Identifier: MIT
#include "surface/qt/cups_job.h"

#include <cups/cups.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "surface/qt/cups_media.h"

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
  PrintWait* wait;
  // A job may exist: past the deadline the answer is still awaited, to cancel that job.
  bool jobAtStake = false;
  // The job is the server's: past the deadline it is not waited for, and not a failure.
  bool handedOver = false;
  bool expired = false;
};

// libcups asks whether to keep waiting each time a wait on the server times out.
int keepWaiting(http_t*, void* data) {
  auto* d = static_cast<Deadline*>(data);
  if (Clock::now() < d->at && !d->wait->givenUp()) return 1;
  d->expired = true;
  if (d->handedOver) return 0;
  d->wait->giveUp();
  return d->jobAtStake ? 1 : 0;
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
  if (!info) return {};
  // The destination's own default: the library's falls back on Letter when the destination
  // has no "media" option of its own. Its margins come from what the queue says it prints on,
  // never from a lookup by name, which libcups versions answer differently.
  ipp_attribute_t* media = cupsFindDestDefault(http, dest, info, "media");
  const char* name = media ? ippGetString(media, 0, nullptr) : nullptr;
  cups_size_t size{};
  if (!name && cupsGetDestMediaDefault(http, dest, info, 0, &size)) name = size.media;
  CupsPaper paper = queuePaper(cupsFindDestDefault(http, dest, info, "media-col"),
                               cupsFindDestReady(http, dest, info, "media-col"), name);
  paper.dpi = renderDpi(http, dest, info);
  return paper;
}

std::string jobUri(int jobId) {
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                   "/jobs/%d", jobId);
  return uri;
}

int jobState(http_t* http, int jobId) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, jobUri(jobId).c_str());
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

bool releaseJob(http_t* http, int jobId) {
  ipp_t* request = ippNewRequest(IPP_OP_RELEASE_JOB);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, jobUri(jobId).c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ippDelete(cupsDoRequest(http, request, "/jobs"));
  return !failed(cupsLastError());
}

// Keeps asking until the server has answered, on this connection first so that whatever it
// still holds from us arrives before; a server that went away is asked again afresh.
void cancelJob(http_t* http, cups_dest_t* dest, int jobId) {
  std::unique_ptr<http_t, void (*)(http_t*)> again(nullptr, httpClose);
  for (http_t* on = http;; std::this_thread::sleep_for(std::chrono::milliseconds(500))) {
    if (on) {
      cupsCancelDestJob(on, dest, jobId);
      const ipp_status_t status = cupsLastError();
      if (status != IPP_STATUS_ERROR_SERVICE_UNAVAILABLE && status != IPP_STATUS_ERROR_INTERNAL)
        return;
    }
    again.reset(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                             kConnectMs, nullptr));
    on = again.get();
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
                                       Clock::time_point deadline, PrintWait& wait) {
  PrintOutcome o;
  Deadline limit{deadline, &wait};
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  int cancel = 0;
  std::unique_ptr<http_t, void (*)(http_t*)> http(
      httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                   static_cast<int>(std::clamp<long long>(left.count(), 1, kConnectMs)), &cancel),
      httpClose);
  if (!http) return o;
  // Short waits, each asking keepWaiting, so that the deadline holds for every request.
  httpSetTimeout(http.get(), 0.25, keepWaiting, &limit);
  // Notes whether the outcome is still awaited; true when it is not and the print has failed.
  const auto lost = [&] {
    if (limit.expired) wait.giveUp();
    o.serverAnswered = !wait.givenUp();
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
  if (!o.pageRendered || lost()) return o;

  // The job is held until the server has the whole page, so that a print told as failed never
  // prints: whatever the server does with our requests once it answers again, it is cancelled.
  int jobId = 0;
  const auto withdraw = [&] {
    if (jobId > 0) cancelJob(http.get(), dest.get(), jobId);
    return o;
  };
  limit.jobAtStake = true;
  cups_option_t* hold = nullptr;
  const int holds = cupsAddOption("job-hold-until", "indefinite", 0, &hold);
  const ipp_status_t created =
      cupsCreateDestJob(http.get(), dest.get(), info.get(), &jobId, title.c_str(), holds, hold);
  cupsFreeOptions(holds, hold);
  if (lost()) return withdraw();
  if (created == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS) o.acceptingJobs = false;
  o.jobCreated = !failed(created) && jobId > 0;
  if (!o.jobCreated) return o;

  o.documentSent = sendDocument(http.get(), dest.get(), info.get(), jobId, title, pdf);
  if (!o.documentSent) {
    lost();
    return withdraw();  // nothing half-sent stays in the queue
  }
  const ipp_status_t finished = cupsFinishDestDocument(http.get(), dest.get(), info.get());
  if (lost()) return withdraw();
  if (finished == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS) o.acceptingJobs = false;
  o.jobAccepted = !failed(finished) && releaseJob(http.get(), jobId);
  if (lost() || !o.jobAccepted) return withdraw();

  // From here the job is the server's: silence is no failure, as with a stopped queue.
  limit.handedOver = true;
  o.jobFailed = jobFailedAfterSubmission(http.get(), jobId, stopped, limit);
  return o;
}

}  // namespace henon
