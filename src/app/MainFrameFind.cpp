#include "MainFrame.h"

#include "FindText.h"
#include "ResourceIds.h"
#include "TimelineModel.h"
#include "WorkerGate.h"

#include <atomic>
#include <cstring>
#include <process.h>

// A find runs on a worker of its own: at a million statuses one pass takes
// tens of milliseconds, and the window keeps answering meanwhile. The worker
// searches the view the list showed when the find started; the window polls
// for the result on a short timer, as it polls every worker.
struct MainFrame::FindJob {
    TimelineSnapshot view;
    MutedArrivals muted;
    SearchPattern pattern;
    int after = -1;
    bool backward = false;
    TimelineSnapshot::FindResult result;
    char foundId[sizeof TimelineEntry::statusId + 1] = "";
    std::atomic<bool> done{false};
};

namespace {

const UINT findPollMs = 15;

void RunFind(void* argument)
{
    std::shared_ptr<MainFrame::FindJob>* const held = static_cast<std::shared_ptr<MainFrame::FindJob>*>(argument);
    MainFrame::FindJob& job = **held;
    {
        // The store outlives no shutdown: past the gate, nothing is read.
        const WorkerGate::Pass pass(&ShutdownGate());
        TimelineEntry entry;
        if (pass.IsInside()) {
            job.result = job.view.Find(job.pattern, job.after, job.backward, &job.muted);
            if (job.view.GetEntry(job.result.position, entry))
                std::memcpy(job.foundId, entry.statusId, sizeof entry.statusId);
        }
        job.view = TimelineSnapshot();
    }
    job.done.store(true);
    delete held;
}

} // namespace

LRESULT MainFrame::OnFind(UINT, WPARAM, LPARAM, bool&)
{
    findBox.Open(handle);
    return 0;
}

// F3, Shift+F3, and the box's buttons and Enter. With nothing to look for
// yet, the box opens to ask.
LRESULT MainFrame::OnFindAgain(UINT, WPARAM wParam, LPARAM, bool&)
{
    if (findBox.IsOpen())
        findBox.GetText(lastFindText, sizeof lastFindText);
    if (lastFindText[0] == 0) {
        findBox.Open(handle);
        return 0;
    }
    StartFind(LOWORD(wParam) == findPreviousCommand);
    return 0;
}

void MainFrame::StartFind(bool backward)
{
    // One find at a time; a key pressed meanwhile is not queued.
    if (findJob != nullptr)
        return;
    std::shared_ptr<FindJob> job = std::make_shared<FindJob>();
    if (!MakeSearchPattern(lastFindText, job->pattern))
        return;
    job->view = shownTimeline.View();
    job->muted = shownTimeline.Muted();
    job->after = shownTimeline.PositionOf(timelineView.GetSelectedIndex());
    job->backward = backward;
    std::shared_ptr<FindJob>* const held = new std::shared_ptr<FindJob>(job);
    if (_beginthread(RunFind, 0, held) == static_cast<uintptr_t>(-1L)) {
        delete held;
        return;
    }
    findJob = job;
    findBox.SetState("検索中 ...");
    SetTimer(findTimerId, findPollMs);
}

void MainFrame::OnFindTick()
{
    if (findJob == nullptr || !findJob->done.load()) {
        if (findJob == nullptr)
            ::KillTimer(handle, findTimerId);
        return;
    }
    ::KillTimer(handle, findTimerId);
    const std::shared_ptr<FindJob> job = std::move(findJob);
    ShowFindResult(*job);
}

// The row is found again by its statusId in what the list shows now: a
// refresh may have come between the start of the find and its end.
void MainFrame::ShowFindResult(const FindJob& job)
{
    const TimelineSnapshot::FindResult& found = job.result;
    const int row = found.position >= 0 ? shownTimeline.IndexOf(job.foundId) : -1;
    char notice[64];
    FormatFindNotice(row >= 0 ? found.ordinal : 0, row >= 0 ? found.total : 0, notice, sizeof notice);
    findBox.SetState(notice);
    statusLine.SetFindNotice(notice);
    ShowStatusLine();
    if (row < 0) {
        ::MessageBeep(MB_OK);
        return;
    }
    timelineView.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    timelineView.EnsureVisible(row, false);
    ShowSelectedStatus();
    if (found.field == SearchTexts::textField)
        detailView.SelectShownBytes(found.offset, job.pattern.length);
}
