// SPDX-License-Identifier: MIT
#include "surface/cups/cups_job.h"

#include <cups/cups.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <vector>

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

using HttpPtr = std::unique_ptr<http_t, void (*)(http_t*)>;

// A job that CUPS has neither finished nor given up on after this long is in its hands.
constexpr auto kSettle = std::chrono::seconds(2);
constexpr auto kPoll = std::chrono::milliseconds(100);
constexpr int kConnectMs = 3000;
// How long the answer to a request is still awaited once the print was given up: it may tell
// the number of a job to cancel.
constexpr auto kLinger = std::chrono::seconds(5);
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

ipp_t* jobRequest(ipp_op_t op, int jobId) {
  ipp_t* request = ippNewRequest(op);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, jobUri(jobId).c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  return request;
}

// Asks for the job to be let go; false when the request did not go out whole.
bool sendRelease(http_t* http, int jobId) {
  ipp_t* request = jobRequest(IPP_OP_RELEASE_JOB, jobId);
  const http_status_t sent = cupsSendRequest(http, request, "/jobs", ippLength(request));
  ippDelete(request);
  return sent == HTTP_STATUS_CONTINUE || sent == HTTP_STATUS_OK;
}

// libcups reports a server it could not reach, or that did not answer in time, as these.
bool answered(ipp_status_t status) {
  return status != IPP_STATUS_ERROR_SERVICE_UNAVAILABLE && status != IPP_STATUS_ERROR_INTERNAL;
}

HttpPtr connectAfresh(int timeoutMs) {
  return HttpPtr(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                              timeoutMs, nullptr),
                 httpClose);
}

// Every wait on this connection ends by `until`.
void boundWaits(http_t* http, Clock::time_point& until) {
  httpSetTimeout(
      http, 0.25,
      [](http_t*, void* at) { return Clock::now() < *static_cast<Clock::time_point*>(at) ? 1 : 0; },
      &until);
}

// The job's state on a connection of its own; 0 when the server does not answer in time.
int jobStateAfresh(int jobId) {
  Clock::time_point until = Clock::now() + std::chrono::milliseconds(kConnectMs);
  HttpPtr http = connectAfresh(kConnectMs);
  if (!http) return 0;
  boundWaits(http.get(), until);
  return jobState(http.get(), jobId);
}

// A job given up on: held on the server until cancelled. Its number is unknown when the answer
// to its creation never came; then every held job of ours by its name is cancelled.
struct GivenUpJob {
  int jobId = 0;
  std::string printer, title;
};

// Cancels the job; false when the server did not answer.
bool cancelOn(http_t* http, const GivenUpJob& job, const std::set<int>& released) {
  if (job.jobId > 0) {
    ippDelete(cupsDoRequest(http, jobRequest(IPP_OP_CANCEL_JOB, job.jobId), "/jobs"));
    return answered(cupsLastError());
  }
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                   "/printers/%s", job.printer.c_str());
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ippAddBoolean(request, IPP_TAG_OPERATION, "my-jobs", 1);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "not-completed");
  static const char* const kWanted[] = {"job-id", "job-name", "job-state"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr,
                kWanted);
  ipp_t* response = cupsDoRequest(http, request, "/");
  if (!response) return answered(cupsLastError());
  std::vector<int> held;
  int id = 0, state = 0;
  bool named = false;
  // Each job's attributes form a group; one ends at a separator or at the end.
  for (ipp_attribute_t* a = ippFirstAttribute(response);; a = ippNextAttribute(response)) {
    const char* name = a ? ippGetName(a) : nullptr;
    if (!name) {
      if (id > 0 && named && state == IPP_JSTATE_HELD && !released.count(id)) held.push_back(id);
      id = state = 0;
      named = false;
      if (!a) break;
      continue;
    }
    const std::string n = name;
    if (n == "job-id") id = ippGetInteger(a, 0);
    if (n == "job-state") state = ippGetInteger(a, 0);
    if (n == "job-name") named = job.title == ippGetString(a, 0, nullptr);
  }
  ippDelete(response);
  for (const int each : held)
    ippDelete(cupsDoRequest(http, jobRequest(IPP_OP_CANCEL_JOB, each), "/jobs"));
  return true;
}

