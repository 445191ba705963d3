#pragma once

#include "download/DownloadTaskResultInfo.h"

class DownloadDataProcessor;

// What the owner of a DownloaderTaskDispatcher provides. Every operation runs on a worker thread;
// GetProcessor and OnTaskResult run without the dispatcher's lock, OnAllTasksFinished with it held
// (so it must not wait for another thread that needs that lock). The dispatcher never deletes its
// owner through this interface; the destructor is virtual only so that implementers need not be
// final.
class DownloaderTaskProcessor {
public:
    // The processor of one task, owned by the implementer until it handled the task's result; null
    // when the task has none.
    virtual DownloadDataProcessor* GetProcessor(const DownloadTaskInfo& task) = 0;
    // One result per task.
    virtual void OnTaskResult(const DownloadTaskResultInfo& result) = 0;
    // The last active worker has ended: the run drained (or was stopped).
    virtual void OnAllTasksFinished() = 0;

protected:
    virtual ~DownloaderTaskProcessor() = default;
};
