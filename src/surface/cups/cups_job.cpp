// SPDX-License-Identifier: MIT
#include "surface/cups/cups_job.h"

#include <cups/cups.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "surface/cups/cups_media.h"

namespace henon {

bool PrintProgress::reach(PrintStage stage) {
  const std::lock_guard<std::mutex> hold(lock_);
  if (wait_ == Wait::kGivenUp) return false;
  stage_ = std::max(stage_, stage);
  return true;
}

void PrintProgress::refuse() {
  const std::lock_guard<std::mutex> hold(lock_);
  refused_ = true;
}

void PrintProgress::end() {
  const std::lock_guard<std::mutex> hold(lock_);
  if (wait_ == Wait::kWaiting) wait_ = Wait::kEnded;
}

bool PrintProgress::giveUp() {
  const std::lock_guard<std::mutex> hold(lock_);
  if (wait_ == Wait::kWaiting && stage_ < PrintStage::kReleased) wait_ = Wait::kGivenUp;
  return wait_ == Wait::kGivenUp;
}

PrintStage PrintProgress::stage() const {
  const std::lock_guard<std::mutex> hold(lock_);
  return stage_;
}

bool PrintProgress::ended() const {
  const std::lock_guard<std::mutex> hold(lock_);
  return wait_ == Wait::kEnded;
}

bool PrintProgress::givenUp() const {
  const std::lock_guard<std::mutex> hold(lock_);
  return wait_ == Wait::kGivenUp;
}

PrintResult PrintProgress::result() const {
  const std::lock_guard<std::mutex> hold(lock_);
  if (wait_ == Wait::kGivenUp || refused_) return PrintResult::kDeviceUnavailable;
  switch (stage_) {
    case PrintStage::kAsking:
    case PrintStage::kAnswered:
    case PrintStage::kHasPrinter:
      return PrintResult::kDeviceUnavailable;
    case PrintStage::kCreatedHeld:
      return PrintResult::kDeviceIO;
    case PrintStage::kDone:
      return PrintResult::kOk;
    default:
      return PrintResult::kFailed;
  }
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

namespace {

using HttpPtr = std::unique_ptr<http_t, void (*)(http_t*)>;
using DestPtr = std::unique_ptr<cups_dest_t, void (*)(cups_dest_t*)>;
using InfoPtr = std::unique_ptr<cups_dinfo_t, void (*)(cups_dinfo_t*)>;

// One print, step by step; each step is false when the print goes no further.
class CupsPrint {
 public:
  CupsPrint(const std::string& title, Clock::time_point deadline, PrintProgress& progress)
      : title_(title), deadline_(deadline), progress_(progress) {}

  void run(const RenderPage& render) {
    if (connect() && findPrinter() && makePage(render) && createHeld() && sendPage() && release())
      follow();
    else
      withdraw();  // nothing told as failed, or half-sent, stays in the queue
    progress_.end();
  }

 private:
  // libcups asks whether to keep waiting each time a wait on the server times out.
  static int keepWaiting(http_t*, void* self) {
    return static_cast<CupsPrint*>(self)->keepWaiting() ? 1 : 0;
  }
  bool keepWaiting() {
    if (Clock::now() < deadline_ && !progress_.givenUp()) return true;
    // A released job is the server's: it is not waited for, and its silence is no failure.
    if (!progress_.giveUp()) return false;
    // From the page on a job may be held: its answer is awaited, to cancel that job.
    return progress_.stage() >= PrintStage::kRendered;
  }

  bool connect() {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
    int cancel = 0;
    http_.reset(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                             static_cast<int>(std::clamp<long long>(left.count(), 1, kConnectMs)),
                             &cancel));
    if (!http_) return false;
    // Short waits, each asking keepWaiting, so that the deadline holds for every request.
    httpSetTimeout(http_.get(), 0.25, keepWaiting, this);
    return true;
  }

  bool findPrinter() {
    dest_.reset(cupsGetNamedDest(http_.get(), nullptr, nullptr));
    if (!progress_.reach(PrintStage::kAnswered) || !dest_) return false;
    const auto option = [this](const char* name) {
      const char* v = cupsGetOption(name, dest_->num_options, dest_->options);
      return std::string(v ? v : "");
    };
    stopped_ = option("printer-state") == "5";
    progress_.reach(PrintStage::kHasPrinter);
    if (option("printer-is-accepting-jobs") == "false") return false;
    progress_.reach(PrintStage::kAccepting);
    info_.reset(cupsCopyDestInfo(http_.get(), dest_.get()));
    return !progress_.givenUp();
  }

  bool makePage(const RenderPage& render) {
    pdf_ = render(defaultPaper(http_.get(), dest_.get(), info_.get()));
    return !pdf_.empty() && progress_.reach(PrintStage::kRendered);
  }

  // The job is held until the server has the whole page, so that a print told as failed never
  // prints: whatever the server does with our requests once it answers again, it is cancelled.
  bool createHeld() {
    cups_option_t* hold = nullptr;
    const int holds = cupsAddOption("job-hold-until", "indefinite", 0, &hold);
    const ipp_status_t created = cupsCreateDestJob(http_.get(), dest_.get(), info_.get(), &jobId_,
                                                   title_.c_str(), holds, hold);
    cupsFreeOptions(holds, hold);
    if (progress_.givenUp()) return false;
    if (created == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS) progress_.refuse();
    return !failed(created) && jobId_ > 0 && progress_.reach(PrintStage::kCreatedHeld);
  }

  bool sendPage() {
    return sendDocument(http_.get(), dest_.get(), info_.get(), jobId_, title_, pdf_) &&
           progress_.reach(PrintStage::kPageSent);
  }

  bool release() {
    const ipp_status_t finished = cupsFinishDestDocument(http_.get(), dest_.get(), info_.get());
    if (progress_.givenUp()) return false;
    if (finished == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS) progress_.refuse();
    return !failed(finished) && releaseJob(http_.get(), jobId_) &&
           progress_.reach(PrintStage::kReleased);
  }

  // Follows the job until it ends, waits on a stopped printer, or CUPS has had it for a while.
  void follow() {
    const auto settled = std::min(Clock::now() + kSettle, deadline_);
    for (;;) {
      const int state = jobState(http_.get(), jobId_);
      if (state == IPP_JSTATE_CANCELED || state == IPP_JSTATE_ABORTED) return;
      if (state == IPP_JSTATE_COMPLETED || state == IPP_JSTATE_HELD) break;
      if (stopped_ && state != IPP_JSTATE_PROCESSING) break;
      if (Clock::now() + kPoll >= settled) break;
      std::this_thread::sleep_for(kPoll);
    }
    progress_.reach(PrintStage::kDone);
  }

  void withdraw() {
    if (jobId_ > 0) cancelJob(http_.get(), dest_.get(), jobId_);
  }

  const std::string& title_;
  const Clock::time_point deadline_;
  PrintProgress& progress_;
  HttpPtr http_{nullptr, httpClose};
  DestPtr dest_{nullptr, [](cups_dest_t* d) { cupsFreeDests(1, d); }};
  InfoPtr info_{nullptr, cupsFreeDestInfo};
  std::string pdf_;
  int jobId_ = 0;
  bool stopped_ = false;
};

}  // namespace

void printOnDefaultDestination(const std::string& title, const RenderPage& render,
                               Clock::time_point deadline, PrintProgress& progress) {
  CupsPrint(title, deadline, progress).run(render);
}

}  // namespace henon