// The jobs given up on in this session, for as long as they may still be held, and those let go.
class GivenUpJobs {
 public:
  int add(GivenUpJob job) {
    const std::lock_guard<std::mutex> hold(lock_);
    jobs_.emplace(++last_, std::move(job));
    return last_;
  }
  void numbered(int key, int jobId) {
    const std::lock_guard<std::mutex> hold(lock_);
    if (const auto it = jobs_.find(key); it != jobs_.end()) it->second.jobId = jobId;
  }
  void cancelled(int key) {
    const std::lock_guard<std::mutex> hold(lock_);
    jobs_.erase(key);
  }
  void released(int jobId) {
    const std::lock_guard<std::mutex> hold(lock_);
    released_.insert(jobId);
  }
  std::set<int> released() const {
    const std::lock_guard<std::mutex> hold(lock_);
    return released_;
  }
  std::vector<std::pair<int, GivenUpJob>> all() const {
    const std::lock_guard<std::mutex> hold(lock_);
    return {jobs_.begin(), jobs_.end()};
  }

 private:
  mutable std::mutex lock_;
  int last_ = 0;
  std::map<int, GivenUpJob> jobs_;
  std::set<int> released_;
};

// Never destroyed: a worker still waiting on a silent server may use it while the program ends.
GivenUpJobs& givenUpJobs() {
  static auto* jobs = new GivenUpJobs;
  return *jobs;
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
    if (progress_.stage() < PrintStage::kRendered) return false;
    // From the page on a job may be held: the answer is awaited a while, to cancel that job.
    abandon();
    if (Clock::now() < givenUpAt_ + kLinger) return true;
    stale_ = true;
    return false;
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

  // The release is the point of no return: once it went out the server may print the job
  // whatever it answers, so from then on the print is not given up, and an answer that comes too
  // late, or never, is no failure.
  bool release() {
    const ipp_status_t finished = cupsFinishDestDocument(http_.get(), dest_.get(), info_.get());
    if (progress_.givenUp()) return false;
    if (finished == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS) progress_.refuse();
    if (failed(finished) || !progress_.reach(PrintStage::kReleased)) return false;
    givenUpJobs().released(jobId_);
    if (!sendRelease(http_.get(), jobId_)) {
      // The connection broke: the server has had all of the request or none of it, and asked
      // afresh it tells which. Silent, it may have had it.
      released_ = jobStateAfresh(jobId_) != IPP_JSTATE_HELD;
      return released_;
    }
    released_ = true;
    ipp_t* answer = cupsGetResponse(http_.get(), "/jobs");
    if (!answer) return true;
    const bool refused = failed(ippGetStatusCode(answer));
    ippDelete(answer);
    released_ = !refused;
    return released_;
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

  // Notes a job that may be held, so that it is cancelled at the latest when the program ends.
  void abandon() {
    if (key_ == 0) {
      key_ = givenUpJobs().add({jobId_, dest_->name, title_});
      givenUpAt_ = Clock::now();
    }
    givenUpJobs().numbered(key_, jobId_);
  }

  // Cancels a job that was not let go, asking until the server has answered: on this connection
  // first, so that whatever it still holds from us arrives before; afresh after.
  void withdraw() {
    if (released_ || progress_.stage() < PrintStage::kRendered) return;
    if (jobId_ == 0 && !progress_.givenUp()) return;  // the server took no job
    abandon();
    const GivenUpJob job{jobId_, dest_->name, title_};
    HttpPtr again(nullptr, httpClose);
    for (http_t* on = stale_ ? nullptr : http_.get();;
         std::this_thread::sleep_for(std::chrono::milliseconds(500))) {
      if (on && cancelOn(on, job, givenUpJobs().released())) break;
      again = connectAfresh(kConnectMs);
      on = again.get();
    }
    // Without its number, the job may still come: it is looked for again at the end.
    if (jobId_ > 0) givenUpJobs().cancelled(key_);
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
  bool released_ = false;  // the server may print the job
  bool stale_ = false;     // an answer is still owed on this connection
  int key_ = 0;            // among the jobs given up on
  Clock::time_point givenUpAt_;
};

}  // namespace

void printOnDefaultDestination(const std::string& title, const RenderPage& render,
                               Clock::time_point deadline, PrintProgress& progress) {
  CupsPrint(title, deadline, progress).run(render);
}

void withdrawGivenUpJobs(std::chrono::milliseconds within) {
  const auto jobs = givenUpJobs().all();
  if (jobs.empty()) return;
  auto until = Clock::now() + within;
  HttpPtr http = connectAfresh(static_cast<int>(within.count()));
  if (!http) return;
  boundWaits(http.get(), until);
  const std::set<int> released = givenUpJobs().released();
  for (const auto& [key, job] : jobs)
    if (cancelOn(http.get(), job, released) && job.jobId > 0) givenUpJobs().cancelled(key);
}

}  // namespace henon
