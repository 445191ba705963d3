#include "download/AsyncHttpRequest.h"

#include "download/DownloadTextProcessor.h"
#include "download/DownloaderTask.h"
#include "download/SegmentDownloadTaskInfo.h"

#include <utility>

AsyncHttpRequest::AsyncHttpRequest() = default;

AsyncHttpRequest::~AsyncHttpRequest() {
    // The worker goes first: its thread is joined before what it uses is released.
    worker_.reset();
    processor_.reset();
    parameters_.reset();
}

bool AsyncHttpRequest::Start(std::unique_ptr<Parameters> parameters) {
    {
        std::lock_guard<std::mutex> guard(parametersLock_);
        parameters_ = std::move(parameters);
    }
    issued_.exchange(0);
    if (!worker_) {
        worker_ = std::make_unique<DownloaderTask>();
        worker_->useJson = UseJsonContentType();
        worker_->verb = GetVerb();
        worker_->maxAttempts = GetMaxAttempts();
        worker_->SetTimings(timings_);
        worker_->GetNextSegment = [this](SegmentDownloadTaskInfo* segment) { return SupplySegment(segment); };
        worker_->OnWorkerExit = [](DownloaderTask*) {};
        worker_->GetProcessor = [this](const DownloadTaskInfo& task) { return MakeProcessor(task); };
        worker_->OnTaskResult = [this](const DownloadTaskResultInfo& result) { DeliverResult(result); };
        worker_->OnAttempt = [this](int attempt, int maxAttempts) { OnAttempt(attempt, maxAttempts); };
    }
    return worker_->Start();
}

void AsyncHttpRequest::Wait() {
    if (worker_)
        worker_->Join();
}

int AsyncHttpRequest::SupplySegment(SegmentDownloadTaskInfo* segment) {
    if (issued_.load() != 0)
        return 0;
    issued_.exchange(1);
    DownloadTaskInfo task;
    {
        std::lock_guard<std::mutex> guard(parametersLock_);
        BuildRequest(task.url, task.postData);
    }
    segment->url = task.url;
    segment->postData = task.postData;
    segment->offset = -1;
    segment->length = 0;
    segment->tasks = {task};
    return 1;
}

DownloadDataProcessor* AsyncHttpRequest::MakeProcessor(const DownloadTaskInfo& task) {
    DownloadTaskInfo whole = task;
    whole.offset = -1;
    whole.length = 0;
    processor_ = std::make_unique<DownloadTextProcessor>(whole);
    processor_->SetSizeLimit(answerLimit_);
    return processor_.get();
}

void AsyncHttpRequest::DeliverResult(const DownloadTaskResultInfo& result) {
    std::string body;
    if (result.result == 200 && processor_)
        processor_->GetContent(body);
    OnResponse(std::move(body), result.result);
    processor_.reset();
}

void AsyncHttpRequest::OnAttempt(int, int) {}
